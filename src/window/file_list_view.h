// The file list's view: a report list with column headers, several rows selectable by whole
// rows, the selection drawn only while the list has the focus, the name cell editable in
// place, and a pop-up menu that the keyboard opens at the first selected row.
#pragma once

#include <QPoint>
#include <QTreeView>

class QMenu;

class TFileListView : public QTreeView {
    Q_OBJECT
public:
    explicit TFileListView(QWidget* parent = nullptr);

    void setModel(QAbstractItemModel* model) override;
    using QTreeView::edit;

    // The menu the right mouse button and the Menu key (or Shift+F10) open.
    void SetPopupMenu(QMenu* menu) { popupMenu_ = menu; }
    QMenu* PopupMenu() const { return popupMenu_; }

    // Where the keyboard opens the pop-up menu, in global coordinates: the bottom-left corner
    // of the first selected row, or the list's top-left corner when no row is selected.
    QPoint KeyboardPopupPoint() const;

protected:
    void resizeEvent(QResizeEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    bool edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    // Each column gets the client width divided by three, the first also the remainder.
    void AutoSizeColumns();
    void ShowSelection(bool show);
    void Popup(const QPoint& globalPos);

    QMenu* popupMenu_ = nullptr;
    // Whether the last press was on the one selected row that is also the current row: only
    // a click there opens the name editor.
    bool pressOnSoleCurrentRow_ = false;
};
