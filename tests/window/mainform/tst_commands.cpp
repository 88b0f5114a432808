// The file list's commands end to end: real page files in a temporary folder, the real open
// dialog, input box, message box and error box driven from timers, and the engine watched
// through the window's seam at every call.
#include "driver.h"
#include "file_list_view.h"
#include "framework/application.h"
#include "framework/flatbutton.h"
#include "framework/panel.h"

#include <QFileDialog>
#include <QInputDialog>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

class TestCommands : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void addFilesListsEachChosenFile();
    void addFilesCancelledChangesNothing();
    void addFilesStopsAtAFileThatCannotBeRead();
    void titleItNeedsASelectionChangeFirst();
    void titleItRetitlesTheSelectedRows();
    void titleItIgnoresAnEmptyOrCancelledTitle_data();
    void titleItIgnoresAnEmptyOrCancelledTitle();
    void titleItTakesAtMost255Characters();
    void titleItStopsAtAFileThatCannotBeWritten();
    void titleItRefusesARowWithoutFolder();
    void titleItWorksOnAnEditedName();
    void titleItWithNoRowSelectedTouchesNothing();
    void selectAllMarksTheSelectionChanged();
    void removeCommandsTouchNoFile();

private:
    // The engine seam: every call notes whether the busy indicator was up and painted.
    void WatchEngine();
    void AddFiles(const QStringList& names);
    void SelectRows(const QList<int>& rows);
    QString TitleIt(const QString& typed); // returns the error box's text, if one came

    QTemporaryDir dir_;
    TForm1* form_ = nullptr;
    int calls_ = 0;
    int busyCalls_ = 0;
    int paintsSinceShown_ = 0;
    QStringList captions_;

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == form_->Panel2 && event->type() == QEvent::Show)
            paintsSinceShown_ = 0;
        if (watched == form_->Panel2 && event->type() == QEvent::Paint)
            ++paintsSinceShown_;
        return false;
    }
};

void TestCommands::init() {
    QVERIFY(dir_.isValid());
    form_ = new TForm1;
    form_->show();
    QVERIFY(QTest::qWaitForWindowExposed(form_));
    form_->Panel2->installEventFilter(this);
    calls_ = busyCalls_ = 0;
    captions_.clear();
    WatchEngine();
}

void TestCommands::cleanup() {
    CancelPendingDialogs();
    delete form_;
    form_ = nullptr;
    for (const QString& name : QDir(dir_.path()).entryList(QDir::Files))
        QFile::remove(dir_.filePath(name));
}

void TestCommands::WatchEngine() {
    const titora::TitleEngine real = titora::RealTitleEngine();
    // The engine runs on the command's worker thread; the window is looked at on its own.
    auto observe = [this] {
        QMetaObject::invokeMethod(
            form_,
            [this] {
                ++calls_;
                if (form_->Panel2->isVisible() && !form_->ListView->isEnabled() &&
                    paintsSinceShown_ > 0)
                    ++busyCalls_;
                captions_ << form_->Panel2->Caption();
            },
            QThread::currentThread() == form_->thread() ? Qt::DirectConnection
                                                        : Qt::BlockingQueuedConnection);
    };
    form_->Engine = titora::TitleEngine{[real, observe](const std::string& path) {
                                            observe();
                                            return real.ReadTitle(path);
                                        },
                                        [real, observe](const std::string& p,
                                                        const titora::TitleEncoder& encode,
                                                        const titora::WriteOptions& options) {
                                            observe();
                                            real.WriteTitle(p, encode, options);
                                        }};
}

// Chooses `names` (in the temporary folder) in the real open dialog, by typing them.
void TestCommands::AddFiles(const QStringList& names) {
    ChooseInAddFiles(*form_, dir_.path(), names);
}

