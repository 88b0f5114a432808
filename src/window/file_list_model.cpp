#include "file_list_model.h"

#include "finally.h"
#include "shown_title.h"
#include "title_text.h"

#include <algorithm>
#include <QColor>
#include <QItemSelectionModel>
#include <QPainter>
#include <QPixmap>
#include <QString>
#include <utility>

namespace {

// Names and folders are bytes in the system's code page; only the screen needs them
// decoded. A title is decoded in the encoding its page declares.
QString Show(const std::string& bytes) {
    return QString::fromLocal8Bit(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

// The mark in the title cell of a row with findings: a small amber disc with a white
// bar, drawn once; small enough to leave the title readable beside it.
const QPixmap& FindingsMark() {
    static const QPixmap mark = [] {
        constexpr int kSize = 10;
        QPixmap pixmap(kSize, kSize);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(0xE0, 0x8A, 0x00));
        painter.drawEllipse(0, 0, kSize, kSize);
        painter.fillRect(4, 2, 2, 4, Qt::white);
        painter.fillRect(4, 7, 2, 1, Qt::white);
        return pixmap;
    }();
    return mark;
}

} // namespace

void RunHere(const TWork& work) {
    titora::Progress progress;
    work(progress);
}

TFileListModel::TFileListModel(QObject* parent) : QAbstractTableModel(parent) {}

int TFileListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(files_.Count());
}

int TFileListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant TFileListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid())
        return QVariant();
    if (role == Qt::DecorationRole || role == Qt::ToolTipRole) {
        const QString hint = index.column() == TitleColumn ? FindingsHint(index.row()) : QString();
        if (hint.isEmpty())
            return QVariant();
        return role == Qt::ToolTipRole ? QVariant(hint) : QVariant(FindingsMark());
    }
    if (role != Qt::DisplayRole && role != Qt::EditRole)
        return QVariant();
    const titora::FileRow& row = files_.Row(static_cast<std::size_t>(index.row()));
    switch (index.column()) {
    case NameColumn:
        return Show(row.name);
    case TitleColumn:
        return row.hasSubItems ? titora::DecodeTitle(row.title, row.declaredEncoding) : QString();
    case FolderColumn:
        return row.hasSubItems ? Show(row.folder) : QString();
    default:
        return QVariant();
    }
}

QVariant TFileListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QVariant();
    switch (section) {
    case NameColumn:
        return QStringLiteral("File Name");
    case TitleColumn:
        return QStringLiteral("Title");
    case FolderColumn:
        return QStringLiteral("File Path");
    default:
        return QVariant();
    }
}

Qt::ItemFlags TFileListModel::flags(const QModelIndex& index) const {
    if (!index.isValid())
        return Qt::NoItemFlags;
    Qt::ItemFlags flags = Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemNeverHasChildren;
    if (index.column() == NameColumn)
        flags |= Qt::ItemIsEditable;
    return flags;
}

bool TFileListModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (!index.isValid() || index.column() != NameColumn || role != Qt::EditRole)
        return false;
    const QByteArray name = value.toString().toLocal8Bit();
    ClearMarks();
    files_.SetName(static_cast<std::size_t>(index.row()), name.toStdString());
    Q_EMIT dataChanged(index, index, {Qt::DisplayRole, Qt::EditRole});
    return true;
}

void TFileListModel::AppendRows(std::vector<titora::FileRow>&& rows) {
    if (rows.empty())
        return;
    ClearMarks();
    const int first = rowCount();
    beginInsertRows(QModelIndex(), first, first + static_cast<int>(rows.size()) - 1);
    files_.Append(std::move(rows));
    endInsertRows();
}

void TFileListModel::AddFiles(const std::vector<std::string>& paths,
                              const titora::TitleEngine& engine, const TWorkRunner& run) {
    std::vector<titora::FileRow> fresh;
    const titora::Finally announce([&] { AppendRows(std::move(fresh)); });
    run([&](titora::Progress& progress) {
        titora::AppendFileRows(paths, engine, fresh, &progress);
    });
}

std::vector<std::string> TFileListModel::AddPages(const std::vector<std::string>& paths,
                                                  const titora::TitleEngine& engine,
                                                  const TWorkRunner& run) {
    std::vector<titora::FileRow> fresh;
    std::vector<std::string> skipped;
    const titora::Finally announce([&] { AppendRows(std::move(fresh)); });
    run([&](titora::Progress& progress) {
        titora::AppendPageRows(paths, engine, fresh, skipped, &progress);
    });
    return skipped;
}

void TFileListModel::RetitleSelected(QItemSelectionModel* selection,
                                     const titora::TitleEncoder& encodeTitle,
                                     const titora::TitleEngine& engine, const TWorkRunner& run,
                                     const titora::WriteOptions& options) {
    TakeSelection(selection);
    // The work rearranges a copy, so that the views can go on painting the rows as they
    // were; the copy takes their place in one reset at the very end.
    titora::FileList working = files_;
    const titora::Finally announce([&] {
        ClearMarks();
        beginResetModel();
        files_ = std::move(working);
        endResetModel();
        RestoreSelection(selection);
    });
    run([&](titora::Progress& progress) {
        working.RetitleSelected(encodeTitle, engine, &progress, options);
    });
}

std::vector<std::size_t> TFileListModel::SelectedRows(const QItemSelectionModel* selection) const {
    std::vector<std::size_t> rows;
    for (const QItemSelectionRange& range : selection->selection())
        for (int row = range.top(); row <= range.bottom(); ++row)
            rows.push_back(static_cast<std::size_t>(row));
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    return rows;
}

