#include "framework/application.h"
#include "framework/flatbutton.h"
#include "framework/tcolor.h"
#include "test_support.h"

#include <QCursor>
#include <QDialog>
#include <QImage>
#include <QMouseEvent>
#include <QPainter>

namespace {

const QColor kPicture(40, 160, 90);

// A window filled with one colour, standing in for the background picture; it counts the
// presses that reach it.
class Backdrop : public QWidget {
public:
    int presses = 0;
    Backdrop() {
        setAutoFillBackground(true);
        QPalette pal = palette();
        pal.setColor(QPalette::Window, kPicture);
        setPalette(pal);
        resize(200, 100);
    }

protected:
    void mousePressEvent(QMouseEvent*) override { ++presses; }
};

// The bounding box of the pixels that differ from the backdrop: the caption and the edges.
QRect CaptionBox(const QImage& image) {
    QRect box;
    for (int y = 2; y < image.height() - 2; ++y) {
        for (int x = 2; x < image.width() - 2; ++x) {
            if (image.pixelColor(x, y) != kPicture) {
                box |= QRect(x, y, 1, 1);
            }
        }
    }
    return box;
}

// The number of pixels that differ from the backdrop.
int Ink(const QImage& image) {
    int ink = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            ink += image.pixelColor(x, y) != kPicture ? 1 : 0;
        }
    }
    return ink;
}

} // namespace

class TestFlatButton : public QObject {
    Q_OBJECT
    Backdrop* backdrop = nullptr;
    TSpeedButton* button = nullptr;
    TSpeedButton* other = nullptr;
    QWindow* window = nullptr;
    int clicks = 0;

    QImage Look() const {
        return backdrop->grab(button->geometry()).toImage().convertToFormat(QImage::Format_RGB32);
    }
    QPoint Inside(TSpeedButton* b) const { return b->geometry().center(); }
    QPoint Outside() const { return QPoint(5, 90); }

private Q_SLOTS:
    void init() {
        backdrop = new Backdrop;
        button = new TSpeedButton(backdrop);
        button->setGeometry(10, 10, 58, 50);
        button->SetCaption(QStringLiteral("Add Files"));
        button->SetFontColor(clBlack);
        button->OnClick = [this] { ++clicks; };
        other = new TSpeedButton(backdrop);
        other->setGeometry(100, 10, 58, 50);
        other->SetCaption(QStringLiteral("Exit"));
        clicks = 0;
        backdrop->show();
        QVERIFY(QTest::qWaitForWindowExposed(backdrop));
        window = backdrop->windowHandle();
        QTest::mouseMove(window, Outside());
    }
    void cleanup() {
        QCursor::setPos(backdrop->mapToGlobal(Outside()));
        QTest::mouseRelease(window, Qt::LeftButton, {}, Outside());
        delete backdrop;
    }

    void restHotAndPressedLooks() {
        const QColor light = ColorToQColor(clBtnHighlight);
        const QColor dark = ColorToQColor(clBtnShadow);
        QVERIFY(light != dark);

        const QImage rest = Look();
        QCOMPARE(button->state(), TSpeedButton::State::Rest);
        QCOMPARE(rest.pixel(0, 0), QColor(kPicture).rgb());
        QCOMPARE(rest.pixel(57, 49), QColor(kPicture).rgb());
        QCOMPARE(rest.pixel(2, 2), QColor(kPicture).rgb()); // no fill
        QVERIFY(CaptionBox(rest).isValid());

        QTest::mouseMove(window, Inside(button));
        QCOMPARE(button->state(), TSpeedButton::State::Hot);
        const QImage hot = Look();
        QCOMPARE(hot.pixel(0, 0), QColor(light).rgb());
        QCOMPARE(hot.pixel(30, 0), QColor(light).rgb());
        QCOMPARE(hot.pixel(0, 25), QColor(light).rgb());
        QCOMPARE(hot.pixel(57, 49), QColor(dark).rgb());
        QCOMPARE(hot.pixel(30, 49), QColor(dark).rgb());
        QCOMPARE(hot.pixel(57, 25), QColor(dark).rgb());
        QCOMPARE(hot.pixel(1, 1), QColor(kPicture).rgb());
        QCOMPARE(CaptionBox(hot), CaptionBox(rest));

        QTest::mousePress(window, Qt::LeftButton, {}, Inside(button));
        QCOMPARE(button->state(), TSpeedButton::State::Pressed);
        const QImage pressed = Look();
        QCOMPARE(pressed.pixel(0, 0), QColor(dark).rgb());
        QCOMPARE(pressed.pixel(30, 0), QColor(dark).rgb());
        QCOMPARE(pressed.pixel(57, 49), QColor(light).rgb());
        QCOMPARE(pressed.pixel(1, 1), QColor(kPicture).rgb());
        QCOMPARE(CaptionBox(pressed), CaptionBox(hot).translated(1, 1));
    }

