// The Wayland client library and xkbcommon, loaded when the chooser first
// asks a Wayland compositor what it offers (where Qt's own Wayland plugin
// has loaded both already) rather than linked: an X11 session never loads
// the former, and neither stands ahead of Qt's libraries in the dynamic
// linker's search for each of the many symbols resolved at start-up.
//
// Included before any other Wayland header, this declares the library's
// functions with their own types and then renames each one the pick calls
// (directly, or through the protocol headers' inline requests) to the entry
// of the loaded library. The core interfaces (wl_surface_interface and the
// others) are generated from wayland.xml into the program itself.
#pragma once

#include <wayland-client-core.h>
#include <xkbcommon/xkbcommon.h>

struct TWaylandLibs
{
    decltype(&::wl_display_connect) displayConnect;
    decltype(&::wl_display_disconnect) displayDisconnect;
    decltype(&::wl_display_get_fd) displayGetFd;
    decltype(&::wl_display_dispatch_pending) displayDispatchPending;
    decltype(&::wl_display_prepare_read) displayPrepareRead;
    decltype(&::wl_display_read_events) displayReadEvents;
    decltype(&::wl_display_flush) displayFlush;
    decltype(&::wl_proxy_marshal_flags) proxyMarshalFlags;
    decltype(&::wl_proxy_add_listener) proxyAddListener;
    decltype(&::wl_proxy_destroy) proxyDestroy;
    decltype(&::wl_proxy_get_version) proxyGetVersion;
    decltype(&::wl_proxy_set_user_data) proxySetUserData;
    decltype(&::wl_proxy_get_user_data) proxyGetUserData;

    decltype(&::xkb_context_new) contextNew;
    decltype(&::xkb_context_unref) contextUnref;
    decltype(&::xkb_keymap_new_from_string) keymapNewFromString;
    decltype(&::xkb_keymap_unref) keymapUnref;
    decltype(&::xkb_state_new) stateNew;
    decltype(&::xkb_state_unref) stateUnref;
    decltype(&::xkb_state_update_mask) stateUpdateMask;
    decltype(&::xkb_state_key_get_one_sym) stateKeyGetOneSym;
};

/// Loads libwayland-client.so.0 and libxkbcommon.so.0 on the first call and
/// finds every entry above; null when either library or any entry is
/// missing. Then no renamed function below may be called. The libraries stay
/// loaded for the rest of the run.
const TWaylandLibs *LoadWaylandLibs();

/// The loaded entries; only after LoadWaylandLibs() has returned them.
extern const TWaylandLibs *g_waylandLibs;

#define wl_display_connect (g_waylandLibs->displayConnect)
#define wl_display_disconnect (g_waylandLibs->displayDisconnect)
#define wl_display_get_fd (g_waylandLibs->displayGetFd)
#define wl_display_dispatch_pending (g_waylandLibs->displayDispatchPending)
#define wl_display_prepare_read (g_waylandLibs->displayPrepareRead)
#define wl_display_read_events (g_waylandLibs->displayReadEvents)
#define wl_display_flush (g_waylandLibs->displayFlush)
#define wl_proxy_marshal_flags (g_waylandLibs->proxyMarshalFlags)
#define wl_proxy_add_listener (g_waylandLibs->proxyAddListener)
#define wl_proxy_destroy (g_waylandLibs->proxyDestroy)
#define wl_proxy_get_version (g_waylandLibs->proxyGetVersion)
#define wl_proxy_set_user_data (g_waylandLibs->proxySetUserData)
#define wl_proxy_get_user_data (g_waylandLibs->proxyGetUserData)

#define xkb_context_new (g_waylandLibs->contextNew)
#define xkb_context_unref (g_waylandLibs->contextUnref)
#define xkb_keymap_new_from_string (g_waylandLibs->keymapNewFromString)
#define xkb_keymap_unref (g_waylandLibs->keymapUnref)
#define xkb_state_new (g_waylandLibs->stateNew)
#define xkb_state_unref (g_waylandLibs->stateUnref)
#define xkb_state_update_mask (g_waylandLibs->stateUpdateMask)
#define xkb_state_key_get_one_sym (g_waylandLibs->stateKeyGetOneSym)
