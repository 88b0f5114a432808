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
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    // Each column gets the client width divided by three, the first also the remainder.
    void AutoSizeColumns();
    void ShowSelection(bool show);
    void Popup(const QPoint& globalPos);

    QMenu* popupMenu_ = nullptr;
};
