// The About box, driven for real: shown modally through exec() with the
// actions performed from timers while its own loop runs, mouse movement
// delivered through the window the way the platform delivers it.

#include "framework/application.h"
#include "framework/label.h"
#include "framework/panel.h"
#include "framework/picture.h"
#include "framework/tcolor.h"
#include "Unit2.h"

#include <QCloseEvent>
#include <QFile>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QtTest>
#include <QWindow>

#include <functional>
#include <memory>

namespace {

// Runs `action` once the box is the active modal window, inside exec()'s own
// loop. If the action leaves the box open, it is closed anyway so that a
// failing test ends instead of hanging; `stillOpen` then tells the test.
struct ModalRun {
    bool sawModal = false;
    bool stillOpen = false;
};

ModalRun execWith(const std::function<void()>& action) {
    // Shared with the timers, which may still be queued when exec() returns.
    struct State {
        ModalRun run;
        bool finished = false;
        std::function<void()> poll;
    };
    auto state = std::make_shared<State>();
    std::weak_ptr<State> weak = state;
    state->poll = [weak, action] {
        auto s = weak.lock();
        if (!s || s->finished)
            return;
        if (QApplication::activeModalWidget() != AboutBox) {
            QTimer::singleShot(10, s->poll);
            return;
        }
        s->run.sawModal = true;
        action();
        QTimer::singleShot(0, [weak] {
            auto s = weak.lock();
            if (s && !s->finished && AboutBox->isVisible()) {
                s->run.stillOpen = true;
                AboutBox->done(QDialog::Rejected);
            }
        });
    };
    QTimer::singleShot(0, state->poll);
    AboutBox->exec();
    state->finished = true;
    state->poll = nullptr;
    return state->run;
}

QPoint inBox(const QWidget* control, QPoint local = QPoint(2, 2)) {
    return control->mapTo(AboutBox, local);
}

void moveMouseTo(QPoint boxPos) {
    QTest::mouseMove(AboutBox->windowHandle(), boxPos);
    QCoreApplication::processEvents();
}

} // namespace

class TestAbout : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void picturesAreEmbedded();
    void windowDefinition();
    void controlPlaces_data();
    void controlPlaces();
    void firstShowingCentredLaterWhereLeft();
    void enterAndCloseBoxCloseEscapeDoesNot();
    void linkColoursFollowTheMouse();
    void linkColoursPersistBetweenShowings();
    void linkClickHandsOverItsCaption();
    void pictureShowsItsLeft65Columns();
    void pictureDecodedOnce();

private:
    int decodesBefore_ = 0;
};

void TestAbout::initTestCase() {
    decodesBefore_ = TImage::DecodeCount();
    Application->CreateForm(AboutBox);
    QVERIFY(AboutBox != nullptr);
    QVERIFY(!AboutBox->isVisible());
    QVERIFY(!AboutBox->Image1->PictureDecoded());
}

void TestAbout::picturesAreEmbedded() {
    // The pictures reach this executable through two static libraries.
    for (const char* path : {":/background.jpg", ":/about.jpg", ":/titora.png"})
        QVERIFY2(QFile::exists(QString::fromLatin1(path)), path);
    QCOMPARE(QImage(QStringLiteral(":/titora.png")).size(), QSize(32, 32));
}