void TestCommands::SelectRows(const QList<int>& rows) {
    form_->ListView->setFocus();
    form_->ListView->selectionModel()->clearSelection();
    for (int row : rows)
        form_->ListView->selectionModel()->select(
            form_->Files()->index(row, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
}

QString TestCommands::TitleIt(const QString& typed) {
    auto error = std::make_shared<QString>();
    OnModal<QInputDialog>([typed, error](QInputDialog* box) {
        OnModal<QMessageBox>([error](QMessageBox* message) {
            *error = message->text();
            message->accept();
        });
        QLineEdit* edit = box->findChild<QLineEdit*>();
        QTest::keyClicks(edit, typed);
        QTest::keyClick(edit, Qt::Key_Return);
    });
    QTest::mouseClick(form_->SpeedButton2, Qt::LeftButton);
    return *error;
}

void TestCommands::addFilesListsEachChosenFile() {
    WritePage(dir_.path(), "a.html", "Alpha");
    WritePage(dir_.path(), "b.htm", "");
    AddFiles({"a.html", "b.htm"});
    const QString folder = QDir::toNativeSeparators(dir_.path() + '/');
    QCOMPARE(RowTexts(*form_), QStringList({"a.html|Alpha|" + folder, "b.htm||" + folder}));
    QCOMPARE(calls_, 2);
    QCOMPARE(busyCalls_, 2);
    QCOMPARE(captions_, QStringList({"Loading.......", "Loading......."}));
    QVERIFY(form_->Panel2->isHidden());
    QVERIFY(form_->ListView->isEnabled());
    QVERIFY(!form_->FileSelected());

    // The dialog opens at the first file of the last choice: confirming it at once lists
    // that file again.
    OnModal<QFileDialog>([](QFileDialog* dialog) {
        QTest::keyClick(dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit")),
                        Qt::Key_Return);
    });
    QTest::mouseClick(form_->SpeedButton1, Qt::LeftButton);
    QCOMPARE(RowNames(*form_), QStringList({"a.html", "b.htm", "a.html"}));
}

void TestCommands::addFilesCancelledChangesNothing() {
    // Through the menu entry, which runs the same command by way of Action1.
    QSignalSpy action1(form_->Action1, &QAction::triggered);
    bool sawIndicator = false;
    OnModal<QFileDialog>([&](QFileDialog* dialog) {
        sawIndicator = form_->Panel2->isVisible();
        // Large enough at its first opening to show its columns whole.
        QCOMPARE(dialog->size(), QSize(800, 500));
        dialog->reject();
    });
    form_->Add1->trigger();
    QCOMPARE(action1.count(), 1);
    QCOMPARE(form_->Files()->rowCount(), 0);
    QCOMPARE(calls_, 0);
    QVERIFY(!sawIndicator);
    QVERIFY(form_->Panel2->isHidden());
    QVERIFY(form_->ListView->isEnabled());
}

void TestCommands::addFilesStopsAtAFileThatCannotBeRead() {
    WritePage(dir_.path(), "a.html", "A");
    WritePage(dir_.path(), "c.html", "C");
    WritePage(dir_.path(), "b.html", "B");
    // b.html goes away while a.html is read, after the dialog has seen it.
    const titora::TitleEngine watched = form_->Engine;
    form_->Engine.ReadTitle = [this, watched](const std::string& path) {
        QFile::remove(dir_.filePath("b.html"));
        return watched.ReadTitle(path);
    };
    QString error;
    OnModal<QFileDialog>([&](QFileDialog* dialog) {
        OnModal<QMessageBox>([&](QMessageBox* box) {
            error = box->text();
            QCOMPARE(box->windowTitle(), QStringLiteral("Titora"));
            QCOMPARE(box->icon(), QMessageBox::Critical);
            QVERIFY(form_->Panel2->isHidden());
            QVERIFY(form_->ListView->isEnabled());
            box->accept();
        });
        dialog->setDirectory(dir_.path());
        auto* edit = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        edit->setText("\"a.html\" \"b.html\" \"c.html\"");
        QTest::keyClick(edit, Qt::Key_Return);
    });
    QTest::mouseClick(form_->SpeedButton1, Qt::LeftButton);
    QCOMPARE(error, "Cannot open file " + QDir::toNativeSeparators(dir_.filePath("b.html")) + '.');
    QCOMPARE(RowTexts(*form_),
             QStringList({"a.html|A|" + QDir::toNativeSeparators(dir_.path() + '/'), "b.html||"}));
    QCOMPARE(calls_, 2);
    QVERIFY(form_->Panel2->isHidden());
    QVERIFY(form_->ListView->isEnabled());
}

void TestCommands::titleItNeedsASelectionChangeFirst() {
    WritePage(dir_.path(), "a.html", "A");
    AddFiles({"a.html"});
    QString notice;
    OnModal<QMessageBox>([&](QMessageBox* box) {
        notice = box->text();
        QCOMPARE(box->windowTitle(), QStringLiteral("Titora"));
        QCOMPARE(box->icon(), QMessageBox::NoIcon);
        box->accept();
    });
    form_->ModifyTitle1->trigger();
    QCOMPARE(notice, QStringLiteral("Please select a file first!"));
    QCOMPARE(calls_, 1); // the read of Add Files only

    // Selecting and deselecting again is a change: the input box opens.
    SelectRows({0});
    SelectRows({});
    QVERIFY(form_->FileSelected());
}

void TestCommands::titleItRetitlesTheSelectedRows() {
    for (const char* name : {"A", "B", "C", "D", "E"})
        WritePage(dir_.path(), name, "old");
    AddFiles({"A", "B", "C", "D", "E"});
    SelectRows({1, 3});
    calls_ = busyCalls_ = 0;
    captions_.clear();
    QCOMPARE(TitleIt("  New  "), QString());
    QCOMPARE(RowNames(*form_), QStringList({"A", "C", "E", "D", "B"}));
    QCOMPARE(form_->Files()->index(3, 1).data().toString(), QStringLiteral("  New  "));
    QCOMPARE(form_->Files()->index(0, 1).data().toString(), QStringLiteral("old"));
    QVERIFY(ReadFile(dir_.filePath("B")).contains("<title>  New  </title>"));
    QVERIFY(ReadFile(dir_.filePath("C")).contains("<title>old</title>"));
    QCOMPARE(calls_, 4);
    QCOMPARE(busyCalls_, 4);
    QCOMPARE(captions_.first(), QStringLiteral("Modifying......"));
    QVERIFY(!form_->ListView->selectionModel()->hasSelection());
    QVERIFY(form_->Panel2->isHidden());
    QVERIFY(form_->ListView->isEnabled());
}

void TestCommands::titleItIgnoresAnEmptyOrCancelledTitle_data() {
    QTest::addColumn<bool>("cancel");
    QTest::newRow("OK with an empty edit") << false;
    QTest::newRow("Cancel") << true;
}

void TestCommands::titleItIgnoresAnEmptyOrCancelledTitle() {
    QFETCH(bool, cancel);
    WritePage(dir_.path(), "a.html", "A");
    AddFiles({"a.html"});
    SelectRows({0});
    calls_ = 0;
    bool sawIndicator = false;
    OnModal<QInputDialog>([&](QInputDialog* box) {
        QCOMPARE(box->windowTitle(), QStringLiteral("Input TITLE"));
        QCOMPARE(box->labelText(), QStringLiteral("Please input a new title:"));
        QCOMPARE(box->findChild<QLineEdit*>()->text(), QString());
        if (!cancel)
            QTest::keyClicks(box->findChild<QLineEdit*>(), "typed and erased");
        box->findChild<QLineEdit*>()->clear();
        sawIndicator = form_->Panel2->isVisible();
        cancel ? box->reject() : box->accept();
    });
    QTest::mouseClick(form_->SpeedButton2, Qt::LeftButton);
    QCOMPARE(calls_, 0);
    QVERIFY(!sawIndicator);
    QVERIFY(form_->Panel2->isHidden());
    QCOMPARE(RowTexts(*form_).first(), "a.html|A|" + QDir::toNativeSeparators(dir_.path() + '/'));
}

void TestCommands::titleItTakesAtMost255Characters() {
    WritePage(dir_.path(), "a.html", "A");
    AddFiles({"a.html"});
    SelectRows({0});
    QCOMPARE(TitleIt(QString(300, 'x')), QString());
    QCOMPARE(form_->Files()->index(0, 1).data().toString(), QString(255, 'x'));
}

void TestCommands::titleItStopsAtAFileThatCannotBeWritten() {
    for (const char* name : {"A", "B", "C", "D", "E"})
        WritePage(dir_.path(), name, "old");
    AddFiles({"A", "B", "C", "D", "E"});
    QFile::remove(dir_.filePath("C"));
    SelectRows({1, 2, 3});
    const QString error = TitleIt("New");
    QCOMPARE(error, "Cannot open file " + QDir::toNativeSeparators(dir_.filePath("C")) + '.');
    QCOMPARE(RowNames(*form_), QStringList({"A", "B", "C", "E", "D"}));
    QVERIFY(ReadFile(dir_.filePath("D")).contains("<title>New</title>"));
    QVERIFY(ReadFile(dir_.filePath("B")).contains("<title>old</title>"));
    // The rows that kept their place keep their selection.
    const QModelIndexList selected = form_->ListView->selectionModel()->selectedRows();
    QCOMPARE(selected.size(), 2);
    QCOMPARE(selected.at(0).row() + selected.at(1).row(), 1 + 2);
    QVERIFY(form_->Panel2->isHidden());
    QVERIFY(form_->ListView->isEnabled());
}

void TestCommands::titleItRefusesARowWithoutFolder() {
    WritePage(dir_.path(), "a.html", "A");
    OnModal<QMessageBox>([](QMessageBox* box) { box->accept(); });
    AddFiles({"missing.html"});
    AddFiles({"a.html"});
    SelectRows({0, 1});
    calls_ = 0;
    QCOMPARE(TitleIt("New"), QStringLiteral("List index out of bounds (1)"));
    QCOMPARE(RowTexts(*form_),
             QStringList(
                 {"missing.html||", "a.html|New|" + QDir::toNativeSeparators(dir_.path() + '/')}));
    QCOMPARE(calls_, 2);
}

void TestCommands::titleItWorksOnAnEditedName() {
    WritePage(dir_.path(), "a.html", "A");
    WritePage(dir_.path(), "other.html", "Other");
    AddFiles({"a.html"});
    const QModelIndex name = form_->Files()->index(0, 0);
    form_->ListView->setFocus();
    form_->ListView->edit(name);
    auto* editor = form_->ListView->findChild<QLineEdit*>();
    QVERIFY(editor);
    editor->selectAll();
    QTest::keyClicks(editor, "other.html");
    QTest::keyClick(editor, Qt::Key_Return);
    // The delegate commits the edit from the event loop.
    QTRY_COMPARE(name.data().toString(), QStringLiteral("other.html"));
    // The title and folder cells open no editor.
    form_->ListView->edit(form_->Files()->index(0, 1));
    form_->ListView->edit(form_->Files()->index(0, 2));
    QVERIFY(!form_->ListView->findChild<QLineEdit*>() ||
            !form_->ListView->findChild<QLineEdit*>()->isVisible());
    SelectRows({0});
    QCOMPARE(TitleIt("New"), QString());
    QVERIFY(ReadFile(dir_.filePath("other.html")).contains("<title>New</title>"));
    QVERIFY(ReadFile(dir_.filePath("a.html")).contains("<title>A</title>"));

    // An empty edit is taken like any other.
    const QModelIndex moved = form_->Files()->index(0, 0);
    form_->ListView->edit(moved);
    editor = form_->ListView->findChild<QLineEdit*>();
    QVERIFY(editor);
    editor->clear();
    QTest::keyClick(editor, Qt::Key_Return);
    QTRY_COMPARE(moved.data().toString(), QString());
    QCOMPARE(moved.siblingAtColumn(2).data().toString(),
             QDir::toNativeSeparators(dir_.path() + '/'));
}

void TestCommands::titleItWithNoRowSelectedTouchesNothing() {
    WritePage(dir_.path(), "a.html", "A");
    AddFiles({"a.html"});
    SelectRows({0});
    SelectRows({});
    calls_ = 0;
    QCOMPARE(TitleIt("New"), QString());
    QCOMPARE(calls_, 0);
    QVERIFY(ReadFile(dir_.filePath("a.html")).contains("<title>A</title>"));
}

void TestCommands::selectAllMarksTheSelectionChanged() {
    form_->SelectAll1->trigger();
    QVERIFY(!form_->FileSelected());
    for (const char* name : {"A", "B", "C"})
        WritePage(dir_.path(), name, "t");
    AddFiles({"A", "B", "C"});
    form_->SpeedButton1->setFocus(); // a button never takes it: the focus stays where it was
    QWidget* focused = QApplication::focusWidget();
    form_->SelectAll1->trigger();
    QVERIFY(form_->FileSelected());
    QCOMPARE(QApplication::focusWidget(), focused);
    QCOMPARE(form_->ListView->selectionModel()->selectedRows().size(), 3);
}

void TestCommands::removeCommandsTouchNoFile() {
    for (const char* name : {"A", "B", "C", "D"})
        WritePage(dir_.path(), name, "t");
    AddFiles({"A", "B", "C", "D"});
    calls_ = 0;
    SelectRows({0, 2});
    form_->Remove1->trigger();
    QCOMPARE(RowNames(*form_), QStringList({"B", "D"}));
    SelectRows({1});
    form_->Remove1->trigger();
    QCOMPARE(RowNames(*form_), QStringList({"B"}));
    form_->RemoveAll1->trigger();
    QCOMPARE(form_->Files()->rowCount(), 0);
    QCOMPARE(calls_, 0);
    QCOMPARE(QDir(dir_.path()).entryList(QDir::Files).size(), 4); // no file touched
}

TITORA_GUI_TEST_MAIN(TestCommands)

#include "tst_commands.moc"
