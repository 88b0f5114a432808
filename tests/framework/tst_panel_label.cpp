#include "framework/label.h"
#include "framework/panel.h"
#include "test_support.h"

#include <QFontMetrics>
#include <QImage>

namespace {

// Counts the paint events a widget receives.
class PaintCounter : public QObject {
public:
    int paints = 0;
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            ++paints;
        }
        return false;
    }
};

QImage Shot(QWidget& w) {
    return w.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

// The bounding box of the pixels in `colour`.
QRect PixelsOf(const QImage& image, const QColor& colour) {
    QRect box;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (image.pixelColor(x, y) == colour) {
                box |= QRect(x, y, 1, 1);
            }
        }
    }
    return box;
}

} // namespace

class TestPanelLabel : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void bevelsAndFace_data() {
        QTest::addColumn<int>("outer");
        QTest::addColumn<int>("inner");
        QTest::addColumn<QString>("topLeft");     // colours at (0,0) and (1,1): L light, D dark,
        QTest::addColumn<QString>("bottomRight"); // F face; bottom right the same, from the corner
        using B = TPanel::TBevel;
        QTest::newRow("raised") << int(B::Raised) << int(B::None) << "LF"
                                << "DF";
        QTest::newRow("lowered") << int(B::Lowered) << int(B::None) << "DF"
                                 << "LF";
        QTest::newRow("none") << int(B::None) << int(B::None) << "FF"
                              << "FF";
        QTest::newRow("raised, lowered inside") << int(B::Raised) << int(B::Lowered) << "LD"
                                                << "DL";
    }
    void bevelsAndFace() {
        QFETCH(int, outer);
        QFETCH(int, inner);
        QFETCH(QString, topLeft);
        QFETCH(QString, bottomRight);
        TPanel panel;
        panel.resize(40, 20);
        panel.SetBevelOuter(TPanel::TBevel(outer));
        panel.SetBevelInner(TPanel::TBevel(inner));
        panel.SetColor(clWhite);
        const QImage shot = Shot(panel);
        auto colour = [](QChar c) {
            return c == QLatin1Char('L')   ? ColorToQColor(clBtnHighlight)
                   : c == QLatin1Char('D') ? ColorToQColor(clBtnShadow)
                                           : QColor(Qt::white);
        };
        QCOMPARE(shot.pixel(0, 0), QColor(colour(topLeft[0])).rgb());
        QCOMPARE(shot.pixel(1, 1), QColor(colour(topLeft[1])).rgb());
        QCOMPARE(shot.pixel(39, 19), QColor(colour(bottomRight[0])).rgb());
        QCOMPARE(shot.pixel(38, 18), QColor(colour(bottomRight[1])).rgb());
        QCOMPARE(shot.pixel(20, 10), QColor(QColor(Qt::white)).rgb());
    }

    void captionIsCentred() {
        TPanel panel;
        panel.resize(185, 41);
        panel.setFont(DefaultFont());
        panel.SetColor(clWhite);
        panel.SetFontColor(clBlack);
        panel.SetCaption(QStringLiteral("Loading......."));
        const QRect ink = PixelsOf(Shot(panel), Qt::black);
        QVERIFY(ink.isValid());
        QVERIFY(qAbs(ink.left() - (185 - 1 - ink.right())) <= 1);
        QVERIFY(qAbs(ink.top() - (41 - 1 - ink.bottom())) <= 3);
    }

    // The busy indicator paints before PaintNow returns, without the event loop.
    void paintNowIsSynchronous() {
        QWidget window;
        window.resize(300, 100);
        TPanel panel(&window);
        panel.setGeometry(10, 10, 185, 41);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        PaintCounter counter;
        panel.installEventFilter(&counter);
        panel.SetCaption(QStringLiteral("Modifying......"));
        panel.PaintNow();
        QCOMPARE(counter.paints, 1);
    }

    void labelSizesItselfToItsText() {
        TLabel label;
        label.setFont(DefaultFont());
        label.setText(QStringLiteral("Titora"));
        const int shortWidth = label.width();
        label.setText(QStringLiteral("Titora, a much longer caption"));
        QVERIFY(label.width() > shortWidth);
        QCOMPARE(label.size(), label.sizeHint());

        TLabel fixed;
        fixed.setFixedSize(20, 10);
        fixed.setText(QStringLiteral("Titora, a much longer caption"));
        QCOMPARE(fixed.size(), QSize(20, 10));
    }

    void labelClickNeedsPressAndReleaseInside() {
        TLabel label(QStringLiteral("mail@example.org"));
        int clicks = 0;
        label.OnClick = [&clicks] { ++clicks; };
        QTest::mouseClick(&label, Qt::LeftButton);
        QCOMPARE(clicks, 1);
        QTest::mouseClick(&label, Qt::RightButton);
        QCOMPARE(clicks, 1);
        QTest::mousePress(&label, Qt::LeftButton);
        QTest::mouseRelease(&label, Qt::LeftButton, {}, QPoint(-5, -5));
        QCOMPARE(clicks, 1);
    }
};

TITORA_FRAMEWORK_TEST_MAIN(TestPanelLabel)
#include "tst_panel_label.moc"
