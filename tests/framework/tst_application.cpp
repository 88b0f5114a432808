#include "framework/application.h"
#include "test_support.h"

#include <QFile>
#include <QFontMetrics>
#include <QInputDialog>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>
#include <stdexcept>
#include <vector>

namespace {

// Throws from its event handler on a User event, as a command handler does on failure.
class Thrower : public QObject {
public:
    int later = 0;
    bool event(QEvent* e) override {
        if (e->type() == QEvent::User) {
            throw std::runtime_error("Cannot open file /tmp/x.htm");
        }
        if (e->type() == QEvent::Type(QEvent::User + 1)) {
            ++later;
            return true;
        }
        return QObject::event(e);
    }
};

std::vector<QString> destroyedForms;

class Form : public QWidget {
public:
    explicit Form(QWidget* parent) : QWidget(parent) {}
    ~Form() override { destroyedForms.push_back(objectName()); }
};

struct BoxSeen {
    bool shown = false;
    QString title;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    int buttons = 0;
};

// Records the error box and confirms it with its OK button.
void RecordAndConfirm(BoxSeen& seen) {
    WhenModal([&seen](QWidget* w) {
        auto* box = qobject_cast<QMessageBox*>(w);
        if (!box) {
            return;
        }
        seen.shown = true;
        seen.title = box->windowTitle();
        seen.text = box->text();
        seen.icon = box->icon();
        seen.buttons = int(box->buttons().size());
        box->button(QMessageBox::Ok)->click();
    });
}

} // namespace

