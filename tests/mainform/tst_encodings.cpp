// Titles in each page's own encoding, through the window: the list shows a page's title
// decoded as the page declares, and Title It writes the typed title in that encoding,
// with character references for what it cannot hold.
#include "driver.h"
#include "file_list_view.h"

#include <QInputDialog>
#include <QItemSelectionModel>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QtTest>

class TestEncodings : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void titleItWritesEachPageInItsEncoding_data();
    void titleItWritesEachPageInItsEncoding();
};

void TestEncodings::titleItWritesEachPageInItsEncoding_data() {
    QTest::addColumn<QByteArray>("head");
    QTest::addColumn<QByteArray>("old");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QByteArray>("written");
    QTest::addColumn<QString>("shownAfter");

    QTest::newRow("Latin-1") << QByteArray("<html><head><meta charset=\"iso-8859-1\">")
                             << QByteArray("\x93"
                                           "Caf\xE9 na\xEFve\x94")
                             << QString::fromUtf8("“Café naïve”")
                             << QString::fromUtf8("Café déjà €")
                             << QByteArray("Caf\xE9 d\xE9j\xE0 &#8364;")
                             << QString::fromUtf8("Café déjà &#8364;");
    QTest::newRow("windows-1252") << QByteArray("<html><head><meta http-equiv=\"Content-Type\" "
                                                "content=\"text/html; charset=windows-1252\">")
                                  << QByteArray("\x80 5") << QString::fromUtf8("€ 5")
                                  << QString::fromUtf8("€ 10 – ✓")
                                  << QByteArray("\x80 10 \x96 &#10003;")
                                  << QString::fromUtf8("€ 10 – &#10003;");
    QTest::newRow("Shift_JIS") << QByteArray("<HTML><HEAD><META CHARSET=Shift_JIS>")
                               << QByteArray("\x93\xFA\x96\x7B") << QString::fromUtf8("日本")
                               << QString::fromUtf8("日本語</TITLE>")
                               << QByteArray("\x93\xFA\x96\x7B\x8C\xEA&lt;/TITLE>")
                               << QString::fromUtf8("日本語&lt;/TITLE>");
    QTest::newRow("EUC-KR") << QByteArray("<html><head><meta content='text/html; charset=euc-kr' "
                                          "http-equiv='content-type'>")
                            << QByteArray("\xC7\xD1\xB1\xB9") << QString::fromUtf8("한국")
                            << QString::fromUtf8("한국어 똠")
                            << QByteArray("\xC7\xD1\xB1\xB9\xBE\xEE &#46624;")
                            << QString::fromUtf8("한국어 &#46624;");
    QTest::newRow("UTF-8 with a byte-order mark")
        << QByteArray("\xEF\xBB\xBF<html><head>") << QByteArray("Caf\xC3\xA9")
        << QString::fromUtf8("Café") << QString::fromUtf8("Ça ✓")
        << QByteArray("\xC3\x87"
                      "a \xE2\x9C\x93")
        << QString::fromUtf8("Ça ✓");
    QTest::newRow("UTF-8 declared")
        << QByteArray("<html><head><meta charset=utf-8>") << QByteArray("\xE2\x82\xAC")
        << QString::fromUtf8("€") << QString::fromUtf8("€ &amp; more")
        << QByteArray("\xE2\x82\xAC &amp; more") << QString::fromUtf8("€ &amp; more");
    // The system's code page, UTF-8 on this platform, as before.
    QTest::newRow("nothing declared")
        << QByteArray("<html><head>") << QByteArray("Caf\xC3\xA9") << QString::fromUtf8("Café")
        << QString::fromUtf8("Café </title> €")
        << QByteArray("Caf\xC3\xA9 &lt;/title> \xE2\x82\xAC")
        << QString::fromUtf8("Café &lt;/title> €");
}

void TestEncodings::titleItWritesEachPageInItsEncoding() {
    QFETCH(QByteArray, head);
    QFETCH(QByteArray, old);
    QFETCH(QString, shown);
    QFETCH(QString, typed);
    QFETCH(QByteArray, written);
    QFETCH(QString, shownAfter);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QByteArray tail = "</title></head><body>x</body></html>";
    const QString path = dir.filePath("page.html");
    {
        QFile page(path);
        QVERIFY(page.open(QIODevice::WriteOnly));
        page.write(head + "<title>" + old + tail);
    }
    TForm1 form;
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    ChooseInAddFiles(form, dir.path(), {"page.html"});
    QCOMPARE(form.Files()->index(0, 1).data().toString(), shown);

    form.ListView->setFocus();
    form.ListView->selectionModel()->select(
        form.Files()->index(0, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
    bool errorShown = false;
    OnModal<QInputDialog>([&](QInputDialog* box) {
        OnModal<QMessageBox>([&](QMessageBox* error) {
            errorShown = true;
            error->accept();
        });
        // One key event carries the whole text, as an input method delivers it.
        QLineEdit* edit = box->findChild<QLineEdit*>();
        QTest::sendKeyEvent(QTest::Click, edit, Qt::Key_unknown, typed, Qt::NoModifier);
        QTest::keyClick(edit, Qt::Key_Return);
    });
    QTest::mouseClick(form.SpeedButton2, Qt::LeftButton);
    QVERIFY(!errorShown);
    QCOMPARE(ReadFile(path), head + "<title>" + written + tail);
    QCOMPARE(form.Files()->index(0, 1).data().toString(), shownAfter);
    CancelPendingDialogs();
}

TITORA_GUI_TEST_MAIN(TestEncodings)

#include "tst_encodings.moc"
