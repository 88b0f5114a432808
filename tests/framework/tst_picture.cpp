#include "framework/jpeg.h"
#include "framework/picture.h"
#include "test_support.h"

#include <QFile>
#include <QMessageBox>
#include <QPushButton>

class TestPicture : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // Nothing is decoded before the first painting, and only once however often it paints.
    void decodedOnceAtFirstPaint() {
        const int before = TImage::DecodeCount();
        QWidget window;
        window.resize(60, 40);
        TImage image(&window);
        image.setGeometry(0, 0, 30, 20);
        image.SetPicture(QStringLiteral(":/test/progressive.jpg"));
        QCOMPARE(TImage::DecodeCount(), before);
        QVERIFY(!image.PictureDecoded());
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QTRY_VERIFY(image.PictureDecoded());
        QCOMPARE(TImage::DecodeCount(), before + 1);
        image.repaint();
        image.grab();
        QCOMPARE(TImage::DecodeCount(), before + 1);
        QCOMPARE(image.Picture().size(), QSize(40, 30));
    }

    // Unscaled from the top-left corner, clipped: the control shows the picture's own pixels.
    void drawnUnscaledFromTheTopLeft() {
        QFile file(QStringLiteral(":/test/progressive.jpg"));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QImage expected = DecodeJpeg(file.readAll());
        TImage image;
        image.resize(30, 20);
        image.SetPicture(QStringLiteral(":/test/progressive.jpg"));
        const QImage shown = image.grab().toImage().convertToFormat(QImage::Format_RGB32);
        QCOMPARE(shown.size(), QSize(30, 20));
        QCOMPARE(shown, expected.copy(0, 0, 30, 20));
    }

    // A missing picture is reported once through the error box, not at every painting.
    void missingPictureIsReportedOnce() {
        int boxes = 0;
        QString text;
        auto confirm = [&](QWidget* w) {
            auto* box = qobject_cast<QMessageBox*>(w);
            ++boxes;
            text = box->text();
            box->button(QMessageBox::Ok)->click();
        };
        WhenModal(confirm);
        TImage image;
        image.resize(30, 20);
        image.SetPicture(QStringLiteral(":/test/missing.jpg"));
        image.show();
        QTRY_COMPARE(boxes, 1);
        QCOMPARE(text, QStringLiteral("Cannot open file :/test/missing.jpg."));
        image.repaint();
        image.grab();
        QTest::qWait(50);
        QCOMPARE(boxes, 1);
        QVERIFY(!image.PictureDecoded());
    }

    void pressesGoToOnMouseDown() {
        TImage image;
        image.resize(30, 20);
        Qt::MouseButton button = Qt::NoButton;
        QPoint at;
        Qt::KeyboardModifiers modifiers;
        image.OnMouseDown = [&](Qt::MouseButton b, Qt::KeyboardModifiers m, QPoint p) {
            button = b;
            modifiers = m;
            at = p;
        };
        QTest::mousePress(&image, Qt::RightButton, Qt::ShiftModifier, QPoint(7, 9));
        QCOMPARE(button, Qt::RightButton);
        QCOMPARE(modifiers, Qt::ShiftModifier);
        QCOMPARE(at, QPoint(7, 9));
        QTest::mouseRelease(&image, Qt::RightButton, Qt::ShiftModifier, QPoint(7, 9));
    }
};

TITORA_FRAMEWORK_TEST_MAIN(TestPicture)
#include "tst_picture.moc"
