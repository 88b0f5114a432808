// The file list as a Qt table model: three columns over the rows of titora::FileList.
//
// Every command tells the views about its change once, not once per row, so that lists of
// a hundred thousand rows stay fast: added rows arrive as one insertion, rearranged or
// removed rows as one reset after which the selection that still stands is put back.
#pragma once

#include "file_list.h"

#include <QAbstractTableModel>
#include <string>
#include <vector>

class QItemSelectionModel;

class TFileListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { NameColumn, TitleColumn, FolderColumn, ColumnCount };

    explicit TFileListModel(QObject* parent = nullptr);

    const titora::FileList& Files() const { return files_; }
    bool FileSelected() const { return files_.FileSelected(); }
    void MarkSelectionChanged() { files_.MarkSelectionChanged(); }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    // Only the name is editable; whatever text the edit confirms, even none, becomes the
    // row's name, and later commands take it as the file's name.
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;

    // Add Files: one row per path, in order; on a failed read the rows built so far and the
    // failing file's name-only row are listed and the engine's error leaves this function.
    void AddFiles(const std::vector<std::string>& paths, const titora::TitleEngine& engine);
    // Title It on the rows `selection` holds selected (see FileList::RetitleSelected). The
    // rows that keep their place keep their selection, on success and on failure alike.
    void RetitleSelected(QItemSelectionModel* selection, const titora::TitleEncoder& encodeTitle,
                         const titora::TitleEngine& engine);
    void RemoveSelected(QItemSelectionModel* selection);
    void RemoveAll();

private:
    // Copies the view's selection into the rows' flags, and back after a reset.
    void TakeSelection(const QItemSelectionModel* selection);
    void RestoreSelection(QItemSelectionModel* selection) const;

    titora::FileList files_;
};