void TFileListModel::SetTitle(std::size_t index, titora::PageTitle title) {
    files_.SetTitle(index, std::move(title));
    Q_EMIT dataChanged(this->index(static_cast<int>(index), TitleColumn),
                       this->index(static_cast<int>(index), TitleColumn));
}

void TFileListModel::RemoveSelected(QItemSelectionModel* selection) {
    TakeSelection(selection);
    const std::vector<titora::FileRow>& rows = files_.Rows();
    std::size_t first = rows.size(), last = 0, count = 0;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (!rows[i].selected)
            continue;
        first = std::min(first, i);
        last = i;
        ++count;
    }
    if (count == 0)
        return;
    ClearMarks();
    // One block of rows is an ordinary removal, which keeps the view's scroll position and
    // current row; scattered rows would cost the view a pass over all rows per block, so
    // they go in one reset. Either way no selected row remains.
    if (last - first + 1 == count) {
        beginRemoveRows(QModelIndex(), static_cast<int>(first), static_cast<int>(last));
        files_.RemoveSelected();
        endRemoveRows();
        return;
    }
    beginResetModel();
    files_.RemoveSelected();
    endResetModel();
}

void TFileListModel::RemoveAll() {
    if (files_.Count() == 0)
        return;
    ClearMarks();
    beginResetModel();
    files_.RemoveAll();
    endResetModel();
}

void TFileListModel::TakeSelection(const QItemSelectionModel* selection) {
    for (std::size_t i = 0; i < files_.Count(); ++i)
        files_.SetSelected(i, false);
    for (const QItemSelectionRange& range : selection->selection())
        for (int row = range.top(); row <= range.bottom(); ++row)
            files_.SetSelected(static_cast<std::size_t>(row), true);
}

void TFileListModel::RestoreSelection(QItemSelectionModel* selection) const {
    // Runs of selected rows become one range each, so that the selection model's work stays
    // proportional to the number of runs.
    QItemSelection runs;
    const std::vector<titora::FileRow>& rows = files_.Rows();
    for (std::size_t i = 0; i < rows.size();) {
        if (!rows[i].selected) {
            ++i;
            continue;
        }
        std::size_t end = i;
        while (end + 1 < rows.size() && rows[end + 1].selected)
            ++end;
        runs.append(QItemSelectionRange(index(static_cast<int>(i), 0),
                                        index(static_cast<int>(end), ColumnCount - 1)));
        i = end + 1;
    }
    if (!runs.isEmpty())
        selection->select(runs, QItemSelectionModel::Select);
}

TTitleCheck TFileListModel::CheckTitles(const titora::TitleCheckOptions& options,
                                        const TWorkRunner& run) {
    // The work reads copies of the paths and fills a list of its own: the rows stay the
    // model's, on its thread.
    std::vector<std::string> paths;
    std::vector<int> rows;
    for (std::size_t i = 0; i < files_.Count(); ++i) {
        if (!files_.Row(i).hasSubItems)
            continue;
        paths.push_back(titora::FullPath(files_.Row(i)));
        rows.push_back(static_cast<int>(i));
    }
    std::vector<titora::PageTitles> pages(paths.size());
    std::vector<bool> read(paths.size(), false);
    run([&](titora::Progress& progress) {
        progress.Start(paths.size());
        for (std::size_t i = 0; i < paths.size() && !titora::StopRequested(&progress); ++i) {
            try {
                pages[i] =
                    titora::ExamineTitles(titora::ReadTitleElements(paths[i]), titora::ShownTitle);
                read[i] = true;
            } catch (const titora::TitleEngineError&) {
                // A page gone or locked since it was listed has no titles to check.
            }
            progress.Step();
        }
    });

    TTitleCheck check{titora::TitleChecker(options), {}, {}};
    for (std::size_t i = 0; i < paths.size(); ++i) {
        if (!read[i])
            continue;
        check.checker.Add(paths[i], std::move(pages[i]));
        check.rows.push_back(rows[i]);
    }
    check.findings = check.checker.Findings();

    ClearMarks();
    if (check.findings.empty())
        return check;
    marks_.assign(files_.Count(), QString());
    for (const titora::TitleFinding& finding : check.findings) {
        QString& mark = marks_[static_cast<std::size_t>(check.rows[finding.page])];
        if (!mark.isEmpty())
            mark += QLatin1Char('\n');
        mark +=
            QString::fromUtf8(titora::TitleRuleName(finding.rule).data(),
                              static_cast<qsizetype>(titora::TitleRuleName(finding.rule).size())) +
            QStringLiteral(": ") + QString::fromLocal8Bit(finding.detail);
    }
    Q_EMIT dataChanged(index(0, TitleColumn), index(rowCount() - 1, TitleColumn),
                       {Qt::DecorationRole, Qt::ToolTipRole});
    return check;
}

QString TFileListModel::FindingsHint(int row) const {
    const auto at = static_cast<std::size_t>(row);
    return at < marks_.size() ? marks_[at] : QString();
}

void TFileListModel::ClearMarks() {
    if (marks_.empty())
        return;
    marks_.clear();
    Q_EMIT dataChanged(index(0, TitleColumn), index(rowCount() - 1, TitleColumn),
                       {Qt::DecorationRole, Qt::ToolTipRole});
}
