#include "run.h"

#include "check.h"
#include "command_line.h"
#include "escape.h"
#include "folder_walker.h"
#include "pages.h"
#include "title_engine.h"

#include <exception>
#include <functional>

namespace titora::cli {
namespace {

void Write(std::FILE* file, const std::string& text) {
    std::fwrite(text.data(), 1, text.size(), file);
}

// Tells of failures on standard error, one line each, and remembers that one happened.
class Messages {
public:
    explicit Messages(std::FILE* err) : err_(err) {}

    // A failure about `path`, with the system's reason where there is one. The engine
    // names the path in most of its messages; the others ("Stream write error") get it
    // in front, so that every line says which page it is about:
    // "titora-cli: Cannot open file /srv/www/x.html: No such file or directory".
    void fail(const std::string& path, const std::string& message, const std::string& reason) {
        failed_ = true;
        std::string text =
            message.find(path) == std::string::npos ? path + ": " + message : message;
        if (!reason.empty())
            text += ": " + reason;
        say("titora-cli: " + text);
    }

    // A failure of the program itself rather than of one page.
    void fail(const std::string& message) {
        failed_ = true;
        say("titora-cli: " + message);
    }

    // One line of text; control characters in it (from a path) cannot break the line.
    void say(const std::string& text) {
        std::string line;
        AppendPathField(line, text);
        line += '\n';
        Write(err_, line);
    }

