#include "screenpicker.h"

#include <QCursor>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusVariant>
#include <QGuiApplication>
#include <QImage>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPixmap>
#include <QScreen>
#include <QThread>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include <xcb/xcb.h>

namespace {

const QString PortalService = QStringLiteral("org.freedesktop.portal.Desktop");
const QString PortalPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString ScreenshotInterface = QStringLiteral("org.freedesktop.portal.Screenshot");
const QString RequestInterface = QStringLiteral("org.freedesktop.portal.Request");

// PickColor came with version 2 of the Screenshot interface.
constexpr uint PickColorVersion = 2;
// A method call to a portal that is being started on demand may take a while.
constexpr int PortalTimeout = 10000;
// Under a window manager the grab window may be mapped a little later than asked.
constexpr int GrabAttempts = 100;
constexpr int GrabRetryInterval = 10;

QString checkingReason() { return QStringLiteral("デスクトップのポータルに問い合わせています"); }
QString noPortalReason() { return QStringLiteral("デスクトップのポータルが応答しないため、画面から色を取れません"); }
QString noPickColorReason() { return QStringLiteral("デスクトップのポータルが色の取得に対応していないため、画面から色を取れません"); }
QString noPlatformReason() { return QStringLiteral("このウィンドウシステムでは画面から色を取れません"); }

/// One component from the portal, 0.0 .. 1.0, to 0 .. 255: clamped, then
/// rounded to the nearest step, so 0.50196 (128/255 as a float) gives 128.
std::optional<int> portalComponent(double value)
{
    if (!std::isfinite(value))
        return std::nullopt;
    return int(std::lround(std::clamp(value, 0.0, 1.0) * 255.0));
}

std::optional<TColor> portalColor(const QVariantMap &results)
{
    const QVariant color = results.value(QStringLiteral("color"));
    if (color.metaType() != QMetaType::fromType<QDBusArgument>())
        return std::nullopt;
    const QDBusArgument argument = color.value<QDBusArgument>();
    if (argument.currentSignature() != QLatin1String("(ddd)"))
        return std::nullopt;
    double red = 0;
    double green = 0;
    double blue = 0;
    argument.beginStructure();
    argument >> red >> green >> blue;
    argument.endStructure();
    const auto r = portalComponent(red);
    const auto g = portalComponent(green);
    const auto b = portalComponent(blue);
    if (!r || !g || !b)
        return std::nullopt;
    return MakeColor(*r, *g, *b);
}

/// The portal's name for the window the request comes from: an X11 window
/// is named by its id; a Wayland surface would need an exported handle,
/// which Qt does not offer, so there it is left empty, as the portal allows.
QString portalParentWindow(QWidget *window)
{
    if (window && QGuiApplication::platformName() == QLatin1String("xcb"))
        return QStringLiteral("x11:") + QString::number(window->window()->winId(), 16);
    return QString();
}

/// Where the X server has the pointer, in device pixels from the corner of
/// the whole X screen.
std::optional<QPoint> pointerOnRoot(WId window)
{
    auto *x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    if (!x11)
        return std::nullopt;
    xcb_connection_t *connection = x11->connection();
    xcb_query_pointer_reply_t *reply =
        xcb_query_pointer_reply(connection, xcb_query_pointer(connection, xcb_window_t(window)), nullptr);
    if (!reply)
        return std::nullopt;
    const QPoint position(reply->root_x, reply->root_y);
    std::free(reply);
    return position;
}

} // namespace

TScreenPicker::TScreenPicker(QObject *parent)
    : TScreenPicker(Method::Automatic, parent)
{
}

TScreenPicker::TScreenPicker(Method method, QObject *parent)
    : QObject(parent)
    , m_method(method)
{
    if (m_method == Method::Automatic) {
        const QString platform = QGuiApplication::platformName();
        if (platform == QLatin1String("xcb"))
            m_method = Method::PointerGrab;
        else if (platform.startsWith(QLatin1String("wayland")))
            m_method = Method::Portal;
    }
    switch (m_method) {
    case Method::PointerGrab:
        m_available = true;
        break;
    case Method::Portal:
        m_reason = checkingReason();
        checkPortal();
        break;
    case Method::Automatic:  // no way to pick on this platform
        m_reason = noPlatformReason();
        break;
    }
}

