#pragma once

#include "framework/hints.h"

#include <memory>
#include <QApplication>
#include <QFont>
#include <QPointer>
#include <QString>
#include <vector>

class QPainter;
class QRect;

// The application object: the title, the windows it owns, the message loop and the one place
// where exceptions leaving event handlers are caught and shown.
class TApplication : public QApplication {
    Q_OBJECT
public:
    // Sets the global `Application` and makes DefaultFont() the font of the whole application.
    TApplication(int& argc, char** argv);
    // Destroys the owned forms in the reverse order of their creation.
    ~TApplication() override;

    // Kept for the start-up order of the program; everything is prepared by the constructor.
    void Initialize();

    // The caption of every message box. Deliberately not Qt's applicationDisplayName, which the
    // platform would append to every window caption.
    QString Title() const { return title_; }
    void SetTitle(const QString& title) { title_ = title; }

    // Creates a form owned by the application. The first form created becomes the main form.
    template <class T> void CreateForm(T*& ref) {
        ref = new T(nullptr);
        AddForm(ref);
    }
    QWidget* MainForm() const { return mainForm_; }

    // Shows the main form and runs the message loop until the main form closes; returns the
    // exit code, 0.
    int Run();

    // The error box: error icon, caption Title(), one OK button, modal over all windows.
    void ShowException(const QString& message);

    // Catches every exception that leaves an event handler, shows it and goes on. Also keeps
    // DefaultFont() the font of every widget when a desktop theme sets fonts of its own.
    bool notify(QObject* receiver, QEvent* event) override;

    // Destroys the owned forms now (reverse order of creation). Also done by the destructor.
    void DestroyForms();

    // The hint machinery: the one hint window, its class, the show-hint handler and the delays.
    THintManager& Hints() { return *hints_; }

private:
    void AddForm(QWidget* form);
    // Makes DefaultFont() the application's font again, for every class of widget, when a
    // theme or anyone else has changed it; `receiver` is the object told of the change.
    void KeepDefaultFont(const QObject* receiver);

    QString title_;
    std::vector<QPointer<QWidget>> forms_;
    QPointer<QWidget> mainForm_;
    std::unique_ptr<THintManager> hints_; // made after the default font; outlives the forms
    bool keepingFont_ = false;
};

extern TApplication* Application;

// The text the error box shows: the message with a "." appended when it is not empty and its
// last character's code is above that of ".".
QString ErrorBoxText(const QString& message);

// The face of every text the program draws: "MS Sans Serif" from Debian's fonts-wine where it is
// installed and every screen draws one pixel per pixel; otherwise a scalable sans face of the
// same size and line height (Liberation Sans from fonts-liberation, else DejaVu Sans), drawn
// crisp at any scale. Decided once per process, at the first call, which TApplication's
// constructor makes. Needs a QGuiApplication.
QString DefaultFamily();

// The program's 8-point font, 11 pixels in DefaultFamily() (line height 13, or 12 in Liberation
// Sans). Draw bold text of it with DrawFontText: Qt draws the bold of the bitmap face regular.
QFont DefaultFont(bool bold = false);

// Whether `font` asks for bold but Qt would draw it regular: its face has no bold of its own
// and is made of bitmaps only, which Qt's FreeType engine never emboldens (it synthesises
// bold for outline faces only). The "MS Sans Serif" of fonts-wine is such a face.
bool BoldNeedsDrawing(const QFont& font);

// Draws `text` in the painter's font, as QPainter::drawText(rect, flags, text) does. Where
// BoldNeedsDrawing holds, the bold is drawn the way bitmap fonts were always emboldened: the
// text a second time, one pixel to the right. The line height does not change.
void DrawFontText(QPainter& painter, const QRect& rect, int flags, const QString& text);
