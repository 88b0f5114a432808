#include "framework/application.h"

#include "framework/screen_centred.h"

#include <algorithm>
#include <exception>
#include <iterator>
#include <QCloseEvent>
#include <QFile>
#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetrics>
#include <QHash>
#include <QImage>
#include <QMessageBox>
#include <QPainter>

TApplication* Application = nullptr;

namespace {

const char kBitmapFamily[] = "MS Sans Serif";
const char kWineFontFile[] = "/usr/share/wine/fonts/ms_sans_serif.ttf";
// Scalable sans faces that stand in for the bitmap face, in order of preference. Liberation
// Sans has the widths of the bitmap face's successors, so captions and labels keep their room
// (DejaVu Sans is a tenth wider); both are 13 pixels high or less at 11 pixels.
const char* const kScalableFamilies[] = {"Liberation Sans", "DejaVu Sans"};

QString ScalableFamily() {
    const QStringList installed = QFontDatabase::families();
    for (const char* family : kScalableFamilies) {
        if (installed.contains(QLatin1String(family))) {
            return QLatin1String(family);
        }
    }
    return QLatin1String(kScalableFamilies[std::size(kScalableFamilies) - 1]);
}

// Registers "MS Sans Serif" and answers it, or answers the scalable face where the bitmap face
// is missing or a screen draws more than one pixel per pixel: the bitmap face has glyphs of 11
// pixels only, which Qt would draw small and spread apart at a larger scale.
QString ChooseFamily() {
    if (qGuiApp && qGuiApp->devicePixelRatio() > 1.0) {
        return ScalableFamily();
    }
    // Windows has the face of its own, and so has wine's desktop.
    if (QFontDatabase::families().contains(QLatin1String(kBitmapFamily))) {
        return QLatin1String(kBitmapFamily);
    }
    if (QFile::exists(QLatin1String(kWineFontFile))) {
        const int id = QFontDatabase::addApplicationFont(QLatin1String(kWineFontFile));
        const QStringList families = QFontDatabase::applicationFontFamilies(id);
        if (!families.isEmpty()) {
            return families.first();
        }
    }
    return ScalableFamily();
}

// Whether any font of the application has left the program's own: a desktop theme (qt6ct,
// for one) sets its fonts after start-up, for the whole application or for classes of
// widgets such as QMenu and QLabel, and the menus and dialogs would take its face.
bool FontsStrayed(const QObject* receiver) {
    const QFont own = DefaultFont();
    if (QApplication::font() != own)
        return true;
    if (receiver && receiver->isWidgetType() &&
        QApplication::font(static_cast<const QWidget*>(receiver)) != own)
        return true;
    for (const char* themed : {"QMenu", "QLabel", "QLineEdit", "QPushButton", "QMessageBox",
                               "QAbstractItemView", "QHeaderView"}) {
        if (QApplication::font(themed) != own)
            return true;
    }
    return false;
}

// How many pixels `text` covers in `font`.
int InkOf(const QFont& font, const QString& text) {
    QImage image(QFontMetrics(font).boundingRect(text).size() + QSize(4, 4),
                 QImage::Format_Grayscale8);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setFont(font);
    painter.setPen(Qt::black);
    painter.drawText(image.rect(), Qt::AlignCenter, text);
    painter.end();
    int ink = 0;
    for (int y = 0; y < image.height(); ++y) {
        const uchar* line = image.constScanLine(y);
        ink += static_cast<int>(
            std::count_if(line, line + image.width(), [](uchar grey) { return grey < 128; }));
    }
    return ink;
}

// Whether the font engine draws `font`, a bold font of a family without a bold face, bolder
// than its regular weight. No engine emboldens a face without outlines (a bitmap face), and
// the font databases do not all tell such a face from a scalable one: Qt's FreeType database
// on Windows calls every TrueType file smoothly scalable. So the engine is watched at work.
bool EngineEmboldens(const QFont& font) {
    static const QString kSample = QStringLiteral("Hamburgefonstiv");
    QFont regular = font;
    regular.setWeight(QFont::Normal);
    return InkOf(font, kSample) > InkOf(regular, kSample);
}

} // namespace

QString DefaultFamily() {
    static const QString family = ChooseFamily();
    return family;
}

QFont DefaultFont(bool bold) {
    QFont font(DefaultFamily());
    font.setPixelSize(11);
    font.setBold(bold);
    // No shaping where the script needs none: "MS Sans Serif" carries ligatures that would
    // draw "HTML" and "ATM" with a trade mark sign, and a tool for web pages must show
    // their names and titles letter for letter. Scripts that need shaping to be legible
    // (Arabic, the Indic scripts) are still shaped.
    font.setStyleStrategy(QFont::PreferNoShaping);
    if (BoldNeedsDrawing(font)) {
        // Each glyph drawn bold by DrawFontText is a pixel wider, as the glyphs of a bitmap
        // bold face are; without the extra pixel neighbouring strokes run together.
        font.setLetterSpacing(QFont::AbsoluteSpacing, 1);
    }
    return font;
}

