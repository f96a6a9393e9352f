#include "listbox.h"

#include "accessible.h"
#include "colour.h"

#include <QAccessible>
#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyleOptionViewItem>

static qint64 monotonicMilliseconds()
{
    static const QElapsedTimer timer = [] {
        QElapsedTimer t;
        t.start();
        return t;
    }();
    return timer.elapsed();
}

namespace {

void notifyAccessible(QWidget *list, QAccessible::Event kind, int row)
{
    if (QAccessible::isActive() && row >= 0) {
        QAccessibleEvent event(list, kind);
        event.setChild(row);
        QAccessible::updateAccessibility(&event);
    }
}

} // namespace

TListBox::TListBox(QWidget *parent)
    : QAbstractScrollArea(parent)
    , m_clock(monotonicMilliseconds)
{
    InstallControlAccessibility();
    // A long name is cut at the right edge, as the designed width allows.
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // The vertical bar counts rows: it scrolls by whole rows, as Qt's list
    // view does by default.
    verticalScrollBar()->setSingleStep(1);
    setFocusPolicy(Qt::StrongFocus);
}

void TListBox::setRows(std::vector<int> namedColorRows)
{
    m_rows = std::move(namedColorRows);
    m_rowHeight = 0;
    m_selected = -1;
    m_current = -1;
    m_pressed = -1;
    layOutRows();
    viewport()->update();
    if (QAccessible::isActive() && count() > 0) {
        QAccessibleTableModelChangeEvent inserted(this, QAccessibleTableModelChangeEvent::RowsInserted);
        inserted.setFirstRow(0);
        inserted.setLastRow(count() - 1);
        QAccessible::updateAccessibility(&inserted);
    }
}

QString TListBox::text(int row) const
{
    if (row < 0 || row >= count())
        return QString();
    const std::string_view name = NameOfRow(m_rows[std::size_t(row)]);
    return QString::fromUtf8(name.data(), qsizetype(name.size()));
}

void TListBox::setPaintRow(PaintRow paint)
{
    m_paintRow = std::move(paint);
    viewport()->update();
}

// The option as Qt's list view fills it for its delegate, before the state
// and the text of a row.
QStyleOptionViewItem TListBox::itemOption() const
{
    QStyleOptionViewItem option;
    option.initFrom(this);
    option.font = font();
    option.fontMetrics = QFontMetrics(font());
    const int icon = style()->pixelMetric(QStyle::PM_ListViewIconSize, nullptr, this);
    option.decorationSize = QSize(icon, icon);
    option.decorationPosition = QStyleOptionViewItem::Left;
    option.decorationAlignment = Qt::AlignCenter;
    option.displayAlignment = Qt::AlignLeft | Qt::AlignVCenter;
    option.textElideMode = Qt::ElideRight;
    option.features = QStyleOptionViewItem::HasDisplay;
    option.widget = this;
    return option;
}

int TListBox::rowHeight() const
{
    // Every row is one line of the same font, as high as the style makes
    // the first name's item.
    if (m_rowHeight == 0) {
        QStyleOptionViewItem option = itemOption();
        option.text = count() > 0 ? text(0) : QStringLiteral("X");
        m_rowHeight = qMax(1, style()->sizeFromContents(QStyle::CT_ItemViewItem, &option, QSize(), this).height());
    }
    return m_rowHeight;
}

int TListBox::rowsInView() const
{
    return qMax(1, viewport()->height() / rowHeight());
}

void TListBox::layOutRows()
{
    // The last scroll position puts the last row at the bottom of the
    // whole rows in view.
    QScrollBar *bar = verticalScrollBar();
    bar->setPageStep(rowsInView());
    bar->setRange(0, qMax(0, count() - viewport()->height() / rowHeight()));
}

QRect TListBox::rowRect(int row) const
{
    if (row < 0 || row >= count())
        return QRect();
    return QRect(0, (row - verticalScrollBar()->value()) * rowHeight(), viewport()->width(), rowHeight());
}

int TListBox::rowAt(const QPoint &point) const
{
    // Beyond the viewport's top or bottom edge lie the rows scrolled away:
    // a drag that leaves the list there selects them and so scrolls.
    if (point.x() < 0 || point.x() >= viewport()->width())
        return -1;
    const int y = point.y() + verticalScrollBar()->value() * rowHeight();
    if (y < 0)
        return -1;
    const int row = y / rowHeight();
    return row < count() ? row : -1;
}

void TListBox::scrollToRow(int row)
{
    if (row < 0 || row >= count())
        return;
    const QRect shown = viewport()->rect();
    const QRect rect = rowRect(row);
    if (rect.top() < shown.top())
        verticalScrollBar()->setValue(row);
    else if (rect.bottom() > shown.bottom())
        verticalScrollBar()->setValue(row - qMax(1, viewport()->height() / rowHeight()) + 1);
}

void TListBox::updateRow(int row)
{
    const QRect rect = rowRect(row);
    if (rect.isValid())
        viewport()->update(rect);
}

void TListBox::setCurrent(int row, bool scroll)
{
    if (row == m_current)
        return;
    updateRow(m_current);
    m_current = row;
    if (scroll && !m_autoScrollTimer.isActive())
        scrollToRow(row);
    updateRow(row);
    notifyAccessible(this, QAccessible::Focus, row);
}

bool TListBox::select(int row)
{
    if (row < 0 || row >= count())
        row = -1;
    if (row == m_selected)
        return false;
    const int previous = m_selected;
    m_selected = row;
    updateRow(previous);
    updateRow(row);
    notifyAccessible(this, QAccessible::SelectionAdd, row);
    notifyAccessible(this, QAccessible::SelectionRemove, previous);
    return true;
}