class TestApplication : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void errorBoxText_data() {
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("shown");
        QTest::newRow("empty stays empty") << ""
                                           << "";
        QTest::newRow("letter gets a dot") << "Stream write error"
                                           << "Stream write error.";
        QTest::newRow("path gets a dot") << "Cannot open file /a/b.htm"
                                         << "Cannot open file /a/b.htm.";
        QTest::newRow("dot stays") << "Done."
                                   << "Done.";
        QTest::newRow("below the dot stays") << "Careful-"
                                             << "Careful-";
        QTest::newRow("exclamation stays") << "Stop!"
                                           << "Stop!";
        QTest::newRow("closing parenthesis stays") << "List index out of bounds (1)"
                                                   << "List index out of bounds (1)";
        QTest::newRow("slash is above the dot") << "folder/"
                                                << "folder/.";
        QTest::newRow("digit is above the dot") << "error 7"
                                                << "error 7.";
        QTest::newRow("non-ASCII letter")
            << QString::fromUtf8("f\u00e9") << QString::fromUtf8("f\u00e9.");
    }
    void errorBoxText() {
        QFETCH(QString, message);
        QFETCH(QString, shown);
        QCOMPARE(ErrorBoxText(message), shown);
    }

    // An exception leaving an event handler shows the error box; the next event is handled.
    void exceptionInHandlerIsShownAndLoopGoesOn() {
        Thrower thrower;
        BoxSeen seen;
        RecordAndConfirm(seen);
        QCoreApplication::postEvent(&thrower, new QEvent(QEvent::User));
        QCoreApplication::postEvent(&thrower, new QEvent(QEvent::Type(QEvent::User + 1)));
        QTRY_VERIFY(seen.shown);
        QTRY_COMPARE(thrower.later, 1);
        QCOMPARE(seen.title, QStringLiteral("Titora"));
        QCOMPARE(seen.text, QStringLiteral("Cannot open file /tmp/x.htm."));
        QCOMPARE(seen.icon, QMessageBox::Critical);
        QCOMPARE(seen.buttons, 1);
    }

    // The usual road: a click handler of a widget fails; the widget stays usable.
    void exceptionInClickHandler() {
        QPushButton button(QStringLiteral("Go"));
        int clicks = 0;
        connect(&button, &QPushButton::clicked, [&clicks] {
            if (++clicks == 1) {
                throw std::runtime_error("Text exceeds memo capacity");
            }
        });
        button.show();
        QVERIFY(QTest::qWaitForWindowExposed(&button));
        BoxSeen seen;
        RecordAndConfirm(seen);
        QTest::mouseClick(&button, Qt::LeftButton);
        QVERIFY(seen.shown);
        QCOMPARE(seen.text, QStringLiteral("Text exceeds memo capacity."));
        QTest::mouseClick(&button, Qt::LeftButton);
        QCOMPARE(clicks, 2);
    }

    void formsAreOwnedAndDestroyedInReverseOrder() {
        destroyedForms.clear();
        Form* first = nullptr;
        Form* second = nullptr;
        Application->CreateForm(first);
        first->setObjectName(QStringLiteral("first"));
        Application->CreateForm(second);
        second->setObjectName(QStringLiteral("second"));
        QCOMPARE(Application->MainForm(), first);
        Application->DestroyForms();
        QCOMPARE(destroyedForms, (std::vector<QString>{"second", "first"}));
        QCOMPARE(Application->MainForm(), nullptr);
    }

    // Closing another form keeps the loop; closing the main form ends it with 0.
    void closingTheMainFormEndsRun() {
        Form* main = nullptr;
        Form* other = nullptr;
        Application->CreateForm(main);
        Application->CreateForm(other);
        other->show();
        bool insideRun = false;
        bool loopLivedOn = false;
        QTimer::singleShot(0, other, [other] { other->close(); });
        QTimer::singleShot(20, main, [main, &insideRun, &loopLivedOn] {
            loopLivedOn = insideRun;
            main->close();
        });
        insideRun = true;
        const int code = Application->Run();
        insideRun = false;
        QCOMPARE(code, 0);
        QVERIFY(loopLivedOn);
        QVERIFY(!main->isVisible());
        Application->DestroyForms();
    }

    void defaultFont() {
        const QFont font = DefaultFont();
        QCOMPARE(font.pixelSize(), 11);
        QVERIFY(!font.bold());
        QVERIFY(DefaultFont(true).bold());
        QCOMPARE(QFontMetrics(font).height(), 13);
        QCOMPARE(QFontMetrics(DefaultFont(true)).height(), 13);
        if (QFile::exists(QStringLiteral("/usr/share/wine/fonts/ms_sans_serif.ttf"))) {
            QCOMPARE(QFontInfo(font).family(), QStringLiteral("MS Sans Serif"));
        }
    }

    // The bitmap face holds ligatures that turn "TM" into a trade mark sign; every text is
    // drawn letter for letter, as if each letter were drawn on its own.
    void textIsDrawnWithoutLigatures() {
        const QString text = QStringLiteral("HTML Tutorial for ATM users (TM)");
        QLabel label(text);
        label.setAlignment(Qt::AlignLeft | Qt::AlignTop);
        label.setContentsMargins(0, 0, 0, 0);
        label.adjustSize();
        const QImage drawn = label.grab().toImage();

        QImage letters(drawn.size(), drawn.format());
        letters.setDevicePixelRatio(drawn.devicePixelRatio());
        letters.fill(label.palette().color(QPalette::Window));
        QPainter painter(&letters);
        painter.setFont(label.font());
        painter.setPen(label.palette().color(QPalette::WindowText));
        const QFontMetrics metrics(label.font());
        int x = 0;
        for (const QChar letter : text) {
            painter.drawText(x, metrics.ascent(), QString(letter));
            x += metrics.horizontalAdvance(letter);
        }
        painter.end();
        QCOMPARE(metrics.horizontalAdvance(text), x);
        QVERIFY(drawn == letters);
    }

    // A theme sets its fonts after start-up, for the whole application and for classes of
    // widgets; the menus and dialogs keep the program's font all the same.
    void themeFontsGiveWayToTheProgramsFont() {
        QFont themed(QStringLiteral("DejaVu Sans"));
        themed.setPointSize(12);
        QGuiApplication::setFont(themed);
        QCOMPARE(QApplication::font(), DefaultFont());
        QApplication::setFont(themed, "QMenu");
        QApplication::setFont(themed, "QLabel");
        QMenu menu;
        QInputDialog box;
        box.setLabelText(QStringLiteral("Please input a new title:"));
        menu.ensurePolished();
        box.ensurePolished();
        QCOMPARE(menu.font(), DefaultFont());
        const QLabel* label = box.findChild<QLabel*>();
        QVERIFY(label);
        QCOMPARE(label->font(), DefaultFont());
    }
};

TITORA_FRAMEWORK_TEST_MAIN(TestApplication)
#include "tst_application.moc"
