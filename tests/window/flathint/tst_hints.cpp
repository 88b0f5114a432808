// The framework's hint machinery, driven by real pointer moves: the offscreen platform turns
// QCursor::setPos into enter, leave and move events for the window under the new position.

#include "framework/hints.h"
#include "test_main.h"

#include <QListWidget>
#include <QPushButton>
#include <QToolTip>

namespace {

// A plain hint window that remembers what it was asked to show.
class TRecordingHintWindow : public THintWindow {
public:
    void ShowHintAt(const QRect& HintRect, const QString& HintText) override {
        Shown << HintText;
        THintWindow::ShowHintAt(HintRect, HintText);
    }
    static QStringList Shown;
};
QStringList TRecordingHintWindow::Shown;

} // namespace

class TestHints : public QObject {
    Q_OBJECT
    THintManager& Hints() { return Application->Hints(); }
    bool HintVisible() { return Hints().HintWindow() && Hints().HintWindow()->isVisible(); }

    void MoveTo(QWidget* W, QPoint Local = QPoint(-1, -1)) {
        if (Local == QPoint(-1, -1))
            Local = W->rect().center();
        QCursor::setPos(W->mapToGlobal(Local));
        QCoreApplication::processEvents();
    }
    void MoveAway() {
        QCursor::setPos(QPoint(790, 590)); // on no window of ours
        QCoreApplication::processEvents();
    }
    // Waits until the hint for the control under the pointer has been shown.
    void WaitForHint() { QTRY_VERIFY_WITH_TIMEOUT(HintVisible(), 5000); }

    QWidget* Form = nullptr;
    QPushButton* Button1 = nullptr;
    QPushButton* Button2 = nullptr;
    QWidget* Plain = nullptr;
    QPushButton* LongOnly = nullptr;
    QListWidget* List = nullptr;

private Q_SLOTS:
    void initTestCase() {
        Application->CreateForm(Form);
        Form->setGeometry(0, 0, 500, 400);
        Button1 = new QPushButton("Add Files", Form);
        Button1->setGeometry(10, 10, 80, 30);
        Button1->setToolTip("Let's begin|Adds page files to the list");
        Button2 = new QPushButton("Title It", Form);
        Button2->setGeometry(10, 60, 80, 30);
        Button2->setToolTip("Go on!");
        Plain = new QWidget(Form);
        Plain->setGeometry(10, 110, 80, 30);
        LongOnly = new QPushButton("Long", Form);
        LongOnly->setGeometry(10, 160, 80, 30);
        LongOnly->setToolTip("|only a long hint");
        List = new QListWidget(Form);
        List->setGeometry(150, 10, 200, 200);
        List->setToolTip("Press the right mouse button");
        Form->show();
        QVERIFY(QTest::qWaitForWindowActive(Form));

        Hints().SetHintWindowClass([] { return new TRecordingHintWindow; });
        Hints().SetShowHint(false);
        Hints().SetShowHint(true);
        Hints().SetHintPause(500);
        Hints().SetHintShortPause(25);
        Hints().SetHintHidePause(5000);
    }

    void init() {
        MoveAway();
        Hints().SetOnShowHint(nullptr);
        TRecordingHintWindow::Shown.clear();
    }

    void shortHintIsThePartBeforeTheBar_data() {
        QTest::addColumn<QString>("Hint");
        QTest::addColumn<QString>("Short");
        QTest::newRow("plain") << "Go on!"
                               << "Go on!";
        QTest::newRow("short and long") << "Let's begin|Adds files"
                                        << "Let's begin";
        QTest::newRow("long only") << "|Adds files"
                                   << "";
        QTest::newRow("two bars") << "a|b|c"
                                  << "a";
        QTest::newRow("empty") << ""
                               << "";
    }
    void shortHintIsThePartBeforeTheBar() {
        QFETCH(QString, Hint);
        QFETCH(QString, Short);
        QCOMPARE(THintManager::GetShortHint(Hint), Short);
    }

    void qtToolTipsNeverShow() {
        int Seen = 0;
        struct TCounter : QObject {
            int& Count;
            explicit TCounter(int& C) : Count(C) {}
            bool eventFilter(QObject*, QEvent* E) override {
                Count += E->type() == QEvent::ToolTip;
                return false;
            }
        } Counter(Seen);
        Button2->installEventFilter(&Counter);
        QHelpEvent Help(QEvent::ToolTip, QPoint(5, 5), Button2->mapToGlobal(QPoint(5, 5)));
        QVERIFY(QApplication::sendEvent(Button2, &Help));
        QCOMPARE(Seen, 0);
        QVERIFY(!QToolTip::isVisible());
        Button2->removeEventFilter(&Counter);
    }

    void hintPauseThenHidePause() {
        THintWindow* Window = Hints().HintWindow();
        MoveTo(Button1);
        QCOMPARE(Hints().HintControl(), Button1);
        QCOMPARE(Hints().PendingDelay(), 500);
        QVERIFY(!HintVisible());
        WaitForHint();
        QCOMPARE(TRecordingHintWindow::Shown, QStringList{"Let's begin"});
        QCOMPARE(Hints().PendingDelay(), 5000);

        // Moving within the control changes nothing.
        MoveTo(Button1, QPoint(5, 5));
        QVERIFY(HintVisible());
        QCOMPARE(Hints().PendingDelay(), 5000);

        // When the hide pause runs out the window is hidden, not destroyed, and the same
        // control does not show its hint again.
        QTRY_VERIFY_WITH_TIMEOUT(!HintVisible(), 15000);
        QCOMPARE(Hints().HintWindow(), Window);
        MoveTo(Button1, QPoint(6, 6));
        QCOMPARE(Hints().PendingDelay(), -1);
        QCOMPARE(TRecordingHintWindow::Shown.size(), 1);
    }

