// Check Titles end to end: real pages listed, the real report driven from a timer, its
// chosen findings made the list's selection, and the marks the check leaves on the rows.
#include "check_report.h"
#include "driver.h"
#include "file_list_view.h"
#include "framework/hints.h"
#include "TFlatHintUnit.h"

#include <QItemSelectionModel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <QtTest>

class TestCheck : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void reportSelectsTheChosenFindingsRows();
    void marksLastUntilTheListChanges();

private:
    // Runs Check Titles and hands the report to `onReport` while it is up.
    void CheckTitles(std::function<void(TCheckReport*)> onReport);
    QList<int> SelectedRows() const;
    QPixmap MarkOf(int row) const;

    QTemporaryDir dir_;
    TForm1* form_ = nullptr;
};

void TestCheck::init() {
    QVERIFY(dir_.isValid());
    const QDir dir(dir_.path());
    WritePage(dir, "a.html", "A title of fair length");
    WritePage(dir, "b.html", "The same title &amp; more");
    WritePage(dir, "c.html", "A page with no twin");
    WritePage(dir, "d.html", "The same  title &#38; more");
    QFile missing(dir.filePath("e.html"));
    QVERIFY(missing.open(QIODevice::WriteOnly));
    missing.write("<p>a fragment</p>");
    missing.close();
    form_ = new TForm1;
    form_->show();
    QVERIFY(QTest::qWaitForWindowExposed(form_));
    form_->AddPaths({QFile::encodeName(dir_.path()).toStdString()});
    QTRY_COMPARE(form_->Files()->rowCount(), 5);
}

void TestCheck::cleanup() {
    CancelPendingDialogs();
    delete form_;
    form_ = nullptr;
}

void TestCheck::CheckTitles(std::function<void(TCheckReport*)> onReport) {
    bool shown = false;
    OnModal<TCheckReport>([&shown, onReport](TCheckReport* report) {
        shown = true;
        onReport(report);
    });
    form_->CheckTitles1->trigger();
    QVERIFY(shown);
}

QList<int> TestCheck::SelectedRows() const {
    QList<int> rows;
    for (const QModelIndex& index : form_->ListView->selectionModel()->selectedRows())
        rows << index.row();
    std::sort(rows.begin(), rows.end());
    return rows;
}

QPixmap TestCheck::MarkOf(int row) const {
    const QModelIndex index = form_->Files()->index(row, TFileListModel::TitleColumn);
    return qvariant_cast<QPixmap>(index.data(Qt::DecorationRole));
}

void TestCheck::reportSelectsTheChosenFindingsRows() {
    form_->ListView->selectionModel()->select(
        form_->Files()->index(0, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
    QStringList headings;
    CheckTitles([&headings](TCheckReport* report) {
        QTreeWidget* findings = report->Findings();
        for (int i = 0; i < findings->topLevelItemCount(); ++i) {
            const QTreeWidgetItem* group = findings->topLevelItem(i);
            headings << group->text(0).section(QLatin1Char(':'), 0, 0);
            for (int child = 0; child < group->childCount(); ++child)
                headings << "  " + group->child(child)->text(0);
        }
        // The whole duplicate group, by its heading, and the missing page on its own.
        findings->topLevelItem(1)->setSelected(true);
        findings->topLevelItem(0)->child(0)->setSelected(true);
        report->findChild<QPushButton*>(QStringLiteral("SelectInList"))->click();
    });
    QCOMPARE(headings,
             QStringList({"missing (1)", "  e.html", "duplicate (2)", "  b.html", "  d.html"}));
    QCOMPARE(SelectedRows(), QList<int>({1, 3, 4}));
    QVERIFY(form_->FileSelected());
    QTRY_VERIFY(form_->ListView->hasFocus());
}

void TestCheck::marksLastUntilTheListChanges() {
    CheckTitles([](TCheckReport* report) { report->reject(); });
    for (int row = 0; row < 5; ++row)
        QCOMPARE(MarkOf(row).isNull(), row == 0 || row == 2);
    const QModelIndex missing = form_->Files()->index(4, TFileListModel::TitleColumn);
    QCOMPARE(missing.data(Qt::ToolTipRole).toString(), QStringLiteral("missing: no title element"));

    // Over the marked cell the list's hint is the findings; elsewhere it stays the list's.
    const auto hintAt = [this](const QModelIndex& index) {
        QString hint = QStringLiteral("list");
        bool canShow = true;
        THintInfo info;
        info.HintControl = form_->ListView;
        info.CursorPos = form_->ListView->viewport()->mapTo(
            form_->ListView, form_->ListView->visualRect(index).center());
        form_->FlatHint1->OnShowHint()(hint, canShow, info);
        return hint;
    };
    QCOMPARE(hintAt(missing), QStringLiteral("missing: no title element"));
    QCOMPARE(hintAt(form_->Files()->index(4, TFileListModel::NameColumn)), QStringLiteral("list"));

    // The mark is drawn in the title cell: some of its amber shows there.
    const QModelIndex duplicate = form_->Files()->index(1, TFileListModel::TitleColumn);
    const QImage cell =
        form_->ListView->viewport()->grab(form_->ListView->visualRect(duplicate)).toImage();
    bool amber = false;
    for (int y = 0; y < cell.height() && !amber; ++y)
        for (int x = 0; x < cell.width() && !amber; ++x)
            amber = qAbs(cell.pixelColor(x, y).hue() - QColor(0xE0, 0x8A, 0x00).hue()) < 8 &&
                    cell.pixelColor(x, y).saturation() > 200;
    QVERIFY(amber);

    form_->ListView->selectionModel()->select(
        form_->Files()->index(0, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
    form_->Remove1Click();
    QCOMPARE(form_->Files()->rowCount(), 4);
    for (int row = 0; row < 4; ++row)
        QVERIFY(MarkOf(row).isNull());
}

TITORA_GUI_TEST_MAIN(TestCheck)
#include "tst_check.moc"
