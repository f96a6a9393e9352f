#include "accessible.h"

#include "controls.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QApplication>
#include <QFontMetrics>
#include <QHash>
#include <QLineEdit>
#include <QPointer>
#include <QSpinBox>
#include <QStyle>
#include <QStyleOptionFrame>

#include <algorithm>
#include <cmath>
#include <optional>

namespace {

// Qt keeps the keys and the mouse from a window behind a modal dialog, but
// an assistive technology calls the interfaces directly: each one that acts
// asks first whether a modal dialog of another window is open.
bool blockedByModal(const QWidget *widget)
{
    const QWidget *modal = QApplication::activeModalWidget();
    if (!modal || !widget)
        return false;
    const QWidget *window = widget->window();
    // The modal dialog itself, and the windows it owns, take input.
    for (const QWidget *owner = window; owner; owner = owner->parentWidget())
        if (owner == modal)
            return false;
    if (modal->windowModality() != Qt::WindowModal)
        return true;
    // A window-modal dialog blocks only the windows that own it.
    for (const QWidget *owner = modal->parentWidget(); owner; owner = owner->parentWidget())
        if (owner->window() == window)
            return true;
    return false;
}

// A control whose actions (focus, menu, its own) do nothing while a modal
// dialog holds its window.
class TControlAccessible : public QAccessibleWidget
{
public:
    using QAccessibleWidget::QAccessibleWidget;

    void doAction(const QString &actionName) override
    {
        if (acts())
            QAccessibleWidget::doAction(actionName);
    }

protected:
    bool acts() const { return !blockedByModal(widget()); }
};

// A number asked for as a double, clamped before any conversion to int
// could wrap it; NaN names no number at all.
std::optional<int> clampedNumber(const QVariant &value, int minimum, int maximum)
{
    bool ok = false;
    const double number = value.toDouble(&ok);
    if (!ok || std::isnan(number))
        return std::nullopt;
    return int(std::lround(std::clamp(number, double(minimum), double(maximum))));
}

// A slider as a value that an assistive technology may set.
class TScrollBarAccessible : public TControlAccessible, public QAccessibleValueInterface
{
public:
    explicit TScrollBarAccessible(TScrollBar *slider)
        : TControlAccessible(slider, QAccessible::ScrollBar)
    {
    }

    void *interface_cast(QAccessible::InterfaceType type) override
    {
        if (type == QAccessible::ValueInterface)
            return static_cast<QAccessibleValueInterface *>(this);
        return QAccessibleWidget::interface_cast(type);
    }

    QString text(QAccessible::Text kind) const override
    {
        if (kind == QAccessible::Value)
            return QString::number(slider()->position());
        return QAccessibleWidget::text(kind);
    }

    QVariant currentValue() const override { return slider()->position(); }
    QVariant maximumValue() const override { return slider()->maximum(); }
    QVariant minimumValue() const override { return slider()->minimum(); }
    QVariant minimumStepSize() const override { return slider()->singleStep(); }