void TListBox::userSelect(int row)
{
    if (select(row))
        emit clickRaised();
}

void TListBox::setItemIndex(int row)
{
    if (row >= 0 && row < count()) {
        select(row);
        setCurrent(row, false);
        scrollToRow(row);
    } else {
        select(-1);
    }
}

void TListBox::selectRow(int row)
{
    if (row >= 0 && row < count())
        userSelect(row);
}

bool TListBox::event(QEvent *event)
{
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange) {
        m_rowHeight = 0;
        layOutRows();
    }
    return QAbstractScrollArea::event(event);
}

void TListBox::resizeEvent(QResizeEvent *event)
{
    QAbstractScrollArea::resizeEvent(event);
    layOutRows();
}

void TListBox::scrollContentsBy(int dx, int dy)
{
    // Scrolled by other means, the list no longer brings a pressed row
    // into view.
    m_delayedScroll.stop();
    // The bar counts rows; the rows still in view move as they are, and
    // only those that come into view are painted.
    viewport()->scroll(dx, dy * rowHeight());
}

void TListBox::focusInEvent(QFocusEvent *event)
{
    QAbstractScrollArea::focusInEvent(event);
    // Reached by the keyboard, the list marks its first row as the one the
    // arrow keys start from, without selecting or scrolling to it.
    if (m_current < 0 && count() > 0 && event->reason() != Qt::MouseFocusReason)
        setCurrent(0, false);
    viewport()->update();
}

void TListBox::focusOutEvent(QFocusEvent *event)
{
    QAbstractScrollArea::focusOutEvent(event);
    updateRow(m_current);
}

void TListBox::keyPressEvent(QKeyEvent *event)
{
    m_delayedScroll.stop();
    const bool command = event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
    if (!command && event->key() == Qt::Key_Backspace) {
        typeAhead(QString(), true);
        return;
    }
    const QString text = event->text();
    if (!command && !text.isEmpty() && text.at(0).isPrint()) {
        typeAhead(text, false);
        return;
    }

    // The rows the keys move to; a page is the whole rows in view less one,
    // so that the row moved from stays in sight. Without a current row any
    // of them goes to the first.
    const int last = count() - 1;
    const int page = qMax(1, viewport()->height() / rowHeight() - 1);
    bool move = true;
    int target = m_current;
    switch (event->key()) {
    case Qt::Key_Up: target = qMax(0, m_current - 1); break;
    case Qt::Key_Down: target = qMin(last, m_current + 1); break;
    case Qt::Key_PageUp: target = qMax(0, m_current - page); break;
    case Qt::Key_PageDown: target = qMin(last, m_current + page); break;
    case Qt::Key_Home: target = 0; break;
    case Qt::Key_End: target = last; break;
    default: move = false; break;
    }
    if (move && m_current < 0)
        target = count() > 0 ? 0 : -1;
    if (move && target >= 0 && target != m_current) {
        setCurrent(target, true);
        userSelect(target);
        event->accept();
        return;
    }
    if (event->key() == Qt::Key_Space && m_current >= 0) {
        // Ctrl+Space selects the current row.
        userSelect(m_current);
        event->accept();
        return;
    }
    if (event->matches(QKeySequence::SelectAll)) {
        event->accept();  // a single selection has nothing more to select
        return;
    }
    // Anything else, and a move that goes nowhere, goes on to the window.
    event->ignore();
}

void TListBox::paintEvent(QPaintEvent *event)
{
    QStyleOptionViewItem option = itemOption();
    option.state &= ~(QStyle::State_MouseOver | QStyle::State_HasFocus);
    option.showDecorationSelected = style()->styleHint(QStyle::SH_ItemView_ShowDecorationSelected, nullptr, this);
    option.locale = locale();
    option.locale.setNumberOptions(QLocale::OmitGroupSeparator);
    const QStyle::State state = option.state;
    const bool focus = (hasFocus() || viewport()->hasFocus()) && m_current >= 0;
    if (state & QStyle::State_Enabled)
        option.palette.setCurrentColorGroup(QPalette::Normal);

    QPainter painter(viewport());
    const QRect exposed = event->rect();
    const int first = verticalScrollBar()->value() + qMax(0, exposed.top()) / rowHeight();
    for (int row = first; row < count(); ++row) {
        const QRect rect = rowRect(row);
        if (rect.top() > exposed.bottom())
            break;
        option.rect = rect;
        option.state = state;
        if (row == m_selected)
            option.state |= QStyle::State_Selected;
        if (focus && row == m_current)
            option.state |= QStyle::State_HasFocus;
        option.text = text(row);
        if (m_paintRow)
            m_paintRow(&painter, option, m_rows[std::size_t(row)]);
        else
            style()->drawControl(QStyle::CE_ItemViewItem, &option, &painter, this);
    }
}

void TListBox::typeAhead(const QString &text, bool backspace)
{
    const qint64 now = m_clock();
    if (backspace) {
        m_prefix.chop(1);
        // Taking back every letter, or one more, goes back to the top.
        if (m_prefix.isEmpty()) {
            m_lastKeyTime = now;
            setItemIndex(0);
            emit clickRaised();
            return;
        }
    } else {
        if (!m_lastKeyTime || now - *m_lastKeyTime >= TypeAheadPause)
            m_prefix.clear();
        m_prefix += text;
    }
    // Backspace counts as a keystroke of the search, so typing on right
    // after it extends the shortened prefix.
    m_lastKeyTime = now;

    int found = -1;
    for (int row = 0; row < count(); ++row) {
        if (this->text(row).startsWith(m_prefix, Qt::CaseInsensitive)) {
            found = row;
            break;
        }
    }
    if (found < 0)
        return;
    setItemIndex(found);
    emit clickRaised();
}
