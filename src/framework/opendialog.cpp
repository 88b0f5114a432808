#include "framework/opendialog.h"

#include <QAbstractButton>
#include <QDialogButtonBox>
#include <QEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>

namespace {

std::function<std::optional<QStringList>()>& ResultProvider() {
    static std::function<std::optional<QStringList>()> provider;
    return provider;
}

// Qt's own dialog in its existing-files mode (the only one that lets several files be chosen)
// refuses names of missing files twice: it disables its Open button while such a name is typed
// and its accept() rejects one. The program returns typed names like any other, so this dialog
// keeps the button usable while a name is typed and accepts what the user chose.
class TFileDialog : public QFileDialog {
public:
    using QFileDialog::QFileDialog;

    // Called once the widgets exist (after the file mode and options are set).
    void KeepOpenButtonUsable() {
        edit_ = findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        if (auto* box = findChild<QDialogButtonBox*>(QStringLiteral("buttonBox"))) {
            open_ = box->button(QDialogButtonBox::Open);
        }
        if (open_) {
            open_->installEventFilter(this);
        }
    }

    QStringList Chosen() const { return chosen_; }

    void accept() override {
        const QStringList files = selectedFiles();
        if (files.isEmpty()) {
            return;
        }
        // A typed folder or existing files go the usual way: Qt opens the folder, or accepts.
        bool allExist = true;
        for (const QString& file : files) {
            const QFileInfo info(file);
            if (info.isDir()) {
                QFileDialog::accept();
                return;
            }
            allExist = allExist && info.exists();
        }
        chosen_ = files;
        if (allExist) {
            QFileDialog::accept();
            return;
        }
        QDialog::accept();
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == open_ && event->type() == QEvent::EnabledChange && !open_->isEnabled() &&
            edit_ && !edit_->text().trimmed().isEmpty()) {
            open_->setEnabled(true);
        }
        return QFileDialog::eventFilter(watched, event);
    }

private:
    QLineEdit* edit_ = nullptr;
    QAbstractButton* open_ = nullptr;
    QStringList chosen_;
};

// A filter entry as QFileDialog reads it: the text, then the patterns in parentheses. The
// patterns part is hidden in the dialog (HideNameFilterDetails), so the user sees the text
// exactly as the filter gives it, which may contain parentheses of its own.
QString QtNameFilter(const TOpenDialog::FileType& type) {
    return type.text + QStringLiteral(" (") + type.patterns.join(QLatin1Char(' ')) +
           QLatin1Char(')');
}

} // namespace

std::vector<TOpenDialog::FileType> ParseFileFilter(const QString& filter) {
    std::vector<TOpenDialog::FileType> types;
    const QStringList parts = filter.split(QLatin1Char('|'));
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        QStringList patterns;
        for (const QString& pattern : parts[i + 1].split(QLatin1Char(';'))) {
            const QString trimmed = pattern.trimmed();
            if (!trimmed.isEmpty()) {
                patterns << trimmed;
            }
        }
        if (!patterns.isEmpty()) {
            types.push_back({parts[i], patterns});
        }
    }
    return types;
}

TOpenDialog::TOpenDialog(QObject* parent) : QObject(parent) {}

void TOpenDialog::SetFilter(const QString& filter) {
    filter_ = filter;
    types_ = ParseFileFilter(filter);
}

QStringList TOpenDialog::NameFilters() const {
    QStringList filters;
    for (const FileType& type : types_) {
        filters << QtNameFilter(type);
    }
    return filters;
}

void TOpenDialog::SetResultProvider(std::function<std::optional<QStringList>()> provider) {
    ResultProvider() = std::move(provider);
}

bool TOpenDialog::Execute(QWidget* parent) {
    files_.clear();
    if (ResultProvider()) {
        const std::optional<QStringList> result = ResultProvider()();
        if (!result) {
            return false;
        }
        files_ = *result;
        return true;
    }

    TFileDialog dialog(parent);
#if !defined(Q_OS_WIN) && !defined(Q_OS_MACOS)
    // Where the platform has no dialog of its own, Qt's widget dialog is the one to use (it is
    // also the one tests can drive).
    dialog.setOption(QFileDialog::DontUseNativeDialog);
#endif
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFiles);
    dialog.setSizeGripEnabled(true);
    const QStringList filters = NameFilters();
    if (!filters.isEmpty()) {
        dialog.setNameFilters(filters);
        const int index = filterIndex_ >= 1 && filterIndex_ <= filters.size() ? filterIndex_ : 1;
        dialog.selectNameFilter(filters[index - 1]);
    }
    if (!fileName_.isEmpty()) {
        dialog.selectFile(fileName_);
    }
    dialog.KeepOpenButtonUsable();
    if (dialog.exec() != QDialog::Accepted) {
        return false;
    }
    files_ = dialog.Chosen();
    if (files_.isEmpty()) {
        files_ = dialog.selectedFiles();
    }
    const int chosenType = filters.indexOf(dialog.selectedNameFilter());
    if (chosenType >= 0) {
        filterIndex_ = chosenType + 1;
    }
    if (!files_.isEmpty()) {
        fileName_ = files_.first();
    }
    return true;
}
