// Times the main window's list commands on real page files, through the handlers the buttons
// and menu entries call, with the open dialog's result injected and the input box answered
// from a timer. Prints each time, Title It against the engine's own WriteTitle + ReadTitle on
// the same files and against the same command run without the worker thread and progress,
// a dropped folder tree of all the pages, and the resident memory with 100,000 rows listed.
//
// Usage: bench_mainform [rows=100000] [folder]   (runs headless: QT_QPA_PLATFORM=offscreen)
// The pages go into a new temporary folder inside `folder` (the system's temporary folder by
// default). A folder in memory (/dev/shm) takes the disk's varying times out of the figures,
// which then show the program's own costs.
#include "file_list_model.h"
#include "file_list_view.h"
#include "framework/application.h"
#include "framework/opendialog.h"
#include "title_engine.h"
#include "Unit3.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QInputDialog>
#include <QItemSelectionModel>
#include <QTemporaryDir>
#include <QTimer>
#include <string>

namespace {

double Seconds(const QElapsedTimer& clock) {
    return static_cast<double>(clock.nsecsElapsed()) / 1e9;
}

// The list as the user gets it back: the command, then the view laid out and painted.
template <class F> double Time(TForm1& form, F command) {
    QElapsedTimer clock;
    clock.start();
    command();
    QApplication::processEvents();
    form.ListView->viewport()->repaint();
    return Seconds(clock);
}

// A figure of /proc/self/status in KiB: "VmRSS" now, "VmHWM" at its peak.
long StatusKiB(const std::string& key) {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind(key + ":", 0) == 0)
            return std::stol(line.substr(key.size() + 1));
    return -1;
}

long ResidentKiB() {
    return StatusKiB("VmRSS");
}

// A tree of folders of 1,000 pages each, listed in the order a walk of `dir` finds them.
QStringList MakePages(const QString& dir, int count) {
    QStringList paths;
    paths.reserve(count);
    for (int i = 0; i < count; ++i) {
        const QString folder = dir + QStringLiteral("/f%1").arg(i / 1000, 3, 10, QLatin1Char('0'));
        if (i % 1000 == 0 && !QDir().mkpath(folder))
            return {};
        const QString path =
            folder + QStringLiteral("/page%1.html").arg(i, 6, 10, QLatin1Char('0'));
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly))
            return {};
        // Each page declares its encoding, as old sites do, so that the list finds the
        // declaration in every page and decodes the titles it shows in that encoding.
        file.write("<html>\r\n<head>\r\n<meta http-equiv=\"Content-Type\" "
                   "content=\"text/html; charset=iso-8859-1\">\r\n<title>Page " +
                   QByteArray::number(i) +
                   "</title>\r\n</head>\r\n<body>\r\n<p>Some text of the page.</p>\r\n</body>\r\n"
                   "</html>\r\n");
        paths << path;
    }
    return paths;
}