    void setCurrentValue(const QVariant &value) override
    {
        if (!acts())
            return;
        if (const auto position = clampedNumber(value, slider()->minimum(), slider()->maximum()))
            slider()->setPosition(*position);
    }

private:
    TScrollBar *slider() const { return static_cast<TScrollBar *>(widget()); }
};

// An edit box as text that an assistive technology reads, selects and
// edits; every offset is checked against the text first. Qt's own would pad
// the text with spaces up to any offset it is given, up to 2^31 - 1.
class TEditAccessible : public TControlAccessible,
                        public QAccessibleTextInterface,
                        public QAccessibleEditableTextInterface
{
public:
    explicit TEditAccessible(QLineEdit *edit)
        : TControlAccessible(edit, QAccessible::EditableText)
    {
    }

    void *interface_cast(QAccessible::InterfaceType type) override
    {
        if (type == QAccessible::TextInterface)
            return static_cast<QAccessibleTextInterface *>(this);
        if (type == QAccessible::EditableTextInterface)
            return static_cast<QAccessibleEditableTextInterface *>(this);
        return QAccessibleWidget::interface_cast(type);
    }

    QString text(QAccessible::Text kind) const override
    {
        if (kind == QAccessible::Value)
            return edit()->text();
        return QAccessibleWidget::text(kind);
    }

    void setText(QAccessible::Text kind, const QString &text) override
    {
        if (!acts())
            return;
        if (kind == QAccessible::Value)
            edit()->setText(text);
        else
            QAccessibleWidget::setText(kind, text);
    }

    QAccessible::State state() const override
    {
        QAccessible::State state = QAccessibleWidget::state();
        state.editable = !edit()->isReadOnly();
        state.readOnly = edit()->isReadOnly();
        state.selectableText = true;
        return state;
    }

    void selection(int selectionIndex, int *startOffset, int *endOffset) const override
    {
        *startOffset = *endOffset = 0;
        if (selectionIndex == 0 && edit()->hasSelectedText()) {
            *startOffset = edit()->selectionStart();
            *endOffset = edit()->selectionEnd();
        }
    }
    int selectionCount() const override { return edit()->hasSelectedText() ? 1 : 0; }
    void addSelection(int startOffset, int endOffset) override { setSelection(0, startOffset, endOffset); }
    void removeSelection(int selectionIndex) override
    {
        if (selectionIndex == 0 && acts())
            edit()->deselect();
    }
    void setSelection(int selectionIndex, int startOffset, int endOffset) override
    {
        if (selectionIndex == 0 && acts() && isOffset(startOffset) && isOffset(endOffset))
            edit()->setSelection(startOffset, endOffset - startOffset);
    }

    int cursorPosition() const override { return edit()->cursorPosition(); }
    void setCursorPosition(int position) override
    {
        if (acts() && isOffset(position))
            edit()->setCursorPosition(position);
    }

    QString text(int startOffset, int endOffset) const override
    {
        if (!isRange(startOffset, endOffset))
            return QString();
        return edit()->text().mid(startOffset, endOffset - startOffset);
    }
    int characterCount() const override { return int(edit()->text().size()); }

    // Measured from the text's left edge, where a box shows the text the
    // program sets in it.
    QRect characterRect(int offset) const override
    {
        if (!isRange(offset, offset + 1))
            return QRect();
        const QFontMetrics metrics(edit()->font());
        const QString text = edit()->text();
        const QRect inside = textArea();
        const int left = inside.left() + metrics.horizontalAdvance(text.left(offset));
        const QRect local(left, inside.top(), metrics.horizontalAdvance(text.at(offset)), inside.height());
        return QRect(edit()->mapToGlobal(local.topLeft()), local.size());
    }
    int offsetAtPoint(const QPoint &point) const override
    {
        const QPoint local = edit()->mapFromGlobal(point);
        return edit()->rect().contains(local) ? edit()->cursorPositionAt(local) : -1;
    }
    void scrollToSubstring(int startIndex, int endIndex) override
    {
        if (!acts() || !isRange(startIndex, endIndex))
            return;
        edit()->setCursorPosition(endIndex);
        edit()->setCursorPosition(startIndex);
    }
    QString attributes(int offset, int *startOffset, int *endOffset) const override
    {
        *startOffset = *endOffset = offset;
        return QString();
    }

    void deleteText(int startOffset, int endOffset) override
    {
        if (acts() && isRange(startOffset, endOffset))
            edit()->setText(edit()->text().remove(startOffset, endOffset - startOffset));
    }
    void insertText(int offset, const QString &text) override
    {
        if (acts() && isOffset(offset))
            edit()->setText(edit()->text().insert(offset, text));
    }
    void replaceText(int startOffset, int endOffset, const QString &text) override
    {
        if (acts() && isRange(startOffset, endOffset))
            edit()->setText(edit()->text().replace(startOffset, endOffset - startOffset, text));
    }

private:
    QLineEdit *edit() const { return static_cast<QLineEdit *>(widget()); }
    bool isOffset(int offset) const { return offset >= 0 && offset <= characterCount(); }
    bool isRange(int start, int end) const { return isOffset(start) && isOffset(end) && start <= end; }

    QRect textArea() const
    {
        QStyleOptionFrame option;
        option.initFrom(edit());
        option.lineWidth = edit()->hasFrame() ? edit()->style()->pixelMetric(QStyle::PM_DefaultFrameWidth) : 0;
        return edit()->style()->subElementRect(QStyle::SE_LineEditContents, &option, edit());
    }
};

class TListBoxAccessible;

// One row of the list, as a cell of a one-column table.
class TListRowAccessible : public QAccessibleInterface,
                           public QAccessibleTableCellInterface,
                           public QAccessibleActionInterface
{
public:
    TListRowAccessible(TListBox *list, int row)
        : m_list(list)
        , m_row(row)
    {
    }

    bool isValid() const override { return m_list && m_row < m_list->count(); }
    QObject *object() const override { return nullptr; }
    QWindow *window() const override { return m_list ? m_list->window()->windowHandle() : nullptr; }
    QAccessibleInterface *parent() const override { return QAccessible::queryAccessibleInterface(m_list); }
    QAccessibleInterface *child(int) const override { return nullptr; }
    QAccessibleInterface *childAt(int, int) const override { return nullptr; }
    QAccessibleInterface *focusChild() const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface *) const override { return -1; }
    QAccessible::Role role() const override { return QAccessible::ListItem; }
    void setText(QAccessible::Text, const QString &) override {}

