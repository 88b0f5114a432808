#include "framework/jpeg.h"

#include <QFile>
#include <QTest>
#include <stdexcept>

namespace {

QByteArray Resource(const QString& name) {
    QFile file(QStringLiteral(":/test/") + name);
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    return file.readAll();
}

bool Near(const QColor& a, const QColor& b) {
    return qAbs(a.red() - b.red()) <= 12 && qAbs(a.green() - b.green()) <= 12 &&
           qAbs(a.blue() - b.blue()) <= 12;
}

} // namespace

class TestJpeg : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // Both pictures are 40 x 30, the left half red, the right half blue.
    void decodesColourPictures_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("startOfFrame");
        QTest::newRow("progressive") << "progressive.jpg" << QByteArray("\xFF\xC2", 2);
        QTest::newRow("baseline") << "baseline.jpg" << QByteArray("\xFF\xC0", 2);
    }
    void decodesColourPictures() {
        QFETCH(QString, name);
        QFETCH(QByteArray, startOfFrame);
        const QByteArray data = Resource(name);
        QVERIFY(data.contains(startOfFrame));
        const QImage image = DecodeJpeg(data);
        QCOMPARE(image.size(), QSize(40, 30));
        QCOMPARE(image.format(), QImage::Format_RGB32);
        QVERIFY(Near(image.pixelColor(5, 15), Qt::red));
        QVERIFY(Near(image.pixelColor(34, 15), Qt::blue));
        QVERIFY(Near(image.pixelColor(0, 0), Qt::red));
        QVERIFY(Near(image.pixelColor(39, 29), Qt::blue));
    }

    void decodesGreyPictures() {
        const QImage image = DecodeJpeg(Resource(QStringLiteral("gray.jpg")));
        QCOMPARE(image.size(), QSize(8, 8));
        QVERIFY(Near(image.pixelColor(4, 4), QColor(128, 128, 128)));
    }

    // libjpeg's own error handler would end the process; ours throws.
    void brokenDataThrows_data() {
        QTest::addColumn<QByteArray>("data");
        const QByteArray good = Resource(QStringLiteral("baseline.jpg"));
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("not a JPEG") << QByteArray("GIF89a not a picture at all");
        QTest::newRow("only the start marker") << good.left(2);
        QTest::newRow("cut inside the header") << good.left(40);
        QByteArray noWidth = good;
        const int sof = noWidth.indexOf(QByteArray("\xFF\xC0", 2));
        noWidth[sof + 7] = 0; // width, high byte
        noWidth[sof + 8] = 0; // width, low byte
        QTest::newRow("zero width") << noWidth;
        QByteArray badTable = good;
        const int dqt = badTable.indexOf(QByteArray("\xFF\xDB", 2));
        badTable[dqt + 4] = char(0x07); // quantisation table number out of range
        QTest::newRow("bad quantisation table") << badTable;
    }
    void brokenDataThrows() {
        QFETCH(QByteArray, data);
        QVERIFY_THROWS_EXCEPTION(std::runtime_error, DecodeJpeg(data));
    }

    void errorCarriesLibjpegsMessage() {
        try {
            DecodeJpeg(QByteArray("nonsense"));
            QFAIL("no exception");
        } catch (const std::runtime_error& e) {
            QVERIFY(QByteArray(e.what()).contains("JPEG"));
        }
    }
};

QTEST_GUILESS_MAIN(TestJpeg)
#include "tst_jpeg.moc"
