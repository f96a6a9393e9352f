// Picking on X11: the pointer and keyboard are grabbed by a small window
// outside the screen, and the pixel under a left click is read from the X
// server.
#include "pointergrab.h"

#include <QCursor>
#include <QGuiApplication>
#include <QImage>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPixmap>
#include <QScreen>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#include <cstdlib>

#include <xcb/xcb.h>

namespace {

// Under a window manager the grab window may be mapped a little later than asked.
constexpr int GrabAttempts = 100;
constexpr int GrabRetryInterval = 10;

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

TPointerGrab::TPointerGrab(QObject *parent)
    : TPickBackend(parent)
{
}

void TPointerGrab::checkAvailability()
{
    emit availabilityChanged(true, QString());
}

void TPointerGrab::start(QWidget *window)
{
    m_running = true;
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
        connect(m_grabRetry, &QTimer::timeout, this, &TPointerGrab::tryGrab);
    }
    m_grabRetry->start();
    tryGrab();
}

void TPointerGrab::tryGrab()
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
        emit finished(std::nullopt);  // another program holds the pointer or keyboard
}

bool TPointerGrab::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != m_grabber || !m_running)
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
            emit finished(m_pressed);
        else if (mouse->button() == Qt::RightButton && m_cancelPressed)
            emit finished(std::nullopt);
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

void TPointerGrab::keyPressed(int key)
{
    // Without a mouse: the arrow keys move the pointer a pixel at a time,
    // and Enter or Space picks the pixel under it.
    QScreen *screen = m_grabber->screen();
    const QPoint pointer = QCursor::pos(screen);
    switch (key) {
    case Qt::Key_Escape:
        emit finished(std::nullopt);
        break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space:
        m_pressed.reset();
        readPixel(pointer);
        emit finished(m_pressed);
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

void TPointerGrab::readPixel(const QPointF &globalPosition)
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

void TPointerGrab::release()
{
    m_running = false;
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
