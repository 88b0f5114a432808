#pragma once

// The main window: a borderless, picture-skinned window with four flat buttons in a column,
// the file list in the middle and a busy indicator over it. Dragging the picture moves the
// window. The controls come from the window definition (Unit3.ui); this class holds the
// behaviour: the button, picture and menu handlers and the file list commands.

#include "file_list.h"
#include "file_list_model.h"

#include <memory>
#include <QPoint>
#include <QTimer>
#include <QWidget>
#include <string>
#include <vector>

class QAction;
class QActionGroup;
class QMenu;
class TBusyIndicator;
class TFileListView;
class TModalFront;
class TFlatHint;
class TImage;
class TOpenDialog;
class TPanel;
struct THintInfo;
class TSpeedButton;

namespace Ui {
class TForm1;
}

class TForm1 : public QWidget {
    Q_OBJECT
public:
    explicit TForm1(QWidget* owner = nullptr);
    ~TForm1() override;

    // The components of the window definition, in its order. The window owns them through
    // Qt's parent chain.
    TOpenDialog* OpenDialog1 = nullptr;
    QMenu* PopupMenu1 = nullptr;
    QAction* Add1 = nullptr;
    QAction* Remove1 = nullptr;
    QAction* ModifyTitle1 = nullptr;
    QAction* RemoveAll1 = nullptr;
    QActionGroup* ActionList1 = nullptr;
    QAction* Action1 = nullptr;
    QAction* Action2 = nullptr;
    TPanel* Panel1 = nullptr;
    TImage* Image1 = nullptr;
    TFileListView* ListView = nullptr;
    TSpeedButton* SpeedButton1 = nullptr;
    TSpeedButton* SpeedButton2 = nullptr;
    TSpeedButton* SpeedButton3 = nullptr;
    TSpeedButton* SpeedButton4 = nullptr;
    QAction* SelectAll1 = nullptr;
    QAction* CheckTitles1 = nullptr;
    TFlatHint* FlatHint1 = nullptr;
    TPanel* Panel2 = nullptr;
    // The richer road beside Title It: a rule and a preview (retitle_command.cpp).
    QAction* RetitleSelected1 = nullptr;
    QAction* UndoRetitle1 = nullptr;

    // Event handlers. None catches: a failure leaves the handler after the clean-up and is
    // shown by the application's error box.
    void SpeedButton1Click();
    void SpeedButton2Click();
    void SpeedButton3Click();
    void SpeedButton4Click();
    void Image1MouseDown(Qt::MouseButton Button, Qt::KeyboardModifiers Shift, QPoint Pos);
    void Add1Click();
    void ModifyTitle1Click();
    void Remove1Click();
    void RemoveAll1Click();
    void ListViewSelectItem(int Item, bool Selected);
    void SelectAll1Click();
    void RetitleSelected1Click();
    void UndoRetitle1Click();
    // Checks the titles of the listed pages and shows the report; its "Select in List"
    // selects the rows of the chosen findings.
    void CheckTitles1Click();

    // Set by every change of a row's selected state; Title It refuses to run while false.
    bool FileSelected() const;
    // The rows behind ListView.
    TFileListModel* Files() const { return files_; }
    // The busy indicator, which runs the commands' file work off the window's thread.
    TBusyIndicator* Busy() const { return busy_; }

    // Lists the pages of dropped or named files and folders (a folder stands for the pages in
    // its tree), after any command that is running, as the window's own command. Paths are
    // in the file system's encoding.
    void AddPaths(const std::vector<std::string>& paths);

    // The title engine the commands call. Tests and benchmarks put a wrapper here to watch
    // or count the calls.
    titora::TitleEngine Engine = titora::RealTitleEngine();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void createControls();
    void createComponents();
    void connectHandlers();

    // Whether a command is working through files; the window then takes no other command.
    bool Working() const;
    // The runner that hands a command's file work to the busy indicator under `caption`.
    TWorkRunner Runner(const QString& caption);
    // Tells how many files the command's work got through (`verb`: "written", "added"), of
    // `total` where that is known: in a message box when the user stopped it, in the busy
    // indicator's place when it ran long enough to show its progress. Nothing when the
    // window is closing.
    void ReportOutcome(const char* verb, std::size_t count, std::size_t total = 0);
    // Closes the window when it was asked to close while the work ran.
    void CloseIfAsked();
    // Lists what AddPaths queued, unless a command or a modal box is still up.
    void AddPending();
    // Makes `rows` (ascending) the list's selection, the first of them current and in view.
    void SelectRows(const std::vector<int>& rows);
    // Over a title cell with a mark of Check Titles, the hint is its findings.
    void ListViewHint(QString& hint, THintInfo& info) const;

    std::unique_ptr<Ui::TForm1> ui_;
    TFileListModel* files_ = nullptr;
    TBusyIndicator* busy_ = nullptr;
    std::unique_ptr<TModalFront> modalFront_;
    // Dropped or named paths waiting for the running command to end.
    std::vector<std::string> pendingPaths_;
    QTimer pendingTimer_;
    // Set when the window was asked to close while work ran; the failure of that work, if
    // any, is shown before the window closes.
    bool closeAfterWork_ = false;
    QString failureOnClose_;
    // Set while the window follows the mouse because the platform refused to move it.
    bool followingMouse_ = false;
    QPoint grabOffset_;
};

extern TForm1* Form1;
