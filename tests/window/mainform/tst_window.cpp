// The main window itself: its window definition (geometry, captions, hints, stacking, menu,
// commands, dialog filter, hint settings), the list's columns and selection drawing, the
// pop-up menu's places, the flat buttons' looks, the picture, moving, About and Exit.
#include "driver.h"
#include "file_list_view.h"
#include "framework/application.h"
#include "framework/flatbutton.h"
#include "framework/modal_front.h"
#include "framework/opendialog.h"
#include "framework/panel.h"
#include "framework/picture.h"
#include "TFlatHintUnit.h"
#include "Unit2.h"

#include <QActionGroup>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QMenu>
#include <QtTest>

class TestWindow : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void windowProperties();
    void controls_data();
    void controls();
    void stackingAndTabOrder();
    void components();
    void columns();
    void selectionShowsOnlyWhileFocused();
    void clickNarrowsTheSelection();
    void popupMenuOpensAtThePointer();
    void popupMenuFromTheKeyboard_data();
    void popupMenuFromTheKeyboard();
    void flatButtonLooks();
    void pictureShowsItsTopLeftCorner();
    void busyIndicatorCoversTheListsMiddle();
    void leftDragMovesTheWindow();
    void otherButtonsDoNotMoveTheWindow();
    void aboutButtonShowsTheAboutBoxModally();
    void exitClosesTheWindow();

private:
    void AddRows(int count);
    QColor PixelAt(QWidget* widget, QPoint point) {
        return widget->grab().toImage().pixelColor(point);
    }

    TForm1* form_ = nullptr;
};

void TestWindow::init() {
    form_ = new TForm1;
    form_->show();
    QVERIFY(QTest::qWaitForWindowExposed(form_));
}

void TestWindow::cleanup() {
    CancelPendingDialogs();
    delete form_;
    form_ = nullptr;
}

// Rows without touching any file: an engine that makes up the titles.
void TestWindow::AddRows(int count) {
    // A folder at the root of the system's file system, spelt as the system spells it.
    const std::string folder =
        QFile::encodeName(QDir::toNativeSeparators(QDir::rootPath() + "pages/")).toStdString();
    std::vector<std::string> paths;
    for (int i = 0; i < count; ++i)
        paths.push_back(folder + std::to_string(i) + ".html");
    form_->Files()->AddFiles(paths,
                             titora::TitleEngine{[](const std::string&) {
                                                     return titora::PageTitle{"T", ""};
                                                 },
                                                 [](const std::string&, const titora::TitleEncoder&,
                                                    const titora::WriteOptions&) {}});
}

void TestWindow::windowProperties() {
    QCOMPARE(form_->pos(), QPoint(54, 35));
    QCOMPARE(form_->size(), QSize(658, 444));
    QCOMPARE(form_->frameGeometry().size(), QSize(658, 444));
    QCOMPARE(form_->minimumSize(), QSize(100, 100));
    QVERIFY(form_->windowFlags() & Qt::FramelessWindowHint);
    QCOMPARE(form_->windowTitle(), QStringLiteral("Titora"));
    QVERIFY(!form_->windowIcon().isNull());
    QCOMPARE(form_->font(), DefaultFont());
    QCOMPARE(form_->palette().color(QPalette::Window), ColorToQColor(clBtnFace));
    QCOMPARE(form_->Panel1->geometry(), QRect(0, 0, 658, 444));
    QCOMPARE(form_->Panel1->BevelOuter(), TPanel::TBevel::Raised);
    QVERIFY(form_->Panel1->toolTip().isEmpty());
}

void TestWindow::controls_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("geometry");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<TColor>("color");
    QTest::addColumn<QString>("hint");
    QTest::newRow("Image1") << "Image1" << QRect(1, 1, 656, 442) << "" << TColor(0) << "";
    QTest::newRow("SpeedButton1") << "SpeedButton1" << QRect(592, 64, 58, 50) << "Add Files"
                                  << clBlack << "Let's begin";
    QTest::newRow("SpeedButton2") << "SpeedButton2" << QRect(592, 136, 58, 50) << "Title It"
                                  << clWindowText << "Go on!";
    QTest::newRow("SpeedButton3") << "SpeedButton3" << QRect(592, 208, 58, 50) << "About"
                                  << clWindowText << "Open the About box";
    QTest::newRow("SpeedButton4") << "SpeedButton4" << QRect(592, 280, 58, 50) << "Exit"
                                  << clWindowText << "Exit the program";
    QTest::newRow("ListView") << "ListView" << QRect(64, 49, 521, 360) << "" << TColor(0)
                              << "Press the right mouse button will speed up your operation!";
    QTest::newRow("Panel2") << "Panel2" << QRect(224, 192, 185, 41) << "Loading......." << TColor(0)
                            << "";
}

