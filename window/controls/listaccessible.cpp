#include "listaccessible.h"

#include "accessiblecontrol.h"
#include "controls.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QHash>
#include <QPointer>

namespace {

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
        if (actionName == toggleAction() && isValid() && !BlockedByModal(m_list) && !isSelected())
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

} // namespace

QAccessibleInterface *CreateListBoxAccessible(TListBox *list)
{
    return new TListBoxAccessible(list);
}