    QString text(QAccessible::Text kind) const override
    {
        if (!isValid() || (kind != QAccessible::Name && kind != QAccessible::Value))
            return QString();
        return m_list->item(m_row)->text();
    }

    QRect rect() const override
    {
        if (!isValid())
            return QRect();
        QRect area = m_list->visualRect(index());
        area.translate(m_list->viewport()->mapToGlobal(QPoint(0, 0)));
        return area;
    }

    QAccessible::State state() const override
    {
        QAccessible::State state;
        if (!isValid())
            return state;
        const QRect shown(m_list->viewport()->mapToGlobal(QPoint(0, 0)), m_list->viewport()->size());
        state.invisible = !shown.intersects(rect());
        state.selectable = true;
        state.focusable = true;
        state.selected = isSelected();
        state.focused = m_list->hasFocus() && m_list->currentIndex() == index();
        return state;
    }

    void *interface_cast(QAccessible::InterfaceType type) override
    {
        if (type == QAccessible::TableCellInterface)
            return static_cast<QAccessibleTableCellInterface *>(this);
        if (type == QAccessible::ActionInterface)
            return static_cast<QAccessibleActionInterface *>(this);
        return nullptr;
    }

    bool isSelected() const override
    {
        return isValid() && m_list->selectionModel()->isRowSelected(m_row, m_list->rootIndex());
    }
    QList<QAccessibleInterface *> columnHeaderCells() const override { return {}; }
    QList<QAccessibleInterface *> rowHeaderCells() const override { return {}; }
    int columnIndex() const override { return 0; }
    int rowIndex() const override { return m_row; }
    int columnExtent() const override { return 1; }
    int rowExtent() const override { return 1; }
    QAccessibleInterface *table() const override { return parent(); }

    // Toggling a row of a single-selection list that keeps one row selected
    // selects it.
    QStringList actionNames() const override { return {toggleAction()}; }
    QStringList keyBindingsForAction(const QString &) const override { return {}; }
    void doAction(const QString &actionName) override
    {
        if (actionName == toggleAction() && isValid() && !blockedByModal(m_list) && !isSelected())
            selectRow(m_list, m_row);
    }

    static bool selectRow(TListBox *list, int row)
    {
        list->selectionModel()->select(list->model()->index(row, 0, list->rootIndex()),
                                       QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        return true;
    }

private:
    QModelIndex index() const { return m_list->model()->index(m_row, 0, m_list->rootIndex()); }

    QPointer<TListBox> m_list;
    int m_row;
};

// The list as a one-column table whose rows are the names; its children are
// the rows, made when first asked for and kept until the list goes.
class TListBoxAccessible : public TControlAccessible, public QAccessibleTableInterface
{
public:
    explicit TListBoxAccessible(TListBox *list)
        : TControlAccessible(list, QAccessible::List)
    {
    }

    ~TListBoxAccessible() override { forgetRows(); }

    void *interface_cast(QAccessible::InterfaceType type) override
    {
        if (type == QAccessible::TableInterface)
            return static_cast<QAccessibleTableInterface *>(this);
        return QAccessibleWidget::interface_cast(type);
    }

    int childCount() const override { return rowCount(); }
    QAccessibleInterface *child(int index) const override { return cellAt(index, 0); }
    int indexOfChild(const QAccessibleInterface *child) const override
    {
        for (auto it = m_rows.cbegin(); it != m_rows.cend(); ++it)
            if (QAccessible::accessibleInterface(it.value()) == child)
                return it.key();
        return -1;
    }
    QAccessibleInterface *childAt(int x, int y) const override
    {
        const QModelIndex index = list()->indexAt(list()->viewport()->mapFromGlobal(QPoint(x, y)));
        return index.isValid() ? child(index.row()) : nullptr;
    }
    QAccessibleInterface *focusChild() const override
    {
        const QModelIndex current = list()->currentIndex();
        return list()->hasFocus() && current.isValid() ? child(current.row()) : nullptr;
    }

