// The name list: rows of the named-colour table painted by the list itself
// with the style's item-view primitives, so no item model or item view is
// built for 147 rows of text.
#pragma once

#include <QAbstractScrollArea>
#include <QBasicTimer>
#include <QString>

#include <functional>
#include <vector>

class QStyleOptionViewItem;

/// A single-selection list of named-colour rows with type-ahead, drawn row
/// by row with the style's own item-view primitives: it looks and behaves as
/// Qt's list view does, without an item model behind it. clickRaised()
/// follows every selection change the user makes (mouse, keys, an assistive
/// technology) and every type-ahead search that finds a row; setItemIndex()
/// raises nothing.
class TListBox : public QAbstractScrollArea
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TListBox)

public:
    /// Milliseconds on a monotonic clock; replaceable so that the type-ahead
    /// pause can be tested without waiting.
    using Clock = std::function<qint64()>;
    /// Paints one row as the layer above wants it; the option is filled as
    /// Qt's list view fills it for its delegate (rect, text, state, palette,
    /// font). Without one a row is the style's plain item-view item.
    using PaintRow = std::function<void(QPainter *painter, const QStyleOptionViewItem &option, int namedColorRow)>;

    /// Characters further apart than this start a new search prefix.
    static constexpr qint64 TypeAheadPause = 500;

    explicit TListBox(QWidget *parent);

    /// The rows, each a row number of NamedColors, shown by its name.
    void setRows(std::vector<int> namedColorRows);
    int count() const { return int(m_rows.size()); }
    QString text(int row) const;
    void setPaintRow(PaintRow paint);

    /// The selected row, or -1 while nothing is selected.
    int itemIndex() const { return m_selected; }
    void setItemIndex(int row);
    /// Selects the row as an assistive technology does: the current row
    /// (the focus mark) stays where it is, and clickRaised() follows a
    /// change.
    void selectRow(int row);
    /// The row the keys move from and the focus mark is drawn on; -1 before
    /// there is one.
    int currentRow() const { return m_current; }

    /// The row's place in the viewport's coordinates (outside the viewport
    /// while scrolled away), an empty rectangle for no row.
    QRect rowRect(int row) const;
    /// The row at a point in the viewport's coordinates (a row scrolled away
    /// lies beyond its edges), or -1.
    int rowAt(const QPoint &point) const;
    /// Scrolls the least that shows the whole row.
    void scrollToRow(int row);

    QString searchPrefix() const { return m_prefix; }
    void setClock(Clock clock) { m_clock = std::move(clock); }

signals:
    void clickRaised();

protected:
    bool event(QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void timerEvent(QTimerEvent *event) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    QStyleOptionViewItem itemOption() const;
    int rowHeight() const;
    int rowsInView() const;
    void layOutRows();
    void updateRow(int row);
    void setCurrent(int row, bool scroll);
    /// Selects the row (or nothing for -1); true when the selection changed.
    bool select(int row);
    void userSelect(int row);
    void pressAt(const QPoint &point, Qt::MouseButton button);
    void autoScroll();
    void typeAhead(const QString &text, bool backspace);

    std::vector<int> m_rows;
    PaintRow m_paintRow;
    mutable int m_rowHeight = 0;  // 0 until the font and style are known
    int m_selected = -1;
    int m_current = -1;
    int m_pressed = -1;
    bool m_pressedBesideRows = false;
    bool m_dragSelecting = false;
    int m_autoScrollCount = 0;
    QBasicTimer m_autoScrollTimer;
    QBasicTimer m_delayedScroll;
    Clock m_clock;
    QString m_prefix;
    std::optional<qint64> m_lastKeyTime;
};
