#include "framework/opendialog.h"
#include "test_support.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFile>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTreeView>

namespace {

const QString kFilter = QStringLiteral("HTML Files(*.html,*.htm,*.shtml)|*.html;*.htm;*.shtml|"
                                       "ASP Files|*.asp|All Files(*.*)|*.*");

QLineEdit* NameEdit(QWidget* dialog) {
    return dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
}

QPushButton* OpenButton(QWidget* dialog) {
    return dialog->findChild<QDialogButtonBox*>(QStringLiteral("buttonBox"))
        ->button(QDialogButtonBox::Open);
}

// Chooses the file type at `index` in the dialog's type box, as the user does.
void ChooseType(QWidget* dialog, int index) {
    auto* combo = dialog->findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
    combo->setCurrentIndex(index);
    Q_EMIT combo->activated(index);
}

// Types `text` into the dialog's name box and presses Open.
// The name box has the focus while the user types, which keeps Qt from rewriting it with the
// names of the files it finds.
void TypeAndOpen(QWidget* dialog, const QString& text) {
    dialog->activateWindow();
    NameEdit(dialog)->setFocus();
    QVERIFY(QTest::qWaitFor([dialog] { return NameEdit(dialog)->hasFocus(); }));
    NameEdit(dialog)->clear();
    QTest::keyClicks(NameEdit(dialog), text);
    OpenButton(dialog)->click();
}

} // namespace

class TestOpenDialog : public QObject {
    Q_OBJECT
    QTemporaryDir dir;

