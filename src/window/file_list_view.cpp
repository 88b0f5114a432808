#include "file_list_view.h"

#include "framework/accessible.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QFocusEvent>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QResizeEvent>
#include <QScrollBar>
#include <QStyledItemDelegate>

namespace {

// Gives `colours` the standard palette's `highlight` and `highlightedText` colours as its
// selection colours, in every colour group. Each colour is set on its own: a palette taken
// over whole carries no mark of being set, and a child would go on inheriting its parent's.
void SetSelectionColours(QPalette& colours, const QPalette& standard, QPalette::ColorRole highlight,
                         QPalette::ColorRole highlightedText) {
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        colours.setBrush(group, QPalette::Highlight, standard.brush(group, highlight));
        colours.setBrush(group, QPalette::HighlightedText, standard.brush(group, highlightedText));
    }
}

// The list hides its selection by painting it in the colours of any other row while it lacks
// the focus, and an editor opened in it inherits those colours. The name editor takes the focus
// as it opens, with its whole text selected; it gets the standard colours back so that the
// user sees that typing replaces the name.
class TNameDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override {
        QWidget* editor = QStyledItemDelegate::createEditor(parent, option, index);
        if (!editor)
            return nullptr;
        QPalette colours = editor->palette();
        SetSelectionColours(colours, QApplication::palette(editor), QPalette::Highlight,
                            QPalette::HighlightedText);
        editor->setPalette(colours);
        return editor;
    }
};

} // namespace

TFileListView::TFileListView(QWidget* parent) : QTreeView(parent) {
    setFrameShape(QFrame::NoFrame);
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setExpandsOnDoubleClick(false);
    setUniformRowHeights(true);
    setAllColumnsShowFocus(true);
    setSortingEnabled(false);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::SelectedClicked | QAbstractItemView::EditKeyPressed);
    setTextElideMode(Qt::ElideRight);
    setItemDelegate(new TNameDelegate(this));
    // Rows and columns without a hierarchy: a table, not the tree Qt would present.
    PresentAsTable(this);

    QHeaderView* columns = header();
    columns->setSectionsClickable(false);
    columns->setSectionsMovable(false);
    columns->setSortIndicatorShown(false);
    columns->setStretchLastSection(false);
    columns->setSectionResizeMode(QHeaderView::Interactive);
    columns->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);

    ShowSelection(false);
}

void TFileListView::setModel(QAbstractItemModel* model) {
    QTreeView::setModel(model);
    AutoSizeColumns();
}

QPoint TFileListView::KeyboardPopupPoint() const {
    // The first selected row is the topmost one; the selection's ranges give it without a
    // pass over every selected row.
    int first = -1;
    if (selectionModel()) {
        for (const QItemSelectionRange& range : selectionModel()->selection())
            if (first < 0 || range.top() < first)
                first = range.top();
    }
    if (first < 0)
        return mapToGlobal(QPoint(0, 0));
    // The corner of the row's rectangle: QRect::bottom() is its last line, one above.
    const QRect row = visualRect(model()->index(first, 0));
    return viewport()->mapToGlobal(QPoint(row.left(), row.bottom() + 1));
}

void TFileListView::resizeEvent(QResizeEvent* event) {
    QTreeView::resizeEvent(event);
    AutoSizeColumns();
}

void TFileListView::focusInEvent(QFocusEvent* event) {
    const bool hadCurrent = currentIndex().isValid();
    ShowSelection(true);
    QTreeView::focusInEvent(event);
    // Qt makes the first row current, unselected, when the list gets the focus without a
    // current row, so the first Down would select the second row. The list keeps no current
    // row until the keyboard or the mouse makes one, and the first Down selects the first row.
    if (!hadCurrent && selectionModel())
        selectionModel()->clearCurrentIndex();
}

void TFileListView::focusOutEvent(QFocusEvent* event) {
    // A pop-up menu opened over the list takes the focus only for its own time; the list
    // still counts as focused, as it did on the original platform.
    if (event->reason() != Qt::PopupFocusReason)
        ShowSelection(false);
    QTreeView::focusOutEvent(event);
}

void TFileListView::keyPressEvent(QKeyEvent* event) {
    const bool menuKey = event->key() == Qt::Key_Menu;
    const bool shiftF10 = event->key() == Qt::Key_F10 && event->modifiers() == Qt::ShiftModifier;
    if (menuKey || shiftF10) {
        event->accept();
        Popup(KeyboardPopupPoint());
        return;
    }
    QTreeView::keyPressEvent(event);
}

void TFileListView::mousePressEvent(QMouseEvent* event) {
    const QModelIndex pressed = indexAt(event->position().toPoint());
    pressOnSoleCurrentRow_ = false;
    if (pressed.isValid() && selectionModel() && currentIndex().row() == pressed.row()) {
        const QItemSelection selected = selectionModel()->selection();
        pressOnSoleCurrentRow_ = selected.size() == 1 && selected.first().top() == pressed.row() &&
                                 selected.first().bottom() == pressed.row();
    }
    QTreeView::mousePressEvent(event);
}

bool TFileListView::edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) {
    // Qt opens the editor on a click on any selected row, and the click then no longer
    // narrows a selection of several rows to the clicked one. Like the list control, the
    // list edits on a click only on the row that was already the only selected, current row.
    if (trigger == SelectedClicked && !pressOnSoleCurrentRow_)
        return false;
    return QTreeView::edit(index, trigger, event);
}

void TFileListView::contextMenuEvent(QContextMenuEvent* event) {
    event->accept();
    if (event->reason() == QContextMenuEvent::Mouse) {
        Popup(event->globalPos());
        return;
    }
    Popup(KeyboardPopupPoint());
}

void TFileListView::AutoSizeColumns() {
    if (!model())
        return;
    const int columns = header()->count();
    if (columns == 0)
        return;
    // The width is taken as the list had it when it was laid out, without a vertical scroll
    // bar that may have come up since: the columns do not shrink when one appears.
    const int client = contentsRect().width();
    const int each = client / columns;
    for (int column = 0; column < columns; ++column)
        header()->resizeSection(column, column == 0 ? each + client % columns : each);
}

void TFileListView::ShowSelection(bool show) {
    // Without the focus the selected rows look like any other row; the selection itself
    // stays and shows again when the focus comes back.
    QPalette colours = palette();
    SetSelectionColours(colours, QApplication::palette(this),
                        show ? QPalette::Highlight : QPalette::Base,
                        show ? QPalette::HighlightedText : QPalette::Text);
    setPalette(colours);
}

void TFileListView::Popup(const QPoint& globalPos) {
    if (popupMenu_)
        popupMenu_->popup(globalPos);
}