void TestWindow::controls() {
    QFETCH(QString, name);
    QFETCH(QRect, geometry);
    QFETCH(QString, caption);
    QFETCH(TColor, color);
    QFETCH(QString, hint);
    auto* control = form_->findChild<QWidget*>(name);
    QVERIFY(control);
    QCOMPARE(control->parentWidget(), form_->Panel1);
    QCOMPARE(control->geometry(), geometry);
    QCOMPARE(control->toolTip(), hint);
    if (auto* button = qobject_cast<TSpeedButton*>(control)) {
        QCOMPARE(button->Caption(), caption);
        QCOMPARE(button->FontColor(), color);
        QVERIFY(button->font().bold());
        QCOMPARE(button->focusPolicy(), Qt::NoFocus);
    }
    if (auto* panel = qobject_cast<TPanel*>(control)) {
        QCOMPARE(panel->Caption(), caption);
        QVERIFY(panel->isHidden());
    }
}

void TestWindow::stackingAndTabOrder() {
    // Bottom to top: the picture, the buttons, the list, the busy indicator.
    QStringList order;
    for (QObject* child : form_->Panel1->children())
        if (child->isWidgetType())
            order << child->objectName();
    QCOMPARE(order, QStringList({"Image1", "SpeedButton1", "SpeedButton2", "SpeedButton3",
                                 "SpeedButton4", "ListView", "Panel2"}));
    QCOMPARE(form_->ListView->focusPolicy(), Qt::StrongFocus);
    QWidget* first = form_->nextInFocusChain();
    while (first != form_ && !(first->focusPolicy() & Qt::TabFocus))
        first = first->nextInFocusChain();
    QCOMPARE(first, form_->ListView);
}

void TestWindow::components() {
    QStringList entries;
    for (QAction* action : form_->PopupMenu1->actions()) {
        entries << action->text();
        QVERIFY(action->isEnabled());
        QVERIFY(action->shortcut().isEmpty());
    }
    // The five entries of the list, then after a separator the retitle's two and the check.
    QCOMPARE(entries, QStringList({"Add Item", "Modify Title", "Select All",
                                   "Remove Selected Items", "Remove All", "", "Retitle Selected...",
                                   "Undo Last Retitle", "Check Titles"}));
    const QList<QAction*> actions = form_->PopupMenu1->actions();
    QVERIFY(actions[5]->isSeparator());
    QCOMPARE(actions.mid(0, 5),
             QList<QAction*>({form_->Add1, form_->ModifyTitle1, form_->SelectAll1, form_->Remove1,
                              form_->RemoveAll1}));
    QCOMPARE(actions.mid(6),
             QList<QAction*>({form_->RetitleSelected1, form_->UndoRetitle1, form_->CheckTitles1}));
    QCOMPARE(form_->ActionList1->actions(), QList<QAction*>({form_->Action1, form_->Action2}));
    QCOMPARE(form_->ListView->PopupMenu(), form_->PopupMenu1);
    QCOMPARE(form_->OpenDialog1->Filter(),
             QStringLiteral("HTML Files(*.html,*.htm,*.shtml)|*.html;*.htm;*.shtml|"
                            "ASP Files|*.asp|All Files(*.*)|*.*"));
    QCOMPARE(form_->OpenDialog1->parent(), form_);
    QCOMPARE(form_->FlatHint1->parent(), form_);
    QCOMPARE(TFlatHintWindow::FindFlatHint() == nullptr ||
                 TFlatHintWindow::FindFlatHint() == form_->FlatHint1,
             true);
    QCOMPARE(form_->FlatHint1->ColorArrowBackground(), clInfoBk);
    QCOMPARE(form_->FlatHint1->Font().pixelSize(), 11);
    QCOMPARE(form_->FlatHint1->FontColor(), clWindowText);
}

