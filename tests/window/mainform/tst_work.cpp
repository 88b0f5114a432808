// Long commands: the file work off the window's thread with progress, Stop, Escape and closing
// the window while it runs, and files and folders dropped on the list. The engine is held at
// a chosen call through the window's seam, so nothing depends on timing but the 200 ms after
// which progress shows.
#include "busy_indicator.h"
#include "driver.h"
#include "file_list_view.h"
#include "framework/flatbutton.h"
#include "framework/panel.h"
#include "title_engine.h"

#include <atomic>
#include <QDropEvent>
#include <QInputDialog>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QSemaphore>
#include <QTemporaryDir>
#include <QtTest>

// Counts the events of one type that a widget gets while the counter lives.
struct EventCounter : QObject {
    EventCounter(QWidget* widget, QEvent::Type type) : type(type) {
        widget->installEventFilter(this);
    }
    bool eventFilter(QObject*, QEvent* event) override {
        count += event->type() == type;
        return false;
    }
    QEvent::Type type;
    int count = 0;
};

class TestWork : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void stoppingTitleItLeavesEveryPageOldOrNew_data();
    void stoppingTitleItLeavesEveryPageOldOrNew();
    void dropsListPagesOfFilesAndFolders();
    void dropDuringACommandWaitsForIt();
    void dragEnteringOverAButtonIsTaken();
    void longWorkLeavesItsCountUntilClicked();

private:
    // The engine stops at its `call`-th call (counting reads and writes) until released.
    void HoldEngineAt(int call);
    // Runs `action` from the event loop once the engine is held, then lets it go on.
    void WhileHeld(std::function<void()> action);
    // Drags `paths` into the window, entering over `over` at `at` in its coordinates, and
    // drops them there; Qt hands the events on to the window as it does a real drag's.
    void Drop(const QStringList& paths, QPoint at, QWidget* over = nullptr);
    QPoint ListMiddle() const {
        return form_->ListView->mapTo(form_, form_->ListView->rect().center());
    }

    QTemporaryDir dir_;
    TForm1* form_ = nullptr;
    QSemaphore gate_;
    std::atomic<int> calls_{0};
    std::atomic<bool> held_{false};
};

void TestWork::init() {
    QVERIFY(dir_.isValid());
    form_ = new TForm1;
    form_->show();
    form_->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(form_));
    calls_ = 0;
    held_ = false;
}

void TestWork::cleanup() {
    CancelPendingDialogs();
    delete form_;
    form_ = nullptr;
    QDir(dir_.path()).removeRecursively();
    QDir().mkpath(dir_.path());
}

void TestWork::HoldEngineAt(int call) {
    const titora::TitleEngine real = titora::RealTitleEngine();
    auto count = [this, call] {
        if (++calls_ != call)
            return;
        held_ = true;
        gate_.acquire();
    };
    form_->Engine =
        titora::TitleEngine{[real, count](const std::string& path) {
                                count();
                                return real.ReadTitle(path);
                            },
                            [real, count](const std::string& p, const titora::TitleEncoder& t,
                                          const titora::WriteOptions& options) {
                                count();
                                real.WriteTitle(p, t, options);
                            }};
}

void TestWork::WhileHeld(std::function<void()> action) {
    auto* timer = new QTimer(&PendingDialogs());
    QObject::connect(timer, &QTimer::timeout, [this, timer, action] {
        if (!held_)
            return;
        timer->stop();
        timer->deleteLater();
        action();
        gate_.release();
    });
    timer->start(5);
}

void TestWork::Drop(const QStringList& paths, QPoint at, QWidget* over) {
    QWidget* target = over ? over : form_;
    QMimeData data;
    QList<QUrl> urls;
    for (const QString& path : paths)
        urls << QUrl::fromLocalFile(path);
    data.setUrls(urls);
    QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &enter);
    if (!enter.isAccepted())
        return;
    QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &drop);
}

