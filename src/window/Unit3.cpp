#include "Unit3.h"

#include "busy_indicator.h"
#include "file_list_model.h"
#include "file_list_view.h"
#include "framework/application.h"
#include "framework/dialogs.h"
#include "framework/flatbutton.h"
#include "framework/modal_front.h"
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
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QItemSelectionModel>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QUrl>
#include <QWindow>
#include <utility>

TForm1* Form1 = nullptr;

namespace {

const char* const kFileFilter =
    "HTML Files(*.html,*.htm,*.shtml)|*.html;*.htm;*.shtml|ASP Files|*.asp|All Files(*.*)|*.*";

// `path` as the file system takes it. Qt spells every path with "/", which Windows takes
// too, but the list cuts a path into folder and name where the system's own separator is.
std::string EncodePath(const QString& path) {
    return QFile::encodeName(QDir::toNativeSeparators(path)).toStdString();
}

std::vector<std::string> EncodePaths(const QStringList& paths) {
    std::vector<std::string> encoded;
    encoded.reserve(static_cast<std::size_t>(paths.size()));
    for (const QString& path : paths)
        encoded.push_back(EncodePath(path));
    return encoded;
}

// The local files and folders among dropped URLs, in the file system's encoding.
std::vector<std::string> LocalPaths(const QMimeData* data) {
    std::vector<std::string> paths;
    if (!data || !data->hasUrls())
        return paths;
    for (const QUrl& url : data->urls())
        if (url.isLocalFile())
            paths.push_back(EncodePath(url.toLocalFile()));
    return paths;
}

// The message after a drop that left files or folders out: how many, and the first few.
QString SkippedMessage(const std::vector<std::string>& skipped) {
    constexpr std::size_t kNamed = 5;
    QString text = skipped.size() == 1
                       ? QStringLiteral("1 file or folder could not be read and was left out:")
                       : QStringLiteral("%1 files or folders could not be read and were left out:")
                             .arg(GroupedCount(skipped.size()));
    for (std::size_t i = 0; i < skipped.size() && i < kNamed; ++i)
        text += QLatin1Char('\n') + QFile::decodeName(QByteArray::fromStdString(skipped[i]));
    if (skipped.size() > kNamed)
        text += QStringLiteral("\nand %1 more.").arg(GroupedCount(skipped.size() - kNamed));
    return text;
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
    CheckTitles1 = ui_->CheckTitles1;
    Panel2 = ui_->Panel2;
    RetitleSelected1 = ui_->RetitleSelected1;
    UndoRetitle1 = ui_->UndoRetitle1;

    files_ = new TFileListModel(this);
    ListView->setModel(files_);
    ListView->SetPopupMenu(PopupMenu1);
    busy_ = new TBusyIndicator(Panel2, ListView);
    // Files and folders dropped anywhere on the window are listed, even while the list is
    // disabled by a running command.
    setAcceptDrops(true);
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

    // While the window is blocked by a modal box, a click on it brings the box to the front.
    modalFront_ = std::make_unique<TModalFront>();
    QCoreApplication::instance()->installNativeEventFilter(modalFront_.get());
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
    connect(RetitleSelected1, &QAction::triggered, this, [this] { RetitleSelected1Click(); });
    connect(UndoRetitle1, &QAction::triggered, this, [this] { UndoRetitle1Click(); });
    connect(CheckTitles1, &QAction::triggered, this, [this] { CheckTitles1Click(); });
    FlatHint1->SetOnShowHint(
        [this](QString& hint, bool&, THintInfo& info) { ListViewHint(hint, info); });

    // One notice per change of the selection, however many rows it covers: the handler's
    // effect is the same for one row as for a thousand, and Select All stays linear.
    connect(ListView->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this](const QItemSelection& selected, const QItemSelection& deselected) {
                const QItemSelection& changed = selected.isEmpty() ? deselected : selected;
                if (changed.isEmpty())
                    return;
                ListViewSelectItem(changed.first().top(), !selected.isEmpty());
            });

    pendingTimer_.setSingleShot(true);
    connect(&pendingTimer_, &QTimer::timeout, this, [this] { AddPending(); });
}

// Add Files.
void TForm1::SpeedButton1Click() {
    if (Working() || !OpenDialog1->Execute(this))
        return;
    const int before = files_->rowCount();
    files_->AddFiles(EncodePaths(OpenDialog1->Files()), Engine,
                     Runner(QStringLiteral("Loading.......")));
    ReportOutcome("added", static_cast<std::size_t>(files_->rowCount() - before));
    CloseIfAsked();
}

