#include "placement.h"

#include "colorchooser.h"

#include <QApplication>
#include <QScreen>
#include <QTimerEvent>
#include <QWindow>

QPoint ChooserPosition(const QRect &monitor, const QSize &chooser)
{
    // C++ integer division rounds toward zero, also for a chooser larger
    // than the monitor.
    return {monitor.left() + (monitor.width() - chooser.width()) / 2,
            monitor.top() + (monitor.height() - chooser.height()) / 3};
}

void TColorChooser::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    m_monitor = QRect();
    place();
    m_frameChecks = 0;
    m_frameTimer.start(FrameCheckInterval, this);
}

void TColorChooser::timerEvent(QTimerEvent *event)
{
    if (event->timerId() != m_frameTimer.timerId()) {
        QDialog::timerEvent(event);
        return;
    }
    // No event tells when a window manager has framed the chooser, so the
    // frame is looked for a few times after it is shown. Once it is there the
    // position is asked for once more, even where Qt believes it holds: a
    // window manager that framed the chooser late may have kept its own.
    if (!isVisible() || ++m_frameChecks >= FrameChecks) {
        m_frameTimer.stop();
        return;
    }
    const bool framed = frameGeometry() != geometry();
    place(framed);
    if (framed)
        m_frameTimer.stop();
}

bool TColorChooser::event(QEvent *event)
{
    const bool handled = QDialog::event(event);
    // Where the window manager offers to minimise the chooser all the same,
    // it comes straight back: minimised, it would hide the whole program
    // behind a modal dialog that nobody can reach.
    if (event->type() == QEvent::WindowStateChange && (windowState() & Qt::WindowMinimized)) {
        setWindowState(windowState() & ~Qt::WindowMinimized);
        activateWindow();
    }
    // A window manager adds its frame after the first placement, and Qt
    // learns its size only when asked: when the chooser has moved or been
    // activated, the outer rectangle is placed again if it is not in place.
    if ((event->type() == QEvent::Move || event->type() == QEvent::WindowActivate) && isVisible())
        place();
    return handled;
}

void TColorChooser::place(bool again)
{
    // Placed on the whole monitor of the active window (or of the owner)
    // when the chooser starts, its work area aside; only the position changes.
    if (m_monitor.isEmpty()) {
        const QWidget *anchor = QApplication::activeWindow() && QApplication::activeWindow() != this
            ? QApplication::activeWindow()
            : parentWidget();
        const QScreen *screen = anchor ? anchor->screen() : this->screen();
        if (!screen)
            return;
        m_monitor = screen->geometry();
    }
    const QRect frame = frameGeometry();
    const QPoint target = ChooserPosition(m_monitor, frame.size());
    if (again && windowHandle())
        windowHandle()->setFramePosition(target);
    else if (frame.topLeft() != target)
        move(target);
}
