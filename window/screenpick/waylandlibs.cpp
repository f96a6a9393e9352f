#include "waylandlibs.h"

#include <dlfcn.h>

#include <type_traits>

const TWaylandLibs *g_waylandLibs = nullptr;

namespace {

/// Finds every entry, by the name the library exports; false at the first
/// one missing, as from a library too old for the requests the pick makes.
bool findEntries(void *wayland, void *xkb, TWaylandLibs &libs)
{
    bool found = true;
    const auto find = [&found](void *library, auto &entry, const char *name) {
        void *address = dlsym(library, name);
        found = found && address;
        entry = reinterpret_cast<std::remove_reference_t<decltype(entry)>>(address);
    };
    find(wayland, libs.displayConnect, "wl_display_connect");
    find(wayland, libs.displayDisconnect, "wl_display_disconnect");
    find(wayland, libs.displayGetFd, "wl_display_get_fd");
    find(wayland, libs.displayDispatchPending, "wl_display_dispatch_pending");
    find(wayland, libs.displayPrepareRead, "wl_display_prepare_read");
    find(wayland, libs.displayReadEvents, "wl_display_read_events");
    find(wayland, libs.displayFlush, "wl_display_flush");
    find(wayland, libs.proxyMarshalFlags, "wl_proxy_marshal_flags");
    find(wayland, libs.proxyAddListener, "wl_proxy_add_listener");
    find(wayland, libs.proxyDestroy, "wl_proxy_destroy");
    find(wayland, libs.proxyGetVersion, "wl_proxy_get_version");
    find(wayland, libs.proxySetUserData, "wl_proxy_set_user_data");
    find(wayland, libs.proxyGetUserData, "wl_proxy_get_user_data");
    find(xkb, libs.contextNew, "xkb_context_new");
    find(xkb, libs.contextUnref, "xkb_context_unref");
    find(xkb, libs.keymapNewFromString, "xkb_keymap_new_from_string");
    find(xkb, libs.keymapUnref, "xkb_keymap_unref");
    find(xkb, libs.stateNew, "xkb_state_new");
    find(xkb, libs.stateUnref, "xkb_state_unref");
    find(xkb, libs.stateUpdateMask, "xkb_state_update_mask");
    find(xkb, libs.stateKeyGetOneSym, "xkb_state_key_get_one_sym");
    return found;
}

const TWaylandLibs *load()
{
    // Under a Wayland session Qt's own platform plugin has loaded both
    // already, and these only count references.
    void *wayland = dlopen("libwayland-client.so.0", RTLD_NOW | RTLD_LOCAL);
    void *xkb = dlopen("libxkbcommon.so.0", RTLD_NOW | RTLD_LOCAL);
    static TWaylandLibs libs{};
    if (wayland && xkb && findEntries(wayland, xkb, libs))
        return &libs;
    if (wayland)
        dlclose(wayland);
    if (xkb)
        dlclose(xkb);
    return nullptr;
}

} // namespace

const TWaylandLibs *LoadWaylandLibs()
{
    static const TWaylandLibs *const loaded = load();
    g_waylandLibs = loaded;
    return loaded;
}