TScreenPicker::~TScreenPicker()
{
    if (!m_picking)
        return;
    m_picking = false;
    releaseGrab();
    if (!m_requestPath.isEmpty()) {
        // Lets the desktop take its picking prompt down; no answer is awaited.
        QDBusConnection::sessionBus().send(
            QDBusMessage::createMethodCall(PortalService, m_requestPath, RequestInterface, QStringLiteral("Close")));
        unsubscribePortal();
    }
}

bool TScreenPicker::isAvailable() const
{
    return m_available;
}

QString TScreenPicker::unavailableReason() const
{
    return m_available ? QString() : m_reason;
}

void TScreenPicker::start(QWidget *window)
{
    if (m_picking)
        return;
    if (!m_available) {
        QTimer::singleShot(0, this, &TScreenPicker::cancelled);
        return;
    }
    m_picking = true;
    if (m_method == Method::Portal)
        startPortalPick(window);
    else
        startGrab(window);
}

void TScreenPicker::setAvailability(bool available, const QString &reason)
{
    const QString shown = available ? QString() : reason;
    if (m_available == available && m_reason == shown)
        return;
    m_available = available;
    m_reason = shown;
    emit availabilityChanged();
}

void TScreenPicker::finish(std::optional<TColor> color)
{
    if (!m_picking)
        return;
    m_picking = false;
    releaseGrab();
    unsubscribePortal();
    if (color)
        emit picked(*color);
    else
        emit cancelled();
}

void TScreenPicker::checkPortal()
{
    // The first use of the session bus connects and registers with it, a
    // round trip that would hang the window on a stuck bus: it is made on a
    // thread of its own, and everything after it is asynchronous.
    QThread *connector = QThread::create([] { QDBusConnection::sessionBus(); });
    connect(connector, &QThread::finished, connector, &QObject::deleteLater);
    connect(connector, &QThread::finished, this, [this] {
        QDBusConnection bus = QDBusConnection::sessionBus();
        if (!bus.isConnected()) {
            setAvailability(false, noPortalReason());
            return;
        }
        QDBusMessage get = QDBusMessage::createMethodCall(PortalService, PortalPath,
                                                          QStringLiteral("org.freedesktop.DBus.Properties"),
                                                          QStringLiteral("Get"));
        get << ScreenshotInterface << QStringLiteral("version");
        auto *call = new QDBusPendingCallWatcher(bus.asyncCall(get, PortalTimeout), this);
        connect(call, &QDBusPendingCallWatcher::finished, this, &TScreenPicker::portalVersionAnswered);
    });
    connector->start();
}

void TScreenPicker::portalVersionAnswered(QDBusPendingCallWatcher *call)
{
    call->deleteLater();
    const QDBusPendingReply<QDBusVariant> reply = *call;
    if (reply.isError()) {
        setAvailability(false, noPortalReason());
        return;
    }
    bool isNumber = false;
    const uint version = reply.value().variant().toUInt(&isNumber);
    if (isNumber && version >= PickColorVersion)
        setAvailability(true, QString());
    else
        setAvailability(false, noPickColorReason());
}

void TScreenPicker::startPortalPick(QWidget *window)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    // The portal answers on a Request object whose path it derives from our
    // unique name and a token of ours. Listening there before the call
    // means an answer that comes before the call's reply is not missed.
    const QString token = QStringLiteral("tintaro%1").arg(++m_requestCount);
    const QString sender = bus.baseService().mid(1).replace(QLatin1Char('.'), QLatin1Char('_'));
    m_requestPath = PortalPath + QStringLiteral("/request/") + sender + QLatin1Char('/') + token;
    // No sender is named: naming the portal's well-known name would make
    // QtDBus look up its owner with a blocking call. The path is ours alone.
    bus.connect(QString(), m_requestPath, RequestInterface, QStringLiteral("Response"), this,
                SLOT(portalResponse(uint, QVariantMap)));

    QDBusMessage pick = QDBusMessage::createMethodCall(PortalService, PortalPath, ScreenshotInterface,
                                                       QStringLiteral("PickColor"));
    pick << portalParentWindow(window) << QVariantMap{{QStringLiteral("handle_token"), token}};
    auto *call = new QDBusPendingCallWatcher(bus.asyncCall(pick, PortalTimeout), this);
    connect(call, &QDBusPendingCallWatcher::finished, this, &TScreenPicker::portalPickAnswered);
}

