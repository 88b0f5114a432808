// TForm1's Check Titles: the command, the selection its report's "Select in List" makes,
// and the hint over the marks it leaves in the list. Apart from Unit3.cpp, which holds the
// window's other handlers, so that each file reads in one sitting.
#include "Unit3.h"

#include "busy_indicator.h"
#include "check_report.h"
#include "file_list_view.h"
#include "framework/hints.h"

#include <QItemSelectionModel>

void TForm1::CheckTitles1Click() {
    if (Working())
        return;
    const TTitleCheck check =
        files_->CheckTitles(titora::TitleCheckOptions{}, Runner(QStringLiteral("Checking......")));
    if (closeAfterWork_) {
        CloseIfAsked();
        return;
    }
    TCheckReport report(check, *files_, this);
    report.OnSelectInList = [this](const std::vector<int>& rows) { SelectRows(rows); };
    if (report.exec() != QDialog::Accepted)
        return;
    // The list draws its selection only while it has the focus, which the closed report
    // does not hand back by itself.
    activateWindow();
    ListView->setFocus(Qt::OtherFocusReason);
}

void TForm1::SelectRows(const std::vector<int>& rows) {
    QItemSelection runs;
    for (std::size_t i = 0; i < rows.size();) {
        std::size_t end = i;
        while (end + 1 < rows.size() && rows[end + 1] == rows[end] + 1)
            ++end;
        runs.select(files_->index(rows[i], 0),
                    files_->index(rows[end], TFileListModel::ColumnCount - 1));
        i = end + 1;
    }
    QItemSelectionModel* selection = ListView->selectionModel();
    selection->select(runs, QItemSelectionModel::ClearAndSelect);
    if (rows.empty())
        return;
    const QModelIndex first = files_->index(rows.front(), 0);
    selection->setCurrentIndex(first, QItemSelectionModel::NoUpdate);
    ListView->scrollTo(first, QAbstractItemView::PositionAtTop);
}

void TForm1::ListViewHint(QString& hint, THintInfo& info) const {
    // Without marks the list keeps its one hint for the whole list.
    if (info.HintControl != ListView || !files_->HasMarks())
        return;
    const QPoint inViewport = ListView->viewport()->mapFrom(ListView, info.CursorPos);
    const QModelIndex index = ListView->indexAt(inViewport);
    if (!index.isValid())
        return;
    // The hint is asked again once the pointer leaves the cell, so that each cell can have
    // its own.
    const QRect cell = ListView->visualRect(index);
    info.CursorRect = QRect(ListView->viewport()->mapTo(ListView, cell.topLeft()), cell.size());
    const QString findings = files_->FindingsHint(index.row());
    if (index.column() == TFileListModel::TitleColumn && !findings.isEmpty())
        hint = findings;
}
