// What assistive technology sees of our controls, through Qt's own accessibility interfaces.
#include "framework/accessible.h"
#include "framework/flatbutton.h"
#include "framework/hintwindow.h"
#include "framework/label.h"
#include "framework/panel.h"
#include "framework/picture.h"
#include "test_support.h"

#include <QAccessible>
#include <QStandardItemModel>
#include <QTreeView>

class TestAccessible : public QObject {
    Q_OBJECT
    QWidget window;

    static QAccessibleInterface* Of(QObject* o) { return QAccessible::queryAccessibleInterface(o); }

private Q_SLOTS:
    // The press runs the click handler from the event loop, and the button never takes the focus.
    void flatButtonIsAPushButtonThatPresses() {
        auto* button = new TSpeedButton(&window);
        button->SetCaption("Add Files");
        button->setToolTip("Let's begin");
        int clicks = 0;
        button->OnClick = [&clicks] { ++clicks; };
        window.show();
        QAccessibleInterface* face = Of(button);
        QCOMPARE(face->role(), QAccessible::Button);
        QCOMPARE(face->text(QAccessible::Name), QString("Add Files"));
        QCOMPARE(face->text(QAccessible::Description), QString("Let's begin"));
        QVERIFY(!face->state().focusable);
        QCOMPARE(face->actionInterface()->actionNames(),
                 QStringList(QAccessibleActionInterface::pressAction()));
        face->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
        QCOMPARE(clicks, 0);
        QTRY_COMPARE(clicks, 1);
        QVERIFY(!button->hasFocus());
        button->SetCaption("Exit");
        QCOMPARE(face->text(QAccessible::Name), QString("Exit"));
    }

    void labelIsTextOrALink() {
        auto* label = new TLabel("mailto:a@b.c", &window);
        QAccessibleInterface* face = Of(label);
        QCOMPARE(face->role(), QAccessible::StaticText);
        QCOMPARE(face->text(QAccessible::Name), QString("mailto:a@b.c"));
        QVERIFY(face->actionInterface()->actionNames().isEmpty());
        int opened = 0;
        label->OnClick = [&opened] { ++opened; };
        QCOMPARE(face->role(), QAccessible::Link);
        face->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
        QTRY_COMPARE(opened, 1);
    }

    // The status reads its caption and, after it, the detail (a progress).
    void panelIsAPaneOrAStatus() {
        auto* panel = new TPanel(&window);
        panel->SetCaption("Loading.......");
        QAccessibleInterface* face = Of(panel);
        QCOMPARE(face->role(), QAccessible::Pane);
        panel->SetStatus(true);
        QCOMPARE(face->role(), QAccessible::StatusBar);
        QCOMPARE(face->text(QAccessible::Name), QString("Loading......."));
        panel->SetStatusDetail("1,234 of 5,000");
        panel->SetCaption("Modifying......");
        QCOMPARE(face->text(QAccessible::Name), QString("Modifying...... 1,234 of 5,000"));
    }

    void pictureIsAGraphic() {
        auto* image = new TImage(&window);
        image->setAccessibleDescription("Drag it to move the window");
        QCOMPARE(Of(image)->role(), QAccessible::Graphic);
        QCOMPARE(Of(image)->text(QAccessible::Description), image->accessibleDescription());
    }

    void hintWindowIsAToolTip() {
        THintWindow hint;
        hint.SetText("Go on!");
        QCOMPARE(Of(&hint)->role(), QAccessible::ToolTip);
        QCOMPARE(Of(&hint)->text(QAccessible::Name), QString("Go on!"));
    }

    void flatViewIsATable() {
        QStandardItemModel model(2, 3);
        model.setHorizontalHeaderLabels({"Name", "Title", "Folder"});
        for (int cell = 0; cell < 6; ++cell)
            model.setItem(cell / 3, cell % 3, new QStandardItem(QString::number(cell)));
        auto* view = new QTreeView(&window);
        PresentAsTable(view);
        view->setModel(&model);
        view->setAccessibleName("Files");
        QAccessibleInterface* face = Of(view);
        QCOMPARE(face->role(), QAccessible::Table);
        QCOMPARE(face->text(QAccessible::Name), QString("Files"));
        QAccessibleTableInterface* table = face->tableInterface();
        QCOMPARE(table->rowCount(), 2);
        QCOMPARE(table->columnCount(), 3);
        QCOMPARE(face->childCount(), 9);
        QCOMPARE(face->child(1)->role(), QAccessible::ColumnHeader);
        QCOMPARE(face->child(1)->text(QAccessible::Name), QString("Title"));
        QAccessibleInterface* cell = table->cellAt(1, 2);
        QCOMPARE(cell->text(QAccessible::Name), QString("5"));
        QCOMPARE(face->indexOfChild(cell), 8);
        QCOMPARE(cell->tableCellInterface()->columnHeaderCells().value(0), face->child(2));
        view->selectionModel()->select(model.index(1, 0),
                                       QItemSelectionModel::Select | QItemSelectionModel::Rows);
        QVERIFY(cell->state().selected);
        QCOMPARE(table->selectedRows(), QList<int>{1});
        model.insertRow(0, {new QStandardItem("new")});
        QCOMPARE(table->rowCount(), 3);
        QCOMPARE(table->cellAt(0, 0)->text(QAccessible::Name), QString("new"));
        QCOMPARE(table->cellAt(2, 2)->text(QAccessible::Name), QString("5"));
        delete view;
    }
};

TITORA_FRAMEWORK_TEST_MAIN(TestAccessible)
#include "tst_accessible.moc"