void TestWindow::columns() {
    QHeaderView* header = form_->ListView->header();
    QCOMPARE(header->count(), 3);
    QCOMPARE(header->sectionSize(0), 175);
    QCOMPARE(header->sectionSize(1), 173);
    QCOMPARE(header->sectionSize(2), 173);
    QStringList captions;
    for (int i = 0; i < 3; ++i)
        captions << form_->Files()->headerData(i, Qt::Horizontal).toString();
    QCOMPARE(captions, QStringList({"File Name", "Title", "File Path"}));

    // A scroll bar that comes up later does not change the widths; a header click sorts
    // nothing.
    AddRows(200);
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, QPoint(20, 5));
    QCOMPARE(header->sectionSize(0), 175);
    QCOMPARE(form_->Files()->index(0, 0).data().toString(), QStringLiteral("0.html"));
    QCOMPARE(form_->Files()->index(199, 0).data().toString(), QStringLiteral("199.html"));
}

void TestWindow::selectionShowsOnlyWhileFocused() {
    AddRows(3);
    TFileListView* list = form_->ListView;
    list->selectionModel()->select(form_->Files()->index(1, 0),
                                   QItemSelectionModel::Select | QItemSelectionModel::Rows);
    const QRect row = list->visualRect(form_->Files()->index(1, 1));
    const QPoint inside = row.center() + QPoint(0, list->header()->height());
    list->setFocus();
    QTRY_VERIFY(list->hasFocus());
    const QColor focused = PixelAt(list, inside);
    list->clearFocus();
    QTRY_VERIFY(!list->hasFocus());
    const QColor unfocused = PixelAt(list, inside);
    QCOMPARE(focused.rgb(),
             QApplication::palette(list).color(QPalette::Active, QPalette::Highlight).rgb());
    QVERIFY(focused != unfocused);
    QCOMPARE(unfocused.rgb(), QApplication::palette(list).color(QPalette::Base).rgb());
    QVERIFY(list->selectionModel()->isRowSelected(1, QModelIndex()));

    // The name editor takes the focus from the list, but the text it holds selected (all
    // of it, as editing begins) still shows selected.
    list->setFocus();
    list->edit(form_->Files()->index(1, 0));
    auto* editor = list->findChild<QLineEdit*>();
    QVERIFY(editor);
    QTRY_VERIFY(editor->hasFocus());
    QVERIFY(editor->hasSelectedText());
    const QImage edited = editor->grab().toImage();
    const QRgb highlight =
        QApplication::palette(editor).color(QPalette::Active, QPalette::Highlight).rgb();
    bool shown = false;
    for (int x = 0; x < edited.width() && !shown; ++x)
        shown = edited.pixel(x, edited.height() / 2) == highlight;
    QVERIFY(shown);
}

void TestWindow::clickNarrowsTheSelection() {
    AddRows(4);
    TFileListView* list = form_->ListView;
    QItemSelectionModel* selection = list->selectionModel();
    auto click = [&](int row) {
        const QPoint at = list->visualRect(form_->Files()->index(row, 0)).center();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
        // Longer than the wait for a double click, after which a click on a selected row
        // would open the name editor.
        QTest::qWait(QApplication::doubleClickInterval() + 100);
    };
    auto editing = [&] {
        auto* editor = list->findChild<QLineEdit*>();
        return editor && editor->isVisible();
    };

    // The first Down without a current row selects the first row, also when the list has
    // just got the focus back.
    list->clearFocus();
    list->setFocus();
    QTRY_VERIFY(list->hasFocus());
    QTest::keyClick(list, Qt::Key_Down);
    QCOMPARE(selection->selectedRows().size(), 1);
    QCOMPARE(selection->selectedRows().first().row(), 0);

    // After Select All a click on a selected row narrows the selection to it; no editor.
    form_->SelectAll1->trigger();
    click(2);
    QVERIFY(!editing());
    QCOMPARE(selection->selectedRows().size(), 1);
    QCOMPARE(selection->selectedRows().first().row(), 2);
    QVERIFY(list->hasFocus());
    // A second click on the row that is now the only selected and current one edits it.
    click(2);
    QVERIFY(editing());
}