// Title It.
void TForm1::SpeedButton2Click() {
    if (Working())
        return;
    if (!FileSelected()) {
        ShowMessage(QStringLiteral("Please select a file first!"));
        return;
    }
    const QString title = InputBox(QStringLiteral("Input TITLE"),
                                   QStringLiteral("Please input a new title:"), QString());
    if (title.isEmpty())
        return;
    // Each page gets the title in the encoding it declares when it is written.
    const titora::TitleEncoder encodeTitle = [title](std::string_view declaredEncoding) {
        return titora::EncodeTitle(title, declaredEncoding);
    };
    // Title It keeps its line-break rule, and undo copies like every retitle: past the
    // copies' limit it goes on without them, and Undo Last Retitle then says so.
    titora::UndoCopies undo;
    files_->RetitleSelected(ListView->selectionModel(), encodeTitle, Engine,
                            Runner(QStringLiteral("Modifying......")), {false, &undo});
    ReportOutcome("written", busy_->LastOutcome().done, busy_->LastOutcome().total);
    CloseIfAsked();
}

void TForm1::SpeedButton3Click() {
    if (!Working())
        AboutBox->exec();
}

void TForm1::SpeedButton4Click() {
    if (!Working())
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
    if (!Working())
        files_->RemoveSelected(ListView->selectionModel());
}

void TForm1::RemoveAll1Click() {
    if (!Working())
        files_->RemoveAll();
}

void TForm1::ListViewSelectItem(int, bool) {
    files_->MarkSelectionChanged();
}

void TForm1::SelectAll1Click() {
    if (!Working())
        ListView->selectAll();
}

bool TForm1::FileSelected() const {
    return files_->FileSelected();
}

bool TForm1::Working() const {
    return busy_->Running();
}

TWorkRunner TForm1::Runner(const QString& caption) {
    return [this, caption](const TWork& work) {
        try {
            busy_->Run(caption, work);
        } catch (const std::exception& e) {
            // The window closes after this command: its failure is shown first, by CloseIfAsked.
            if (!closeAfterWork_)
                throw;
            failureOnClose_ = QString::fromLocal8Bit(e.what());
        }
    };
}

void TForm1::ReportOutcome(const char* verb, std::size_t count, std::size_t total) {
    const TWorkOutcome& outcome = busy_->LastOutcome();
    if (closeAfterWork_ || (!outcome.stopped && !outcome.showedProgress))
        return;
    // "469 of 20,000 files written", "1 file added".
    QString text = GroupedCount(count);
    if (total != 0)
        text += QStringLiteral(" of ") + GroupedCount(total);
    text +=
        (total != 0 ? total : count) == 1 ? QStringLiteral(" file ") : QStringLiteral(" files ");
    text += QLatin1String(verb);
    if (outcome.stopped) {
        ShowMessage(QStringLiteral("Stopped: %1.").arg(text));
        return;
    }
    busy_->ShowOutcome(text);
}

void TForm1::CloseIfAsked() {
    if (!closeAfterWork_)
        return;
    closeAfterWork_ = false;
    if (!failureOnClose_.isEmpty())
        Application->ShowException(std::exchange(failureOnClose_, QString()));
    close();
}

void TForm1::closeEvent(QCloseEvent* event) {
    // Closing now would end the program under the running work: it stops after the file in
    // hand instead, and the command closes the window once it has put its rows in place.
    if (Working()) {
        closeAfterWork_ = true;
        busy_->Stop();
        event->ignore();
        return;
    }
    QWidget::closeEvent(event);
}

void TForm1::AddPaths(const std::vector<std::string>& paths) {
    if (paths.empty())
        return;
    pendingPaths_.insert(pendingPaths_.end(), paths.begin(), paths.end());
    // Later, from the event loop: a drop returns to the dropping program at once, and the
    // command line's paths wait for the window to be shown.
    pendingTimer_.start(0);
}

void TForm1::AddPending() {
    if (pendingPaths_.empty())
        return;
    if (Working() || QApplication::activeModalWidget()) {
        pendingTimer_.start(50);
        return;
    }
    const std::vector<std::string> paths = std::exchange(pendingPaths_, {});
    const int before = files_->rowCount();
    const std::vector<std::string> skipped =
        files_->AddPages(paths, Engine, Runner(QStringLiteral("Loading.......")));
    ReportOutcome("added", static_cast<std::size_t>(files_->rowCount() - before));
    if (closeAfterWork_) {
        CloseIfAsked();
        return;
    }
    if (!skipped.empty())
        ShowMessage(SkippedMessage(skipped));
    if (!pendingPaths_.empty())
        pendingTimer_.start(0);
}

// A drag is taken wherever it enters the window: over the buttons, the picture or the border
// as well as over the list. Qt offers the window no second chance once it has refused the
// entering drag, so a drag that crossed a button first would be refused all the way.
void TForm1::dragEnterEvent(QDragEnterEvent* event) {
    if (!LocalPaths(event->mimeData()).empty())
        event->acceptProposedAction();
}

void TForm1::dragMoveEvent(QDragMoveEvent* event) {
    event->acceptProposedAction();
}

void TForm1::dropEvent(QDropEvent* event) {
    const std::vector<std::string> paths = LocalPaths(event->mimeData());
    if (paths.empty())
        return;
    event->acceptProposedAction();
    AddPaths(paths);
}
