#include "pointergrab.h"

#include "grabpair.h"
#include "loupe.h"
#include "x11screens.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QScreen>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#include <algorithm>
#include <cmath>

namespace {

// Half a second in all: long enough for a window manager to map the grab
// window or for a menu elsewhere to close, short enough to say why soon.
constexpr int GrabAttempts = 25;
constexpr int GrabRetryInterval = 20;

// The keys a pick answers, as X names them.
constexpr xcb_keysym_t KeyEscape = 0xff1b;
constexpr xcb_keysym_t KeyReturn = 0xff0d;
constexpr xcb_keysym_t KeyPadEnter = 0xff8d;
constexpr xcb_keysym_t KeySpace = 0x0020;
constexpr xcb_keysym_t KeyLeft = 0xff51;
constexpr xcb_keysym_t KeyUp = 0xff52;
constexpr xcb_keysym_t KeyRight = 0xff53;
constexpr xcb_keysym_t KeyDown = 0xff54;
constexpr xcb_keysym_t KeyPadLeft = 0xff96;
constexpr xcb_keysym_t KeyPadUp = 0xff97;
constexpr xcb_keysym_t KeyPadRight = 0xff98;
constexpr xcb_keysym_t KeyPadDown = 0xff99;

// The cross of the X cursor font, in black on white.
constexpr uint16_t CrosshairGlyph = 34;

QString heldPointerMessage() { return QStringLiteral("ほかのプログラムがポインターをつかんでいるため、画面から色を取れません"); }
QString heldKeyboardMessage() { return QStringLiteral("ほかのプログラムがキーボードをつかんでいるため、画面から色を取れません"); }

/// The Qt screen (monitor) of the X screen of `sibling` that holds the
/// device pixel, and that pixel in device-independent coordinates. Qt keeps
/// each monitor's corner at its device position and scales from there.
std::pair<QScreen *, QPointF> logicalPlace(QScreen *sibling, QPoint device)
{
    QScreen *found = sibling;
    for (QScreen *screen : sibling->virtualSiblings()) {
        const QRect native(screen->geometry().topLeft(), screen->geometry().size() * screen->devicePixelRatio());
        if (native.contains(device)) {
            found = screen;
            break;
        }
    }
    const QPointF corner = found->geometry().topLeft();
    return {found, corner + (QPointF(device) - corner) / found->devicePixelRatio()};
}

} // namespace

TPointerGrab::TPointerGrab(QObject *parent)
    : TPickBackend(parent)
    , m_connection(x11Connection())
{
    TGrabCalls calls;
    calls.grabPointer = [this] { return grabPointer(); };
    calls.grabKeyboard = [this] { return grabKeyboard(); };
    calls.ungrabPointer = [this] { xcb_ungrab_pointer(m_connection, XCB_CURRENT_TIME); xcb_flush(m_connection); };
    calls.ungrabKeyboard = [this] { xcb_ungrab_keyboard(m_connection, XCB_CURRENT_TIME); xcb_flush(m_connection); };
    m_grabs = new TGrabPair(std::move(calls), GrabAttempts, GrabRetryInterval, this);
    m_strips = new QTimer(this);
    connect(m_strips, &QTimer::timeout, this, &TPointerGrab::takeStrip);
    connect(m_grabs, &TGrabPair::grabbed, this, &TPointerGrab::grabbed);
    connect(qGuiApp, &QGuiApplication::screenRemoved, this, [this] { m_monitors.clear(); });
    connect(m_grabs, &TGrabPair::gaveUp, this, [this](TGrabPair::Refused what) {
        emit finished(std::nullopt,
                      what == TGrabPair::Refused::Pointer ? heldPointerMessage() : heldKeyboardMessage());
    });
}

TPointerGrab::~TPointerGrab()
{
    release();
    if (m_connection && m_cursor != XCB_NONE)
        xcb_free_cursor(m_connection, m_cursor);
}