    bool failed() const { return failed_; }

private:
    std::FILE* err_;
    bool failed_ = false;
};

using PageVisit = std::function<void(const std::string& path)>;

// Hands each page the command line names to `visit`, in order; with -r folders are
// walked as the window walks a dropped folder. A folder that cannot be read is a
// failure, told as the engine tells a file it cannot open.
void ForEachPage(const CommandLine& line, Messages& messages, const PageVisit& visit) {
    if (!line.recursive) {
        for (const std::string& path : line.paths)
            visit(path);
        return;
    }
    WalkPages(
        line.paths, [&](const std::string& page) { return visit(page), true; },
        [&](const std::string& path) { messages.fail(path, "Cannot open file " + path, {}); });
}

// Runs `step` on one page; an engine error is told and the command goes on.
void Guarded(const std::string& path, Messages& messages, const std::function<void()>& step) {
    try {
        step();
    } catch (const TitleEngineError& e) {
        messages.fail(path, e.what(), e.reason());
    }
}

void AppendJsonPage(std::string& out, const std::string& path, const ListedPage& page) {
    out += "{\"path\":";
    AppendJsonString(out, path);
    out += ",\"title\":";
    if (page.text)
        AppendJsonString(out, *page.text);
    else
        out += "null";
    out += ",\"encoding\":";
    if (page.encoding)
        AppendJsonString(out, *page.encoding);
    else
        out += "null";
    out += '}';
}

void List(const CommandLine& line, std::FILE* out, Messages& messages) {
    std::size_t listed = 0;
    std::string text;
    if (line.json)
        Write(out, "[");
    ForEachPage(line, messages, [&](const std::string& path) {
        Guarded(path, messages, [&] {
            const ListedPage page = ReadListedPage(path);
            text.clear();
            if (line.json) {
                text += listed == 0 ? "\n" : ",\n";
                AppendJsonPage(text, path, page);
            } else {
                AppendPathField(text, path);
                text += '\t';
                AppendLineField(text, page.shown);
                text += '\n';
            }
            Write(out, text);
            ++listed;
        });
    });
    if (line.json)
        Write(out, listed == 0 ? "]\n" : "\n]\n");
}

std::string Count(std::size_t n, const char* what) {
    return std::to_string(n) + " " + what;
}

void PrintPlan(std::FILE* out, const PlannedPage& page) {
    std::string text;
    AppendPathField(text, page.path);
    text += '\t';
    for (const std::string* field : {&page.action, &page.oldTitle, &page.newTitle}) {
        AppendLineField(text, *field);
        text += field == &page.newTitle ? '\n' : '\t';
    }
    Write(out, text);
}

void Set(const CommandLine& line, std::FILE* out, Messages& messages) {
    std::vector<std::string> paths;
    ForEachPage(line, messages, [&](const std::string& path) { paths.push_back(path); });
    const std::vector<PlannedPage> planned = PlanPages(line, paths);
    std::size_t toWrite = 0, unchanged = 0, refused = 0;
    std::uint64_t bytes = 0;
    for (const PlannedPage& page : planned) {
        toWrite += page.kind == PlannedPage::Kind::kWrite;
        unchanged += page.kind == PlannedPage::Kind::kUnchanged;
        refused += page.kind == PlannedPage::Kind::kRefused;
        bytes += page.kind == PlannedPage::Kind::kWrite ? page.size : 0;
    }
    if (line.dryRun) {
        for (const PlannedPage& page : planned) {
            PrintPlan(out, page);
            if (page.kind == PlannedPage::Kind::kRefused)
                messages.fail(page.path, page.reason, page.systemReason);
        }
        messages.say(Count(toWrite, "to write") + ", " + Count(unchanged, "unchanged") + ", " +
                     Count(refused, "refused"));
        return;
    }
    if (bytes > kUndoLimit && !line.noUndo)
        throw UsageError("the pages to write hold more than 1 GiB, too much to keep for undo: "
                         "give --no-undo to write them without");
    UndoCopies undo(!line.noUndo);
    const WriteOptions options{line.keepLineBreaks, &undo};
    std::size_t written = 0, failed = 0;
    for (const PlannedPage& page : planned) {
        if (page.kind == PlannedPage::Kind::kRefused) {
            messages.fail(page.path, page.reason, page.systemReason);
            ++failed;
            continue;
        }
        if (page.kind == PlannedPage::Kind::kUnchanged)
            continue;
        try {
            WritePlannedPage(page, options);
            ++written;
        } catch (const TitleEngineError& e) {
            messages.fail(page.path, e.what(), e.reason());
            ++failed;
        }
    }
    messages.say(Count(written, "written") + ", " + Count(unchanged, "unchanged") + ", " +
                 Count(failed, "failed"));
}

void Undo(const CommandLine& line, std::FILE* out, Messages& messages) {
    const UndoReport report = UndoLastRetitle(line.dryRun);
    switch (report.state) {
    case UndoState::kNone:
        messages.fail("there is no retitle to undo");
        return;
    case UndoState::kTooLarge:
        messages.fail("the last retitle cannot be undone: it kept no undo copies");
        return;
    case UndoState::kUndone:
        messages.fail("the last retitle has been undone already");
        return;
    case UndoState::kUndoable:
        break;
    }
    std::string text;
    for (const std::string& path : report.restored) {
        text.clear();
        AppendPathField(text, path);
        text += '\n';
        Write(out, text);
    }
    for (const std::string& path : report.changedSince)
        messages.fail(path, path + ": changed since the retitle, left as it is", {});
    for (const std::string& failure : report.failures)
        messages.fail(failure);
    messages.say(Count(report.restored.size(), line.dryRun ? "to put back" : "put back") + ", " +
                 Count(report.changedSince.size(), "changed since") + ", " +
                 Count(report.failures.size(), "failed"));
}

// Finishes saves a crash cut short; a state folder that cannot be trusted is told, as
// a warning: the command goes on without it.
void Recover(Messages& messages) {
    const RecoveryReport report = RecoverInterruptedSaves();
    if (!report.stateFolderTrouble.empty()) {
        messages.say("titora-cli: " + report.stateFolderTrouble);
    }
}

} // namespace

int Run(const std::vector<std::string>& args, std::FILE* out, std::FILE* err) {
    Messages messages(err);
    CommandLine line;
    try {
        line = ParseCommandLine(args);
    } catch (const UsageError& e) {
        messages.say(std::string("titora-cli: ") + e.what());
        Write(err, "Try 'titora-cli --help'.\n");
        return kBadUsage;
    }
    // Whether check found anything wrong: a failure too, for a script or a CI job.
    bool found = false;
    // The engine's errors are told page by page; anything else (memory running out
    // outside the engine) ends the command as a failure rather than an abort.
    try {
        switch (line.command) {
        case Command::kHelp:
            Write(out, HelpText());
            break;
        case Command::kVersion:
            Write(out, "titora-cli " TITORA_VERSION "\n");
            break;
        case Command::kList:
            // Saves a crash cut short are finished or undone before any page is looked at.
            Recover(messages);
            List(line, out, messages);
            break;
        case Command::kSet:
            Recover(messages);
            Set(line, out, messages);
            break;
        case Command::kCheck:
            Recover(messages);
            found = Check(
                line,
                [&](const auto& check) {
                    ForEachPage(line, messages, [&](const std::string& path) {
                        Guarded(path, messages, [&] { check(path); });
                    });
                },
                out, [&](const std::string& text) { messages.say(text); });
            break;
        case Command::kUndo:
            Recover(messages);
            Undo(line, out, messages);
            break;
        }
    } catch (const UsageError& e) {
        // A rule that cannot be applied is found before anything is written.
        messages.say(std::string("titora-cli: ") + e.what());
        return kBadUsage;
    } catch (const std::exception& e) {
        messages.fail(e.what());
    }
    // Output that could not be written (a full disk, a closed pipe) is a failure too.
    if (std::fflush(out) != 0 || std::ferror(out)) {
        messages.fail("cannot write the output");
    }
    return messages.failed() || found ? kSomeFailed : kAllDone;
}

} // namespace titora::cli
