#include "Unit3.h"

#include "file_list_model.h"
#include "file_list_view.h"
#include "framework/application.h"
#include "framework/dialogs.h"
#include "framework/flatbutton.h"
#include "framework/opendialog.h"
#include "framework/panel.h"
#include "framework/picture.h"
#include "framework/tcolor.h"
#include "TFlatHintUnit.h"
#include "title_text.h"
#include "ui_Unit3.h"
#include "Unit2.h"
#include "window_definition.h"

#include <QActionGroup>
#include <QFile>
#include <QItemSelectionModel>
#include <QMenu>
#include <QMouseEvent>
#include <QWindow>

TForm1* Form1 = nullptr;

namespace {

const char* const kFileFilter =
    "HTML Files(*.html,*.htm,*.shtml)|*.html;*.htm;*.shtml|ASP Files|*.asp|All Files(*.*)|*.*";

// The busy indicator for the time a command works through page files: it shows the
// indicator and disables the list, and puts both back on every way out of the command.
// The command handles no events until it returns, so the indicator is painted at once.
class TBusyIndicator {
public:
    TBusyIndicator(TPanel* indicator, QWidget* list, const QString& caption)
        : indicator_(indicator), list_(list), listHadFocus_(list->hasFocus()) {
        indicator_->SetCaption(caption);
        indicator_->show();
        list_->setEnabled(false);
        indicator_->PaintNow();
    }
    TBusyIndicator(const TBusyIndicator&) = delete;
    TBusyIndicator& operator=(const TBusyIndicator&) = delete;
    ~TBusyIndicator() {
        list_->setEnabled(true);
        indicator_->hide();
        // Qt hands the focus of a disabled widget on; the list gets it back, so that its
        // selection shows again where the user left it.
        if (listHadFocus_)
            list_->setFocus(Qt::OtherFocusReason);
    }

private:
    TPanel* indicator_;
    QWidget* list_;
    bool listHadFocus_;
};

std::vector<std::string> EncodePaths(const QStringList& paths) {
    std::vector<std::string> encoded;
    encoded.reserve(static_cast<std::size_t>(paths.size()));
    for (const QString& path : paths)
        encoded.push_back(QFile::encodeName(path).toStdString());
    return encoded;
}

} // namespace

TForm1::TForm1(QWidget* owner)
    : QWidget(owner, Qt::Window | Qt::FramelessWindowHint), ui_(std::make_unique<Ui::TForm1>()) {
    createControls();
    createComponents();
    connectHandlers();
}

TForm1::~TForm1() = default;

void TForm1::createControls() {
    setFont(DefaultFont());
    ui_->setupUi(this);
    ApplyWindowDefinition(this);
    // uic sizes a top-level window but leaves its place to the system; ours is fixed.
    move(54, 35);

    PopupMenu1 = ui_->PopupMenu1;
    Add1 = ui_->Add1;
    Remove1 = ui_->Remove1;
    ModifyTitle1 = ui_->ModifyTitle1;
    RemoveAll1 = ui_->RemoveAll1;
    ActionList1 = ui_->ActionList1;
    Action1 = ui_->Action1;
    Action2 = ui_->Action2;
    Panel1 = ui_->Panel1;
    Image1 = ui_->Image1;
    ListView = ui_->ListView;
    SpeedButton1 = ui_->SpeedButton1;
    SpeedButton2 = ui_->SpeedButton2;
    SpeedButton3 = ui_->SpeedButton3;
    SpeedButton4 = ui_->SpeedButton4;
    SelectAll1 = ui_->SelectAll1;
    Panel2 = ui_->Panel2;

    files_ = new TFileListModel(this);
    ListView->setModel(files_);
    ListView->SetPopupMenu(PopupMenu1);
}

void TForm1::createComponents() {
    OpenDialog1 = new TOpenDialog(this);
    OpenDialog1->setObjectName(QStringLiteral("OpenDialog1"));
    OpenDialog1->SetFilter(QString::fromLatin1(kFileFilter));

    // The two commands are plain actions, not alternatives of one choice.
    ActionList1->setExclusionPolicy(QActionGroup::ExclusionPolicy::None);

    FlatHint1 = new TFlatHint(this);
    FlatHint1->setObjectName(QStringLiteral("FlatHint1"));
    FlatHint1->SetColorArrowBackground(clInfoBk);
    FlatHint1->SetFont(DefaultFont());
    FlatHint1->SetFontColor(clWindowText);
}

