#include "framework/application.h"
#include "framework/dialogs.h"
#include "test_support.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>

namespace {

// The three boxes the program shows over its windows.
enum Box { Message, Input, Error };

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

    // Both boxes stand with their frame centred on the screen's available area, whatever
    // their size.
    void centredOnTheScreen_data() {
        QTest::addColumn<int>("box");
        QTest::addColumn<QString>("text");
        QTest::newRow("message") << int(Message) << "Please select a file first!";
        QTest::newRow("long message")
            << int(Message) << QStringLiteral("A long message. ").repeated(20);
        QTest::newRow("one unbreakable long word")
            << int(Message) << QString(200, QLatin1Char('x'));
        QTest::newRow("message on several lines") << int(Message) << "One\nTwo\nThree\nFour";
        QTest::newRow("input box") << int(Input) << "Please input a new title:";
        QTest::newRow("error box") << int(Error) << "Cannot open file /tmp/missing.htm";
    }
    void centredOnTheScreen() {
        QFETCH(int, box);
        QFETCH(QString, text);
        // The program's main window is borderless, as here.
        QWidget mainWindow(nullptr, Qt::FramelessWindowHint);
        mainWindow.setGeometry(54, 35, 658, 444);
        mainWindow.show();
        QVERIFY(QTest::qWaitForWindowExposed(&mainWindow));
        QPointF centre;
        WhenModal([&](QWidget* dialog) {
            QVERIFY(QTest::qWaitForWindowExposed(dialog));
            centre = QRectF(dialog->frameGeometry()).center();
            qobject_cast<QDialog*>(dialog)->reject();
        });
        if (box == Input) {
            InputBox(QStringLiteral("Input TITLE"), text, QString());
        } else if (box == Error) {
            Application->ShowException(text);
        } else {
            ShowMessage(text);
        }
        const QPointF screen =
            QRectF(QGuiApplication::primaryScreen()->availableGeometry()).center();
        QVERIFY2(qAbs(centre.x() - screen.x()) <= 1 && qAbs(centre.y() - screen.y()) <= 1,
                 qPrintable(QStringLiteral("box centre (%1, %2), screen centre (%3, %4)")
                                .arg(centre.x())
                                .arg(centre.y())
                                .arg(screen.x())
                                .arg(screen.y())));
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

// Headless, the boxes stand on one 1280 x 1024 screen whose windows have no frame: the case
// of an X server without a window manager, where Qt, knowing no frame, places a box without
// a parent well above the centre.
int main(int argc, char** argv) {
    // The platform's arguments are cut at each ":", so the file is named relative to the
    // working folder: a Windows path's drive would end it early.
    QTemporaryDir configDir(QDir::currentPath() + QStringLiteral("/tst_dialogs-XXXXXX"));
    if (qgetenv("QT_QPA_PLATFORM") == "offscreen" && configDir.isValid()) {
        const QString path =
            QDir::current().relativeFilePath(configDir.filePath(QStringLiteral("offscreen.json")));
        QFile config(path);
        if (config.open(QIODevice::WriteOnly)) {
            config.write(R"({"windowFrameMargins": false,
                             "screens": [{"name": "main", "x": 0, "y": 0,
                                          "width": 1280, "height": 1024}]})");
            config.close();
            qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + QFile::encodeName(path));
        }
    }
    TApplication app(argc, argv);
    app.SetTitle(QStringLiteral("Titora"));
    TestDialogs test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_dialogs.moc"
