// The main window's two commands beside Title It: Retitle Selected (a rule, a preview, then
// writing the pages that change, with a summary) and Undo Last Retitle.
#include "Unit3.h"

#include "busy_indicator.h"
#include "file_list_view.h"
#include "framework/dialogs.h"
#include "retitle_dialog.h"
#include "retitle_model.h"

#include <optional>
#include <QFileInfo>
#include <QSettings>
#include <set>

namespace {

const char* const kKeepLineBreaksKey = "retitle/keepLineBreaks";

QSettings Settings() {
    return QSettings(QStringLiteral("Titora"), QStringLiteral("Titora"));
}

QString Local(const std::string& bytes) {
    return QString::fromLocal8Bit(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

// A row without sub-items has no folder: it is shown refused, as Title It would fail on it.
titora::RetitlePage Unreadable(const titora::FileRow& row) {
    titora::RetitlePage page;
    page.name = row.name;
    page.readError = "List index out of bounds (1)";
    return page;
}

// The file a path names, links and "." followed, so that the undo's paths and the rows'
// can be compared.
QString Canonical(const std::string& path) {
    const QString canonical = QFileInfo(Local(path)).canonicalFilePath();
    return canonical.isEmpty() ? Local(path) : canonical;
}

// What Undo Last Retitle tells once it has run.
QString UndoMessage(const titora::UndoReport& report) {
    constexpr std::size_t kNamed = 5;
    QString text =
        report.restored.size() == 1
            ? QStringLiteral("1 page was put back.")
            : QStringLiteral("%1 pages were put back.").arg(GroupedCount(report.restored.size()));
    const auto list = [&](const QString& heading, const std::vector<std::string>& items) {
        if (items.empty())
            return;
        text += QStringLiteral("\n\n") + heading;
        for (std::size_t i = 0; i < items.size() && i < kNamed; ++i)
            text += QLatin1Char('\n') + Local(items[i]);
        if (items.size() > kNamed)
            text += QStringLiteral("\nand %1 more.").arg(GroupedCount(items.size() - kNamed));
    };
    list(QStringLiteral("Changed since the retitle, and left as they are:"), report.changedSince);
    list(QStringLiteral("Could not be put back:"), report.failures);
    return text;
}

} // namespace

void TForm1::RetitleSelected1Click() {
    if (Working())
        return;
    const std::vector<std::size_t> selected = files_->SelectedRows(ListView->selectionModel());
    if (selected.empty()) {
        ShowMessage(QStringLiteral("Please select a file first!"));
        return;
    }
    // Each page is read once, off the window's thread; the dialog then plans from memory as
    // the user types.
    const titora::FileList& list = files_->Files();
    std::vector<titora::RetitlePage> pages;
    bool stopped = false;
    Runner(QStringLiteral("Reading......"))([&](titora::Progress& progress) {
        progress.Start(selected.size());
        pages.reserve(selected.size());
        for (const std::size_t row : selected) {
            if (progress.StopRequested()) {
                stopped = true;
                return;
            }
            const titora::FileRow& file = list.Row(row);
            pages.push_back(file.hasSubItems ? titora::ReadRetitlePage(file.folder, file.name)
                                             : Unreadable(file));
            progress.Step();
        }
    });
    if (stopped || closeAfterWork_) {
        CloseIfAsked();
        return;
    }

    TRetitleDialog dialog(pages, this);
    dialog.SetKeepLineBreaks(Settings().value(kKeepLineBreaksKey, false).toBool());
    if (dialog.exec() != QDialog::Accepted)
        return;
    Settings().setValue(kKeepLineBreaksKey, dialog.KeepLineBreaks());
    const std::vector<titora::PagePlan> plans = dialog.Plans();
    titora::UndoCopies undo(dialog.KeepUndoCopies());
    const titora::WriteOptions options{dialog.KeepLineBreaks(), &undo};
    std::vector<std::optional<titora::PageTitle>> reread(pages.size());
    titora::RetitleSummary summary;
    Runner(QStringLiteral("Modifying......"))([&](titora::Progress& progress) {
        summary = titora::WritePlans(pages, plans, Engine, options, &progress, [&](std::size_t i) {
            try {
                reread[i] = Engine.ReadTitle(pages[i].path());
            } catch (const std::exception&) {
                // The row keeps the title it showed; the page itself is written.
            }
        });
    });
    // The rows written show their new titles where they stand.
    for (std::size_t i = 0; i < reread.size(); ++i)
        if (reread[i])
            files_->SetTitle(selected[i], std::move(*reread[i]));
    if (closeAfterWork_) {
        CloseIfAsked();
        return;
    }
    dialog.ShowOutcome(summary);
    dialog.exec();
}

void TForm1::UndoRetitle1Click() {
    if (Working())
        return;
    switch (titora::LastRetitleState()) {
    case titora::UndoState::kNone:
        ShowMessage(QStringLiteral("There is no retitle to undo."));
        return;
    case titora::UndoState::kTooLarge:
        ShowMessage(QStringLiteral("The last retitle cannot be undone: its pages were too "
                                   "large to keep copies of."));
        return;
    case titora::UndoState::kUndone:
        ShowMessage(QStringLiteral("The last retitle has been undone already."));
        return;
    case titora::UndoState::kUndoable:
        break;
    }
    const titora::FileList& list = files_->Files();
    titora::UndoReport report;
    std::vector<std::pair<std::size_t, titora::PageTitle>> reread;
    Runner(QStringLiteral("Undoing......"))([&](titora::Progress& progress) {
        report = titora::UndoLastRetitle(false);
        std::set<QString> restored;
        for (const std::string& path : report.restored)
            restored.insert(Canonical(path));
        progress.Start(list.Count());
        for (std::size_t i = 0; i < list.Count() && !restored.empty(); ++i) {
            const titora::FileRow& row = list.Row(i);
            if (row.hasSubItems && restored.count(Canonical(titora::FullPath(row)))) {
                try {
                    reread.emplace_back(i, Engine.ReadTitle(titora::FullPath(row)));
                } catch (const std::exception&) {
                }
            }
            progress.Step();
        }
    });
    for (auto& [row, title] : reread)
        files_->SetTitle(row, std::move(title));
    if (closeAfterWork_) {
        CloseIfAsked();
        return;
    }
    ShowMessage(UndoMessage(report));
}