void TestWork::stoppingTitleItLeavesEveryPageOldOrNew_data() {
    QTest::addColumn<QString>("how");
    QTest::newRow("Stop button") << "button";
    QTest::newRow("Escape") << "escape";
    QTest::newRow("closing the window") << "close";
}

void TestWork::stoppingTitleItLeavesEveryPageOldOrNew() {
    QFETCH(QString, how);
    std::vector<std::string> paths;
    for (const char* name : {"A", "B", "C", "D", "E", "F"})
        paths.push_back(
            QFile::encodeName(QDir::toNativeSeparators(WritePage(dir_.path(), name, "old")))
                .toStdString());
    form_->Files()->AddFiles(paths, titora::RealTitleEngine());
    form_->ListView->setFocus();
    form_->SelectAll1->trigger();
    // Rows are visited from the last: F and E are written and read again, then the engine
    // is held writing D, the file in hand when the stop comes.
    HoldEngineAt(5);

    TBusyIndicator* busy = form_->Busy();
    WhileHeld([&] {
        // The window paints while the work runs, and after 200 ms shows how far it is.
        QTRY_VERIFY(busy->ProgressLine()->isVisible());
        QCOMPARE(form_->Panel2->Caption(), QStringLiteral("Modifying......"));
        QCOMPARE(busy->ProgressLine()->text(), QStringLiteral("2 of 6"));
        QCOMPARE(form_->Panel2->AccessibleText(), QStringLiteral("Modifying...... 2 of 6"));
        QCOMPARE(busy->ProgressBar()->value(), 333);
        QVERIFY(!form_->ListView->isEnabled());
        EventCounter paints(form_->ListView->viewport(), QEvent::Paint);
        form_->ListView->viewport()->update();
        QTRY_VERIFY(paints.count > 0);
        // The other commands do nothing meanwhile.
        form_->RemoveAll1->trigger();
        QCOMPARE(form_->Files()->rowCount(), 6);
        if (how == "button")
            QTest::mouseClick(busy->StopButton(), Qt::LeftButton);
        else if (how == "escape") {
            // The input box has just closed; the window is active again, as the window
            // manager makes it.
            form_->activateWindow();
            QTRY_VERIFY(form_->isActiveWindow());
            QTest::keyClick(form_, Qt::Key_Escape);
        } else
            QVERIFY(!form_->close());
    });
    OnModal<QInputDialog>([](QInputDialog* box) {
        box->setTextValue(QStringLiteral("New"));
        box->accept();
    });
    QString message;
    OnModal<QMessageBox>([&](QMessageBox* box) {
        message = box->text();
        box->accept();
    });
    QTest::mouseClick(form_->SpeedButton2, Qt::LeftButton);
    // The count is the files written, D among them, not the one last shown.
    if (how != "close")
        QTRY_COMPARE(message, QStringLiteral("Stopped: 3 of 6 files written."));

    QCOMPARE(RowNames(*form_), QStringList({"A", "B", "C", "F", "E", "D"}));
    for (const char* name : {"A", "B", "C"})
        QVERIFY(ReadFile(dir_.filePath(name)).contains("<title>old</title>"));
    for (const char* name : {"D", "E", "F"})
        QVERIFY(ReadFile(dir_.filePath(name)).contains("<title>New</title>"));
    QCOMPARE(form_->ListView->selectionModel()->selectedRows().size(), 3);
    QCOMPARE(calls_.load(), 6);
    if (how == "close")
        QVERIFY(message.isEmpty());
    QVERIFY(form_->Panel2->isHidden());
    QVERIFY(!busy->ProgressLine()->isVisible());
    QCOMPARE(form_->Panel2->height(), 41);
    QVERIFY(form_->ListView->isEnabled());
    QCOMPARE(form_->isVisible(), how != "close");
}