    // The caption is bold, also in the bitmap-only "MS Sans Serif", which has no bold face:
    // it covers clearly more of the picture than the same caption in the regular font.
    void captionIsDrawnBold() {
        other->SetCaption(button->Caption());
        other->SetFontColor(clBlack);
        other->setFont(DefaultFont(false));
        const int bold = Ink(Look());
        const int regular =
            Ink(backdrop->grab(other->geometry()).toImage().convertToFormat(QImage::Format_RGB32));
        QVERIFY2(regular > 0 && bold * 4 >= regular * 5,
                 qPrintable(QStringLiteral("bold %1, regular %2").arg(bold).arg(regular)));
    }

    // A modal box opened by the button's own click brings the button back to rest while it is
    // up; once the box has closed, the release that opened it leaves the button hot if the
    // pointer is back over it, at rest otherwise. The click comes through the window, or is
    // sent to the button itself, by-passing the window's mouse tracking: the button then gets
    // no leave event when the box comes up, as on platforms that drop it. The pointer is moved
    // as the user moves it.
    void modalBoxFromItsOwnClick_data() {
        QTest::addColumn<bool>("throughTheWindow");
        QTest::addColumn<bool>("backOver");
        QTest::newRow("through the window, pointer back over") << true << true;
        QTest::newRow("through the window, pointer left on the box") << true << false;
        QTest::newRow("sent to the button, pointer back over") << false << true;
        QTest::newRow("sent to the button, pointer left on the box") << false << false;
    }
    void modalBoxFromItsOwnClick() {
        QFETCH(bool, throughTheWindow);
        QFETCH(bool, backOver);
        const QPoint local(29, 25);
        const QPoint overButton = button->mapToGlobal(local);
        TSpeedButton::State during = TSpeedButton::State::Pressed;
        button->OnClick = [&] {
            QDialog box;
            box.setGeometry(300, 300, 100, 80);
            WhenModal([&](QWidget* dialog) {
                QCursor::setPos(dialog->mapToGlobal(QPoint(50, 40)));
                during = button->state();
                if (backOver) {
                    QCursor::setPos(overButton);
                }
                qobject_cast<QDialog*>(dialog)->accept();
            });
            box.exec();
        };
        if (throughTheWindow) {
            QCursor::setPos(overButton);
            QTRY_COMPARE(button->state(), TSpeedButton::State::Hot);
            QTest::mousePress(window, Qt::LeftButton, {}, Inside(button));
            QTest::mouseRelease(window, Qt::LeftButton, {}, Inside(button));
        } else {
            QEnterEvent enter(local, local, overButton);
            QApplication::sendEvent(button, &enter);
            QCOMPARE(button->state(), TSpeedButton::State::Hot);
            QMouseEvent press(QEvent::MouseButtonPress, local, overButton, Qt::LeftButton,
                              Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(button, &press);
            QMouseEvent release(QEvent::MouseButtonRelease, local, overButton, Qt::LeftButton,
                                Qt::NoButton, Qt::NoModifier);
            QApplication::sendEvent(button, &release);
        }
        QCOMPARE(during, TSpeedButton::State::Rest);
        QCOMPARE(button->state(), backOver ? TSpeedButton::State::Hot : TSpeedButton::State::Rest);
    }

    void clickRunsOnReleaseInside() {
        QTest::mouseMove(window, Inside(button));
        QTest::mousePress(window, Qt::LeftButton, {}, Inside(button));
        QCOMPARE(clicks, 0);
        QTest::mouseRelease(window, Qt::LeftButton, {}, Inside(button));
        QCOMPARE(clicks, 1);
        QCOMPARE(button->state(), TSpeedButton::State::Hot);
    }

    void heldButtonFollowsTheMouse() {
        QTest::mouseMove(window, Inside(button));
        QTest::mousePress(window, Qt::LeftButton, {}, Inside(button));
        QTest::mouseMove(window, Outside());
        QCOMPARE(button->state(), TSpeedButton::State::Hot);
        QTest::mouseMove(window, Inside(button));
        QCOMPARE(button->state(), TSpeedButton::State::Pressed);
        QTest::mouseMove(window, Outside());
        QTest::mouseRelease(window, Qt::LeftButton, {}, Outside());
        QCOMPARE(clicks, 0);
        QCOMPARE(button->state(), TSpeedButton::State::Rest);
    }

    // Moving over another button while one is held does not make the other hot.
    void noHotLookWhileAnotherControlHasTheMouse() {
        QTest::mouseMove(window, Inside(button));
        QTest::mousePress(window, Qt::LeftButton, {}, Inside(button));
        QTest::mouseMove(window, Inside(other));
        QCOMPARE(other->state(), TSpeedButton::State::Rest);
        QTest::mouseRelease(window, Qt::LeftButton, {}, Inside(other));
        QCOMPARE(clicks, 0);
        QCOMPARE(button->state(), TSpeedButton::State::Rest);
        // Once the mouse is free again, the button under it is hot.
        QCOMPARE(other->state(), TSpeedButton::State::Hot);
    }

    void noHotLookWhileTheMouseIsGrabbed() {
        QWidget grabber(backdrop);
        grabber.setGeometry(0, 70, 10, 10);
        grabber.show();
        grabber.grabMouse();
        QTest::mouseMove(window, Inside(other));
        QCOMPARE(other->state(), TSpeedButton::State::Rest);
        grabber.releaseMouse();
    }

    // Right and middle presses do nothing to the button and never reach the picture below.
    void otherButtonsNeitherPressNorFallThrough_data() {
        QTest::addColumn<Qt::MouseButton>("mouseButton");
        QTest::newRow("right") << Qt::RightButton;
        QTest::newRow("middle") << Qt::MiddleButton;
    }
    void otherButtonsNeitherPressNorFallThrough() {
        QFETCH(Qt::MouseButton, mouseButton);
        QTest::mouseMove(window, Inside(button));
        QTest::mousePress(window, mouseButton, {}, Inside(button));
        QCOMPARE(button->state(), TSpeedButton::State::Hot);
        QTest::mouseRelease(window, mouseButton, {}, Inside(button));
        QCOMPARE(clicks, 0);
        QCOMPARE(backdrop->presses, 0);
        QTest::mousePress(window, Qt::LeftButton, {}, Inside(button));
        QTest::mouseRelease(window, Qt::LeftButton, {}, Inside(button));
        QCOMPARE(backdrop->presses, 0);
    }

    void neverTakesTheFocus() {
        QCOMPARE(button->focusPolicy(), Qt::NoFocus);
        QTest::mouseClick(window, Qt::LeftButton, {}, Inside(button));
        QVERIFY(!button->hasFocus());
    }
};

TITORA_FRAMEWORK_TEST_MAIN(TestFlatButton)
#include "tst_flatbutton.moc"
