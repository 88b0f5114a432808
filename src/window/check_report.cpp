#include "check_report.h"

#include "ui_check_report.h"

#include <algorithm>
#include <array>
#include <QHeaderView>
#include <QTreeWidget>

namespace {

// The item data role that holds a finding's row in the main list.
constexpr int kRowRole = Qt::UserRole;

QString FromBytes(const std::string& bytes) {
    return QString::fromLocal8Bit(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

QString FromView(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QString Counted(std::size_t count, const QString& one, const QString& many) {
    return QString::number(count) + QLatin1Char(' ') + (count == 1 ? one : many);
}

} // namespace

TCheckReport::TCheckReport(const TTitleCheck& check, const TFileListModel& files, QWidget* parent)
    : QDialog(parent), ui_(std::make_unique<Ui::TCheckReport>()) {
    ui_->setupUi(this);
    fillFindings(check, files);
    connectHandlers();
}

TCheckReport::~TCheckReport() = default;

QTreeWidget* TCheckReport::Findings() const {
    return ui_->Findings;
}

void TCheckReport::fillFindings(const TTitleCheck& check, const TFileListModel& files) {
    ui_->Summary->setText(
        Counted(check.checker.PageCount(), QStringLiteral("page"), QStringLiteral("pages")) +
        QStringLiteral(" checked, ") +
        Counted(check.findings.size(), QStringLiteral("finding"), QStringLiteral("findings")) +
        QLatin1Char('.'));
    std::array<QTreeWidgetItem*, titora::kTitleRuleCount> groups{};
    std::array<std::size_t, titora::kTitleRuleCount> counts{};
    for (const titora::TitleFinding& finding : check.findings) {
        const auto rule = static_cast<std::size_t>(finding.rule);
        if (!groups[rule])
            groups[rule] = new QTreeWidgetItem();
        ++counts[rule];
        const int row = check.rows[finding.page];
        const titora::FileRow& fileRow = files.Files().Row(static_cast<std::size_t>(row));
        const std::optional<std::string> title = check.checker.ReportedTitle(finding.page);
        auto* item =
            new QTreeWidgetItem(groups[rule], {FromBytes(fileRow.name), FromBytes(fileRow.folder),
                                               title ? QString::fromUtf8(*title) : QString(),
                                               QString::fromLocal8Bit(finding.detail)});
        item->setData(0, kRowRole, row);
    }
    // The groups in the order of the rules, each heading across the whole width.
    for (std::size_t rule = 0; rule < titora::kTitleRuleCount; ++rule) {
        if (!groups[rule])
            continue;
        const auto named = static_cast<titora::TitleRule>(rule);
        groups[rule]->setText(0, QStringLiteral("%1 (%2): %3")
                                     .arg(FromView(titora::TitleRuleName(named)))
                                     .arg(counts[rule])
                                     .arg(FromView(titora::TitleRuleDescription(named))));
        ui_->Findings->addTopLevelItem(groups[rule]);
        groups[rule]->setFirstColumnSpanned(true);
        groups[rule]->setExpanded(true);
    }
    ui_->Findings->header()->resizeSection(0, 150);
    ui_->Findings->header()->resizeSection(1, 170);
    ui_->Findings->header()->resizeSection(2, 200);
}

void TCheckReport::connectHandlers() {
    connect(ui_->Findings, &QTreeWidget::itemSelectionChanged, this,
            [this] { ui_->SelectInList->setEnabled(!ui_->Findings->selectedItems().isEmpty()); });
    connect(ui_->SelectInList, &QPushButton::clicked, this, [this] {
        if (OnSelectInList)
            OnSelectInList(ChosenRows());
        accept();
    });
    connect(ui_->CloseButton, &QPushButton::clicked, this, &QDialog::reject);
}

std::vector<int> TCheckReport::ChosenRows() const {
    std::vector<int> rows;
    const auto take = [&rows](const QTreeWidgetItem* item) {
        rows.push_back(item->data(0, kRowRole).toInt());
    };
    for (const QTreeWidgetItem* item : ui_->Findings->selectedItems()) {
        if (item->parent()) {
            take(item);
            continue;
        }
        for (int child = 0; child < item->childCount(); ++child)
            take(item->child(child));
    }
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    return rows;
}