void TestWindow::popupMenuOpensAtThePointer() {
    AddRows(3);
    QWidget* viewport = form_->ListView->viewport();
    // Through the window, as the platform delivers it, so that Qt makes the context menu
    // event of the right button.
    const QPoint at = viewport->mapTo(form_, QPoint(100, 30));
    QTest::mouseClick(form_->windowHandle(), Qt::RightButton, {}, at);
    QTRY_VERIFY(form_->PopupMenu1->isVisible());
    QCOMPARE(form_->PopupMenu1->pos(), viewport->mapToGlobal(QPoint(100, 30)));
    form_->PopupMenu1->close();
}

void TestWindow::popupMenuFromTheKeyboard_data() {
    QTest::addColumn<int>("selectedRow");
    QTest::addColumn<bool>("shiftF10");
    QTest::newRow("Menu key, row 2 selected") << 2 << false;
    QTest::newRow("Shift+F10, row 1 selected") << 1 << true;
    QTest::newRow("Menu key, nothing selected") << -1 << false;
}

void TestWindow::popupMenuFromTheKeyboard() {
    QFETCH(int, selectedRow);
    QFETCH(bool, shiftF10);
    AddRows(4);
    TFileListView* list = form_->ListView;
    list->setFocus();
    if (selectedRow >= 0) {
        list->selectionModel()->select(form_->Files()->index(3, 0),
                                       QItemSelectionModel::Select | QItemSelectionModel::Rows);
        list->selectionModel()->select(form_->Files()->index(selectedRow, 0),
                                       QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }
    if (shiftF10)
        QTest::keyClick(list, Qt::Key_F10, Qt::ShiftModifier);
    else
        QTest::keyClick(list, Qt::Key_Menu);
    QTRY_VERIFY(form_->PopupMenu1->isVisible());
    QPoint expected = list->mapToGlobal(QPoint(0, 0));
    if (selectedRow >= 0) {
        const QRect row = list->visualRect(form_->Files()->index(selectedRow, 0));
        expected = list->viewport()->mapToGlobal(QPoint(0, row.bottom() + 1));
    }
    QCOMPARE(form_->PopupMenu1->pos(), expected);
    form_->PopupMenu1->close();
}

void TestWindow::flatButtonLooks() {
    TSpeedButton* button = form_->SpeedButton2;
    const QRect area = button->geometry();
    auto look = [&] { return form_->Panel1->grab(area).toImage(); };
    const QImage rest = look();
    const QColor light = ColorToQColor(clBtnHighlight);
    const QColor dark = ColorToQColor(clBtnShadow);

    QTest::mouseMove(button, QPoint(29, 25));
    QTRY_COMPARE(button->state(), TSpeedButton::State::Hot);
    const QImage hot = look();
    QCOMPARE(hot.pixel(0, 0), light.rgb());
    QCOMPARE(hot.pixel(57, 49), dark.rgb());
    QCOMPARE(hot.pixel(3, 3), rest.pixel(3, 3)); // no fill: the picture shows

    QTest::mousePress(button, Qt::LeftButton, {}, QPoint(29, 25));
    QCOMPARE(button->state(), TSpeedButton::State::Pressed);
    const QImage pressed = look();
    QCOMPARE(pressed.pixel(0, 0), dark.rgb());
    QCOMPARE(pressed.pixel(57, 49), light.rgb());
    QVERIFY(pressed != hot);
    // Released outside, the button runs nothing and rests.
    QTest::mouseMove(button, QPoint(-40, 25));
    QCOMPARE(button->state(), TSpeedButton::State::Hot);
    QTest::mouseRelease(button, Qt::LeftButton, {}, QPoint(-40, 25));
    QCOMPARE(button->state(), TSpeedButton::State::Rest);
    QVERIFY(!QApplication::activeModalWidget());

    // At rest only the caption is drawn over the picture.
    const QImage picture = form_->Image1->Picture();
    const QPoint corner = area.topLeft() - form_->Image1->pos();
    QCOMPARE(rest.pixel(0, 0), picture.pixel(corner));
}

void TestWindow::pictureShowsItsTopLeftCorner() {
    QVERIFY(form_->Image1->PictureDecoded());
    const QImage picture = form_->Image1->Picture();
    QCOMPARE(picture.size(), QSize(710, 532));
    const QImage shown = form_->Image1->grab().toImage();
    for (const QPoint p : {QPoint(0, 0), QPoint(30, 200), QPoint(655, 441), QPoint(600, 20)})
        QCOMPARE(shown.pixel(p), picture.pixel(p));
    const int decodes = TImage::DecodeCount();
    form_->repaint();
    QCOMPARE(TImage::DecodeCount(), decodes);
}

void TestWindow::busyIndicatorCoversTheListsMiddle() {
    AddRows(50);
    form_->Panel2->SetCaption(QStringLiteral("Modifying......"));
    form_->Panel2->show();
    form_->Panel2->PaintNow();
    const QImage window = form_->grab().toImage();
    QCOMPARE(window.pixel(224 + 5, 192 + 5), ColorToQColor(clBtnFace).rgb());
    QCOMPARE(window.pixel(224, 192), ColorToQColor(clBtnHighlight).rgb());
    QCOMPARE(window.pixel(224 + 184, 192 + 40), ColorToQColor(clBtnShadow).rgb());
    QVERIFY(form_->Panel2->toolTip().isEmpty());
}

void TestWindow::leftDragMovesTheWindow() {
    QWidget* picture = form_->Image1;
    const QPoint start(20, 200); // the picture's uncovered strip left of the list
    QTest::mousePress(picture, Qt::LeftButton, {}, start);
    QTest::mouseMove(picture, start + QPoint(30, 20));
    QTest::mouseRelease(picture, Qt::LeftButton, {}, start + QPoint(30, 20));
    // Where the platform moves the window itself the pointer is not simulated; here (no
    // window manager) the window follows the mouse.
    QTRY_COMPARE(form_->pos(), QPoint(54 + 30, 35 + 20));
    QTest::mouseMove(picture, start + QPoint(80, 80));
    QCOMPARE(form_->pos(), QPoint(54 + 30, 35 + 20));
}

void TestWindow::otherButtonsDoNotMoveTheWindow() {
    QWidget* picture = form_->Image1;
    for (Qt::MouseButton button : {Qt::RightButton, Qt::MiddleButton}) {
        QTest::mousePress(picture, button, {}, QPoint(20, 200));
        QTest::mouseMove(picture, QPoint(60, 260));
        QTest::mouseRelease(picture, button, {}, QPoint(60, 260));
        QCOMPARE(form_->pos(), QPoint(54, 35));
    }
    // A press on a button never reaches the picture.
    QTest::mousePress(form_->SpeedButton1, Qt::LeftButton, {}, QPoint(5, 5));
    QTest::mouseMove(form_->SpeedButton1, QPoint(40, 40));
    QCOMPARE(form_->pos(), QPoint(54, 35));
    QTest::mouseRelease(form_->SpeedButton1, Qt::LeftButton, {}, QPoint(70, 70));
}

void TestWindow::aboutButtonShowsTheAboutBoxModally() {
    AboutBox = new TAboutBox;
    bool shownModal = false;
    OnModal<TAboutBox>([&](TAboutBox* box) {
        shownModal = box == AboutBox && box->isModal();
        box->close();
    });
    QTest::mouseClick(form_->SpeedButton3, Qt::LeftButton);
    QVERIFY(shownModal);
    QVERIFY(AboutBox->isHidden());

    // A click on the blocked window brings a minimised box back.
    bool broughtBack = false;
    OnModal<TAboutBox>([&](TAboutBox* box) {
        box->showMinimized();
        BringModalToFront(form_->internalWinId());
        broughtBack = !box->isMinimized() && box->isVisible();
        box->close();
    });
    QTest::mouseClick(form_->SpeedButton3, Qt::LeftButton);
    QVERIFY(broughtBack);
    delete AboutBox;
    AboutBox = nullptr;
}

void TestWindow::exitClosesTheWindow() {
    QTest::mouseClick(form_->SpeedButton4, Qt::LeftButton);
    QVERIFY(!form_->isVisible());
}

TITORA_GUI_TEST_MAIN(TestWindow)

#include "tst_window.moc"