bool BoldNeedsDrawing(const QFont& font) {
    if (font.weight() < QFont::DemiBold) {
        return false;
    }
    // Asked once per family: the answer depends on the family's faces only.
    static QHash<QString, bool> needsDrawing;
    const QString family = QFontInfo(font).family();
    const auto known = needsDrawing.constFind(family);
    if (known != needsDrawing.constEnd()) {
        return *known;
    }
    const QStringList styles = QFontDatabase::styles(family);
    const bool boldFace =
        std::any_of(styles.begin(), styles.end(), [&family](const QString& style) {
            return QFontDatabase::weight(family, style) >= QFont::DemiBold;
        });
    const bool needs = !boldFace && !EngineEmboldens(font);
    needsDrawing.insert(family, needs);
    return needs;
}

void DrawFontText(QPainter& painter, const QRect& rect, int flags, const QString& text) {
    painter.drawText(rect, flags, text);
    if (BoldNeedsDrawing(painter.font())) {
        painter.drawText(rect.translated(1, 0), flags, text);
    }
}

QString ErrorBoxText(const QString& message) {
    if (!message.isEmpty() && message.back().unicode() > u'.') {
        return message + QLatin1Char('.');
    }
    return message;
}

TApplication::TApplication(int& argc, char** argv) : QApplication(argc, argv) {
    Application = this;
    // The loop ends when the main form closes, not when the last visible window does: the
    // main form may close while another window of the program is still shown.
    setQuitOnLastWindowClosed(false);
    // One face for every text, Qt's menus and dialogs included; chosen here, once, from the
    // screens the program starts on.
    setFont(DefaultFont());
    hints_ = std::make_unique<THintManager>();
}

TApplication::~TApplication() {
    DestroyForms();
    if (Application == this) {
        Application = nullptr;
    }
}

void TApplication::Initialize() {}

void TApplication::AddForm(QWidget* form) {
    forms_.emplace_back(form);
    if (!mainForm_) {
        mainForm_ = form;
    }
}

void TApplication::DestroyForms() {
    // Later forms may refer to earlier ones, so they go first.
    while (!forms_.empty()) {
        QPointer<QWidget> form = forms_.back();
        forms_.pop_back();
        delete form.data();
    }
}

int TApplication::Run() {
    if (!mainForm_) {
        return 0;
    }
    mainForm_->show();
    exec();
    return 0;
}

void TApplication::ShowException(const QString& message) {
    QPointer<QWidget> active = activeWindow();
    TScreenCentred<QMessageBox> box(QMessageBox::Critical, title_, ErrorBoxText(message),
                                    QMessageBox::Ok);
    box.setWindowModality(Qt::ApplicationModal);
    box.exec();
    if (active) {
        active->activateWindow();
    }
}

void TApplication::KeepDefaultFont(const QObject* receiver) {
    // Setting the font again also sends this event, which then finds nothing astray.
    if (keepingFont_ || !FontsStrayed(receiver))
        return;
    keepingFont_ = true;
    // The font without a class drops every class font as well, but tells the widgets only
    // when the application's font itself changes: each widget is told here, so that one
    // that took a class font takes the program's again.
    setFont(DefaultFont());
    QEvent change(QEvent::ApplicationFontChange);
    for (QWidget* widget : allWidgets())
        sendEvent(widget, &change);
    keepingFont_ = false;
}

bool TApplication::notify(QObject* receiver, QEvent* event) {
    // Qt itself is not exception safe: an exception must not travel through its event
    // dispatch. This is the one place where handlers' exceptions end.
    try {
        const bool result = QApplication::notify(receiver, event);
        // A theme's fonts come as a change of the application's font, as a change of theme,
        // or set for a class of widgets before any such widget exists, which its first
        // widget then shows when it is polished.
        const QEvent::Type type = event->type();
        if (type == QEvent::ApplicationFontChange || type == QEvent::ThemeChange ||
            type == QEvent::Polish)
            KeepDefaultFont(receiver);
        if (event->type() == QEvent::Close && event->isAccepted() && mainForm_ &&
            receiver == mainForm_.data()) {
            quit();
        }
        return result;
    } catch (const std::exception& e) {
        ShowException(QString::fromLocal8Bit(e.what()));
    } catch (...) {
        // Only std::exception is ever thrown by the program; anything else still must not
        // reach Qt, and it has no text to show.
        ShowException(QString());
    }
    return true;
}
