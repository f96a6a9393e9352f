// The name list's mouse: presses, double clicks, drags that select and the
// scrolling of a drag near the list's edges, as Qt's list view has them.
#include "listbox.h"

#include <QApplication>
#include <QMouseEvent>
#include <QScrollBar>

namespace {

// Qt's item views: a drag that nears an edge by this much scrolls, one row
// more each step up to a page, every 150 ms while scrolling by rows.
constexpr int AutoScrollMargin = 16;
constexpr int AutoScrollInterval = 150;

} // namespace

void TListBox::pressAt(const QPoint &point, Qt::MouseButton button)
{
    m_delayedScroll.stop();
    const int row = rowAt(point);
    m_pressed = row;
    // A press beside the rows selects what the release is on: nothing
    // there, so a click on the space below the last row empties the
    // selection, as in Qt's list view.
    m_pressedBesideRows = row < 0;
    if (row < 0)
        return;
    // The row under the pointer is not scrolled to while it is pressed; a
    // row cut at the edge comes into view a moment later, unless the press
    // was the first of a double click. Ctrl+click does not empty a
    // single-selection list: it keeps one row selected once the user has
    // picked one.
    setCurrent(row, false);
    const bool changed = select(row);
    m_delayedScroll.start(QApplication::doubleClickInterval() + 100, this);
    // A click on the row that is already selected changes no selection, but
    // it is still a pick: it brings that row's colour back after the
    // sliders have moved away from it.
    if (changed || button == Qt::LeftButton)
        emit clickRaised();
}

void TListBox::mousePressEvent(QMouseEvent *event)
{
    pressAt(event->position().toPoint(), event->button());
}

void TListBox::mouseDoubleClickEvent(QMouseEvent *event)
{
    // The second press of a double click on the row just pressed raises
    // nothing more; on another row it is a press of its own.
    const int row = rowAt(event->position().toPoint());
    if (row < 0 || row != m_pressed) {
        pressAt(event->position().toPoint(), event->button());
        return;
    }
    m_delayedScroll.stop();
    m_pressed = -1;
}

void TListBox::mouseMoveEvent(QMouseEvent *event)
{
    // Dragging with the left button selects the row under the pointer.
    const QPoint point = event->position().toPoint();
    const int row = rowAt(point);
    if (!(event->buttons() & Qt::LeftButton) || row < 0)
        return;
    m_dragSelecting = true;
    userSelect(row);
    const QRect area = viewport()->rect();
    const bool nearEdge = point.y() - area.top() < AutoScrollMargin || area.bottom() - point.y() < AutoScrollMargin
        || point.x() - area.left() < AutoScrollMargin || area.right() - point.x() < AutoScrollMargin;
    if (row != m_current) {
        setCurrent(row, true);
    } else if (nearEdge && !m_autoScrollTimer.isActive()) {
        m_autoScrollCount = 0;
        m_autoScrollTimer.start(AutoScrollInterval, this);
    }
}

void TListBox::mouseReleaseEvent(QMouseEvent *event)
{
    m_dragSelecting = false;
    m_autoScrollTimer.stop();
    if (m_pressedBesideRows) {
        m_pressedBesideRows = false;
        userSelect(rowAt(event->position().toPoint()));
    }
}

void TListBox::autoScroll()
{
    QScrollBar *bar = verticalScrollBar();
    if (m_autoScrollCount < bar->pageStep())
        ++m_autoScrollCount;
    const int before = bar->value();
    const QPoint point = viewport()->mapFromGlobal(QCursor::pos());
    const QRect area = viewport()->rect();
    if (point.y() - area.top() < AutoScrollMargin)
        bar->setValue(before - m_autoScrollCount);
    else if (area.bottom() - point.y() < AutoScrollMargin)
        bar->setValue(before + m_autoScrollCount);
    if (bar->value() == before) {
        m_autoScrollTimer.stop();
        return;
    }
    if (m_dragSelecting) {
        // The row that has come under the pointer is selected, as a move
        // there would.
        const QPoint global = viewport()->mapToGlobal(point);
        QMouseEvent move(QEvent::MouseMove, point, window()->mapFromGlobal(global), global, Qt::NoButton,
                         Qt::LeftButton, QGuiApplication::keyboardModifiers(), Qt::MouseEventSynthesizedByQt);
        QCoreApplication::sendEvent(viewport(), &move);
    }
}

void TListBox::timerEvent(QTimerEvent *event)
{
    if (event->timerId() == m_autoScrollTimer.timerId()) {
        autoScroll();
    } else if (event->timerId() == m_delayedScroll.timerId()) {
        m_delayedScroll.stop();
        if (m_pressed >= 0 && m_pressed == m_current)
            scrollToRow(m_pressed);
    } else {
        QAbstractScrollArea::timerEvent(event);
    }
}