void TScreenPicker::portalPickAnswered(QDBusPendingCallWatcher *call)
{
    call->deleteLater();
    if (!m_picking || m_requestPath.isEmpty())
        return;
    const QDBusPendingReply<QDBusObjectPath> reply = *call;
    if (reply.isError()) {
        // A portal that cannot pick says so here; the button then says why.
        setAvailability(false, noPickColorReason());
        finish(std::nullopt);
        return;
    }
    const QString handle = reply.value().path();
    if (handle != m_requestPath) {
        // A portal older than the token scheme chose its own path.
        unsubscribePortal();
        m_requestPath = handle;
        QDBusConnection::sessionBus().connect(QString(), m_requestPath, RequestInterface,
                                              QStringLiteral("Response"), this,
                                              SLOT(portalResponse(uint, QVariantMap)));
    }
}

void TScreenPicker::portalResponse(uint response, const QVariantMap &results)
{
    if (!m_picking)
        return;
    // 0: the user picked a colour; 1: the user cancelled; 2: anything else.
    finish(response == 0 ? portalColor(results) : std::nullopt);
}

void TScreenPicker::unsubscribePortal()
{
    if (m_requestPath.isEmpty())
        return;
    QDBusConnection::sessionBus().disconnect(QString(), m_requestPath, RequestInterface, QStringLiteral("Response"),
                                             this, SLOT(portalResponse(uint, QVariantMap)));
    m_requestPath.clear();
}

void TScreenPicker::startGrab(QWidget *window)
{
    // A one-pixel window outside every screen holds the grabs: the X server
    // then sends every click and key to it, whichever window is under the
    // pointer, and shows its cross cursor all over the screen. It bypasses
    // the window manager, so it is mapped at once and never framed or raised.
    m_grabber = new QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::X11BypassWindowManagerHint
                                         | Qt::WindowDoesNotAcceptFocus);
    m_grabber->setObjectName(QStringLiteral("screenPickerGrab"));
    m_grabber->setCursor(Qt::CrossCursor);
    const QRect desktop = window && window->screen() ? window->screen()->virtualGeometry()
                                                      : QGuiApplication::primaryScreen()->virtualGeometry();
    m_grabber->setGeometry(QRect(desktop.topLeft() - QPoint(16, 16), QSize(1, 1)));
    m_grabber->installEventFilter(this);
    m_grabber->winId();
    // A modal chooser blocks input to every window that is not its own.
    if (window && window->window()->windowHandle())
        m_grabber->windowHandle()->setTransientParent(window->window()->windowHandle());
    m_grabber->show();

    m_pressed.reset();
    m_cancelPressed = false;
    m_grabTries = 0;
    if (!m_grabRetry) {
        m_grabRetry = new QTimer(this);
        m_grabRetry->setInterval(GrabRetryInterval);
        connect(m_grabRetry, &QTimer::timeout, this, &TScreenPicker::tryGrab);
    }
    m_grabRetry->start();
    tryGrab();
}

void TScreenPicker::tryGrab()
{
    QWindow *handle = m_grabber ? m_grabber->windowHandle() : nullptr;
    if (handle && handle->setMouseGrabEnabled(true)) {
        if (handle->setKeyboardGrabEnabled(true)) {
            m_grabRetry->stop();
            // The widget grabs as well, so that Qt routes what the X server
            // sends to this widget and not to the window under the pointer.
            m_grabber->grabMouse();
            m_grabber->grabKeyboard();
            return;
        }
        handle->setMouseGrabEnabled(false);
    }
    if (++m_grabTries >= GrabAttempts)
        finish(std::nullopt);  // another program holds the pointer or keyboard
}

