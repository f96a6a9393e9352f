# Another client on the session bus that answers someone else's colour pick:
# it watches the portal hand a PickColor request to its backend and at once
# sends that request's Response, with a colour of its own, to the client the
# request belongs to, as the portal would. A picker that does not check who
# answers takes this colour.
#
#   portal_spoof.py RED GREEN BLUE
#
# Prints "ready" once it watches and "sent PATH" once it has answered.
import sys

import dbus
import dbus.lowlevel
from dbus.mainloop.glib import DBusGMainLoop
from gi.repository import GLib

DBusGMainLoop(set_as_default=True)
bus = dbus.SessionBus()
loop = GLib.MainLoop()
color = dbus.Struct([float(c) for c in sys.argv[1:4]], signature="ddd")


def watch(connection, message):
    if (message.get_type() != dbus.lowlevel.MESSAGE_TYPE_METHOD_CALL
            or message.get_interface() != "org.freedesktop.impl.portal.Screenshot"
            or message.get_member() != "PickColor"):
        return
    handle = str(message.get_args_list()[0])
    # .../request/1_8/TOKEN belongs to the client :1.8.
    client = ":" + handle.split("/")[-2].replace("_", ".")
    response = dbus.lowlevel.SignalMessage(handle, "org.freedesktop.portal.Request", "Response")
    response.set_destination(client)
    response.append(dbus.UInt32(0), dbus.Dictionary({"color": color}, signature="sv"), signature="ua{sv}")
    connection.send_message(response)
    connection.flush()
    print("sent " + handle, flush=True)
    loop.quit()


bus.add_match_string("eavesdrop=true,type='method_call',interface='org.freedesktop.impl.portal.Screenshot',"
                     "member='PickColor'")
bus.add_message_filter(watch)
# A round trip, so that the bus holds the match before "ready".
bus.get_unique_name()
bus.list_names()
print("ready", flush=True)
GLib.timeout_add_seconds(60, loop.quit)
loop.run()