void Choose(const QStringList& files) {
    TOpenDialog::SetResultProvider([files] { return std::optional<QStringList>(files); });
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM",
            qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    TApplication application(argc, argv);
    application.SetTitle(QStringLiteral("Titora"));
    const int rows = argc > 1 ? std::atoi(argv[1]) : 100000;
    const int small = std::min(rows, 10000);

    QTemporaryDir dir(argc > 2 ? QString::fromLocal8Bit(argv[2]) + QStringLiteral("/titora-XXXXXX")
                               : QDir::tempPath() + QStringLiteral("/titora-XXXXXX"));
    QElapsedTimer clock;
    clock.start();
    const QStringList pages = MakePages(dir.path(), rows);
    if (pages.size() != rows)
        return 1;
    std::printf("made %d page files in %.2f s\n", rows, Seconds(clock));

    TForm1 form;
    form.show();
    QApplication::processEvents();
    long reads = 0, writes = 0;
    const titora::TitleEngine real = titora::RealTitleEngine();
    form.Engine =
        titora::TitleEngine{[&](const std::string& path) {
                                ++reads;
                                return real.ReadTitle(path);
                            },
                            [&](const std::string& path, const titora::TitleEncoder& encode,
                                const titora::WriteOptions& options) {
                                ++writes;
                                real.WriteTitle(path, encode, options);
                            }};
    const long baseKiB = ResidentKiB();

    // The whole tree dropped on the list: walked, read and listed.
    {
        QElapsedTimer dropClock;
        dropClock.start();
        form.AddPaths({QFile::encodeName(dir.path()).toStdString()});
        while (form.Files()->rowCount() < rows)
            QApplication::processEvents(QEventLoop::WaitForMoreEvents, 10);
        QApplication::processEvents();
        form.ListView->viewport()->repaint();
        std::printf("Drop of a folder tree of %d pages: %8.3f s, resident %ld MiB, peak %ld MiB "
                    "(%ld MiB before)\n",
                    rows, Seconds(dropClock), ResidentKiB() / 1024, StatusKiB("VmHWM") / 1024,
                    baseKiB / 1024);
        form.RemoveAll1Click();
    }

    Choose(pages.mid(0, small));
    std::printf("Add Files, %6d files:         %8.3f s\n", small,
                Time(form, [&] { form.SpeedButton1Click(); }));
    std::printf("Select All, %6d rows:         %8.3f s\n", small,
                Time(form, [&] { form.SelectAll1Click(); }));

    // Title It: the input box is answered at once; the clock starts when it is confirmed.
    // Runs five times, each time also the same command on the model without the worker thread and
    // progress, and the engine alone; the fastest of each counts, as the disk's own times vary.
    double titleIt = 1e9, inPlace = 1e9, engine = 1e9;
    for (int round = 0; round < 5; ++round) {
        form.SelectAll1Click();
        QElapsedTimer titleClock;
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<QInputDialog*>(QApplication::activeModalWidget());
            box->setTextValue(QStringLiteral("Benchmarked"));
            titleClock.start();
            box->accept();
        });
        reads = writes = 0;
        form.SpeedButton2Click();
        QApplication::processEvents();
        form.ListView->viewport()->repaint();
        titleIt = std::min(titleIt, Seconds(titleClock));
        if (round == 0)
            std::printf("Title It, %6d selected rows:  %8.3f s (%ld writes, %ld reads)\n", small,
                        titleIt, writes, reads);

        form.SelectAll1Click();
        inPlace =
            std::min(inPlace, Time(form, [&] {
                         form.Files()->RetitleSelected(
                             form.ListView->selectionModel(),
                             [](std::string_view) { return "Benchmarked in place"; }, form.Engine);
                     }));

        QElapsedTimer engineClock;
        engineClock.start();
        for (int i = 0; i < small; ++i) {
            const std::string path = QFile::encodeName(pages[i]).toStdString();
            titora::WriteTitle(path, "Benchmarked again");
            titora::ReadTitle(path);
        }
        engine = std::min(engine, Seconds(engineClock));
    }
    std::printf("Title It without worker/progress: %7.3f s; worker and progress cost %.1f%%\n",
                inPlace, (titleIt - inPlace) / titleIt * 100);
    std::printf("engine WriteTitle + ReadTitle:   %8.3f s; Title It / engine = %.2f\n", engine,
                titleIt / engine);

    std::printf("Remove All, %6d rows:         %8.3f s\n", small,
                Time(form, [&] { form.RemoveAll1Click(); }));

    Choose(pages);
    std::printf("Add Files, %6d files:         %8.3f s\n", rows,
                Time(form, [&] { form.SpeedButton1Click(); }));
    std::printf("resident memory with %d rows: %ld MiB (%ld MiB before adding)\n", rows,
                ResidentKiB() / 1024, baseKiB / 1024);
    std::printf("Select All, %6d rows:         %8.3f s\n", rows,
                Time(form, [&] { form.SelectAll1Click(); }));

    // Every other row selected: the worst case for the selection and the removal.
    QItemSelection scattered;
    for (int i = 0; i < rows; i += 2)
        scattered.append(QItemSelectionRange(form.Files()->index(i, 0), form.Files()->index(i, 2)));
    form.ListView->selectionModel()->select(scattered, QItemSelectionModel::ClearAndSelect);
    std::printf("Remove Selected, every other of %d: %8.3f s\n", rows,
                Time(form, [&] { form.Remove1Click(); }));
    const int left = form.Files()->rowCount();
    std::printf("Remove All, %6d rows:         %8.3f s\n", left,
                Time(form, [&] { form.RemoveAll1Click(); }));
    TOpenDialog::SetResultProvider({});
    return 0;
}
