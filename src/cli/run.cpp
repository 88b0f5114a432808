#include "run.h"

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

    // A failure about `path`. The engine names the path in most of its messages; the
    // others ("Stream write error") get it in front, so that every line says which
    // page it is about.
    void fail(const std::string& path, const std::string& message) {
        failed_ = true;
        say(message.find(path) == std::string::npos ? path + ": " + message : message);
    }

    // A failure of the program itself rather than of one page.
    void fail(const std::string& message) {
        failed_ = true;
        say("titora-cli: " + message);
    }

    // One line of text; control characters in it (from a path) cannot break the line.
    void say(const std::string& text) {
        std::string line;
        AppendLineField(line, text);
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
        [&](const std::string& path) { messages.fail(path, "Cannot open file " + path); });
}

// Runs `step` on one page; an engine error is told and the command goes on.
void Guarded(const std::string& path, Messages& messages, const std::function<void()>& step) {
    try {
        step();
    } catch (const TitleEngineError& e) {
        messages.fail(path, e.what());
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
                AppendLineField(text, path);
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

void Set(const CommandLine& line, std::FILE* out, Messages& messages) {
    const std::string& title = *line.title;
    std::string text;
    ForEachPage(line, messages, [&](const std::string& path) {
        Guarded(path, messages, [&] {
            if (!line.dryRun) {
                WritePageTitle(path, title);
                return;
            }
            const std::string now = PreviewPageTitle(path, title);
            text.clear();
            for (const std::string* field : {&path, &now, &title}) {
                AppendLineField(text, *field);
                text += field == &title ? '\n' : '\t';
            }
            Write(out, text);
        });
    });
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
            RecoverInterruptedSaves();
            List(line, out, messages);
            break;
        case Command::kSet:
            RecoverInterruptedSaves();
            Set(line, out, messages);
            break;
        }
    } catch (const std::exception& e) {
        messages.fail(e.what());
    }
    // Output that could not be written (a full disk, a closed pipe) is a failure too.
    if (std::fflush(out) != 0 || std::ferror(out)) {
        messages.fail("cannot write the output");
    }
    return messages.failed() ? kSomeFailed : kAllDone;
}

} // namespace titora::cli
