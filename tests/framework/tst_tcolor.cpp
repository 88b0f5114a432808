#include "framework/tcolor.h"

#include <QApplication>
#include <QPalette>
#include <QTest>

class TestTColor : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void rgbColours_data() {
        QTest::addColumn<quint32>("color");
        QTest::addColumn<QColor>("expected");
        QTest::newRow("black") << quint32(clBlack) << QColor(0, 0, 0);
        QTest::newRow("white") << quint32(clWhite) << QColor(255, 255, 255);
        QTest::newRow("blue is 0xFF0000") << quint32(clBlue) << QColor(0, 0, 255);
        QTest::newRow("red in the low byte") << quint32(0x0000FF) << QColor(255, 0, 0);
        QTest::newRow("bytes BBGGRR") << quint32(0x123456) << QColor(0x56, 0x34, 0x12);
    }
    void rgbColours() {
        QFETCH(quint32, color);
        QFETCH(QColor, expected);
        QCOMPARE(ColorToQColor(color), expected);
    }

    // System colours are the classic scheme's, whatever the desktop's palette: our controls are
    // drawn over fixed pictures, where a dark palette's light text would vanish.
    void systemColoursAreTheClassicScheme() {
        const QPalette saved = QApplication::palette();
        QPalette dark = saved;
        for (QPalette::ColorRole role :
             {QPalette::Button, QPalette::Text, QPalette::Light, QPalette::Dark,
              QPalette::ToolTipBase, QPalette::ToolTipText, QPalette::Highlight})
            dark.setColor(role, QColor(30, 30, 30));
        QApplication::setPalette(dark);
        QCOMPARE(ColorToQColor(clBtnFace), QColor(0xC0, 0xC0, 0xC0));
        QCOMPARE(ColorToQColor(clWindowText), QColor(0, 0, 0));
        QCOMPARE(ColorToQColor(clBtnHighlight), QColor(0xFF, 0xFF, 0xFF));
        QCOMPARE(ColorToQColor(clBtnShadow), QColor(0x80, 0x80, 0x80));
        QCOMPARE(ColorToQColor(clInfoBk), QColor(0xFF, 0xFF, 0xE1));
        QCOMPARE(ColorToQColor(clInfoText), QColor(0, 0, 0));
        QCOMPARE(ColorToQColor(clHighlight), QColor(0, 0, 0x80));
        QCOMPARE(ColorToQColor(clGrayText), QColor(0x80, 0x80, 0x80));
        QApplication::setPalette(saved);
    }

    void unknownSystemColourIsBlack() {
        QCOMPARE(ColorToQColor(clSystemColor | 200), QColor(Qt::black));
        QCOMPARE(ColorToQColor(clSystemColor | 25), QColor(Qt::black));
        // A top byte that is neither 0 nor 0xFF names nothing either.
        QCOMPARE(ColorToQColor(0x01FFFFFF), QColor(Qt::black));
    }
};

QTEST_MAIN(TestTColor)
#include "tst_tcolor.moc"
