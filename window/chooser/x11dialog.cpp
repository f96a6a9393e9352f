#include "x11dialog.h"

#include "x11screens.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QTimer>
#include <QWidget>

#include <xcb/xcb.h>

#include <array>
#include <cstring>

namespace {

xcb_connection_t *windowManagerConnection()
{
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        return nullptr;
    auto *x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    return x11 ? x11->connection() : nullptr;
}

xcb_atom_t internAtom(xcb_connection_t *connection, const char *name)
{
    const TXcbReply<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(
        connection, xcb_intern_atom(connection, 0, uint16_t(std::strlen(name)), name), nullptr));
    return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
}

/// A window property read as bytes; empty when it is not there.
QByteArray windowProperty(xcb_connection_t *connection, xcb_window_t window, xcb_atom_t name, xcb_atom_t type)
{
    const TXcbReply<xcb_get_property_reply_t> reply(xcb_get_property_reply(
        connection, xcb_get_property(connection, 0, window, name, type, 0, 1024), nullptr));
    if (!reply || reply->type != type)
        return {};
    return QByteArray(static_cast<const char *>(xcb_get_property_value(reply.get())),
                      xcb_get_property_value_length(reply.get()));
}

/// The running window manager's name, as it announces itself.
QByteArray windowManagerName(xcb_connection_t *connection, xcb_window_t root)
{
    const QByteArray check = windowProperty(connection, root, internAtom(connection, "_NET_SUPPORTING_WM_CHECK"),
                                      XCB_ATOM_WINDOW);
    if (check.size() < int(sizeof(xcb_window_t)))
        return QByteArray();
    xcb_window_t manager = 0;
    std::memcpy(&manager, check.constData(), sizeof manager);
    return windowProperty(connection, manager, internAtom(connection, "_NET_WM_NAME"),
                    internAtom(connection, "UTF8_STRING"));
}

// _MOTIF_WM_HINTS: flags, functions, decorations, input mode, status.
constexpr uint32_t MotifFunctions = 1;
constexpr uint32_t MotifDecorations = 2;
constexpr uint32_t MotifMove = 4;
constexpr uint32_t MotifClose = 32;
constexpr uint32_t MotifBorder = 2;
constexpr uint32_t MotifTitle = 8;
constexpr uint32_t MotifMenu = 16;

} // namespace

void AskForMoveAndCloseOnly(QWidget *dialog)
{
    xcb_connection_t *connection = windowManagerConnection();
    if (!connection)
        return;
    const auto window = xcb_window_t(dialog->winId());
    const std::array<uint32_t, 5> hints = {MotifFunctions | MotifDecorations, MotifMove | MotifClose,
                                          MotifBorder | MotifTitle | MotifMenu, 0, 0};
    const xcb_atom_t motif = internAtom(connection, "_MOTIF_WM_HINTS");
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, window, motif, motif, 32, uint32_t(hints.size()),
                        hints.data());

    const xcb_screen_t *screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
    if (screen && windowManagerName(connection, screen->root) == "Openbox") {
        // Openbox reads the first type it knows; others still find the dialog's.
        const std::array<xcb_atom_t, 2> types = {internAtom(connection, "_NET_WM_WINDOW_TYPE_TOOLBAR"),
                                                 internAtom(connection, "_NET_WM_WINDOW_TYPE_DIALOG")};
        xcb_change_property(connection, XCB_PROP_MODE_REPLACE, window, internAtom(connection, "_NET_WM_WINDOW_TYPE"),
                            XCB_ATOM_ATOM, 32, uint32_t(types.size()), types.data());
    }
    xcb_flush(connection);
}

TFrameWatch::TFrameWatch(QWidget *window)
    : QObject(window)
    , m_window(window)
{
    xcb_connection_t *connection = windowManagerConnection();
    if (!connection)
        return;
    m_extentsAtom = internAtom(connection, "_NET_FRAME_EXTENTS");
    QCoreApplication::instance()->installNativeEventFilter(this);
}

TFrameWatch::~TFrameWatch()
{
    if (QCoreApplication::instance())
        QCoreApplication::instance()->removeNativeEventFilter(this);
}

bool TFrameWatch::nativeEventFilter(const QByteArray &eventType, void *message, qintptr *)
{
    if (m_reported || !m_window || eventType != "xcb_generic_event_t")
        return false;
    const auto *event = static_cast<const xcb_generic_event_t *>(message);
    if ((event->response_type & 0x7F) != XCB_PROPERTY_NOTIFY)
        return false;
    const auto *notify = reinterpret_cast<const xcb_property_notify_event_t *>(event);
    if (notify->atom != m_extentsAtom || notify->window != xcb_window_t(m_window->internalWinId())
        || notify->state != XCB_PROPERTY_NEW_VALUE)
        return false;
    m_reported = true;
    QTimer::singleShot(0, this, &TFrameWatch::readExtents);
    return false;
}

void TFrameWatch::readExtents()
{
    xcb_connection_t *connection = windowManagerConnection();
    if (!connection || !m_window || !m_window->internalWinId())
        return;
    // Left, right, top, bottom.
    const QByteArray value = windowProperty(connection, xcb_window_t(m_window->internalWinId()), m_extentsAtom,
                                      XCB_ATOM_CARDINAL);
    std::array<uint32_t, 4> extents{};
    if (value.size() != int(sizeof extents))
        return;
    std::memcpy(extents.data(), value.constData(), sizeof extents);
    emit framed(QMargins(int(extents[0]), int(extents[2]), int(extents[1]), int(extents[3])));
}