    QString Path(const QString& name) const { return dir.path() + QLatin1Char('/') + name; }

private Q_SLOTS:
    void initTestCase() {
        QVERIFY(dir.isValid());
        for (const char* name : {"a.html", "b.htm", "c.asp"}) {
            QFile file(Path(QLatin1String(name)));
            QVERIFY(file.open(QIODevice::WriteOnly));
        }
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("sub")));
    }

    void parseFilter_data() {
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QStringList>("texts");
        QTest::addColumn<QStringList>("patterns"); // one entry per type, joined by spaces
        QTest::newRow("the program's filter")
            << kFilter
            << QStringList{"HTML Files(*.html,*.htm,*.shtml)", "ASP Files", "All Files(*.*)"}
            << QStringList{"*.html *.htm *.shtml", "*.asp", "*.*"};
        QTest::newRow("empty") << "" << QStringList{} << QStringList{};
        QTest::newRow("text without patterns at the end")
            << "Text|*.txt|Lonely" << QStringList{"Text"} << QStringList{"*.txt"};
        QTest::newRow("type without patterns")
            << "None||Pages|*.htm" << QStringList{"Pages"} << QStringList{"*.htm"};
        QTest::newRow("spaces and empty patterns")
            << "Mixed| *.a ; ;*.b;" << QStringList{"Mixed"} << QStringList{"*.a *.b"};
    }
    void parseFilter() {
        QFETCH(QString, filter);
        QFETCH(QStringList, texts);
        QFETCH(QStringList, patterns);
        QStringList gotTexts;
        QStringList gotPatterns;
        for (const TOpenDialog::FileType& type : ParseFileFilter(filter)) {
            gotTexts << type.text;
            gotPatterns << type.patterns.join(QLatin1Char(' '));
        }
        QCOMPARE(gotTexts, texts);
        QCOMPARE(gotPatterns, patterns);
    }

    // The user sees each type's text exactly as the filter gives it, parentheses and all.
    void showsTheFileTypesTexts() {
        TOpenDialog open;
        open.SetFilter(kFilter);
        QStringList shown;
        QString selected;
        WhenModal([&](QWidget* dialog) {
            auto* combo = dialog->findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
            for (int i = 0; i < combo->count(); ++i) {
                shown << combo->itemText(i);
            }
            selected = combo->currentText();
            qobject_cast<QDialog*>(dialog)->reject();
        });
        QVERIFY(!open.Execute());
        QCOMPARE(shown,
                 (QStringList{"HTML Files(*.html,*.htm,*.shtml)", "ASP Files", "All Files(*.*)"}));
        QCOMPARE(selected, QStringLiteral("HTML Files(*.html,*.htm,*.shtml)"));
        QVERIFY(open.Files().isEmpty());
    }

    // Typed names come back as typed, each a full path in the dialog's folder, in the typed
    // order, whether the file exists or not and whatever type is selected. The names are typed
    // with the focus in the name box, or elsewhere (Qt then writes the view's selection over
    // the box as it changes).
    void typedNamesAreReturned_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("type");
        QTest::addColumn<bool>("focusInBox");
        QTest::addColumn<bool>("pressEnter");
        QTest::addColumn<QStringList>("names");
        const QString twoWithMissing = QStringLiteral("\"b.htm\" \"missing.htm\"");
        const QStringList bAndMissing{"b.htm", "missing.htm"};
        QTest::newRow("one missing")
            << "missing.html" << 0 << true << false << QStringList{"missing.html"};
        QTest::newRow("several with a missing one, Enter")
            << twoWithMissing << 0 << true << true << bAndMissing;
        QTest::newRow("several with a missing one, focus elsewhere, Enter")
            << twoWithMissing << 0 << false << true << bAndMissing;
        QTest::newRow("several with a missing one, focus elsewhere, Open")
            << twoWithMissing << 0 << false << false << bAndMissing;
        QTest::newRow("one hidden by the type")
            << "c.asp" << 0 << false << true << QStringList{"c.asp"};
        QTest::newRow("several with one hidden by the type")
            << "\"c.asp\" \"a.html\"" << 0 << false << true << QStringList{"c.asp", "a.html"};
        QTest::newRow("missing, hidden and shown, in the typed order")
            << "\"missing.htm\" \"b.htm\" \"c.asp\" \"a.html\"" << 0 << false << false
            << QStringList{"missing.htm", "b.htm", "c.asp", "a.html"};
        QTest::newRow("several under all files")
            << "\"c.asp\" \"missing.htm\" \"b.htm\"" << 2 << false << true
            << QStringList{"c.asp", "missing.htm", "b.htm"};
    }
    void typedNamesAreReturned() {
        QFETCH(QString, typed);
        QFETCH(int, type);
        QFETCH(bool, focusInBox);
        QFETCH(bool, pressEnter);
        QFETCH(QStringList, names);
        TOpenDialog open;
        open.SetFilter(kFilter);
        open.SetInitialFileName(Path(QStringLiteral("a.html")));
        QString shown;
        bool openEnabled = false;
        WhenModal([&](QWidget* dialog) {
            ChooseType(dialog, type);
            QWidget* focus = focusInBox ? static_cast<QWidget*>(NameEdit(dialog))
                                        : dialog->findChild<QComboBox*>("fileTypeCombo");
            dialog->activateWindow();
            focus->setFocus();
            QVERIFY(QTest::qWaitFor([focus] { return focus->hasFocus(); }));
            NameEdit(dialog)->clear();
            QTest::keyClicks(NameEdit(dialog), typed);
            shown = NameEdit(dialog)->text();
            openEnabled = OpenButton(dialog)->isEnabled();
            if (pressEnter) {
                QTest::keyClick(NameEdit(dialog), Qt::Key_Return);
            } else {
                QTest::mouseClick(OpenButton(dialog), Qt::LeftButton);
            }
            if (QApplication::activeModalWidget() == dialog) {
                qobject_cast<QDialog*>(dialog)->reject();
            }
        });
        QVERIFY(open.Execute());
        QCOMPARE(shown, typed);
        QVERIFY(openEnabled);
        QStringList paths;
        for (const QString& name : names) {
            paths << Path(name);
        }
        QCOMPARE(open.Files(), paths);
    }

    // Files chosen in the view are written into the name box and returned.
    void choosingInTheViewFillsTheBox() {
        TOpenDialog open;
        open.SetFilter(kFilter);
        open.SetInitialFileName(Path(QStringLiteral("a.html")));
        QString shown;
        WhenModal([&](QWidget* dialog) {
            auto* view = dialog->findChild<QTreeView*>(QStringLiteral("treeView"));
            auto* model = qobject_cast<QFileSystemModel*>(view->model());
            view->setFocus();
            QVERIFY(QTest::qWaitFor([view] { return view->hasFocus(); }));
            for (const char* name : {"b.htm", "a.html"}) {
                view->selectionModel()->select(model->index(Path(QLatin1String(name))),
                                               QItemSelectionModel::Select |
                                                   QItemSelectionModel::Rows);
            }
            shown = NameEdit(dialog)->text();
            QTest::mouseClick(OpenButton(dialog), Qt::LeftButton);
        });
        QVERIFY(open.Execute());
        QCOMPARE(shown, QStringLiteral("\"a.html\" \"b.htm\""));
        QCOMPARE(open.Files(), (QStringList{Path("a.html"), Path("b.htm")}));
    }

    // A choice has no length limit of its own: three thousand names take more than the
    // 32,767 characters Qt's name box holds by default.
    void largeChoiceComesBackWhole() {
        QTemporaryDir many;
        QVERIFY(many.isValid());
        QStringList expected;
        for (int i = 0; i < 3000; ++i) {
            const QString path =
                many.filePath(QStringLiteral("page-%1.html").arg(i, 5, 10, QLatin1Char('0')));
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            expected << path;
        }
        TOpenDialog open;
        open.SetFilter(kFilter);
        open.SetInitialFileName(expected.first());
        WhenModal([&](QWidget* dialog) {
            auto* view = dialog->findChild<QTreeView*>(QStringLiteral("treeView"));
            QVERIFY(QTest::qWaitFor(
                [view] {
                    const QModelIndex root = view->rootIndex();
                    return view->model()->rowCount(root) == 3000;
                },
                20000));
            view->setFocus();
            view->selectAll();
            QTest::mouseClick(OpenButton(dialog), Qt::LeftButton);
        });
        QVERIFY(open.Execute());
        QStringList files = open.Files();
        files.sort();
        QCOMPARE(files, expected);
    }

    // A typed folder opens that folder; the dialog stays until a file is chosen.
    void typedFolderOpensIt() {
        TOpenDialog open;
        open.SetInitialFileName(Path(QStringLiteral("a.html")));
        QString folderAfterwards;
        WhenModal([&](QWidget* dialog) {
            TypeAndOpen(dialog, QStringLiteral("sub"));
            auto* fileDialog = qobject_cast<QFileDialog*>(dialog);
            folderAfterwards = fileDialog->directory().absolutePath();
            TypeAndOpen(dialog, QStringLiteral("new.html"));
        });
        QVERIFY(open.Execute());
        QCOMPARE(folderAfterwards, Path(QStringLiteral("sub")));
        QCOMPARE(open.Files(), QStringList{Path(QStringLiteral("sub/new.html"))});
    }

    // A confirmed choice is remembered for the next opening; a cancelled one is not.
    void remembersTypeAndFirstFile() {
        TOpenDialog open;
        open.SetFilter(kFilter);
        open.SetInitialFileName(Path(QStringLiteral("a.html")));
        WhenModal([](QWidget* dialog) {
            ChooseType(dialog, 1);
            TypeAndOpen(dialog, QStringLiteral("\"c.asp\" \"b.htm\""));
        });
        QVERIFY(open.Execute());
        QCOMPARE(open.FilterIndex(), 2);
        QCOMPARE(open.InitialFileName(), Path(QStringLiteral("c.asp")));

        QString filterShown;
        QString nameShown;
        QString folderShown;
        WhenModal([&](QWidget* dialog) {
            auto* fileDialog = qobject_cast<QFileDialog*>(dialog);
            filterShown =
                dialog->findChild<QComboBox*>(QStringLiteral("fileTypeCombo"))->currentText();
            nameShown = NameEdit(dialog)->text();
            folderShown = fileDialog->directory().absolutePath();
            ChooseType(dialog, 2);
            fileDialog->reject();
        });
        QVERIFY(!open.Execute());
        QCOMPARE(filterShown, QStringLiteral("ASP Files"));
        QCOMPARE(nameShown, QStringLiteral("c.asp"));
        QCOMPARE(folderShown, dir.path());
        QVERIFY(open.Files().isEmpty());
        QCOMPARE(open.FilterIndex(), 2);
        QCOMPARE(open.InitialFileName(), Path(QStringLiteral("c.asp")));
    }

    void resultProviderStandsInForTheDialog() {
        TOpenDialog open;
        TOpenDialog::SetResultProvider([] { return std::optional<QStringList>(); });
        QVERIFY(!open.Execute());
        TOpenDialog::SetResultProvider([] {
            return std::optional<QStringList>(QStringList{"/x/1.htm", "/x/2.htm"});
        });
        QVERIFY(open.Execute());
        QCOMPARE(open.Files(), (QStringList{"/x/1.htm", "/x/2.htm"}));
        TOpenDialog::SetResultProvider({});
    }
};

TITORA_FRAMEWORK_TEST_MAIN(TestOpenDialog)
#include "tst_opendialog.moc"
