#pragma once

// The About box: a small modal dialog naming the product and its version,
// with a picture and two links (support mail and the product's web page).
// One instance exists, `AboutBox`, created hidden at start-up and owned by
// the application object; closing it only hides it, so its position and the
// colours of its links carry over to the next showing.

#include <QDialog>
#include <QMargins>
#include <QPoint>
#include <QString>

#include <functional>
#include <memory>

class QPushButton;
class TImage;
class TLabel;
class TPanel;

namespace Ui {
class TAboutBox;
}

class TAboutBox : public QDialog {
    Q_OBJECT

public:
    explicit TAboutBox(QWidget* owner = nullptr);
    ~TAboutBox() override;

    // The controls of the window definition (Unit2.ui), in its order. The
    // dialog owns them through Qt's parent chain.
    TPanel* Panel1 = nullptr;
    TLabel* ProductName = nullptr;
    TLabel* Version = nullptr;
    TLabel* Comments = nullptr;
    QPushButton* OKButton = nullptr;
    TImage* Image1 = nullptr;
    TLabel* Label1 = nullptr;
    TLabel* Label2 = nullptr;
    TLabel* Label4 = nullptr;
    TLabel* Label5 = nullptr;

    // Event handlers.
    void Label2MouseMove(Qt::KeyboardModifiers Shift, QPoint Pos);
    void OKButtonClick();
    void Panel1MouseMove(Qt::KeyboardModifiers Shift, QPoint Pos);
    void Label2Click();
    void Label5Click();
    void Label5MouseMove(Qt::KeyboardModifiers Shift, QPoint Pos);

    // Hands a link to the desktop's default handler (mail program, browser).
    // Tests replace it to watch what a click hands over without launching
    // anything; its result is never looked at.
    static std::function<void(const QString& link)> OpenLink;

    void setVisible(bool visible) override;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void placeAtScreenCentre();

    std::unique_ptr<Ui::TAboutBox> ui_;
    bool placed_ = false;
    // The first placing waits for the window's first exposure to learn the
    // frame a window manager may have put around it.
    bool awaitingFrame_ = false;
    QMargins placedFrame_;
    QPoint placedAt_;
};

extern TAboutBox* AboutBox;
