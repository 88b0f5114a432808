// The file list as a Qt table model: three columns over the rows of titora::FileList.
//
// Every command tells the views about its change once, not once per row, so that lists of
// a hundred thousand rows stay fast: added rows arrive as one insertion, rearranged or
// removed rows as one reset after which the selection that still stands is put back.
//
// The commands that read or write files hand that part of their work to a runner, which may
// run it on another thread. The work never touches the model's own rows: Add Files builds
// new rows apart and Title It works on a copy, and the model takes the result in on its own
// thread once the work has ended. Meanwhile the views go on painting the rows as they were.
#pragma once

#include "file_list.h"
#include "title_checks.h"

#include <functional>
#include <QAbstractTableModel>
#include <string>
#include <vector>

class QItemSelectionModel;

// What Check Titles found: the checker with one page per row that has a title, and the
// findings, each with the row it is about.
struct TTitleCheck {
    titora::TitleChecker checker{titora::TitleCheckOptions{}};
    std::vector<titora::TitleFinding> findings;
    std::vector<int> rows; // the row of each of the checker's pages
};

// The part of a command that touches files, given the progress to count and to watch.
using TWork = std::function<void(titora::Progress& progress)>;
// Runs `work` and returns once it has ended; a failure of the work leaves the runner.
using TWorkRunner = std::function<void(const TWork& work)>;
// The runner that runs the work at once on the calling thread.
void RunHere(const TWork& work);

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
    // On a stop the rows built so far are listed.
    void AddFiles(const std::vector<std::string>& paths, const titora::TitleEngine& engine,
                  const TWorkRunner& run = RunHere);
    // Dropped files and folders: a row per page (see titora::AppendPageRows), listed even
    // when the work stops or fails. Returns the paths that could not be read.
    std::vector<std::string> AddPages(const std::vector<std::string>& paths,
                                      const titora::TitleEngine& engine,
                                      const TWorkRunner& run = RunHere);
    // Title It on the rows `selection` holds selected (see FileList::RetitleSelected). The
    // rows that keep their place keep their selection, on success and on failure alike.
    void RetitleSelected(QItemSelectionModel* selection, const titora::TitleEncoder& encodeTitle,
                         const titora::TitleEngine& engine, const TWorkRunner& run = RunHere,
                         const titora::WriteOptions& options = {});
    // The indexes of the rows `selection` holds selected, in order.
    std::vector<std::size_t> SelectedRows(const QItemSelectionModel* selection) const;
    // Gives row `index` the title read anew, in place.
    void SetTitle(std::size_t index, titora::PageTitle title);
    void RemoveSelected(QItemSelectionModel* selection);
    void RemoveAll();

    // Check Titles on every row that has a title, each page read once through
    // titora::ReadTitleElements; a page that cannot be read now is left out. On a stop the
    // pages read so far are checked. The title cells of rows with findings show a mark, and
    // the findings as their hint (FindingsHint), until the list changes.
    TTitleCheck CheckTitles(const titora::TitleCheckOptions& options,
                            const TWorkRunner& run = RunHere);
    // The findings of the last check about `row`, one line each ("too-long: 72 characters,
    // more than 60"); empty when it has none.
    QString FindingsHint(int row) const;
    // Whether any row shows a mark of the last check.
    bool HasMarks() const { return !marks_.empty(); }

private:
    // Lists rows built apart, as one insertion at the end.
    void AppendRows(std::vector<titora::FileRow>&& rows);
    // Copies the view's selection into the rows' flags, and back after a reset.
    void TakeSelection(const QItemSelectionModel* selection);
    void RestoreSelection(QItemSelectionModel* selection) const;
    // Takes the marks of the last check away, before the rows change under them.
    void ClearMarks();

    titora::FileList files_;
    // The hint of each row's title mark, by row; empty when no check has marked the rows
    // as they are.
    std::vector<QString> marks_;
};
