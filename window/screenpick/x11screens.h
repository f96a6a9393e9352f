// What the X server itself says about its screens and the pointer, through
// the program's own connection: where the pointer is (on which X screen, in
// device pixels), the pixels there as they are on that screen's root window,
// and whether the server is XWayland.
#pragma once

#include <QImage>
#include <QPoint>
#include <QSize>

#include <optional>

#include <xcb/xcb.h>

/// The pointer on one X screen.
struct TPointerPlace
{
    xcb_window_t root = XCB_NONE;
    int screen = 0;        ///< the X screen's number
    QPoint position;       ///< device pixels from the screen's corner
    QSize screenSize;      ///< in device pixels
};

/// The program's connection to the X server, or null on another platform.
xcb_connection_t *x11Connection();

/// Where the pointer is, asked relative to `window`.
std::optional<TPointerPlace> queryPointer(xcb_connection_t *connection, xcb_window_t window);

/// The place of a pointer event's root position.
std::optional<TPointerPlace> placeOnRoot(xcb_connection_t *connection, xcb_window_t root, int x, int y);

/// The (2 radius + 1)-pixel square around the place as the root window
/// shows it, clipped to the screen; pixels outside the screen are left
/// transparent. Null when the server does not answer.
QImage readAround(xcb_connection_t *connection, const TPointerPlace &place, int radius);

/// True when the X server is XWayland: it offers the XWAYLAND extension
/// (since Xwayland 23.1) or, before that, names its outputs XWAYLAND0, 1 ...
bool isXWayland(xcb_connection_t *connection);
