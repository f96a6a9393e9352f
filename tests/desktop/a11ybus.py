"""The accessibility bus of a test's session, in place of the machine's launcher.

Usage: a11ybus.py RUNTIME

Started on demand by the session bus as org.a11y.Bus. Runs an accessibility
bus on a configuration of our own: it listens in RUNTIME/at-spi and starts on
demand only the registry named in RUNTIME/at-spi/services, never a service of
the machine's. Answers GetAddress and the org.a11y.Status properties as the
launcher does, and ends, with its bus, when the session bus goes away or on
SIGTERM.

The launcher would also set AT_SPI_BUS on the root window of whatever
DISPLAY it inherited, a desktop's own one included; nothing here needs it:
Qt and libatspi ask org.a11y.Bus on the session bus.
"""
import ctypes
import os
import signal
import subprocess
import sys

from gi.repository import Gio, GLib

INTERFACES = Gio.DBusNodeInfo.new_for_xml("""
<node>
  <interface name="org.a11y.Bus">
    <method name="GetAddress"><arg type="s" name="address" direction="out"/></method>
  </interface>
  <interface name="org.a11y.Status">
    <property name="IsEnabled" type="b" access="readwrite"/>
    <property name="ScreenReaderEnabled" type="b" access="readwrite"/>
  </interface>
</node>""")

CONFIG = """<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>accessibility</type>
  <listen>unix:dir={folder}</listen>
  <auth>EXTERNAL</auth>
  <servicedir>{services}</servicedir>
  <policy context="default">
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
    <allow own="*"/>
  </policy>
</busconfig>
"""


def die_with_parent():
    # The bus ends with us even if we are killed outright.
    ctypes.CDLL(None).prctl(1, signal.SIGTERM)  # PR_SET_PDEATHSIG


def start_bus(folder, session_address):
    services = os.path.join(folder, "services")
    os.makedirs(services, mode=0o700, exist_ok=True)
    with open(os.path.join(services, "org.a11y.atspi.Registry.service"), "w") as service:
        # Without --use-gnome-session: there is no session manager to join.
        service.write("[D-BUS Service]\nName=org.a11y.atspi.Registry\nExec=/usr/libexec/at-spi2-registryd\n")
    config = os.path.join(folder, "bus.conf")
    with open(config, "w") as out:
        out.write(CONFIG.format(folder=folder, services=services))
    # The registry finds the bus by asking org.a11y.Bus on the session bus;
    # it must not find one through a display or a variable of the machine's.
    env = {k: v for k, v in os.environ.items()
           if k not in ("DISPLAY", "WAYLAND_DISPLAY", "AT_SPI_BUS_ADDRESS")}
    env["DBUS_SESSION_BUS_ADDRESS"] = session_address
    bus = subprocess.Popen(["dbus-daemon", "--config-file=" + config, "--nofork", "--nopidfile",
                            "--print-address=1"], stdout=subprocess.PIPE, env=env,
                           preexec_fn=die_with_parent)
    address = bus.stdout.readline().decode().strip()
    if not address:
        bus.wait()
        sys.exit("a11ybus: the accessibility bus did not start")
    return bus, address


def registry_pid(address):
    try:
        bus = Gio.DBusConnection.new_for_address_sync(
            address, Gio.DBusConnectionFlags.AUTHENTICATION_CLIENT | Gio.DBusConnectionFlags.MESSAGE_BUS_CONNECTION)
        reply = bus.call_sync("org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
                              "GetConnectionUnixProcessID", GLib.Variant("(s)", ("org.a11y.atspi.Registry",)),
                              None, Gio.DBusCallFlags.NONE, 5000)
        bus.close_sync()
        return reply.unpack()[0]
    except GLib.Error:
        return None  # never asked for


def main():
    folder = os.path.join(sys.argv[1], "at-spi")
    os.makedirs(folder, mode=0o700, exist_ok=True)
    session_address = os.environ["DBUS_STARTER_ADDRESS"]
    bus, address = start_bus(folder, session_address)
    status = {"IsEnabled": False, "ScreenReaderEnabled": False}
    loop = GLib.MainLoop()
    session = Gio.DBusConnection.new_for_address_sync(
        session_address,
        Gio.DBusConnectionFlags.AUTHENTICATION_CLIENT | Gio.DBusConnectionFlags.MESSAGE_BUS_CONNECTION)
    session.set_exit_on_close(False)
    session.connect("closed", lambda *_: loop.quit())

    def call(connection, sender, path, interface, method, parameters, invocation):
        invocation.return_value(GLib.Variant("(s)", (address,)))

    def get(connection, sender, path, interface, name):
        return GLib.Variant("b", status[name])

    def set_(connection, sender, path, interface, name, value):
        # Turning the screen reader on turns accessibility on, as the launcher does.
        names = ["IsEnabled", name] if name == "ScreenReaderEnabled" and value.unpack() else [name]
        changed = {}
        for key in names:
            if status[key] != value.unpack():
                status[key] = value.unpack()
                changed[key] = GLib.Variant("b", status[key])
        if changed:
            connection.emit_signal(None, "/org/a11y/bus", "org.freedesktop.DBus.Properties", "PropertiesChanged",
                                   GLib.Variant("(sa{sv}as)", ("org.a11y.Status", changed, [])))
        return True

    session.register_object("/org/a11y/bus", INTERFACES.interfaces[0], call, None, None)
    session.register_object("/org/a11y/bus", INTERFACES.interfaces[1], None, get, set_)
    Gio.bus_own_name_on_connection(session, "org.a11y.Bus", Gio.BusNameOwnerFlags.NONE,
                                   None, lambda *_: loop.quit())
    GLib.unix_signal_add(GLib.PRIORITY_DEFAULT, signal.SIGTERM, lambda: loop.quit() or False)
    GLib.unix_signal_add(GLib.PRIORITY_DEFAULT, signal.SIGINT, lambda: loop.quit() or False)
    bus_watch = GLib.child_watch_add(GLib.PRIORITY_DEFAULT, bus.pid, lambda *_: loop.quit())
    loop.run()
    GLib.source_remove(bus_watch)
    if bus.poll() is None:
        # The registry outlives its bus; it goes with it.
        registry = registry_pid(address)
        if registry:
            try:
                os.kill(registry, signal.SIGTERM)
            except ProcessLookupError:
                pass
        bus.terminate()
        try:
            bus.wait(5)
        except subprocess.TimeoutExpired:
            bus.kill()
            bus.wait()


if __name__ == "__main__":
    main()