void TPointerGrab::checkAvailability()
{
    if (m_connection)
        emit availabilityChanged(true, QString());
    else
        emit availabilityChanged(false, QStringLiteral("このウィンドウシステムでは画面から色を取れません"));
}

void TPointerGrab::start(QWidget *window)
{
    // A one-pixel window outside every screen holds the grabs: the X server
    // then sends every click and key to it, whichever window is under the
    // pointer. It bypasses the window manager, so it is mapped at once.
    m_grabber = new QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::X11BypassWindowManagerHint
                                         | Qt::WindowDoesNotAcceptFocus);
    m_grabber->setObjectName(QStringLiteral("screenPickerGrab"));
    QScreen *screen = window && window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    m_grabber->setScreen(screen);
    m_grabber->setGeometry(QRect(screen->virtualGeometry().topLeft() - QPoint(16, 16), QSize(1, 1)));
    m_window = xcb_window_t(m_grabber->winId());
    m_grabber->show();

    if (m_cursor == XCB_NONE) {
        const xcb_font_t font = xcb_generate_id(m_connection);
        xcb_open_font(m_connection, font, 6, "cursor");
        m_cursor = xcb_generate_id(m_connection);
        xcb_create_glyph_cursor(m_connection, m_cursor, font, font, CrosshairGlyph, CrosshairGlyph + 1, 0, 0, 0,
                                0xffff, 0xffff, 0xffff);
        xcb_close_font(m_connection, font);
    }
    if (m_keysyms.empty()) {
        const xcb_setup_t *setup = xcb_get_setup(m_connection);
        m_firstKeycode = setup->min_keycode;
        const TXcbReply<xcb_get_keyboard_mapping_reply_t> mapping(xcb_get_keyboard_mapping_reply(
            m_connection,
            xcb_get_keyboard_mapping(m_connection, setup->min_keycode,
                                     uint8_t(setup->max_keycode - setup->min_keycode + 1)),
            nullptr));
        if (mapping) {
            const xcb_keysym_t *symbols = xcb_get_keyboard_mapping_keysyms(mapping.get());
            const int count = xcb_get_keyboard_mapping_keysyms_length(mapping.get());
            const int perKey = mapping->keysyms_per_keycode;
            for (int i = 0; perKey > 0 && i + perKey <= count; i += perKey)
                m_keysyms.push_back(symbols[i]);
        }
    }
    m_pressed.reset();
    m_cancelPressed = false;
    m_monitors.clear();  // monitors may have come and gone since the last pick
    m_shots.clear();
    QCoreApplication::instance()->installNativeEventFilter(this);
    m_grabs->start();
}

bool TPointerGrab::grabPointer()
{
    const TXcbReply<xcb_grab_pointer_reply_t> reply(xcb_grab_pointer_reply(
        m_connection,
        xcb_grab_pointer(m_connection, 0, m_window,
                         XCB_EVENT_MASK_BUTTON_PRESS | XCB_EVENT_MASK_BUTTON_RELEASE | XCB_EVENT_MASK_POINTER_MOTION,
                         XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC, XCB_NONE, m_cursor, XCB_CURRENT_TIME),
        nullptr));
    return reply && reply->status == XCB_GRAB_STATUS_SUCCESS;
}

bool TPointerGrab::grabKeyboard()
{
    const TXcbReply<xcb_grab_keyboard_reply_t> reply(xcb_grab_keyboard_reply(
        m_connection,
        xcb_grab_keyboard(m_connection, 0, m_window, XCB_CURRENT_TIME, XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC),
        nullptr));
    return reply && reply->status == XCB_GRAB_STATUS_SUCCESS;
}

void TPointerGrab::grabbed()
{
    if (!m_loupe)
        m_loupe = std::make_unique<TLoupe>();
    if (const auto place = queryPointer(m_connection, m_window))
        follow(*place);
}