bool TScreenPicker::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != m_grabber || !m_picking)
        return QObject::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::MouseButtonPress: {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        if (mouse->button() == Qt::LeftButton)
            readPixel(mouse->globalPosition());
        else if (mouse->button() == Qt::RightButton)
            m_cancelPressed = true;
        return true;
    }
    case QEvent::MouseButtonRelease: {
        // The grab is held until the button is up, so that the release does
        // not land on whatever window is under the pointer.
        const auto *mouse = static_cast<QMouseEvent *>(event);
        if (mouse->button() == Qt::LeftButton && m_pressed)
            finish(m_pressed);
        else if (mouse->button() == Qt::RightButton && m_cancelPressed)
            finish(std::nullopt);
        return true;
    }
    case QEvent::KeyPress:
        keyPressed(static_cast<QKeyEvent *>(event)->key());
        return true;
    case QEvent::KeyRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::Wheel:
        return true;
    default:
        return QObject::eventFilter(watched, event);
    }
}

void TScreenPicker::keyPressed(int key)
{
    // Without a mouse: the arrow keys move the pointer a pixel at a time,
    // and Enter or Space picks the pixel under it.
    QScreen *screen = m_grabber->screen();
    const QPoint pointer = QCursor::pos(screen);
    switch (key) {
    case Qt::Key_Escape:
        finish(std::nullopt);
        break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space:
        m_pressed.reset();
        readPixel(pointer);
        finish(m_pressed);
        break;
    case Qt::Key_Left:
        QCursor::setPos(screen, pointer + QPoint(-1, 0));
        break;
    case Qt::Key_Right:
        QCursor::setPos(screen, pointer + QPoint(1, 0));
        break;
    case Qt::Key_Up:
        QCursor::setPos(screen, pointer + QPoint(0, -1));
        break;
    case Qt::Key_Down:
        QCursor::setPos(screen, pointer + QPoint(0, 1));
        break;
    default:
        break;
    }
}

void TScreenPicker::readPixel(const QPointF &globalPosition)
{
    QScreen *screen = QGuiApplication::screenAt(globalPosition.toPoint());
    if (!screen)
        screen = m_grabber->screen();
    // Positions are device-independent; the screen keeps its corner in both
    // systems, so the device pixel under the pointer, from that corner, is:
    const qreal ratio = screen->devicePixelRatio();
    const QPoint corner = screen->geometry().topLeft();
    QPoint device = ((globalPosition - QPointF(corner)) * ratio).toPoint();
    // Qt rounds a click's position to whole device-independent pixels, so
    // above 100 % it may name a neighbour of the pixel clicked. The X server
    // still has the pointer where it was pressed, unless it has moved since.
    if (!qFuzzyCompare(ratio, 1.0)) {
        if (const auto pointer = pointerOnRoot(m_grabber->winId())) {
            const QPoint exact = *pointer - corner;
            if (qAbs(exact.x() - device.x()) <= ratio && qAbs(exact.y() - device.y()) <= ratio)
                device = exact;
        }
    }
    // grabWindow() takes device-independent coordinates from the screen's
    // corner and multiplies them by the ratio, rounding; the block it reads
    // starts at or before the pixel, which is then taken unscaled.
    const QPoint from(int(std::floor(device.x() / ratio)), int(std::floor(device.y() / ratio)));
    const QPoint fromDevice = QPoint(from) * ratio;
    const QImage block = screen->grabWindow(0, from.x(), from.y(), 2, 2).toImage();
    const QPoint at = device - fromDevice;
    if (!block.valid(at))
        return;
    const QRgb rgb = block.pixel(at);
    m_pressed = MakeColor(qRed(rgb), qGreen(rgb), qBlue(rgb));
}

void TScreenPicker::releaseGrab()
{
    if (m_grabRetry)
        m_grabRetry->stop();
    if (!m_grabber)
        return;
    m_grabber->releaseKeyboard();
    m_grabber->releaseMouse();
    if (QWindow *handle = m_grabber->windowHandle()) {
        handle->setKeyboardGrabEnabled(false);
        handle->setMouseGrabEnabled(false);
    }
    m_grabber->hide();
    // This may run inside the grab window's own event.
    m_grabber->deleteLater();
    m_grabber.clear();
}
