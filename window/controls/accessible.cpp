#include "accessible.h"

#include "controls.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QFontMetrics>
#include <QHash>
#include <QPointer>
#include <QStyle>
#include <QStyleOptionFrame>

#include <algorithm>
#include <cmath>

namespace {

// A slider as a value that an assistive technology may set.
class TScrollBarAccessible : public QAccessibleWidget, public QAccessibleValueInterface
{
public:
    explicit TScrollBarAccessible(TScrollBar *slider)
        : QAccessibleWidget(slider, QAccessible::ScrollBar)
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

    // Clamped as a number, before any conversion to int could wrap it; NaN
    // names no position at all.
    void setCurrentValue(const QVariant &value) override
    {
        bool ok = false;
        const double number = value.toDouble(&ok);
        if (!ok || std::isnan(number))
            return;
        const double clamped = std::clamp(number, double(slider()->minimum()), double(slider()->maximum()));
        slider()->setPosition(int(std::lround(clamped)));
    }

private:
    TScrollBar *slider() const { return static_cast<TScrollBar *>(widget()); }
};

// An edit box as text that an assistive technology reads, selects and
// edits; every offset is checked against the text first.
class TEditAccessible : public QAccessibleWidget,
                        public QAccessibleTextInterface,
                        public QAccessibleEditableTextInterface
{
public:
    explicit TEditAccessible(TEdit *edit)
        : QAccessibleWidget(edit, QAccessible::EditableText)
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
        if (selectionIndex == 0)
            edit()->deselect();
    }
    void setSelection(int selectionIndex, int startOffset, int endOffset) override
    {
        if (selectionIndex == 0 && isOffset(startOffset) && isOffset(endOffset))
            edit()->setSelection(startOffset, endOffset - startOffset);
    }

    int cursorPosition() const override { return edit()->cursorPosition(); }
    void setCursorPosition(int position) override
    {
        if (isOffset(position))
            edit()->setCursorPosition(position);
    }

    QString text(int startOffset, int endOffset) const override
    {
        if (!isRange(startOffset, endOffset))
            return QString();
        return edit()->text().mid(startOffset, endOffset - startOffset);
    }
    int characterCount() const override { return int(edit()->text().size()); }

    // Measured from the text's left edge as if the box had not scrolled: a
    // text wider than the box scrolls it, and the rectangles are then off
    // by the scrolled amount.
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
        if (!isRange(startIndex, endIndex))
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
        if (isRange(startOffset, endOffset))
            edit()->setText(edit()->text().remove(startOffset, endOffset - startOffset));
    }
    void insertText(int offset, const QString &text) override
    {
        if (isOffset(offset))
            edit()->setText(edit()->text().insert(offset, text));
    }
    void replaceText(int startOffset, int endOffset, const QString &text) override
    {
        if (isRange(startOffset, endOffset))
            edit()->setText(edit()->text().replace(startOffset, endOffset - startOffset, text));
    }

private:
    TEdit *edit() const { return static_cast<TEdit *>(widget()); }
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

// A panel is read as an image described by its colour, computed when an
// assistive technology asks rather than at every change.
class TPanelAccessible : public QAccessibleWidget
{
public:
    explicit TPanelAccessible(TPanel *panel)
        : QAccessibleWidget(panel, QAccessible::Graphic)
    {
    }

    QString text(QAccessible::Text kind) const override
    {
        if (kind == QAccessible::Description)
            return static_cast<const TPanel *>(widget())->description();
        return QAccessibleWidget::text(kind);
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
        if (actionName == toggleAction() && isValid() && !isSelected())
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
class TListBoxAccessible : public QAccessibleWidget, public QAccessibleTableInterface
{
public:
    explicit TListBoxAccessible(TListBox *list)
        : QAccessibleWidget(list, QAccessible::List)
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
    bool selectRow(int row) override { return isRow(row) && TListRowAccessible::selectRow(list(), row); }
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

// Keyed on the types, not on class names: a renamed control keeps its
// interface.
QAccessibleInterface *controlAccessible(const QString &, QObject *object)
{
    if (auto *slider = qobject_cast<TScrollBar *>(object))
        return new TScrollBarAccessible(slider);
    if (auto *edit = qobject_cast<TEdit *>(object))
        return new TEditAccessible(edit);
    if (auto *list = qobject_cast<TListBox *>(object))
        return new TListBoxAccessible(list);
    if (auto *panel = qobject_cast<TPanel *>(object))
        return new TPanelAccessible(panel);
    return nullptr;
}

} // namespace

void InstallControlAccessibility()
{
    static const bool installed = (QAccessible::installFactory(controlAccessible), true);
    Q_UNUSED(installed);
}
