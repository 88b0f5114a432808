#include "framework/accessible_table.h"

#include <QAbstractItemView>
#include <QAccessible>
#include <QAccessibleWidget>
#include <QHash>
#include <QHeaderView>
#include <QPointer>
#include <QTableView>
#include <QTreeView>

namespace {

QHeaderView* ColumnHeader(const QAbstractItemView* view) {
    if (const auto* tree = qobject_cast<const QTreeView*>(view))
        return tree->header();
    if (const auto* table = qobject_cast<const QTableView*>(view))
        return table->horizontalHeader();
    return nullptr;
}

// One cell, or with row -1 one column header. Cells are made when assistive technology first
// asks for them and belong to Qt's accessibility cache; the table forgets them when the model
// changes its shape.
class TCellAccessible : public QAccessibleInterface, public QAccessibleTableCellInterface {
public:
    TCellAccessible(QAbstractItemView* view, int row, int column)
        : view_(view), row_(row), column_(column) {}

    bool isValid() const override {
        const QAbstractItemModel* model = view_ ? view_->model() : nullptr;
        return model && row_ < model->rowCount(view_->rootIndex()) &&
               column_ < model->columnCount(view_->rootIndex());
    }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override {
        const QAccessibleInterface* owner = table();
        return owner ? owner->window() : nullptr;
    }
    QAccessibleInterface* parent() const override { return table(); }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }

    QString text(QAccessible::Text t) const override {
        if (!isValid() || t != QAccessible::Name)
            return QString();
        if (row_ < 0)
            return view_->model()->headerData(column_, Qt::Horizontal).toString();
        const QModelIndex index = Index();
        const QVariant spoken = index.data(Qt::AccessibleTextRole);
        return spoken.isValid() ? spoken.toString() : index.data().toString();
    }
    void setText(QAccessible::Text, const QString&) override {}

    QRect rect() const override {
        if (!isValid())
            return QRect();
        if (row_ < 0) {
            const QHeaderView* header = ColumnHeader(view_);
            if (!header || header->isHidden())
                return QRect();
            const QRect section(header->sectionViewportPosition(column_), 0,
                                header->sectionSize(column_), header->height());
            return section.translated(header->viewport()->mapToGlobal(QPoint(0, 0)));
        }
        return view_->visualRect(Index()).translated(view_->viewport()->mapToGlobal(QPoint(0, 0)));
    }
    QAccessible::Role role() const override {
        return row_ < 0 ? QAccessible::ColumnHeader : QAccessible::Cell;
    }
    QAccessible::State state() const override {
        QAccessible::State s;
        if (!isValid()) {
            s.invalid = true;
            return s;
        }
        // A cell shows through the viewport, a column header above it.
        const QWidget* area = row_ < 0 ? static_cast<QWidget*>(view_) : view_->viewport();
        const QRect shown = area->rect().translated(area->mapToGlobal(QPoint(0, 0)));
        s.invisible = !view_->isVisible();
        s.offscreen = !rect().intersects(shown);
        if (row_ < 0)
            return s;
        s.selectable = view_->selectionMode() != QAbstractItemView::NoSelection;
        s.selected = isSelected();
        s.focusable = view_->focusPolicy() != Qt::NoFocus;
        s.focused = view_->hasFocus() && view_->currentIndex() == Index();
        return s;
    }
    void* interface_cast(QAccessible::InterfaceType t) override {
        if (t == QAccessible::TableCellInterface)
            return static_cast<QAccessibleTableCellInterface*>(this);
        return nullptr;
    }

    bool isSelected() const override {
        return row_ >= 0 && isValid() && view_->selectionModel() &&
               view_->selectionModel()->isSelected(Index());
    }
    QList<QAccessibleInterface*> columnHeaderCells() const override {
        const QAccessibleInterface* owner = table();
        if (row_ < 0 || !owner)
            return {};
        return {owner->child(column_)};
    }
    QList<QAccessibleInterface*> rowHeaderCells() const override { return {}; }
    int columnIndex() const override { return column_; }
    int rowIndex() const override { return row_; }
    int columnExtent() const override { return 1; }
    int rowExtent() const override { return 1; }
    QAccessibleInterface* table() const override {
        return QAccessible::queryAccessibleInterface(view_.data());
    }

private:
    QModelIndex Index() const { return view_->model()->index(row_, column_, view_->rootIndex()); }

    QPointer<QAbstractItemView> view_;
    int row_;
    int column_;
};

class TTableAccessible : public QAccessibleWidget, public QAccessibleTableInterface {
public:
    explicit TTableAccessible(QAbstractItemView* view)
        : QAccessibleWidget(view, QAccessible::Table) {}
    ~TTableAccessible() override { ForgetCells(); }

    void* interface_cast(QAccessible::InterfaceType t) override {
        if (t == QAccessible::TableInterface)
            return static_cast<QAccessibleTableInterface*>(this);
        return QAccessibleWidget::interface_cast(t);
    }