void TForm1::connectHandlers() {
    SpeedButton1->OnClick = [this] { SpeedButton1Click(); };
    SpeedButton2->OnClick = [this] { SpeedButton2Click(); };
    SpeedButton3->OnClick = [this] { SpeedButton3Click(); };
    SpeedButton4->OnClick = [this] { SpeedButton4Click(); };
    Image1->OnMouseDown = [this](Qt::MouseButton button, Qt::KeyboardModifiers shift, QPoint pos) {
        Image1MouseDown(button, shift, pos);
    };
    Image1->installEventFilter(this);

    connect(Action1, &QAction::triggered, this, [this] { SpeedButton1Click(); });
    connect(Action2, &QAction::triggered, this, [this] { SpeedButton2Click(); });
    connect(Add1, &QAction::triggered, this, [this] { Add1Click(); });
    connect(ModifyTitle1, &QAction::triggered, this, [this] { ModifyTitle1Click(); });
    connect(SelectAll1, &QAction::triggered, this, [this] { SelectAll1Click(); });
    connect(Remove1, &QAction::triggered, this, [this] { Remove1Click(); });
    connect(RemoveAll1, &QAction::triggered, this, [this] { RemoveAll1Click(); });

    // One notice per change of the selection, however many rows it covers: the handler's
    // effect is the same for one row as for a thousand, and Select All stays linear.
    connect(ListView->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this](const QItemSelection& selected, const QItemSelection& deselected) {
                const QItemSelection& changed = selected.isEmpty() ? deselected : selected;
                if (changed.isEmpty())
                    return;
                ListViewSelectItem(changed.first().top(), !selected.isEmpty());
            });
}

// Add Files.
void TForm1::SpeedButton1Click() {
    if (!OpenDialog1->Execute(this))
        return;
    const TBusyIndicator busy(Panel2, ListView, QStringLiteral("Loading......."));
    files_->AddFiles(EncodePaths(OpenDialog1->Files()), Engine);
}

// Title It.
void TForm1::SpeedButton2Click() {
    if (!FileSelected()) {
        ShowMessage(QStringLiteral("Please select a file first!"));
        return;
    }
    const QString title = InputBox(QStringLiteral("Input TITLE"),
                                   QStringLiteral("Please input a new title:"), QString());
    if (title.isEmpty())
        return;
    const TBusyIndicator busy(Panel2, ListView, QStringLiteral("Modifying......"));
    // Each page gets the title in the encoding it declares when it is written.
    const titora::TitleEncoder encodeTitle = [title](std::string_view declaredEncoding) {
        return titora::EncodeTitle(title, declaredEncoding);
    };
    files_->RetitleSelected(ListView->selectionModel(), encodeTitle, Engine);
}

void TForm1::SpeedButton3Click() {
    AboutBox->exec();
}

void TForm1::SpeedButton4Click() {
    close();
}

void TForm1::Image1MouseDown(Qt::MouseButton Button, Qt::KeyboardModifiers, QPoint Pos) {
    if (Button != Qt::LeftButton)
        return;
    if (windowHandle() && windowHandle()->startSystemMove())
        return;
    // Without a window manager (or on a platform that offers no move) nobody moves the
    // window for us, so it follows the mouse itself until the button is released.
    followingMouse_ = true;
    grabOffset_ = Image1->mapToGlobal(Pos) - pos();
}

bool TForm1::eventFilter(QObject* watched, QEvent* event) {
    if (watched != Image1 || !followingMouse_)
        return QWidget::eventFilter(watched, event);
    if (event->type() == QEvent::MouseMove) {
        move(static_cast<QMouseEvent*>(event)->globalPosition().toPoint() - grabOffset_);
        return true;
    }
    if (event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        followingMouse_ = false;
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void TForm1::Add1Click() {
    Action1->trigger();
}

void TForm1::ModifyTitle1Click() {
    Action2->trigger();
}

void TForm1::Remove1Click() {
    files_->RemoveSelected(ListView->selectionModel());
}

void TForm1::RemoveAll1Click() {
    files_->RemoveAll();
}

void TForm1::ListViewSelectItem(int, bool) {
    files_->MarkSelectionChanged();
}

void TForm1::SelectAll1Click() {
    ListView->selectAll();
}

bool TForm1::FileSelected() const {
    return files_->FileSelected();
}