void TPointerGrab::release()
{
    if (QCoreApplication *application = QCoreApplication::instance())
        application->removeNativeEventFilter(this);
    m_grabs->release();
    m_loupe.reset();
    m_strips->stop();
    m_shots.clear();
    if (m_grabber) {
        m_grabber->hide();
        // This may run inside the grab window's own event.
        m_grabber->deleteLater();
        m_grabber.clear();
    }
    m_window = XCB_NONE;
}

void TPointerGrab::follow(const TPointerPlace &place)
{
    if (!m_loupe || !m_grabber)
        return;
    QScreen *monitors = monitorsOf(place.root);
    if (!monitors) {
        m_loupe->hide();
        return;
    }
    const auto [screen, pointer] = logicalPlace(monitors, place.position);
    TRootShot *shot = shotOf(place.root);
    if (shot) {
        // Before the loupe can come over any of it, and so before the rest.
        const int reach = int(std::ceil(m_loupe->reach() * screen->devicePixelRatio()));
        shot->take(QRect(place.position - QPoint(reach, reach), QSize(2 * reach + 1, 2 * reach + 1)));
        if (!m_strips->isActive())
            m_strips->start();
    }
    m_loupe->showAt(screen, pointer, shot ? shot->around(place, TLoupe::Radius) : QImage());
}

// The pixels shown and picked are those of a shot of the root, not the root
// itself: the loupe lies on the root, and where it has just been, the window
// beneath shows its bare background or the loupe's old pixels until its
// program paints it again (no Qt window has a background the server paints),
// which may be after the next read; a tablet's jump or a fast flick lands
// there. Each root is frozen once, from the first time the pick comes to it,
// in a pixmap of the server's, part by part: the square within the loupe's
// reach of the pointer at once, before the loupe can come over it (the
// server carries out one connection's requests in order, so the copy is
// done before the loupe is mapped or moved there), and the rest a strip at
// a time while the pick runs, leaving out what is already taken. So what is
// taken never holds the loupe, and each look reads only the few pixels the
// loupe shows: the pick waits for no copy of the whole screen, and neither
// the program nor, until it has copied its strips, the server holds one
// more than the pick needs. The server's copy goes when the pick ends (4
// bytes a pixel: 33 MB for a 4K screen). A shot the server refused stays
// refused for the pick: a later one might hold the loupe.
TRootShot *TPointerGrab::shotOf(xcb_window_t root)
{
    auto known = m_shots.find(root);
    if (known == m_shots.end())
        known = m_shots.emplace(root, TRootShot::make(m_connection, root)).first;
    return known->second.get();
}

// One strip each time round the event loop, so that a key or a motion waits
// for one at most.
void TPointerGrab::takeStrip()
{
    for (const auto &[root, shot] : m_shots)
        if (shot && shot->takeNextStrip())
            return;
    m_strips->stop();
}

QScreen *TPointerGrab::monitorsOf(xcb_window_t root)
{
    if (const auto known = m_monitors.find(root); known != m_monitors.end())
        return known->second;
    // Qt does not say which X screen a Qt screen is on: a window that is
    // never shown is made on one monitor of each X screen in turn, until
    // the X server puts it on this root.
    QList<QScreen *> tried;
    for (QScreen *screen : QGuiApplication::screens()) {
        if (std::any_of(tried.cbegin(), tried.cend(),
                        [screen](QScreen *other) { return other->virtualSiblings().contains(screen); }))
            continue;
        tried.append(screen);
        QWindow probe(screen);
        probe.create();
        const TXcbReply<xcb_get_geometry_reply_t> geometry(xcb_get_geometry_reply(
            m_connection, xcb_get_geometry(m_connection, xcb_drawable_t(probe.winId())), nullptr));
        const bool found = geometry && geometry->root == root;
        if (found) {
            m_monitors[root] = screen;
            return screen;
        }
    }
    m_monitors[root] = nullptr;
    return nullptr;
}

