#include "framework/dialogs.h"
#include "test_support.h"

#include <QDialogButtonBox>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>

namespace {

QLineEdit* EditOf(QWidget* dialog) {
    return dialog->findChild<QLineEdit*>();
}

QPushButton* ButtonOf(QWidget* dialog, QDialogButtonBox::StandardButton which) {
    auto* box = dialog->findChild<QDialogButtonBox*>();
    return box ? box->button(which) : nullptr;
}

} // namespace

class TestDialogs : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void messageBox() {
        QString title;
        QString text;
        QMessageBox::Icon icon = QMessageBox::Critical;
        QStringList buttons;
        WhenModal([&](QWidget* w) {
            auto* box = qobject_cast<QMessageBox*>(w);
            QVERIFY(box);
            title = box->windowTitle();
            text = box->text();
            icon = box->icon();
            for (QAbstractButton* b : box->buttons()) {
                buttons << b->text();
            }
            box->button(QMessageBox::Ok)->click();
        });
        ShowMessage(QStringLiteral("Please select a file first!"));
        QCOMPARE(title, QStringLiteral("Titora"));
        QCOMPARE(text, QStringLiteral("Please select a file first!"));
        QCOMPARE(icon, QMessageBox::NoIcon);
        QCOMPARE(buttons, QStringList{QStringLiteral("OK")});
    }

    // How the box is left decides the result: only OK takes the edit's text.
    void inputBoxResult_data() {
        QTest::addColumn<QString>("defaultText");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("how");
        QTest::addColumn<QString>("expected");
        QTest::newRow("OK takes the text") << ""
                                           << "New title"
                                           << "ok"
                                           << "New title";
        QTest::newRow("Enter presses OK") << ""
                                          << "New title"
                                          << "enter"
                                          << "New title";
        QTest::newRow("OK with an empty edit") << ""
                                               << ""
                                               << "ok"
                                               << "";
        QTest::newRow("Cancel gives the default") << "old"
                                                  << "New"
                                                  << "cancel"
                                                  << "old";
        QTest::newRow("Escape gives the default") << "old"
                                                  << "New"
                                                  << "escape"
                                                  << "old";
        QTest::newRow("closing gives the default") << "old"
                                                   << "New"
                                                   << "close"
                                                   << "old";
        QTest::newRow("typing replaces the selected default") << "old"
                                                              << "New"
                                                              << "ok"
                                                              << "New";
        QTest::newRow("OK keeps an untouched default") << "old"
                                                       << ""
                                                       << "ok"
                                                       << "old";
    }
    void inputBoxResult() {
        QFETCH(QString, defaultText);
        QFETCH(QString, typed);
        QFETCH(QString, how);
        QFETCH(QString, expected);
        WhenModal([&](QWidget* dialog) {
            QLineEdit* edit = EditOf(dialog);
            QVERIFY(edit);
            if (!typed.isEmpty()) {
                QTest::keyClicks(edit, typed);
            }
            if (how == QLatin1String("ok")) {
                ButtonOf(dialog, QDialogButtonBox::Ok)->click();
            } else if (how == QLatin1String("enter")) {
                QTest::keyClick(edit, Qt::Key_Return);
            } else if (how == QLatin1String("cancel")) {
                ButtonOf(dialog, QDialogButtonBox::Cancel)->click();
            } else if (how == QLatin1String("escape")) {
                QTest::keyClick(edit, Qt::Key_Escape);
            } else {
                dialog->close();
            }
        });
        QCOMPARE(InputBox(QStringLiteral("Input TITLE"),
                          QStringLiteral("Please input a new title:"), defaultText),
                 expected);
    }

    void inputBoxLooks() {
        QString caption;
        QString prompt;
        QString selected;
        QString okText;
        QString cancelText;
        bool okIsDefault = false;
        WhenModal([&](QWidget* dialog) {
            caption = dialog->windowTitle();
            if (auto* label = dialog->findChild<QLabel*>()) {
                prompt = label->text();
            }
            selected = EditOf(dialog)->selectedText();
            okText = ButtonOf(dialog, QDialogButtonBox::Ok)->text();
            okIsDefault = ButtonOf(dialog, QDialogButtonBox::Ok)->isDefault();
            cancelText = ButtonOf(dialog, QDialogButtonBox::Cancel)->text();
            qobject_cast<QDialog*>(dialog)->reject();
        });
        InputBox(QStringLiteral("Input TITLE"), QStringLiteral("Please input a new title:"),
                 QStringLiteral("Old title"));
        QCOMPARE(caption, QStringLiteral("Input TITLE"));
        QCOMPARE(prompt, QStringLiteral("Please input a new title:"));
        QCOMPARE(selected, QStringLiteral("Old title"));
        QCOMPARE(okText, QStringLiteral("OK"));
        QCOMPARE(cancelText, QStringLiteral("Cancel"));
        QVERIFY(okIsDefault);
    }

    void inputBoxTakesAtMost255Characters() {
        WhenModal([](QWidget* dialog) {
            QTest::keyClicks(EditOf(dialog), QString(300, QLatin1Char('x')));
            ButtonOf(dialog, QDialogButtonBox::Ok)->click();
        });
        QCOMPARE(InputBox(QStringLiteral("Input TITLE"), QStringLiteral("Title:"), QString()),
                 QString(255, QLatin1Char('x')));
    }
};

TITORA_FRAMEWORK_TEST_MAIN(TestDialogs)
#include "tst_dialogs.moc"
