#include "framework/accessible.h"

#include "framework/accessible_table.h"
#include "framework/flatbutton.h"
#include "framework/hintwindow.h"
#include "framework/label.h"
#include "framework/panel.h"
#include "framework/picture.h"

#include <QAbstractItemView>
#include <QAccessible>
#include <QAccessibleWidget>
#include <QMetaObject>
#include <QPointer>

namespace {

const char kTableProperty[] = "titoraAccessibleTable";

// Runs `action` on `widget` from the event loop, unless the widget is gone by then.
template <class T, class Action> void Queue(T* widget, Action action) {
    QMetaObject::invokeMethod(
        widget,
        [target = QPointer<T>(widget), action] {
            if (target)
                action(*target);
        },
        Qt::QueuedConnection);
}

// The parts all our controls share: the accessible name the program gave the widget wins over
// the one the control makes up from its own state.
class TControlAccessible : public QAccessibleWidget {
public:
    TControlAccessible(QWidget* widget, QAccessible::Role role) : QAccessibleWidget(widget, role) {}

protected:
    virtual QString OwnName() const { return QString(); }

    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Name && widget()->accessibleName().isEmpty())
            return OwnName();
        return QAccessibleWidget::text(t);
    }
};

class TSpeedButtonAccessible : public TControlAccessible {
public:
    explicit TSpeedButtonAccessible(TSpeedButton* button)
        : TControlAccessible(button, QAccessible::Button) {}

    // The description is the hint, as QAccessibleWidget makes it from the tool-tip.
    QString OwnName() const override { return Button()->Caption(); }
    QStringList actionNames() const override { return {pressAction()}; }
    QStringList keyBindingsForAction(const QString&) const override { return {}; }
    void doAction(const QString& action) override {
        if (action == pressAction())
            Queue(Button(), [](TSpeedButton& b) { b.Click(); });
    }

private:
    TSpeedButton* Button() const { return static_cast<TSpeedButton*>(widget()); }
};

class TLabelAccessible : public TControlAccessible {
public:
    explicit TLabelAccessible(TLabel* label) : TControlAccessible(label, QAccessible::StaticText) {}

    QAccessible::Role role() const override {
        return IsLink() ? QAccessible::Link : QAccessible::StaticText;
    }
    QAccessible::State state() const override {
        QAccessible::State s = QAccessibleWidget::state();
        s.linked = IsLink();
        return s;
    }
    QString OwnName() const override { return Label()->text(); }
    QStringList actionNames() const override {
        return IsLink() ? QStringList{pressAction()} : QStringList();
    }
    QStringList keyBindingsForAction(const QString&) const override { return {}; }
    void doAction(const QString& action) override {
        if (action == pressAction() && IsLink())
            Queue(Label(), [](TLabel& l) {
                if (l.OnClick)
                    l.OnClick();
            });
    }

private:
    TLabel* Label() const { return static_cast<TLabel*>(widget()); }
    bool IsLink() const { return bool(Label()->OnClick); }
};

class TPanelAccessible : public TControlAccessible {
public:
    explicit TPanelAccessible(TPanel* panel) : TControlAccessible(panel, QAccessible::Pane) {}

    QAccessible::Role role() const override {
        return Panel()->IsStatus() ? QAccessible::StatusBar : QAccessible::Pane;
    }
    QString OwnName() const override { return Panel()->AccessibleText(); }

private:
    TPanel* Panel() const { return static_cast<TPanel*>(widget()); }
};

class THintWindowAccessible : public TControlAccessible {
public:
    explicit THintWindowAccessible(THintWindow* window)
        : TControlAccessible(window, QAccessible::ToolTip) {}

    QString OwnName() const override { return static_cast<THintWindow*>(widget())->Text(); }
};

QAccessibleInterface* ControlFactory(const QString& className, QObject* object) {
    // Asked for every class of every object, most derived first: the first answer for one of
    // ours is the one that counts, and everything else is left to Qt.
    if (!object || !object->isWidgetType())
        return nullptr;
    // A window made straight from QWidget, as the program's main window is, would be nameless
    // filler to Qt; it is a window named by its title. Qt's dialogs and menus have met their
    // own interfaces at their own classes before anybody is asked about "QWidget".
    auto* widget = static_cast<QWidget*>(object);
    if (className == QLatin1String("QWidget") && widget->isWindow())
        return new QAccessibleWidget(widget, QAccessible::Window);
    if (auto* button = qobject_cast<TSpeedButton*>(object))
        return new TSpeedButtonAccessible(button);
    if (auto* label = qobject_cast<TLabel*>(object))
        return new TLabelAccessible(label);
    if (auto* panel = qobject_cast<TPanel*>(object))
        return new TPanelAccessible(panel);
    if (auto* image = qobject_cast<TImage*>(object))
        return new TControlAccessible(image, QAccessible::Graphic);
    if (auto* hint = qobject_cast<THintWindow*>(object))
        return new THintWindowAccessible(hint);
    auto* view = qobject_cast<QAbstractItemView*>(object);
    if (view && view->property(kTableProperty).toBool())
        return NewAccessibleTable(view);
    return nullptr;
}

} // namespace

void InstallAccessibleControls() {
    static const bool installed = [] {
        QAccessible::installFactory(ControlFactory);
        return true;
    }();
    (void)installed;
}

void PresentAsTable(QAbstractItemView* view) {
    InstallAccessibleControls();
    view->setProperty(kTableProperty, true);
}