std::optional<TColor> TPointerGrab::pixelAt(const TPointerPlace &place)
{
    TRootShot *shot = shotOf(place.root);
    if (!shot)
        return std::nullopt;
    // Where no motion came first: the loupe has not been there.
    shot->take(QRect(place.position, QSize(1, 1)));
    const QImage pixel = shot->around(place, 0);
    if (qAlpha(pixel.pixel(0, 0)) == 0)
        return std::nullopt;
    const QRgb rgb = pixel.pixel(0, 0);
    return MakeColor(qRed(rgb), qGreen(rgb), qBlue(rgb));
}

bool TPointerGrab::nativeEventFilter(const QByteArray &eventType, void *message, qintptr *)
{
    if (eventType != "xcb_generic_event_t" || !m_grabs->isHeld())
        return false;
    const auto *event = static_cast<xcb_generic_event_t *>(message);
    switch (event->response_type & 0x7f) {
    case XCB_BUTTON_PRESS: {
        const auto *press = reinterpret_cast<const xcb_button_press_event_t *>(event);
        if (press->event != m_window)
            return false;
        if (press->detail == XCB_BUTTON_INDEX_1) {
            if (const auto place = placeOnRoot(m_connection, press->root, press->root_x, press->root_y))
                m_pressed = pixelAt(*place);
        } else if (press->detail == XCB_BUTTON_INDEX_3) {
            m_cancelPressed = true;
        }
        return true;
    }
    case XCB_BUTTON_RELEASE: {
        // The grab is held until the button is up, so that the release does
        // not land on whatever window is under the pointer.
        const auto *up = reinterpret_cast<const xcb_button_release_event_t *>(event);
        if (up->event != m_window)
            return false;
        if (up->detail == XCB_BUTTON_INDEX_1 && m_pressed)
            emit finished(m_pressed);
        else if (up->detail == XCB_BUTTON_INDEX_3 && m_cancelPressed)
            emit finished(std::nullopt);
        return true;
    }
    case XCB_MOTION_NOTIFY: {
        const auto *motion = reinterpret_cast<const xcb_motion_notify_event_t *>(event);
        if (motion->event != m_window)
            return false;
        if (const auto place = placeOnRoot(m_connection, motion->root, motion->root_x, motion->root_y))
            follow(*place);
        return true;
    }
    case XCB_KEY_PRESS: {
        const auto *key = reinterpret_cast<const xcb_key_press_event_t *>(event);
        if (key->event != m_window)
            return false;
        keyPressed(key->detail);
        return true;
    }
    case XCB_KEY_RELEASE:
        return reinterpret_cast<const xcb_key_release_event_t *>(event)->event == m_window;
    default:
        return false;
    }
}

void TPointerGrab::keyPressed(xcb_keycode_t keycode)
{
    const size_t index = size_t(keycode - m_firstKeycode);
    const xcb_keysym_t key = keycode >= m_firstKeycode && index < m_keysyms.size() ? m_keysyms[index] : 0;
    // Without a mouse: the arrow keys move the pointer by one device pixel,
    // and Enter or Space picks the pixel framed in the loupe.
    QPoint step;
    switch (key) {
    case KeyEscape:
        emit finished(std::nullopt);
        return;
    case KeyReturn:
    case KeyPadEnter:
    case KeySpace: {
        const auto place = queryPointer(m_connection, m_window);
        if (place)
            follow(*place);
        emit finished(place ? pixelAt(*place) : std::nullopt);
        return;
    }
    case KeyLeft:
    case KeyPadLeft: step = QPoint(-1, 0); break;
    case KeyRight:
    case KeyPadRight: step = QPoint(1, 0); break;
    case KeyUp:
    case KeyPadUp: step = QPoint(0, -1); break;
    case KeyDown:
    case KeyPadDown: step = QPoint(0, 1); break;
    default:
        return;
    }
    // Relative to where the pointer is; the motion that follows moves the loupe.
    xcb_warp_pointer(m_connection, XCB_NONE, XCB_NONE, 0, 0, 0, 0, int16_t(step.x()), int16_t(step.y()));
    xcb_flush(m_connection);
}