    QAccessibleInterface *caption() const override { return nullptr; }
    QAccessibleInterface *summary() const override { return nullptr; }
    QAccessibleInterface *cellAt(int row, int column) const override
    {
        if (!isRow(row) || column != 0)
            return nullptr;
        auto id = m_rows.constFind(row);
        if (id == m_rows.cend())
            id = m_rows.insert(row, QAccessible::registerAccessibleInterface(new TListRowAccessible(list(), row)));
        return QAccessible::accessibleInterface(id.value());
    }
    int selectedCellCount() const override { return selectedRowCount(); }
    QList<QAccessibleInterface *> selectedCells() const override
    {
        QList<QAccessibleInterface *> cells;
        for (int row : selectedRows())
            cells << cellAt(row, 0);
        return cells;
    }
    QString columnDescription(int) const override { return QString(); }
    QString rowDescription(int) const override { return QString(); }
    int selectedColumnCount() const override { return int(selectedColumns().size()); }
    int selectedRowCount() const override { return int(selectedRows().size()); }
    int columnCount() const override { return 1; }
    int rowCount() const override { return list()->count(); }
    QList<int> selectedColumns() const override
    {
        return rowCount() > 0 && selectedRowCount() == rowCount() ? QList<int>{0} : QList<int>{};
    }
    QList<int> selectedRows() const override
    {
        QList<int> rows;
        for (const QModelIndex &index : list()->selectionModel()->selectedRows())
            rows << index.row();
        return rows;
    }
    bool isColumnSelected(int column) const override { return column == 0 && !selectedColumns().isEmpty(); }
    bool isRowSelected(int row) const override
    {
        return isRow(row) && list()->selectionModel()->isRowSelected(row, list()->rootIndex());
    }
    bool selectRow(int row) override { return acts() && isRow(row) && TListRowAccessible::selectRow(list(), row); }
    bool selectColumn(int) override { return false; }
    // A single-selection list keeps its one selected row.
    bool unselectRow(int) override { return false; }
    bool unselectColumn(int) override { return false; }
    void modelChange(QAccessibleTableModelChangeEvent *) override { forgetRows(); }

private:
    TListBox *list() const { return static_cast<TListBox *>(widget()); }
    bool isRow(int row) const { return row >= 0 && row < rowCount(); }

    void forgetRows()
    {
        for (QAccessible::Id id : std::as_const(m_rows))
            QAccessible::deleteAccessibleInterface(id);
        m_rows.clear();
    }

    mutable QHash<int, QAccessible::Id> m_rows;
};

// A push button that an assistive technology presses; the click comes from
// the event loop, so that the call returns before a modal dialog it opens.
class TButtonAccessible : public TControlAccessible
{
public:
    explicit TButtonAccessible(QAbstractButton *button)
        : TControlAccessible(button, QAccessible::Button)
    {
    }

    QString text(QAccessible::Text kind) const override
    {
        if (kind == QAccessible::Name && button()->accessibleName().isEmpty())
            return QString(button()->text()).remove(QLatin1Char('&'));
        return TControlAccessible::text(kind);
    }