    void shortPauseAfterAHintHasShown() {
        MoveTo(Button1);
        WaitForHint();
        MoveTo(Button2);
        QVERIFY(!HintVisible()); // the showing hint goes at once
        QCOMPARE(Hints().PendingDelay(), 25);
        WaitForHint();
        QCOMPARE(TRecordingHintWindow::Shown, (QStringList{"Let's begin", "Go on!"}));
    }

    void aControlWithoutHintEndsTheHint() {
        MoveTo(Button1);
        WaitForHint();
        MoveTo(Plain);
        QVERIFY(!HintVisible());
        QCOMPARE(Hints().HintControl(), nullptr);
        QCOMPARE(Hints().PendingDelay(), -1);
        // The next hint waits the full pause again.
        MoveTo(Button2);
        QCOMPARE(Hints().PendingDelay(), 500);
    }

    void aListViewportShowsTheListsHint() {
        MoveTo(List->viewport());
        QCOMPARE(Hints().HintControl(), List);
        WaitForHint();
        QCOMPARE(TRecordingHintWindow::Shown, QStringList{"Press the right mouse button"});
    }

    void inputAndLeavingHideTheHint_data() {
        QTest::addColumn<int>("Way");
        QTest::newRow("key press") << 0;
        QTest::newRow("mouse button") << 1;
        QTest::newRow("pointer leaves the window") << 2;
        QTest::newRow("application deactivated") << 3;
    }
    void inputAndLeavingHideTheHint() {
        QFETCH(int, Way);
        THintWindow* Window = Hints().HintWindow();
        MoveTo(Button2);
        WaitForHint();
        if (Way == 0)
            QTest::keyClick(Form, Qt::Key_Shift);
        else if (Way == 1)
            QTest::mousePress(Button2, Qt::RightButton, {}, QPoint(5, 5));
        else if (Way == 2)
            MoveAway();
        else
            Q_EMIT qApp->applicationStateChanged(Qt::ApplicationInactive);
        QVERIFY(!HintVisible());
        QCOMPARE(Hints().HintWindow(), Window);
        QCOMPARE(Hints().PendingDelay(), -1);
        if (Way == 1)
            QTest::mouseRelease(Button2, Qt::RightButton, {}, QPoint(5, 5));
    }

    void showHintHandlerDecides() {
        int Calls = 0;
        Hints().SetOnShowHint([&](QString& HintStr, bool&, THintInfo& Info) {
            ++Calls;
            QCOMPARE(Info.HintControl, Button2);
            QCOMPARE(Info.HideTimeout, 5000);
            HintStr = "Changed & shown";
        });
        MoveTo(Button2);
        WaitForHint();
        QCOMPARE(Calls, 1);
        QCOMPARE(TRecordingHintWindow::Shown, QStringList{"Changed & shown"});
        QCOMPARE(Hints().HintWindow()->Text(), QString("Changed & shown"));
    }

    void nothingShowsWhenRefusedOrEmpty_data() {
        QTest::addColumn<bool>("Refuse");
        QTest::addColumn<bool>("LongHintOnly");
        QTest::newRow("CanShow set false") << true << false;
        QTest::newRow("empty short hint") << false << true;
    }
    void nothingShowsWhenRefusedOrEmpty() {
        QFETCH(bool, Refuse);
        QFETCH(bool, LongHintOnly);
        int Calls = 0;
        QString Seen;
        Hints().SetOnShowHint([&](QString& HintStr, bool& CanShow, THintInfo&) {
            ++Calls;
            Seen = HintStr;
            if (Refuse)
                CanShow = false;
        });
        MoveTo(LongHintOnly ? LongOnly : Button2);
        QTRY_COMPARE_WITH_TIMEOUT(Calls, 1, 5000);
        QCOMPARE(Seen, LongHintOnly ? QString() : QString("Go on!"));
        QCOMPARE(Hints().PendingDelay(), -1);
        QVERIFY(TRecordingHintWindow::Shown.isEmpty());
        QVERIFY(!HintVisible());
    }

    void switchFreesAndRecreatesTheWindow() {
        Hints().SetShowHint(false);
        QCOMPARE(Hints().HintWindow(), nullptr);
        MoveTo(Button2);
        QTRY_COMPARE_WITH_TIMEOUT(Hints().PendingDelay(), -1, 5000);
        QVERIFY(TRecordingHintWindow::Shown.isEmpty());
        Hints().SetShowHint(true);
        QVERIFY(dynamic_cast<TRecordingHintWindow*>(Hints().HintWindow()));
        QVERIFY(Hints().HintWindow()->windowFlags().testFlag(Qt::WindowDoesNotAcceptFocus));
        QVERIFY(Hints().HintWindow()->testAttribute(Qt::WA_ShowWithoutActivating));
    }

    void hintWindowNeverTakesTheActivation() {
        MoveTo(Button1);
        WaitForHint();
        QCOMPARE(QApplication::activeWindow(), Form);
        QCOMPARE(Hints().HintWindow()->windowType(), Qt::ToolTip);
    }
};

TITORA_HINT_TEST_MAIN(TestHints)
#include "tst_hints.moc"
