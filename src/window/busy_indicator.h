// The busy indicator over the list and the worker thread behind it.
//
// A command's file work runs on a worker thread while the window's thread goes on handling
// events, so that the window repaints and can be moved. Run() itself returns only when the
// work has ended, as a modal dialog's exec() does: the command reads on as one sequence, and a
// failure of the work leaves it as if the work had run in place. The window owns the rows and
// changes them only on its own thread, before or after Run(); the work builds its results
// apart (see TFileListModel).
//
// The indicator shows its caption at once. Work that takes longer than 200 ms also shows below
// the caption how far it has come ("1,234 of 5,000") with a progress bar, both updated at most
// every 50 ms, and a "Stop" button; Escape stops too. Stopping lets the file in hand finish.
// When the work has ended the line shows the count it ended with, and LastOutcome() keeps it
// for the command to tell the user.
#pragma once

#include "file_list_model.h"
#include "progress.h"

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QTimer>

class QLabel;
class QProgressBar;
class QPushButton;
class QShortcut;
class QWidget;
class TPanel;

// How the last work ended.
struct TWorkOutcome {
    std::size_t done = 0;        // files done in its last stage
    std::size_t total = 0;       // files in its last stage; 0 when not known
    bool stopped = false;        // the user (or closing the window) asked it to stop
    bool showedProgress = false; // it ran long enough to show how far it had come
};

class TBusyIndicator : public QObject {
    Q_OBJECT
public:
    // `panel` is the indicator; the progress line, bar and Stop button are made inside it.
    // `list` is disabled while work runs.
    TBusyIndicator(TPanel* panel, QWidget* list);

    // Shows the indicator with `caption`, disables the list, runs `work` on a worker thread and
    // handles events until it has ended, then hides the indicator and enables the list again.
    // The work's failure then leaves this function. Must not be called while Running().
    void Run(const QString& caption, const TWork& work);
    bool Running() const { return progress_ != nullptr; }
    // Asks the running work to stop after the file in hand; does nothing when none runs.
    void Stop();
    const TWorkOutcome& LastOutcome() const { return outcome_; }
    // Shows `text` ("469 files written") in the indicator's place, until the next Run() or
    // a click on it.
    void ShowOutcome(const QString& text);

    // The parts shown once the work has taken 200 ms.
    QLabel* ProgressLine() const { return line_; }
    QProgressBar* ProgressBar() const { return bar_; }
    QPushButton* StopButton() const { return stop_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void ShowProgress();
    void UpdateProgress();
    void HideProgress();

    TPanel* panel_;
    QWidget* list_;
    QWidget* progressPart_;
    QLabel* line_;
    QProgressBar* bar_;
    QPushButton* stop_;
    QShortcut* escape_;
    QTimer showTimer_;
    QTimer updateTimer_;
    titora::Progress* progress_ = nullptr;
    TWorkOutcome outcome_;
};

// A count as the progress line shows it, grouped by thousands: 1234567 gives "1,234,567".
QString GroupedCount(std::size_t count);
