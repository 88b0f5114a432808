// Times Retitle Selected on 10,000 real page files through the window: how soon the preview
// of every selected row appears, how long the preview takes to follow one more typed
// character, and writing through the dialog against Title It on the same rows; then what
// keeping undo copies costs the engine against a retitle without them.
//
// Usage: bench_retitle [rows=10000] [folder]   (runs headless: QT_QPA_PLATFORM=offscreen)
// The pages go into a new temporary folder inside `folder`; a folder in memory (/dev/shm)
// takes the disk's varying times out of the figures.
#include "file_list_model.h"
#include "file_list_view.h"
#include "framework/application.h"
#include "framework/opendialog.h"
#include "retitle_dialog.h"
#include "title_engine.h"
#include "Unit3.h"

#include <algorithm>
#include <cstdio>
#include <functional>
#include <QAbstractItemView>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QInputDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

namespace {

double Seconds(const QElapsedTimer& clock) {
    return static_cast<double>(clock.nsecsElapsed()) / 1e9;
}

QStringList MakePages(const QString& dir, int count) {
    QStringList paths;
    for (int i = 0; i < count; ++i) {
        const QString folder = dir + QStringLiteral("/f%1").arg(i / 1000, 3, 10, QLatin1Char('0'));
        if (i % 1000 == 0 && !QDir().mkpath(folder))
            return {};
        const QString path =
            folder + QStringLiteral("/page%1.html").arg(i, 6, 10, QLatin1Char('0'));
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly))
            return {};
        file.write("<html>\n<head>\n<meta charset=\"iso-8859-1\">\n<title>Page " +
                   QByteArray::number(i) + " - Shop</title>\n</head>\n<body>\n<h1>Heading " +
                   QByteArray::number(i) +
                   " &amp; more</h1>\n<p>Some text.</p>\n</body>\n</html>\n");
        paths << path;
    }
    return paths;
}

// Runs `action` on the modal widget of class T once it is up, checking every millisecond.
template <class T> void WhenUp(const std::function<bool(T*)>& action) {
    auto* timer = new QTimer;
    QObject::connect(timer, &QTimer::timeout, [timer, action] {
        T* widget = qobject_cast<T*>(QApplication::activeModalWidget());
        if (widget && widget->isVisible() && action(widget)) {
            timer->stop();
            timer->deleteLater();
        }
    });
    timer->start(1);
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM",
            qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    TApplication application(argc, argv);
    application.SetTitle(QStringLiteral("Titora"));
    const int rows = argc > 1 ? std::atoi(argv[1]) : 10000;
    QTemporaryDir dir(argc > 2 ? QString::fromLocal8Bit(argv[2]) + QStringLiteral("/titora-XXXXXX")
                               : QDir::tempPath() + QStringLiteral("/titora-XXXXXX"));
    QTemporaryDir state(dir.path() + QStringLiteral("-state"));
    qputenv("XDG_STATE_HOME", QFile::encodeName(state.path()));
    const QStringList pages = MakePages(dir.path(), rows);
    if (pages.size() != rows)
        return 1;

    TForm1 form;
    form.show();
    QApplication::processEvents();
    TOpenDialog::SetResultProvider([pages] { return std::optional<QStringList>(pages); });
    form.SpeedButton1Click();
    TOpenDialog::SetResultProvider({});

    double dialogWrite = 1e9, titleIt = 1e9, appear = 1e9, keystroke = 0, firstPlan = 0;
    for (int round = 0; round < 3; ++round) {
        form.SelectAll1Click();
        QElapsedTimer clock;
        clock.start();
        const QString suffix = QStringLiteral(" r%1").arg(round);
        WhenUp<TRetitleDialog>([&](TRetitleDialog* dialog) {
            auto* table = dialog->findChild<QAbstractItemView*>(QStringLiteral("PreviewTable"));
            table->viewport()->repaint();
            appear = std::min(appear, Seconds(clock));
            // One character at a time, as typed: each plans every row anew and repaints.
            auto* edit = dialog->findChild<QLineEdit*>(QStringLiteral("TemplateEdit"));
            const QString typed = QStringLiteral("{name} | {h1}") + suffix;
            for (qsizetype n = 1; n <= typed.size(); ++n) {
                QElapsedTimer key;
                key.start();
                edit->setText(typed.left(n));
                dialog->UpdatePreview();
                table->viewport()->repaint();
                keystroke = std::max(keystroke, Seconds(key));
                if (n == 1)
                    firstPlan = Seconds(key);
            }
            WhenUp<TRetitleDialog>([&](TRetitleDialog* summary) {
                if (summary->findChild<QPushButton*>(QStringLiteral("WriteButton"))->isVisible())
                    return false;
                dialogWrite = std::min(dialogWrite, Seconds(clock));
                summary->reject();
                return true;
            });
            clock.start();
            dialog->findChild<QPushButton*>(QStringLiteral("WriteButton"))->click();
            return true;
        });
        form.RetitleSelected1Click();

        form.SelectAll1Click();
        QElapsedTimer titleClock;
        WhenUp<QInputDialog>([&](QInputDialog* box) {
            box->setTextValue(QStringLiteral("Title It") + suffix);
            titleClock.start();
            box->accept();
            return true;
        });
        form.SpeedButton2Click();
        QApplication::processEvents();
        form.ListView->viewport()->repaint();
        titleIt = std::min(titleIt, Seconds(titleClock));
    }
    std::printf("preview of %d rows appears:      %8.3f s (target < 1 s)\n", rows, appear);
    std::printf("preview follows a keystroke:     %8.3f s at most (first %.3f s)\n", keystroke,
                firstPlan);
    std::printf("dialog write, %d rows:           %8.3f s\n", rows, dialogWrite);
    std::printf("Title It, %d rows:               %8.3f s; dialog / Title It = %.2f (target 1.3)\n",
                rows, titleIt, dialogWrite / titleIt);

    // The engine alone: WriteTitle with undo copies against the same without them.
    double with = 1e9, without = 1e9;
    for (int round = 0; round < 3; ++round) {
        for (const bool keep : {false, true}) {
            titora::UndoCopies undo;
            const titora::WriteOptions options{false, keep ? &undo : nullptr};
            const std::string title = "Engine " + std::to_string(round) + (keep ? "k" : "");
            QElapsedTimer clock;
            clock.start();
            for (const QString& page : pages)
                titora::WriteTitle(
                    QFile::encodeName(page).toStdString(), [&](std::string_view) { return title; },
                    options);
            (keep ? with : without) = std::min(keep ? with : without, Seconds(clock));
        }
    }
    std::printf("WriteTitle, %d pages:            %8.3f s without undo copies, %.3f s with; "
                "ratio %.2f (target 1.5)\n",
                rows, without, with, with / without);
    return 0;
}