void TestAbout::windowDefinition() {
    QCOMPARE(AboutBox->windowTitle(), QStringLiteral("About"));
    QCOMPARE(AboutBox->size(), QSize(370, 159));
    QCOMPARE(AboutBox->minimumSize(), QSize(370, 159));
    QCOMPARE(AboutBox->maximumSize(), QSize(370, 159));
    const Qt::WindowFlags flags = AboutBox->windowFlags();
    QVERIFY(flags.testFlag(Qt::WindowCloseButtonHint));
    QVERIFY(flags.testFlag(Qt::WindowTitleHint));
    QVERIFY(!flags.testFlag(Qt::WindowMinimizeButtonHint));
    QVERIFY(!flags.testFlag(Qt::WindowMaximizeButtonHint));
    QVERIFY(!flags.testFlag(Qt::WindowContextHelpButtonHint));
    QCOMPARE(AboutBox->palette().color(QPalette::Window), ColorToQColor(clBtnFace));
    QCOMPARE(AboutBox->font(), DefaultFont());
    QVERIFY(AboutBox->OKButton->isDefault());
    QCOMPARE(AboutBox->OKButton->text(), QStringLiteral("OK"));

    // Each link's caption is the very text its click hands over.
    QCOMPARE(AboutBox->Label2->text(), QStringLiteral("mailto:support@example.org"));
    QCOMPARE(AboutBox->Label5->text(), QStringLiteral("http://www.example.org/titora/"));
    QCOMPARE(AboutBox->Label2->cursor().shape(), Qt::PointingHandCursor);
    QCOMPARE(AboutBox->Label5->cursor().shape(), Qt::PointingHandCursor);

    // The credit is one line inside its fixed 129 x 17.
    const QFontMetrics metrics(AboutBox->Comments->font());
    QVERIFY(!AboutBox->Comments->text().isEmpty());
    QVERIFY(metrics.horizontalAdvance(AboutBox->Comments->text()) <= 129);
    QVERIFY(metrics.height() <= 17);
}

void TestAbout::controlPlaces_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("place"); // width and height 0: the control sizes itself
    QTest::addColumn<QString>("text");
    QTest::newRow("Panel1") << "Panel1" << QRect(8, 8, 353, 113) << QString();
    QTest::newRow("OKButton") << "OKButton" << QRect(15, 128, 90, 25) << "OK";
    QTest::newRow("Image1") << "Image1" << QRect(16, 8, 65, 81) << QString();
    QTest::newRow("ProductName") << "ProductName" << QRect(88, 8, 0, 0) << "Titora";
    QTest::newRow("Version") << "Version" << QRect(88, 24, 0, 0)
                             << QStringLiteral("Version " TITORA_VERSION);
    QTest::newRow("Comments") << "Comments" << QRect(88, 40, 129, 17) << QString();
    QTest::newRow("Label1") << "Label1" << QRect(88, 56, 0, 0)
                            << "If you have any question please ";
    QTest::newRow("Label2") << "Label2" << QRect(88, 72, 0, 0) << QString();
    QTest::newRow("Label4") << "Label4" << QRect(88, 88, 0, 0) << "or you can visit  :";
    QTest::newRow("Label5") << "Label5" << QRect(176, 88, 0, 0) << QString();
}

void TestAbout::controlPlaces() {
    QFETCH(QString, name);
    QFETCH(QRect, place);
    QFETCH(QString, text);
    auto* control = AboutBox->findChild<QWidget*>(name);
    QVERIFY(control != nullptr);
    QCOMPARE(control->pos(), place.topLeft());
    if (place.width() > 0) {
        QCOMPARE(control->size(), place.size());
    } else {
        auto* label = qobject_cast<QLabel*>(control);
        QVERIFY(label != nullptr);
        const QFontMetrics metrics(label->font());
        QCOMPARE(label->width(), metrics.horizontalAdvance(label->text()));
        QCOMPARE(label->height(), metrics.height());
        // Nothing on the panel runs over its inner edge.
        QVERIFY(label->geometry().right() < AboutBox->Panel1->width() - 2);
    }
    if (!text.isEmpty()) {
        if (auto* label = qobject_cast<QLabel*>(control))
            QCOMPARE(label->text(), text);
        else
            QCOMPARE(qobject_cast<QPushButton*>(control)->text(), text);
    }
}

