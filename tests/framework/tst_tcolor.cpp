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

    // System colours follow the palette of the running application, not a fixed table.
    void systemColoursFollowThePalette() {
        const QPalette saved = QApplication::palette();
        QPalette pal = saved;
        pal.setColor(QPalette::Button, QColor(1, 2, 3));
        pal.setColor(QPalette::Text, QColor(4, 5, 6));
        pal.setColor(QPalette::Light, QColor(7, 8, 9));
        pal.setColor(QPalette::Dark, QColor(10, 11, 12));
        pal.setColor(QPalette::ToolTipBase, QColor(13, 14, 15));
        pal.setColor(QPalette::ToolTipText, QColor(16, 17, 18));
        pal.setColor(QPalette::Highlight, QColor(19, 20, 21));
        QApplication::setPalette(pal);
        QCOMPARE(ColorToQColor(clBtnFace), QColor(1, 2, 3));
        QCOMPARE(ColorToQColor(clWindowText), QColor(4, 5, 6));
        QCOMPARE(ColorToQColor(clBtnHighlight), QColor(7, 8, 9));
        QCOMPARE(ColorToQColor(clBtnShadow), QColor(10, 11, 12));
        QCOMPARE(ColorToQColor(clInfoBk), QColor(13, 14, 15));
        QCOMPARE(ColorToQColor(clInfoText), QColor(16, 17, 18));
        QCOMPARE(ColorToQColor(clHighlight), QColor(19, 20, 21));
        QApplication::setPalette(saved);
    }

    void unknownSystemColourIsBlack() {
        QCOMPARE(ColorToQColor(clSystemColor | 200), QColor(Qt::black));
        // A top byte that is neither 0 nor 0xFF names nothing either.
        QCOMPARE(ColorToQColor(0x01FFFFFF), QColor(Qt::black));
    }
};

QTEST_MAIN(TestTColor)
#include "tst_tcolor.moc"
