// What the X server itself says about its screens and the pointer, through
// the program's own connection: where the pointer is (on which X screen, in
// device pixels), the pixels of that screen's root window, and whether the
// server is XWayland.
#pragma once

#include <QImage>
#include <QPoint>
#include <QRegion>
#include <QSize>

#include <cstdint>
#include <memory>
#include <optional>

#include <xcb/xcb.h>

/// An xcb reply or error, freed as xcb asks (with free()) when its holder goes.
struct TXcbFree
{
    void operator()(void *reply) const { std::free(reply); }
};
template <typename T>
using TXcbReply = std::unique_ptr<T, TXcbFree>;

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

/// One X screen's root window frozen in a pixmap of the X server's, of the
/// root's size and depth: the program holds none of it and reads only the
/// pixels it shows. The root is copied in parts, each part once: what is
/// asked for at once, the rest a strip at a time.
class TRootShot
{
public:
    /// A shot with nothing taken yet. Null when the server refuses the
    /// pixmap (too little memory for the whole screen) or its pixel format
    /// is not one of whole bytes.
    static std::unique_ptr<TRootShot> make(xcb_connection_t *connection, xcb_window_t root);
    ~TRootShot();
    TRootShot(const TRootShot &) = delete;
    TRootShot &operator=(const TRootShot &) = delete;

    /// Copies what is not yet taken of `area` (device pixels) from the root
    /// as it is now.
    void take(const QRect &area);
    /// Copies what is not yet taken of the next strip of the screen, about
    /// 4 MB; false when no strip was left.
    bool takeNextStrip();

    /// The (2 radius + 1)-pixel square around the place, clipped to the
    /// screen; pixels outside the screen, or not taken, are left transparent.
    QImage around(const TPointerPlace &place, int radius) const;

private:
    TRootShot(xcb_connection_t *connection, xcb_window_t root)
        : m_connection(connection)
        , m_root(root)
    {
    }

    xcb_connection_t *m_connection;
    xcb_window_t m_root;
    xcb_pixmap_t m_pixmap = XCB_NONE;
    xcb_gcontext_t m_gc = XCB_NONE;
    QSize m_size;
    QRegion m_taken;
    bool m_refused = false;  ///< a copy failed: nothing of the shot is read
    int m_stripHeight = 1;
    int m_nextStrip = 0;  ///< its top row
    int m_bitsPerPixel = 0;
    int m_scanlinePad = 0;
    bool m_lsbFirst = true;
    uint32_t m_redMask = 0;
    uint32_t m_greenMask = 0;
    uint32_t m_blueMask = 0;
};

/// True when the X server is XWayland: it offers the XWAYLAND extension
/// (since Xwayland 23.1) or, before that, names its outputs XWAYLAND0, 1 ...
bool isXWayland(xcb_connection_t *connection);