void TestAbout::firstShowingCentredLaterWhereLeft() {
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    QRect firstPlace;
    const QPoint userPlace(screen.left() + 37, screen.top() + 51);
    ModalRun run = execWith([&] {
        firstPlace = AboutBox->frameGeometry();
        AboutBox->move(userPlace); // as if dragged by its caption bar
        AboutBox->OKButton->click();
    });
    QVERIFY(run.sawModal);
    QVERIFY(!run.stillOpen);
    QCOMPARE(firstPlace.left() - screen.left(), (screen.width() - firstPlace.width()) / 2);
    QCOMPARE(firstPlace.top() - screen.top(), (screen.height() - firstPlace.height()) / 2);

    QPoint secondPlace;
    run = execWith([&] {
        secondPlace = AboutBox->pos();
        AboutBox->OKButton->click();
    });
    QVERIFY(!run.stillOpen);
    QCOMPARE(secondPlace, userPlace);
}

void TestAbout::enterAndCloseBoxCloseEscapeDoesNot() {
    // Escape first, which must leave the box open; then the key that closes.
    for (Qt::Key key : {Qt::Key_Return, Qt::Key_Enter}) {
        bool openAfterEscape = false;
        ModalRun run = execWith([&] {
            QWidget* focus = QApplication::focusWidget() ? QApplication::focusWidget() : AboutBox;
            QTest::keyClick(focus, Qt::Key_Escape);
            openAfterEscape = AboutBox->isVisible();
            QTest::keyClick(AboutBox, key);
        });
        QVERIFY(openAfterEscape);
        QVERIFY2(!run.stillOpen, "Enter did not close the box");
    }

    // The close box of the caption bar: the platform sends the window a
    // close request.
    ModalRun run = execWith([] {
        QTest::keyClick(AboutBox, Qt::Key_Escape);
        QCloseEvent closeRequest;
        QCoreApplication::sendEvent(AboutBox->windowHandle(), &closeRequest);
    });
    QVERIFY2(!run.stillOpen, "the close box did not close the box");
    QVERIFY(!AboutBox->isVisible());
}

void TestAbout::linkColoursFollowTheMouse() {
    TLabel* mail = AboutBox->Label2;
    TLabel* web = AboutBox->Label5;
    QCOMPARE(mail->FontColor(), clWindowText);
    QCOMPARE(web->FontColor(), clWindowText);

    AboutBox->show();
    QVERIFY(QTest::qWaitForWindowExposed(AboutBox));
    struct Step {
        const char* where;
        QPoint pos;
        TColor mail, web;
    };
    TPanel* panel = AboutBox->Panel1;
    const Step steps[] = {
        {"the dialog face", QPoint(3, 3), clWindowText, clWindowText},
        {"the mail link", inBox(mail), clBlue, clWindowText},
        {"the product name", inBox(AboutBox->ProductName), clBlue, clWindowText},
        {"the picture", inBox(AboutBox->Image1, QPoint(30, 40)), clBlue, clWindowText},
        {"the web link", inBox(web), clBlue, clBlue},
        {"the OK button", inBox(AboutBox->OKButton, QPoint(40, 12)), clBlue, clBlue},
        {"the panel's bare face", inBox(panel, QPoint(300, 30)), clBlack, clBlack},
        {"the web link again", inBox(web, QPoint(5, 5)), clBlack, clBlue},
        {"the panel's frame", inBox(panel, QPoint(0, 50)), clBlack, clBlack},
        {"the mail link again", inBox(mail, QPoint(5, 5)), clBlue, clBlack},
        {"outside the panel", QPoint(365, 60), clBlue, clBlack},
    };
    for (const Step& step : steps) {
        moveMouseTo(step.pos);
        QVERIFY2(mail->FontColor() == step.mail, step.where);
        QVERIFY2(web->FontColor() == step.web, step.where);
    }
    // The colour reaches the screen: the drawn caption is pure blue.
    const QImage drawn = mail->grab().toImage();
    bool sawBlue = false;
    for (int y = 0; y < drawn.height() && !sawBlue; ++y)
        for (int x = 0; x < drawn.width() && !sawBlue; ++x)
            sawBlue = drawn.pixelColor(x, y) == QColor(0, 0, 255);
    QVERIFY(sawBlue);
    AboutBox->hide();
}

