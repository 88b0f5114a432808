#include "framework/opendialog.h"

#include <limits>
#include <QAbstractButton>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>

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
        if (edit_) {
            // The box carries the whole choice, every name in quotes; its default limit of
            // 32,767 characters would cut a large choice short, and a choice has no limit.
            edit_->setMaxLength(std::numeric_limits<int>::max());
            // Runs after Qt's own reaction to the same change, which may have rewritten the
            // box or left the button disabled without a change of state for the event filter
            // to see.
            connect(edit_, &QLineEdit::textChanged, this, [this](const QString& text) {
                KeepTypedText(text);
                KeepUsable();
            });
        }
    }

    // Selects the file type at `index` as if the user had chosen it. QFileDialog's
    // selectNameFilter() cannot find a type whose pattern part is hidden (it looks for the
    // first pattern among the shown texts), so the type box is set directly.
    void SelectFileType(int index) {
        auto* combo = findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
        if (!combo || index < 0 || index >= combo->count()) {
            return;
        }
        combo->setCurrentIndex(index);
        Q_EMIT combo->activated(index);
    }

    // The index of the selected file type, or -1. Read from the type box, as
    // selectedNameFilter() answers the shown text when the patterns are hidden.
    int SelectedFileType() const {
        const auto* combo = findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
        return combo ? combo->currentIndex() : -1;
    }

    QStringList Chosen() const { return chosen_; }

    // The names in the name box as full paths, in their order. The box holds what the user
    // confirms: one name, or several each in double quotes; choosing files in the view writes
    // their names there too. Qt's selectedFiles() prefers the view's selection, which cannot
    // hold a missing file, so the box is read here the way Qt reads it.
    QStringList TypedFiles() const {
        if (!edit_) {
            return {};
        }
        const QString text = edit_->text();
        QStringList names;
        if (!text.contains(QLatin1Char('"'))) {
            names << text;
        } else {
            const QStringList tokens = text.split(QLatin1Char('"'));
            for (int i = 1; i < tokens.size(); i += 2) {
                names << tokens[i];
            }
        }
        QStringList files;
        const QDir folder = directory();
        for (QString name : names) {
            if (name.trimmed().isEmpty()) {
                continue;
            }
            if (name == QLatin1String("~") || name.startsWith(QLatin1String("~/"))) {
                name = QDir::homePath() + name.mid(1);
            }
            files << folder.absoluteFilePath(name);
        }
        return files;
    }

    void accept() override {
        QStringList files = TypedFiles();
        if (files.isEmpty()) {
            files = selectedFiles();
        }
        if (files.isEmpty()) {
            return;
        }
        // A typed folder is opened, as Qt's own dialog does.
        for (const QString& file : files) {
            if (QFileInfo(file).isDir()) {
                setDirectory(file);
                if (edit_) {
                    edit_->clear();
                }
                return;
            }
        }
        chosen_ = files;
        // QDialog's accept, not QFileDialog's, which would refuse the missing names.
        QDialog::accept();
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == open_ && event->type() == QEvent::EnabledChange) {
            KeepUsable();
        }
        return QFileDialog::eventFilter(watched, event);
    }

private:
    // Qt selects the typed names it finds in the view, and while the name box lacks the focus
    // it writes the view's selection back into the box, even when the selection only changed
    // because of that very text. Names the view cannot show (missing files, files hidden by
    // the selected type) would be dropped that way, and the quotes of several names mangled,
    // so the text as typed is put back.
    void KeepTypedText(const QString& text) {
        if (restoring_ || edit_->text() == text) {
            return;
        }
        restoring_ = true;
        edit_->setText(text);
        restoring_ = false;
    }

    // Any typed name can be opened.
    void KeepUsable() {
        if (open_ && !open_->isEnabled() && edit_ && !edit_->text().trimmed().isEmpty()) {
            open_->setEnabled(true);
        }
    }

    QLineEdit* edit_ = nullptr;
    QAbstractButton* open_ = nullptr;
    QStringList chosen_;
    bool restoring_ = false;
};

// A filter entry as QFileDialog reads it: the text, then the patterns in parentheses. The
// patterns part is hidden in the dialog (HideNameFilterDetails), so the user sees the text
// exactly as the filter gives it, which may contain parentheses of its own.
QString QtNameFilter(const TOpenDialog::FileType& type) {
    return type.text + QStringLiteral(" (") + type.patterns.join(QLatin1Char(' ')) +
           QLatin1Char(')');
}

// About 800 x 500, within the screen the dialog opens on.
QSize FirstSize(const QWidget& dialog) {
    QSize size(800, 500);
    if (const QScreen* screen = dialog.screen()) {
        size = size.boundedTo(screen->availableSize());
    }
    return size;
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
    }
    if (!fileName_.isEmpty()) {
        dialog.selectFile(fileName_);
    }
    // Qt's dialog opens at its small default size, in which the detail columns are cut;
    // the first opening is large enough to show them whole, later ones keep the user's size.
    dialog.resize(size_.isValid() ? size_ : FirstSize(dialog));
    dialog.KeepOpenButtonUsable();
    if (filterIndex_ >= 1 && filterIndex_ <= filters.size()) {
        dialog.SelectFileType(filterIndex_ - 1);
    }
    const int result = dialog.exec();
    size_ = dialog.size();
    if (result != QDialog::Accepted) {
        return false;
    }
    files_ = dialog.Chosen();
    if (files_.isEmpty()) {
        files_ = dialog.selectedFiles();
    }
    const int chosenType = dialog.SelectedFileType();
    if (chosenType >= 0) {
        filterIndex_ = chosenType + 1;
    }
    if (!files_.isEmpty()) {
        fileName_ = files_.first();
    }
    return true;
}