    // The children are the header row and the cells, not the view's scroll bars and viewport.
    int childCount() const override { return (rowCount() + 1) * columnCount(); }
    QAccessibleInterface* child(int index) const override {
        const int columns = columnCount();
        if (index < 0 || columns == 0 || index >= childCount())
            return nullptr;
        const auto known = cells_.constFind(index);
        if (known != cells_.constEnd())
            return QAccessible::accessibleInterface(*known);
        auto* cell = new TCellAccessible(View(), index / columns - 1, index % columns);
        cells_.insert(index, QAccessible::registerAccessibleInterface(cell));
        return cell;
    }
    int indexOfChild(const QAccessibleInterface* child) const override {
        const QAccessibleTableCellInterface* cell =
            child ? const_cast<QAccessibleInterface*>(child)->tableCellInterface() : nullptr;
        if (!cell || child->parent() != this)
            return -1;
        return (cell->rowIndex() + 1) * columnCount() + cell->columnIndex();
    }
    QAccessibleInterface* childAt(int x, int y) const override {
        const QPoint at = View()->viewport()->mapFromGlobal(QPoint(x, y));
        const QModelIndex index = View()->indexAt(at);
        return index.isValid() ? cellAt(index.row(), index.column()) : nullptr;
    }
    QAccessibleInterface* focusChild() const override {
        const QModelIndex current = View()->currentIndex();
        if (!View()->hasFocus() || !current.isValid())
            return nullptr;
        return cellAt(current.row(), current.column());
    }

    QAccessibleInterface* caption() const override { return nullptr; }
    QAccessibleInterface* summary() const override { return nullptr; }
    QAccessibleInterface* cellAt(int row, int column) const override {
        if (row < 0 || column < 0 || row >= rowCount() || column >= columnCount())
            return nullptr;
        return child((row + 1) * columnCount() + column);
    }
    int selectedCellCount() const override { return SelectedIndexes().size(); }
    QList<QAccessibleInterface*> selectedCells() const override {
        QList<QAccessibleInterface*> cells;
        for (const QModelIndex& index : SelectedIndexes())
            cells << cellAt(index.row(), index.column());
        return cells;
    }
    QString columnDescription(int column) const override {
        const QAbstractItemModel* model = View()->model();
        return model ? model->headerData(column, Qt::Horizontal).toString() : QString();
    }
    QString rowDescription(int) const override { return QString(); }
    int selectedColumnCount() const override { return 0; }
    int selectedRowCount() const override { return selectedRows().size(); }
    int columnCount() const override {
        const QAbstractItemModel* model = View()->model();
        return model ? model->columnCount(View()->rootIndex()) : 0;
    }
    int rowCount() const override {
        const QAbstractItemModel* model = View()->model();
        return model ? model->rowCount(View()->rootIndex()) : 0;
    }
    QList<int> selectedColumns() const override { return {}; }
    QList<int> selectedRows() const override {
        QList<int> rows;
        if (View()->selectionModel())
            for (const QModelIndex& index : View()->selectionModel()->selectedRows())
                rows << index.row();
        return rows;
    }
    bool isColumnSelected(int) const override { return false; }
    bool isRowSelected(int row) const override {
        return View()->selectionModel() &&
               View()->selectionModel()->isRowSelected(row, View()->rootIndex());
    }
    bool selectRow(int row) override { return SelectRow(row, QItemSelectionModel::Select); }
    bool unselectRow(int row) override { return SelectRow(row, QItemSelectionModel::Deselect); }
    bool selectColumn(int) override { return false; }
    bool unselectColumn(int) override { return false; }

    // Any change of the model's shape moves cells to other indices; they are made anew.
    void modelChange(QAccessibleTableModelChangeEvent*) override { ForgetCells(); }

private:
    QAbstractItemView* View() const { return static_cast<QAbstractItemView*>(widget()); }

    QModelIndexList SelectedIndexes() const {
        return View()->selectionModel() ? View()->selectionModel()->selectedIndexes()
                                        : QModelIndexList();
    }

    bool SelectRow(int row, QItemSelectionModel::SelectionFlag how) {
        QItemSelectionModel* selection = View()->selectionModel();
        if (!selection || row < 0 || row >= rowCount() ||
            View()->selectionMode() == QAbstractItemView::NoSelection)
            return false;
        const QModelIndex index = View()->model()->index(row, 0, View()->rootIndex());
        selection->select(index, how | QItemSelectionModel::Rows);
        return true;
    }

    void ForgetCells() {
        for (const QAccessible::Id id : std::as_const(cells_))
            QAccessible::deleteAccessibleInterface(id);
        cells_.clear();
    }

    mutable QHash<int, QAccessible::Id> cells_;
};

} // namespace

QAccessibleInterface* NewAccessibleTable(QAbstractItemView* view) {
    return new TTableAccessible(view);
}
