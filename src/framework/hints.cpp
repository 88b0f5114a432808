#include "framework/hints.h"

#include <QApplication>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QScreen>

THintManager::THintManager(QObject* AParent)
    : QObject(AParent), FHintWindowClass(DefaultHintWindowClass()) {
    FTimer.setSingleShot(true);
    connect(&FTimer, &QTimer::timeout, this, &THintManager::TimerExpired);
    // A hint belongs to the pointer's moment over a control: switching to or from another
    // application ends it.
    connect(qApp, &QGuiApplication::applicationStateChanged, this, [this] { CancelHint(); });
    qApp->installEventFilter(this);
    CreateHintWindow();
}

THintManager::~THintManager() {
    if (qApp)
        qApp->removeEventFilter(this);
    FreeHintWindow();
}

THintWindowClass THintManager::DefaultHintWindowClass() {
    return [] { return new THintWindow; };
}

void THintManager::SetHintWindowClass(THintWindowClass Value) {
    FHintWindowClass = Value ? std::move(Value) : DefaultHintWindowClass();
}

void THintManager::SetShowHint(bool Value) {
    if (FShowHint == Value)
        return;
    FShowHint = Value;
    if (FShowHint) {
        CreateHintWindow();
    } else {
        CancelHint();
        FreeHintWindow();
    }
}

void THintManager::CreateHintWindow() {
    FreeHintWindow();
    FHintWindow = FHintWindowClass();
    if (FHintWindow)
        FHintWindow->CreateHandle();
}

void THintManager::FreeHintWindow() {
    delete FHintWindow.data();
    FHintWindow = nullptr;
}

QString THintManager::GetShortHint(const QString& Hint) {
    const int Bar = Hint.indexOf(QLatin1Char('|'));
    return Bar < 0 ? Hint : Hint.left(Bar);
}

QWidget* THintManager::HintControlOf(QWidget* W) {
    for (; W; W = W->parentWidget()) {
        if (!W->toolTip().isEmpty())
            return W;
        if (W->isWindow())
            break;
    }
    return nullptr;
}

bool THintManager::eventFilter(QObject* Watched, QEvent* Event) {
    switch (Event->type()) {
    case QEvent::ToolTip:
        return true; // Qt's own tool-tips never show; our hint window does their work
    case QEvent::MouseMove: {
        auto* Widget = qobject_cast<QWidget*>(Watched);
        const auto* Mouse = static_cast<QMouseEvent*>(Event);
        if (!Widget || qobject_cast<THintWindow*>(Widget->window()))
            break;
        if (Mouse->buttons() != Qt::NoButton)
            break; // the press has already ended any hint; dragging shows none
        // A move that a widget ignores travels on to its parents with the same time and
        // place; only the first, deepest receiver is the widget under the pointer.
        const QPoint Global = Mouse->globalPosition().toPoint();
        if (Mouse->timestamp() == FLastMoveTime && Global == FLastMovePos)
            break;
        FLastMoveTime = Mouse->timestamp();
        FLastMovePos = Global;
        PointerMoved(Widget, Global);
        break;
    }
    case QEvent::Leave:
        if (auto* Widget = qobject_cast<QWidget*>(Watched))
            PointerLeft(Widget);
        break;
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::Wheel:
        CancelHint();
        break;
    default:
        break;
    }
    return false;
}

void THintManager::PointerMoved(QWidget* W, const QPoint& GlobalPos) {
    FCursorPos = GlobalPos;
    QWidget* Control = HintControlOf(W);
    if (!Control) {
        CancelHint();
        return;
    }
    if (Control == FHintControl && FHintCursorRect.contains(Control->mapFromGlobal(GlobalPos)))
        return;
    // Moving on after a hint has been shown: the next one follows after the short pause, and
    // the one showing goes at once so that two hints are never seen together.
    const bool WasActive = FHintActive;
    HideHintWindow();
    FHintControl = Control;
    FHintCursorRect = Control->rect();
    StartTimer(WasActive ? FHintShortPause : FHintPause, TTimerMode::ShowHint);
}

void THintManager::PointerLeft(QWidget* W) {
    if (W->isWindow()) {
        CancelHint(); // off our windows altogether
        return;
    }
    if (W != FHintControl)
        return;
    // Onto another control, maybe: the moves there decide, keeping the short pause if a hint
    // has been shown.
    ForgetHintControl();
}

void THintManager::CancelHint() {
    ForgetHintControl();
    FHintActive = false;
}

void THintManager::ForgetHintControl() {
    FTimer.stop();
    FTimerMode = TTimerMode::None;
    HideHintWindow();
    FHintControl = nullptr;
}

void THintManager::HideHintWindow() {
    if (FHintWindow && FHintWindow->isVisible())
        FHintWindow->hide();
}

void THintManager::StartTimer(int Delay, TTimerMode Mode) {
    FTimerMode = Mode;
    FTimer.start(qMax(0, Delay));
}

void THintManager::TimerExpired() {
    const TTimerMode Mode = FTimerMode;
    FTimerMode = TTimerMode::None;
    if (Mode == TTimerMode::ShowHint)
        ActivateHint();
    else if (Mode == TTimerMode::HideHint)
        HideHintWindow(); // the control stays current: no new hint until the pointer moves on
}

void THintManager::ActivateHint() {
    QWidget* Control = FHintControl;
    if (!Control || !Control->isVisible() || !FShowHint || !FHintWindow) {
        CancelHint();
        return;
    }
    QString HintStr = GetShortHint(Control->toolTip());
    bool CanShow = true;
    THintInfo Info;
    Info.HintControl = Control;
    Info.CursorPos = Control->mapFromGlobal(FCursorPos);
    Info.CursorRect = Control->rect();
    // Below the pointer's hot spot, clear of a standard arrow pointer.
    Info.HintPos = FCursorPos + QPoint(0, 20);
    if (const QScreen* Screen = QGuiApplication::primaryScreen())
        Info.HintMaxWidth = Screen->geometry().width();
    Info.HideTimeout = FHintHidePause;
    if (FOnShowHint)
        FOnShowHint(HintStr, CanShow, Info);
    // The handler may have done anything, even destroyed the control or the window.
    if (!FHintControl || !FHintWindow)
        return;
    FHintCursorRect = Info.CursorRect;
    FHintActive = CanShow && !HintStr.isEmpty();
    if (!FHintActive)
        return; // the control stays current, so the handler is not asked again until it changes
    const QRect HintRect =
        FHintWindow->CalcHintRect(Info.HintMaxWidth, HintStr).translated(Info.HintPos);
    FHintWindow->ShowHintAt(HintRect, HintStr);
    if (Info.HideTimeout > 0)
        StartTimer(Info.HideTimeout, TTimerMode::HideHint);
}