void TestAbout::linkColoursPersistBetweenShowings() {
    AboutBox->Panel1MouseMove(Qt::NoModifier, QPoint(300, 30));
    AboutBox->Label5MouseMove(Qt::NoModifier, QPoint(1, 1));
    TColor mailSeen = 0, webSeen = 0;
    ModalRun run = execWith([&] {
        mailSeen = AboutBox->Label2->FontColor();
        webSeen = AboutBox->Label5->FontColor();
        AboutBox->Label2MouseMove(Qt::NoModifier, QPoint(1, 1));
        AboutBox->OKButton->click();
    });
    QVERIFY(!run.stillOpen);
    QCOMPARE(mailSeen, clBlack);
    QCOMPARE(webSeen, clBlue);
    run = execWith([&] {
        mailSeen = AboutBox->Label2->FontColor();
        webSeen = AboutBox->Label5->FontColor();
        AboutBox->OKButton->click();
    });
    QCOMPARE(mailSeen, clBlue);
    QCOMPARE(webSeen, clBlue);
}

void TestAbout::linkClickHandsOverItsCaption() {
    QStringList handedOver;
    const auto realOpener = TAboutBox::OpenLink;
    TAboutBox::OpenLink = [&](const QString& link) { handedOver << link; };
    bool openAfterClicks = false;
    int windowsShown = 0;
    ModalRun run = execWith([&] {
        QTest::mouseClick(AboutBox->Label2, Qt::LeftButton, Qt::NoModifier, QPoint(4, 4));
        QTest::mouseClick(AboutBox->Label5, Qt::LeftButton, Qt::NoModifier, QPoint(4, 4));
        // A right click is no click of a link.
        QTest::mouseClick(AboutBox->Label5, Qt::RightButton, Qt::NoModifier, QPoint(4, 4));
        QCoreApplication::processEvents();
        openAfterClicks = AboutBox->isVisible();
        for (QWidget* top : QApplication::topLevelWidgets())
            windowsShown += top->isVisible() ? 1 : 0;
        QTest::keyClick(AboutBox, Qt::Key_Return);
    });
    TAboutBox::OpenLink = realOpener;
    QVERIFY(!run.stillOpen);
    QVERIFY(openAfterClicks);
    QCOMPARE(windowsShown, 1); // the box, and no message of our own
    QCOMPARE(handedOver, QStringList({AboutBox->Label2->text(), AboutBox->Label5->text()}));
}

void TestAbout::pictureShowsItsLeft65Columns() {
    const QImage shot = AboutBox->grab().toImage();
    const QImage& picture = AboutBox->Image1->Picture();
    QCOMPARE(picture.size(), QSize(67, 81));
    const QPoint origin = inBox(AboutBox->Image1, QPoint(0, 0));
    QCOMPARE(origin, QPoint(24, 16));
    for (int y = 0; y < 81; ++y)
        for (int x = 0; x < 65; ++x)
            QCOMPARE(shot.pixel(origin.x() + x, origin.y() + y), picture.pixel(x, y));
    // Right of the 65 columns the panel's face shows, not the picture.
    const QColor face = ColorToQColor(clHighlightText);
    for (int y = 0; y < 81; ++y)
        QCOMPARE(shot.pixelColor(origin.x() + 65, origin.y() + y), face);
}

void TestAbout::pictureDecodedOnce() {
    AboutBox->grab();
    QVERIFY(AboutBox->Image1->PictureDecoded());
    QCOMPARE(TImage::DecodeCount() - decodesBefore_, 1);
}

int main(int argc, char** argv) {
    TApplication app(argc, argv);
    app.Initialize();
    app.SetTitle(QStringLiteral("Titora"));
    TestAbout test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_about.moc"