void TestWork::dropsListPagesOfFilesAndFolders() {
    const QDir root(dir_.path());
    QVERIFY(root.mkpath("site/b/c") && root.mkpath("site/a"));
    WritePage(root.filePath("site"), "index.HTML", "Home");
    WritePage(root.filePath("site"), "notes.txt", "not a page");
    WritePage(root.filePath("site/a"), "one.htm", "One");
    WritePage(root.filePath("site/b"), "locked.asp", "Locked");
    WritePage(root.filePath("site/b/c"), "two.shtml", "Two");
    // A link back up the tree is walked no second time.
    QVERIFY(QFile::link(root.filePath("site"), root.filePath("site/b/c/loop")));
    const QString single = WritePage(root.path(), "single.txt", "Named");
    const titora::TitleEngine real = titora::RealTitleEngine();
    form_->Engine.ReadTitle = [real](const std::string& path) {
        if (path.find("locked") != std::string::npos)
            throw std::runtime_error("Cannot open file " + path);
        return real.ReadTitle(path);
    };

    QString message;
    OnModal<QMessageBox>([&](QMessageBox* box) {
        message = box->text();
        box->accept();
    });
    // A command this short shows no progress.
    const EventCounter progressShown(form_->Busy()->ProgressLine(), QEvent::Show);
    Drop({root.filePath("site"), single, root.filePath("missing")}, ListMiddle());

    QTRY_VERIFY(!message.isEmpty());
    QCOMPARE(progressShown.count, 0);
    // Paths as the system spells them: Qt's "/" become "\\" on Windows.
    const auto native = [](const QString& path) { return QDir::toNativeSeparators(path); };
    const QString site = root.filePath("site") + '/';
    QCOMPARE(RowTexts(*form_), QStringList({"one.htm|One|" + native(site + "a/"),
                                            "two.shtml|Two|" + native(site + "b/c/"),
                                            "index.HTML|Home|" + native(site),
                                            "single.txt|Named|" + native(root.path() + '/')}));
    QCOMPARE(message, "2 files or folders could not be read and were left out:\n" +
                          native(site + "b/locked.asp") + '\n' + native(root.filePath("missing")));
}

void TestWork::dropDuringACommandWaitsForIt() {
    std::vector<std::string> paths;
    for (const char* name : {"a.html", "b.html"})
        paths.push_back(
            QFile::encodeName(QDir::toNativeSeparators(WritePage(dir_.path(), name, "T")))
                .toStdString());
    const QString dropped = WritePage(dir_.path(), "dropped.html", "D");
    HoldEngineAt(1);
    int rowsWhenDropped = -1;
    WhileHeld([&] {
        Drop({dropped}, ListMiddle());
        rowsWhenDropped = form_->Files()->rowCount();
    });
    form_->AddPaths(paths);
    QTRY_COMPARE(form_->Files()->rowCount(), 3);
    QCOMPARE(rowsWhenDropped, 0);
    QCOMPARE(RowNames(*form_), QStringList({"a.html", "b.html", "dropped.html"}));
}

void TestWork::dragEnteringOverAButtonIsTaken() {
    const QString page = WritePage(dir_.path(), "page.html", "HTML Tutorial");
    Drop({page}, QPoint(3, 3), form_->SpeedButton1);
    QTRY_COMPARE(RowNames(*form_), QStringList({"page.html"}));
}

void TestWork::longWorkLeavesItsCountUntilClicked() {
    std::vector<std::string> paths;
    for (const char* name : {"a.html", "b.html"})
        paths.push_back(QFile::encodeName(WritePage(dir_.path(), name, "T")).toStdString());
    HoldEngineAt(1);
    WhileHeld([&] { QTRY_VERIFY(form_->Busy()->ProgressLine()->isVisible()); });
    form_->AddPaths(paths);
    QTRY_COMPARE(form_->Files()->rowCount(), 2);
    QVERIFY(form_->Panel2->isVisible());
    QCOMPARE(form_->Panel2->Caption(), QStringLiteral("2 files added"));
    QCOMPARE(form_->Panel2->height(), 41);
    QTest::mouseClick(form_->Panel2, Qt::LeftButton);
    QVERIFY(form_->Panel2->isHidden());
}

TITORA_GUI_TEST_MAIN(TestWork)

#include "tst_work.moc"
