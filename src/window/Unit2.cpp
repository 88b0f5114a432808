#include "Unit2.h"

#include "framework/application.h"
#include "framework/label.h"
#include "framework/panel.h"
#include "framework/picture.h"
#include "framework/screen_centred.h"
#include "framework/tcolor.h"
#include "ui_Unit2.h"

#include <QDesktopServices>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QPushButton>
#include <QScreen>
#include <QUrl>
#include <QWindow>

TAboutBox* AboutBox = nullptr;

// The desktop decides what opens a link (mail program, browser). Whether it
// managed is not our business: when nothing is registered the desktop says so
// itself, or nothing happens, and the box stays open either way.
std::function<void(const QString&)> TAboutBox::OpenLink = [](const QString& link) {
    QDesktopServices::openUrl(QUrl(link));
};

TAboutBox::TAboutBox(QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                         Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      ui_(std::make_unique<Ui::TAboutBox>()) {
    setFont(DefaultFont());
    ui_->setupUi(this);

    Panel1 = ui_->Panel1;
    ProductName = ui_->ProductName;
    Version = ui_->Version;
    Comments = ui_->Comments;
    OKButton = ui_->OKButton;
    Image1 = ui_->Image1;
    Label1 = ui_->Label1;
    Label2 = ui_->Label2;
    Label4 = ui_->Label4;
    Label5 = ui_->Label5;

    // A dialog frame that cannot be resized: the client area is fixed.
    setFixedSize(370, 159);
    SetBackgroundColor(*this, clBtnFace);

    Panel1->SetBevelOuter(TPanel::TBevel::Lowered);
    Panel1->SetBevelInner(TPanel::TBevel::Raised);
    Panel1->SetColor(clHighlightText);
    Panel1->SetCaption(QString());
    Image1->SetPicture(QStringLiteral(":/about.jpg"));
    // The version is the project's, the one the package and --version show too.
    Version->setText(QStringLiteral("Version " TITORA_VERSION));

    // Until the mouse first passes over them, the links wear the box's own
    // text colour, like the plain labels beside them.
    Label2->SetColor(clBtnHighlight);
    Label2->SetFontColor(clWindowText);
    Label5->SetColor(clHighlightText);
    Label5->SetFontColor(clWindowText);

    // Mouse movement belongs to the topmost control under the pointer. Qt
    // would hand a movement over a label or the picture on to the panel
    // beneath, which would turn the links black; the panel must only hear of
    // movement over its bare face and frame.
    for (QWidget* child : {static_cast<QWidget*>(ProductName), static_cast<QWidget*>(Version),
                           static_cast<QWidget*>(Comments), static_cast<QWidget*>(Image1),
                           static_cast<QWidget*>(Label1), static_cast<QWidget*>(Label2),
                           static_cast<QWidget*>(Label4), static_cast<QWidget*>(Label5)})
        child->setAttribute(Qt::WA_NoMousePropagation);

    Panel1->OnMouseMove = [this](Qt::KeyboardModifiers shift, QPoint pos) {
        Panel1MouseMove(shift, pos);
    };
    Label2->OnMouseMove = [this](Qt::KeyboardModifiers shift, QPoint pos) {
        Label2MouseMove(shift, pos);
    };
    Label5->OnMouseMove = [this](Qt::KeyboardModifiers shift, QPoint pos) {
        Label5MouseMove(shift, pos);
    };
    Label2->OnClick = [this] { Label2Click(); };
    Label5->OnClick = [this] { Label5Click(); };
    connect(OKButton, &QPushButton::clicked, this, [this] { OKButtonClick(); });
}

TAboutBox::~TAboutBox() = default;

void TAboutBox::Label2MouseMove(Qt::KeyboardModifiers, QPoint) {
    Label2->SetFontColor(clBlue);
}

void TAboutBox::OKButtonClick() {
    close();
}

void TAboutBox::Panel1MouseMove(Qt::KeyboardModifiers, QPoint) {
    Label2->SetFontColor(clBlack);
    Label5->SetFontColor(clBlack);
}

void TAboutBox::Label2Click() {
    OpenLink(Label2->text());
}

void TAboutBox::Label5Click() {
    OpenLink(Label5->text());
}

void TAboutBox::Label5MouseMove(Qt::KeyboardModifiers, QPoint) {
    Label5->SetFontColor(clBlue);
}

void TAboutBox::setVisible(bool visible) {
    // Qt would place a parentless dialog by its own heuristic at every first
    // showing; we place it once, and afterwards it keeps whatever position it
    // had when it was hidden, also after the user moved it.
    if (visible && !placed_) {
        create();
        placeAtScreenCentre();
        placed_ = true;
        awaitingFrame_ = true;
        windowHandle()->installEventFilter(this);
    }
    QDialog::setVisible(visible);
}

void TAboutBox::placeAtScreenCentre() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr)
        return;
    // Centre the outer window, frame included. The platform knows the frame
    // once the native window exists, or, under a window manager that adds its
    // decoration when the window is mapped, only at the first exposure; until
    // then the frame counts as nothing and eventFilter() corrects the place.
    placedFrame_ = windowHandle()->frameMargins();
    setGeometry(CentredClientRect(screen->geometry(), size(), placedFrame_));
    placedAt_ = geometry().topLeft();
}

bool TAboutBox::eventFilter(QObject* watched, QEvent* event) {
    QWindow* window = windowHandle();
    if (awaitingFrame_ && watched == window && event->type() == QEvent::Expose &&
        window->isExposed()) {
        awaitingFrame_ = false;
        window->removeEventFilter(this);
        // Only a frame that was unknown at the placing moves the box, and
        // only while nobody else has moved it meanwhile.
        if (placedFrame_.isNull() && !window->frameMargins().isNull() &&
            geometry().topLeft() == placedAt_)
            placeAtScreenCentre();
    }
    return QDialog::eventFilter(watched, event);
}

void TAboutBox::keyPressEvent(QKeyEvent* event) {
    // The box has no cancel button, so Escape closes nothing; the close box of
    // the caption bar still does (it goes through closeEvent, not here).
    if (event->matches(QKeySequence::Cancel)) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}
