#include "retitle_dialog.h"

#include "framework/application.h"
#include "retitle_preview_model.h"
#include "ui_retitle_dialog.h"

#include <QHeaderView>
#include <QMessageBox>

namespace {

// Plans are made anew as soon as the event loop has handled the keys already typed: a
// burst of typing makes one plan, and the table follows without waiting for a pause.
constexpr int kPlanAfterMs = 0;

} // namespace

TRetitleDialog::TRetitleDialog(const std::vector<titora::RetitlePage>& pages, QWidget* parent)
    : QDialog(parent), ui_(std::make_unique<Ui::TRetitleDialog>()), pages_(pages),
      values_(titora::ValuesOf(pages)) {
    createControls();
    connectHandlers();
    UpdatePreview();
}

TRetitleDialog::~TRetitleDialog() = default;

void TRetitleDialog::createControls() {
    ui_->setupUi(this);
    ui_->FailureList->hide();
    ui_->TemplateEdit->setFocus(Qt::OtherFocusReason);
    preview_ = new TRetitlePreviewModel(pages_, this);
    QTableView* table = ui_->PreviewTable;
    table->setModel(preview_);
    // Every row one line high, fixed: the view then never measures ten thousand rows.
    table->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    table->verticalHeader()->setDefaultSectionSize(table->fontMetrics().height() + 4);
    table->verticalHeader()->hide();
    table->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    table->horizontalHeader()->setStretchLastSection(true);
    const int widths[] = {120, 170, 170, 140};
    for (int column = 0; column < 4; ++column)
        table->setColumnWidth(column, widths[column]);
    typing_.setSingleShot(true);
    typing_.setInterval(kPlanAfterMs);
}

void TRetitleDialog::connectHandlers() {
    connect(&typing_, &QTimer::timeout, this, &TRetitleDialog::UpdatePreview);
    const auto later = [this] { typing_.start(); };
    for (QLineEdit* edit : {ui_->TemplateEdit, ui_->FindEdit, ui_->ReplaceEdit})
        connect(edit, &QLineEdit::textEdited, this, later);
    for (QAbstractButton* box : {static_cast<QAbstractButton*>(ui_->RegexCheck),
                                 static_cast<QAbstractButton*>(ui_->IgnoreCaseCheck),
                                 static_cast<QAbstractButton*>(ui_->TemplateRadio)})
        connect(box, &QAbstractButton::toggled, this, later);
    // Typing into a field chooses its rule.
    connect(ui_->TemplateEdit, &QLineEdit::textEdited, this,
            [this] { ui_->TemplateRadio->setChecked(true); });
    for (QLineEdit* edit : {ui_->FindEdit, ui_->ReplaceEdit})
        connect(edit, &QLineEdit::textEdited, this,
                [this] { ui_->ReplaceRadio->setChecked(true); });
    connect(ui_->WriteButton, &QPushButton::clicked, this, &TRetitleDialog::WriteClicked);
    connect(ui_->CloseButton, &QPushButton::clicked, this, &QDialog::reject);
}

const std::vector<titora::PagePlan>& TRetitleDialog::Plans() const {
    return preview_->Plans();
}

bool TRetitleDialog::KeepLineBreaks() const {
    return ui_->KeepLineBreaksCheck->isChecked();
}

void TRetitleDialog::SetKeepLineBreaks(bool keep) {
    ui_->KeepLineBreaksCheck->setChecked(keep);
}

void TRetitleDialog::UpdatePreview() {
    typing_.stop();
    titora::RetitleRule rule;
    const QLineEdit* field = ui_->TemplateRadio->isChecked() ? ui_->TemplateEdit : ui_->FindEdit;
    if (field->text().isEmpty()) {
        // Nothing typed yet: every page keeps its title, and there is nothing to write.
        rule.kind = titora::RetitleRule::Kind::kKeep;
    } else if (ui_->TemplateRadio->isChecked()) {
        rule.kind = titora::RetitleRule::Kind::kTemplate;
        rule.text = ui_->TemplateEdit->text();
    } else {
        rule.kind = titora::RetitleRule::Kind::kReplace;
        rule.text = ui_->FindEdit->text();
        rule.replacement = ui_->ReplaceEdit->text();
        rule.regex = ui_->RegexCheck->isChecked();
        rule.ignoreCase = ui_->IgnoreCaseCheck->isChecked();
    }
    try {
        preview_->SetPlans(titora::PlanRetitle(pages_, values_, titora::CompiledRule(rule)));
    } catch (const titora::RetitleRuleError& e) {
        // The table keeps the last plans that could be made; nothing can be written.
        ui_->ErrorLabel->setText(QString::fromUtf8(e.what()));
        ui_->WriteButton->setEnabled(false);
        return;
    }
    ui_->ErrorLabel->clear();
    ui_->WriteButton->setEnabled(rule.kind != titora::RetitleRule::Kind::kKeep);
    ui_->SummaryLabel->setText(titora::TrialSummaryText(Plans()));
}

void TRetitleDialog::WriteClicked() {
    UpdatePreview();
    if (!ui_->WriteButton->isEnabled())
        return;
    keepUndoCopies_ = titora::BytesToWrite(pages_, Plans()) <= titora::kUndoLimit;
    if (!keepUndoCopies_) {
        const auto answer = QMessageBox::question(
            this, Application ? Application->Title() : QString(),
            QStringLiteral("These pages hold more than 1 GiB: this retitle cannot be undone.\n"
                           "Write them anyway?"));
        if (answer != QMessageBox::Yes)
            return;
    }
    accept();
}

void TRetitleDialog::ShowOutcome(const titora::RetitleSummary& summary) {
    for (QWidget* control : std::initializer_list<QWidget*>{
             ui_->TemplateRadio, ui_->TemplateEdit, ui_->ReplaceRadio, ui_->FindEdit,
             ui_->ReplaceLabel, ui_->ReplaceEdit, ui_->RegexCheck, ui_->IgnoreCaseCheck,
             ui_->KeepLineBreaksCheck})
        control->setEnabled(false);
    ui_->WriteButton->hide();
    ui_->CloseButton->setText(QStringLiteral("Close"));
    ui_->CloseButton->setDefault(true);
    ui_->SummaryLabel->setText(titora::SummaryText(summary));
    QStringList lines;
    if (summary.notReached > 0)
        lines
            << QStringLiteral("Stopped: %1 pages were left as they were.").arg(summary.notReached);
    if (lines.isEmpty() && summary.failures.empty())
        return;
    for (const std::string& failure : summary.failures)
        lines << QString::fromLocal8Bit(failure.data(), static_cast<qsizetype>(failure.size()));
    ui_->FailureList->setPlainText(lines.join(QLatin1Char('\n')));
    ui_->FailureList->show();
}
