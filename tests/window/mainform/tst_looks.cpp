// The main window as everyone meets it: our colours under a dark desktop, one font everywhere,
// and the captions' size at the scale the test runs at (it runs at 1x and at 2x). What a screen
// reader sees of it is checked on a real accessibility bus (tests/a11y).
#include "busy_indicator.h"
#include "driver.h"
#include "file_list_view.h"
#include "framework/flatbutton.h"
#include "framework/panel.h"

#include <QFontDatabase>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QtTest>

namespace {

bool Dark(QRgb pixel) {
    return QColor(pixel).lightness() < 80;
}

// How many rows of `image` hold a dark pixel: the height of a caption's glyphs.
int InkHeight(const QImage& image) {
    int rows = 0;
    for (int y = 0; y < image.height(); ++y) {
        bool ink = false;
        for (int x = 0; x < image.width() && !ink; ++x)
            ink = Dark(image.pixel(x, y));
        rows += ink;
    }
    return rows;
}

int DarkPixels(const QImage& image) {
    int dark = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            dark += Dark(image.pixel(x, y));
    return dark;
}

} // namespace

class TestLooks : public QObject {
    Q_OBJECT
    TForm1* form_ = nullptr;

    // What the window shows of `control`, in device pixels.
    QImage Shot(QWidget* control) const {
        return form_->Panel1->grab(control->geometry())
            .toImage()
            .convertToFormat(QImage::Format_RGB32);
    }

private Q_SLOTS:
    void init() {
        form_ = new TForm1;
        form_->show();
        QVERIFY(QTest::qWaitForWindowExposed(form_));
    }
    void cleanup() {
        delete form_;
        form_ = nullptr;
    }

    // The captions and the busy indicator keep their own colours on the light picture.
    void captionsStayDarkOnADarkDesktop() {
        const QPalette saved = QApplication::palette();
        QPalette dark(QColor(0x35, 0x35, 0x35), QColor(0x2a, 0x2a, 0x2a));
        dark.setColor(QPalette::Text, Qt::white);
        QApplication::setPalette(dark);
        form_->Panel2->show();
        for (TSpeedButton* button :
             {form_->SpeedButton1, form_->SpeedButton2, form_->SpeedButton3, form_->SpeedButton4})
            QVERIFY2(DarkPixels(Shot(button)) > 20, qPrintable(button->Caption()));
        const QImage busy = Shot(form_->Panel2);
        QVERIFY(DarkPixels(busy) > 20);
        QCOMPARE(QColor(busy.pixel(busy.width() / 10, busy.height() / 2)),
                 QColor(0xC0, 0xC0, 0xC0));
        // So do the progress line and the Stop button below it, once shown: dark text on a
        // light face, in a window made under the dark palette.
        TForm1 form;
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        TBusyIndicator* indicator = form.Busy();
        indicator->ProgressLine()->setText(QStringLiteral("1,234 of 5,000"));
        indicator->ProgressLine()->parentWidget()->show();
        form.Panel2->resize(form.Panel2->width(), 89);
        form.Panel2->show();
        const qreal ratio = form.devicePixelRatio();
        const QImage shot = form.Panel1->grab(form.Panel2->geometry()).toImage();
        for (QWidget* part : {static_cast<QWidget*>(indicator->ProgressLine()),
                              static_cast<QWidget*>(indicator->StopButton())}) {
            const QRect at(part->mapTo(form.Panel2, QPoint()) * ratio, part->size() * ratio);
            const int dark = DarkPixels(shot.copy(at));
            QVERIFY2(dark > 20 && dark < at.width() * at.height() / 3,
                     part->objectName().toLatin1());
        }
        QApplication::setPalette(saved);
    }

    // At 2x the glyphs are twice as tall as the same caption drawn at 1x; at 1x the bitmap face,
    // where it is installed, stays.
    void captionGlyphsFollowTheScale() {
        const qreal ratio = form_->devicePixelRatio();
        const QRect area = form_->SpeedButton1->geometry();
        QImage one(area.size(), QImage::Format_RGB32);
        form_->Panel1->render(&one, QPoint(), QRegion(area));
        const int height = InkHeight(one);
        QVERIFY(height >= 7);
        QVERIFY(qAbs(InkHeight(Shot(form_->SpeedButton1)) - ratio * height) <= ratio);
        if (ratio > 1)
            QVERIFY(QFontDatabase::isSmoothlyScalable(DefaultFamily()));
        else if (QFile::exists("/usr/share/wine/fonts/ms_sans_serif.ttf"))
            QCOMPARE(DefaultFamily(), QString("MS Sans Serif"));
    }

    void oneFontEverywhere() {
        QCOMPARE(QApplication::font(), DefaultFont());
        QCOMPARE(form_->PopupMenu1->font(), DefaultFont());
        QCOMPARE(form_->ListView->font(), DefaultFont());
        QMessageBox box;
        QCOMPARE(box.font(), DefaultFont());
    }
};

TITORA_GUI_TEST_MAIN(TestLooks)

#include "tst_looks.moc"
