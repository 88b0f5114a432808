// The report of Check Titles: the findings grouped by rule, with their counts in the group
// headings, one row per finding (file, folder, title, detail). "Select in List" makes the
// rows of the chosen findings the main list's selection, so that one command can mend them.
// The layout comes from check_report.ui; this class fills it and holds the behaviour.
#pragma once

#include "file_list_model.h"

#include <functional>
#include <memory>
#include <QDialog>
#include <vector>

class QTreeWidget;

namespace Ui {
class TCheckReport;
}

class TCheckReport : public QDialog {
    Q_OBJECT
public:
    // Shows `check`, whose pages are rows of `files`.
    TCheckReport(const TTitleCheck& check, const TFileListModel& files, QWidget* parent = nullptr);
    ~TCheckReport() override;

    QTreeWidget* Findings() const;

    // The rows of the main list that the chosen findings are about, each once, in list
    // order. A chosen group heading stands for all its findings.
    std::vector<int> ChosenRows() const;

    // Called with ChosenRows() when "Select in List" is pressed, before the report closes.
    std::function<void(const std::vector<int>& rows)> OnSelectInList;

private:
    void fillFindings(const TTitleCheck& check, const TFileListModel& files);
    void connectHandlers();

    std::unique_ptr<Ui::TCheckReport> ui_;
};
