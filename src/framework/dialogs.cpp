#include "framework/dialogs.h"

#include "framework/application.h"
#include "framework/screen_centred.h"

#include <QDialogButtonBox>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>

namespace {

QString AppTitle() {
    return Application ? Application->Title() : QString();
}

} // namespace

void ShowMessage(const QString& text) {
    // No parent: the box is application modal.
    TScreenCentred<QMessageBox> box(QMessageBox::NoIcon, AppTitle(), text, QMessageBox::Ok);
    box.button(QMessageBox::Ok)->setText(QStringLiteral("OK"));
    box.exec();
}

QString InputBox(const QString& caption, const QString& prompt, const QString& defaultText) {
    TScreenCentred<QInputDialog> dialog;
    dialog.setWindowTitle(caption);
    dialog.setInputMode(QInputDialog::TextInput);
    dialog.setLabelText(prompt);
    dialog.setOkButtonText(QStringLiteral("OK"));
    dialog.setCancelButtonText(QStringLiteral("Cancel"));
    // QInputDialog offers no length limit or selection of its own; its one line edit is set
    // up directly. A limit set on the edit cuts the text it holds, so a longer default gets
    // no limit and stays whole: the limit is there for typing, not for what the caller gives.
    dialog.setTextValue(defaultText);
    if (QLineEdit* edit = dialog.findChild<QLineEdit*>()) {
        if (defaultText.size() <= kInputBoxMaxLength) {
            edit->setMaxLength(kInputBoxMaxLength);
        }
        edit->selectAll();
    }
    if (QDialogButtonBox* buttons = dialog.findChild<QDialogButtonBox*>()) {
        if (QPushButton* ok = buttons->button(QDialogButtonBox::Ok)) {
            ok->setDefault(true);
        }
    }
    if (dialog.exec() != QDialog::Accepted) {
        return defaultText;
    }
    return dialog.textValue();
}
