// The control layer: thin wrappers around Qt widgets that give the window's
// handlers exactly the behaviour they rely on. A slider clamps a position
// before storing it and notifies synchronously only on a real change; the
// list raises its click notification after every selection change the user
// makes and never for one made from code; a panel is filled with a TColor.
// The layers above hand down what the controls call up to: the panels'
// description and copy menu, and the check for an exception that a handler
// left inside a setter.
#pragma once

#include "colour.h"

#include <QAbstractScrollArea>
#include <QBasicTimer>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>

#include <functional>
#include <optional>
#include <vector>

class QStyleOptionViewItem;

/// The system button-face colour as a symbolic TColor: negative, with the
/// system colour index 15 in its low byte.
inline constexpr TColor clBtnFace = TColor(0x8000000F);

/// A TColor resolved to plain red-green-blue: a non-negative value is
/// returned unchanged, a symbolic system colour is replaced by the current
/// palette's colour: the button face for clBtnFace (the only one the
/// program uses), the window colour for any other.
TColor ColorToRGB(TColor color);

/// The colour's components as a QColor, the top byte ignored.
inline QColor ToQColor(TColor color)
{
    return QColor(GetRValue(color), GetGValue(color), GetBValue(color));
}

/// "#RRGGBB" (ColorToHtml) as a QString.
inline QString ToHtmlText(TColor color)
{
    return QString::fromStdString(ColorToHtml(color));
}

/// Given once by the application layer: runs after every control setter
/// whose Qt call may have run a handler through a signal, and raises there
/// an exception that the handler left. Nothing runs until it is given.
void SetAfterSignalCheck(std::function<void()> check);

class TScrollBar : public QScrollBar
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TScrollBar)

public:
    explicit TScrollBar(QWidget *parent);

    int position() const { return value(); }
    /// Clamps to 0 .. 255, then raises changed() before returning, and only
    /// when the stored position really changes. An exception that left the
    /// change handler is raised again here (SetAfterSignalCheck).
    void setPosition(int position);

signals:
    void changed();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
};

class TPanel : public QFrame
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TPanel)

public:
    explicit TPanel(QWidget *parent);

    /// The colour as set: a system colour stays symbolic.
    TColor color() const { return m_color; }
    void setColor(TColor color);
    /// The colour as the panel shows it: a system colour resolved.
    TColor rgb() const { return ColorToRGB(m_color); }

    /// What a panel offers beyond its fill, given by the swatch layer: the
    /// description of its colour and the copy menu at a point on the screen.
    using Describe = std::function<QString(TColor rgb)>;
    using CopyMenu = std::function<void(TColor rgb, const QPoint &globalPos, QWidget *parent)>;
    void setFeatures(Describe describe, CopyMenu copyMenu);

    /// The colour as the tooltip shows it and an assistive technology reads
    /// it: "#FFD700 gold · 白 1.4:1 · 黒 15.0:1"; empty without features.
    QString description() const;

protected:
    bool event(QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    /// The copy menu of the panel's own colour.
    void contextMenuEvent(QContextMenuEvent *event) override;

private:
    TColor m_color = clBtnFace;
    Describe m_describe;
    CopyMenu m_copyMenu;
};

/// Plain static text that sizes itself to its text: the size follows each
/// new text before the next paint, once however often the text changed.
class TLabel : public QLabel
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TLabel)

public:
    explicit TLabel(QWidget *parent);

    /// Sets the text, and the size to fit it before the next paint.
    void setCaption(const QString &text);

    /// Lets the user select the text with the mouse and copy it.
    void setSelectable(bool selectable);

protected:
    bool event(QEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;

private:
    void startSelecting();

    bool m_selectable = false;
};

class TEdit : public QLineEdit
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TEdit)

public:
    explicit TEdit(QWidget *parent);

    /// Sets the text, laying it out only when it really changes. An exception
    /// that left a handler of the change is raised again here
    /// (SetAfterSignalCheck).
    void changeText(const QString &text);
};

/// A push button that Enter and Return press too, as Space does.
class TButton : public QPushButton
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TButton)

public:
    explicit TButton(QWidget *parent);

protected:
    void keyPressEvent(QKeyEvent *event) override;
};

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