    QStringList actionNames() const override { return QStringList(pressAction()) + TControlAccessible::actionNames(); }
    QStringList keyBindingsForAction(const QString &) const override { return {}; }
    void doAction(const QString &actionName) override
    {
        if (!acts() || !button()->isEnabled())
            return;
        if (actionName == pressAction())
            button()->animateClick();
        else
            TControlAccessible::doAction(actionName);
    }

private:
    QAbstractButton *button() const { return static_cast<QAbstractButton *>(widget()); }
};

// A number box as a value, its text as its line edit's (checked the same
// way), and a step up and down. Qt's own converts any value it is sent to
// int, so that 1e308 or 2^40 becomes 0.
class TSpinBoxAccessible : public TControlAccessible,
                           public QAccessibleValueInterface,
                           public QAccessibleTextInterface,
                           public QAccessibleEditableTextInterface
{
public:
    explicit TSpinBoxAccessible(QSpinBox *box)
        : TControlAccessible(box, QAccessible::SpinBox)
    {
    }

    void *interface_cast(QAccessible::InterfaceType type) override
    {
        if (type == QAccessible::ValueInterface)
            return static_cast<QAccessibleValueInterface *>(this);
        if (type == QAccessible::TextInterface && line())
            return static_cast<QAccessibleTextInterface *>(this);
        if (type == QAccessible::EditableTextInterface && line())
            return static_cast<QAccessibleEditableTextInterface *>(this);
        return TControlAccessible::interface_cast(type);
    }

    // The line edit is part of the box, not a child of its own.
    int childCount() const override { return 0; }
    QAccessibleInterface *child(int) const override { return nullptr; }
    QAccessibleInterface *childAt(int, int) const override { return nullptr; }
    int indexOfChild(const QAccessibleInterface *) const override { return -1; }

    QString text(QAccessible::Text kind) const override
    {
        if (kind == QAccessible::Value)
            return box()->text();
        return TControlAccessible::text(kind);
    }

    QAccessible::State state() const override
    {
        QAccessible::State state = TControlAccessible::state();
        state.editable = !box()->isReadOnly();
        state.readOnly = box()->isReadOnly();
        return state;
    }

    QVariant currentValue() const override { return box()->value(); }
    QVariant maximumValue() const override { return box()->maximum(); }
    QVariant minimumValue() const override { return box()->minimum(); }
    QVariant minimumStepSize() const override { return box()->singleStep(); }
    void setCurrentValue(const QVariant &value) override
    {
        if (!acts())
            return;
        if (const auto number = clampedNumber(value, box()->minimum(), box()->maximum()))
            box()->setValue(*number);
    }

    QStringList actionNames() const override
    {
        return QStringList{QAccessibleActionInterface::increaseAction(), QAccessibleActionInterface::decreaseAction()}
            + TControlAccessible::actionNames();
    }
    void doAction(const QString &actionName) override
    {
        if (!acts())
            return;
        if (actionName == QAccessibleActionInterface::increaseAction())
            box()->stepUp();
        else if (actionName == QAccessibleActionInterface::decreaseAction())
            box()->stepDown();
        else
            TControlAccessible::doAction(actionName);
    }

    // The text, read and edited through the line edit's own interface.
    void selection(int index, int *start, int *end) const override { lineText()->selection(index, start, end); }
    int selectionCount() const override { return lineText()->selectionCount(); }
    void addSelection(int start, int end) override { lineText()->addSelection(start, end); }
    void removeSelection(int index) override { lineText()->removeSelection(index); }
    void setSelection(int index, int start, int end) override { lineText()->setSelection(index, start, end); }
    int cursorPosition() const override { return lineText()->cursorPosition(); }
    void setCursorPosition(int position) override { lineText()->setCursorPosition(position); }
    QString text(int start, int end) const override { return lineText()->text(start, end); }
    int characterCount() const override { return lineText()->characterCount(); }
    QRect characterRect(int offset) const override { return lineText()->characterRect(offset); }
    int offsetAtPoint(const QPoint &point) const override { return lineText()->offsetAtPoint(point); }
    void scrollToSubstring(int start, int end) override { lineText()->scrollToSubstring(start, end); }
    QString attributes(int offset, int *start, int *end) const override { return lineText()->attributes(offset, start, end); }
    void deleteText(int start, int end) override { editable()->deleteText(start, end); }
    void insertText(int offset, const QString &inserted) override { editable()->insertText(offset, inserted); }
    void replaceText(int start, int end, const QString &replaced) override { editable()->replaceText(start, end, replaced); }

private:
    QSpinBox *box() const { return static_cast<QSpinBox *>(widget()); }
    QLineEdit *line() const { return box()->findChild<QLineEdit *>(); }
    QAccessibleInterface *lineInterface() const { return QAccessible::queryAccessibleInterface(line()); }
    QAccessibleTextInterface *lineText() const { return lineInterface()->textInterface(); }
    QAccessibleEditableTextInterface *editable() const { return lineInterface()->editableTextInterface(); }
};

QAccessibleInterface *controlAccessible(const QString &className, QObject *object)
{
    if (!object || !object->isWidgetType())
        return nullptr;
    if (className == QLatin1String("TScrollBar"))
        return new TScrollBarAccessible(static_cast<TScrollBar *>(object));
    // Every line edit and number box of the program, the chooser's too.
    if (className == QLatin1String("QLineEdit"))
        return new TEditAccessible(static_cast<QLineEdit *>(object));
    if (className == QLatin1String("QSpinBox"))
        return new TSpinBoxAccessible(static_cast<QSpinBox *>(object));
    if (className == QLatin1String("TListBox"))
        return new TListBoxAccessible(static_cast<TListBox *>(object));
    if (className == QLatin1String("TButton"))
        return new TButtonAccessible(static_cast<TButton *>(object));
    return nullptr;
}

} // namespace

void InstallControlAccessibility()
{
    static const bool installed = (QAccessible::installFactory(controlAccessible), true);
    Q_UNUSED(installed);
}
