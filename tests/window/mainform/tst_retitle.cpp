// Retitle Selected and Undo Last Retitle through the window, with the real dialogs: a
// template typed into the dialog, the preview read, the pages written and the summary read,
// the rows updated where they stand; then the retitle undone.
#include "driver.h"
#include "file_list_view.h"
#include "retitle_dialog.h"

#include <QAbstractItemView>
#include <QCheckBox>
#include <QItemSelectionModel>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

class TestRetitle : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void templatePreviewWriteSummaryAndUndo();
};

namespace {

QString Cell(QAbstractItemModel* model, int row, int column) {
    return model->index(row, column).data().toString();
}

QByteArray Page(const QByteArray& title) {
    return "<html>\n<head><title>" + title +
           "</title></head>\n<body><h1>Big</h1></body>\n</html>\n";
}

} // namespace

void TestRetitle::templatePreviewWriteSummaryAndUndo() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QStringList names = {"a.html", "b.html", "c.html"};
    for (const QString& name : names) {
        QFile file(dir.filePath(name));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(Page(name == "c.html" ? "c | Big" : "Old"));
    }
    TForm1 form;
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    ChooseInAddFiles(form, dir.path(), names);
    QCOMPARE(form.Files()->rowCount(), 3);
    form.ListView->setFocus();
    form.ListView->selectAll();

    QStringList preview;
    QString summary;
    OnModal<TRetitleDialog>([&](TRetitleDialog* dialog) {
        auto* edit = dialog->findChild<QLineEdit*>(QStringLiteral("TemplateEdit"));
        edit->selectAll();
        QTest::keyClicks(edit, QStringLiteral("{name} | {h1}"));
        QTRY_COMPARE(dialog->findChild<QLabel*>(QStringLiteral("SummaryLabel"))->text(),
                     QStringLiteral("2 to write, 1 unchanged, 0 refused"));
        QAbstractItemModel* model =
            dialog->findChild<QAbstractItemView*>(QStringLiteral("PreviewTable"))->model();
        for (int row = 0; row < model->rowCount(); ++row)
            preview << Cell(model, row, 1) + "|" + Cell(model, row, 2) + "|" + Cell(model, row, 3);
        dialog->findChild<QCheckBox*>(QStringLiteral("KeepLineBreaksCheck"))->setChecked(true);
        OnModal<TRetitleDialog>([&](TRetitleDialog* again) {
            summary = again->findChild<QLabel*>(QStringLiteral("SummaryLabel"))->text();
            QTest::mouseClick(again->findChild<QPushButton*>(QStringLiteral("CloseButton")),
                              Qt::LeftButton);
        });
        QTest::mouseClick(dialog->findChild<QPushButton*>(QStringLiteral("WriteButton")),
                          Qt::LeftButton);
    });
    form.RetitleSelected1->trigger();
    QCOMPARE(preview, QStringList({"Old|a | Big|replace the title", "Old|b | Big|replace the title",
                                   "c | Big|c | Big|unchanged"}));
    QCOMPARE(summary, QStringLiteral("2 written, 1 unchanged, 0 failed"));
    // Written keeping their line breaks; the rows keep their places and show the new titles.
    QCOMPARE(ReadFile(dir.filePath("a.html")), Page("a | Big"));
    QCOMPARE(RowNames(form), names);
    QCOMPARE(Cell(form.Files(), 1, 1), QStringLiteral("b | Big"));

    // b is changed by hand; undo puts a back and leaves b alone, naming it.
    {
        QFile file(dir.filePath("b.html"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(Page("By hand"));
    }
    QString told;
    OnModal<QMessageBox>([&](QMessageBox* box) {
        told = box->text();
        box->accept();
    });
    form.UndoRetitle1->trigger();
    QVERIFY2(told.startsWith("1 page was put back.\n\nChanged since the retitle"),
             qPrintable(told));
    QVERIFY(told.endsWith("b.html"));
    QCOMPARE(ReadFile(dir.filePath("a.html")), Page("Old"));
    QCOMPARE(Cell(form.Files(), 0, 1), QStringLiteral("Old"));
    QCOMPARE(ReadFile(dir.filePath("b.html")), Page("By hand"));
    CancelPendingDialogs();
}

TITORA_GUI_TEST_MAIN(TestRetitle)

#include "tst_retitle.moc"
