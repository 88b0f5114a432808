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

// A page: what precedes its title, its title's bytes and the text the list shows for them;
// the title typed, the bytes written for it and the text the list shows afterwards.
struct EncodedPage {
    const char* name;
    const char* head;
    const char* old;
    const char* shown;
    const char* typed;
    const char* written;
    const char* shownAfter;
};

const EncodedPage kPages[] = {
    {"Latin-1", "<html><head><meta charset=\"iso-8859-1\">", "\223Caf\xE9 na\xEFve\x94",
     "“Café naïve”", "Café déjà €", "Caf\xE9 d\xE9j\xE0 \x80", "Café déjà €"},
    {"windows-1252",
     "<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=windows-1252\">",
     "\x80 5", "€ 5", "€ 10 – ✓", "\x80 10 \x96 &#10003;", "€ 10 – &#10003;"},
    {"Shift_JIS", "<HTML><HEAD><META CHARSET=Shift_JIS>", "\x93\xFA\x96\x7B", "日本",
     "日本語</TITLE>", "\x93\xFA\x96\x7B\x8C\xEA&lt;/TITLE>", "日本語&lt;/TITLE>"},
    {"EUC-KR", "<html><head><meta content='text/html; charset=euc-kr' http-equiv='content-type'>",
     "\xC7\xD1\x8C\x63", "한똠", "한국어 똠", "\xC7\xD1\xB1\xB9\xBE\xEE \x8C\x63", "한국어 똠"},
    {"UTF-8 with a byte-order mark", "\xEF\xBB\xBF<html><head>", "Caf\xC3\xA9", "Café", "Ça ✓",
     "\303\207a \xE2\x9C\x93", "Ça ✓"},
    {"UTF-8 declared", "<html><head><meta charset=utf-8>", "\xE2\x82\xAC", "€", "€ &amp; more",
     "\xE2\x82\xAC &amp; more", "€ &amp; more"},
    // The system's code page, UTF-8 on this platform, as before.
    {"nothing declared", "<html><head>", "Caf\xC3\xA9", "Café", "Café </title> €",
     "Caf\xC3\xA9 &lt;/title> \xE2\x82\xAC", "Café &lt;/title> €"},
};

void TestEncodings::titleItWritesEachPageInItsEncoding_data() {
    QTest::addColumn<QByteArray>("head");
    QTest::addColumn<QByteArray>("old");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QByteArray>("written");
    QTest::addColumn<QString>("shownAfter");
    for (const EncodedPage& page : kPages)
        QTest::newRow(page.name) << QByteArray(page.head) << QByteArray(page.old)
                                 << QString::fromUtf8(page.shown) << QString::fromUtf8(page.typed)
                                 << QByteArray(page.written) << QString::fromUtf8(page.shownAfter);
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
