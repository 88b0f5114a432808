#pragma once

// The application's hint machinery. Qt's own tool-tips are never shown: THintManager watches
// the pointer over every widget of the application, waits the hint pause, asks the show-hint
// handler, and shows the widget's hint text in its one hint window, made from a replaceable
// hint window class. The hint text of a widget is its toolTip(), the part before a "|".

#include "framework/hintwindow.h"

#include <functional>
#include <QObject>
#include <QPointer>
#include <QRect>
#include <QString>
#include <QTimer>

// What the show-hint handler may read and change about the hint about to be shown.
struct THintInfo {
    QWidget* HintControl = nullptr; // the widget whose hint it is
    QPoint CursorPos;               // the pointer, in HintControl's coordinates
    QRect CursorRect;     // in HintControl's coordinates: the hint is not shown again while the
                          // pointer stays inside; the whole widget unless a handler narrows it
    QPoint HintPos;       // screen position of the hint rectangle's top-left corner
    int HintMaxWidth = 0; // width the plain hint window wraps its text at
    int HideTimeout = 0;  // milliseconds the hint stays up; starts as the hide pause
};

using TShowHintEvent = std::function<void(QString& HintStr, bool& CanShow, THintInfo& HintInfo)>;
using THintWindowClass = std::function<THintWindow*()>;

class THintManager : public QObject {
    Q_OBJECT
public:
    explicit THintManager(QObject* AParent = nullptr);
    ~THintManager() override;

    // The class the hint window is made from. Changing it takes effect when the window is next
    // made, that is when the hints switch goes off and on again.
    static THintWindowClass DefaultHintWindowClass();
    const THintWindowClass& HintWindowClass() const { return FHintWindowClass; }
    void SetHintWindowClass(THintWindowClass Value);

    // The hints switch, on from start-up. Off frees the hint window; on makes a new one from
    // the current hint window class.
    bool ShowHint() const { return FShowHint; }
    void SetShowHint(bool Value);

    // Called before every hint; replaced, never chained, by a new assignment.
    const TShowHintEvent& OnShowHint() const { return FOnShowHint; }
    void SetOnShowHint(TShowHintEvent Value) { FOnShowHint = std::move(Value); }

    // Delays in milliseconds.
    int HintPause() const { return FHintPause; }
    void SetHintPause(int Value) { FHintPause = Value; }
    int HintShortPause() const { return FHintShortPause; }
    void SetHintShortPause(int Value) { FHintShortPause = Value; }
    int HintHidePause() const { return FHintHidePause; }
    void SetHintHidePause(int Value) { FHintHidePause = Value; }

    THintWindow* HintWindow() const { return FHintWindow; }
    QWidget* HintControl() const { return FHintControl; }
    // The delay of the timer now running (showing or hiding), or -1 when none runs.
    int PendingDelay() const { return FTimer.isActive() ? FTimer.interval() : -1; }

    // Hides a showing hint and forgets the control: the next hint waits the full hint pause.
    void CancelHint();

    // The part of a hint before its first "|".
    static QString GetShortHint(const QString& Hint);
    // The widget whose hint applies at W: W itself or its nearest ancestor with a tool-tip.
    static QWidget* HintControlOf(QWidget* W);

protected:
    bool eventFilter(QObject* Watched, QEvent* Event) override;

private:
    enum class TTimerMode { None, ShowHint, HideHint };

    void CreateHintWindow();
    void FreeHintWindow();
    void PointerMoved(QWidget* W, const QPoint& GlobalPos);
    void PointerLeft(QWidget* W);
    // Stops the timer, hides the hint window and forgets the control.
    void ForgetHintControl();
    void StartTimer(int Delay, TTimerMode Mode);
    void TimerExpired();
    void ActivateHint();
    void HideHintWindow();

    THintWindowClass FHintWindowClass;
    bool FShowHint = true;
    TShowHintEvent FOnShowHint;
    int FHintPause = 500;
    int FHintShortPause = 50;
    int FHintHidePause = 2500;

    QPointer<THintWindow> FHintWindow;
    QPointer<QWidget> FHintControl;
    QRect FHintCursorRect;    // in FHintControl's coordinates
    bool FHintActive = false; // a hint has been shown since the pointer came onto hinted controls
    QPoint FCursorPos;        // the pointer at the last move, screen coordinates
    ulong FLastMoveTime = 0;
    QPoint FLastMovePos;
    QTimer FTimer;
    TTimerMode FTimerMode = TTimerMode::None;
};
