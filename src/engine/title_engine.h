// The title engine: the only code of Titora that reads or writes page files.
//
// Each call stands alone: it reads what it needs into memory of its own, works on it
// and releases it before returning, on every path. Paths and titles are byte strings in
// the system's code page. A save never leaves a damaged page: a page rewritten in place
// is journalled first, and the next call on the page, or RecoverInterruptedSaves at
// start-up, finishes a save that a crash cut short.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace titora {

// Every failure of the engine. what() is exactly the text to show the user, for
// example "Cannot open file /home/ann/index.html". Where a call of the system failed,
// reason() gives the system's own words for it ("No such file or directory"), for a
// program that tells more than the window does; otherwise it is empty.
class TitleEngineError : public std::runtime_error {
public:
    explicit TitleEngineError(const std::string& message, std::string reason = std::string())
        : std::runtime_error(message), reason_(std::move(reason)) {}
    const std::string& reason() const { return reason_; }

private:
    std::string reason_;
};

// Returns the title of the page file at `path`: the text of its first title element, as
// a browser finds it (tags in any letter case, with attributes or white space; not in a
// comment, a script, a style or an <svg>), exactly as held once loaded: not trimmed, not
// decoded, line breaks as CR LF. A page without a title element gives "UnTitled"; an
// unclosed title runs to the end of the text.
// Reads the page from its start only as far as the title. The file is never changed,
// unless a save of it was cut short: that save is first finished.
//
//   ReadTitle("/srv/www/index.html")  // -> "Our shop"
//
// Throws TitleEngineError: "Cannot open file %s" (missing, not a regular file, no
// read access) or "Text exceeds memo capacity".
std::string ReadTitle(const std::string& path);

// What ReadPageTitle finds in one loading of a page file: its title, exactly as
// ReadTitle gives it, and the encoding the page is in, as the engine hands it to a
// TitleEncoder (see PageEncoding in declared_encoding.h): the name of the encoding the
// page declares by a byte-order mark or near its start, as the Encoding Standard writes
// it ("windows-1252", "Shift_JIS"), or, where it declares none, what its bytes suggest
// ("" for ASCII only).
struct PageTitle {
    std::string title;
    std::string declaredEncoding;
    // False when the page has no title element at all (title is then "UnTitled").
    bool found = true;
};

// ReadTitle, and the encoding of the page, from the same bytes: the declaration is looked
// for in the first 1,024 bytes of what ReadTitle loads, with no second read. A UTF-16
// page (byte-order mark) is the one exception to ReadTitle: its title is found in its
// code units and given in its bytes, UTF-16 as the file holds them.
//
//   ReadPageTitle("/srv/www/old.html")  // -> {"Caf\xE9", "windows-1252", true}
//
// Throws TitleEngineError as ReadTitle does.
PageTitle ReadPageTitle(const std::string& path);

// One title element of a page, as a browser counts them.
struct TitleElement {
    // The bytes between the start tag and the end tag, exactly as the file holds them
    // (line breaks untouched); up to the end of the page when no end tag follows.
    std::string text;
    bool closed = true;
    // Where the text begins in the file: 1-based line (a line ends at LF, CR or CR LF)
    // and 1-based byte column within that line.
    std::size_t line = 1;
    std::size_t column = 1;
};

// Every title element of a page and the encoding it declares, from one read of the
// whole page: what a check of a site's titles needs.
struct PageTitleElements {
    // In page order; the first one is the page's title, the one ReadTitle gives.
    std::vector<TitleElement> elements;
    // As ReadPageTitle gives it, judged on the whole page.
    std::string declaredEncoding;
};

// Reads the whole page at `path` once and returns its title elements. The file is never
// changed, unless a save of it was cut short: that save is first finished.
//
//   ReadTitleElements("/srv/www/a.html").elements.size()  // -> 2 for a page with two titles
//
// Throws TitleEngineError as ReadTitle does.
PageTitleElements ReadTitleElements(const std::string& path);

// Turns the encoding of a page, as ReadPageTitle gives it, into the bytes of the title
// to write into that page.
using TitleEncoder = std::function<std::string(std::string_view declaredEncoding)>;

// Makes `title` the text of the title element of the page file at `path`, inserting
// the element (and a head element around it) where the page has none, and saves the
// file. Beside the title, only line breaks change: every one becomes CR LF. The page is
// found once: a symbolic link leads to its target, which is rewritten; if the page's
// name no longer leads to the file that was read when the save comes, nothing is
// written. The save never leaves a damaged file: on failure the file keeps its old
// bytes, and a crash leaves its old or its new bytes.
//
//   WriteTitle("/srv/www/index.html", "Our new shop");
//
// Throws TitleEngineError: "Cannot open file %s", "Text exceeds memo capacity",
// "Cannot find the end of the title in %s", "Cannot write a title into %s: the file
// holds a NUL byte", "Cannot create file %s" (read-only or not writable; no temporary
// file or journal can be made; the page's name was moved meanwhile) or "Stream write
// error" (disk full, file size limit).
void WriteTitle(const std::string& path, const std::string& title);

// WriteTitle with the title's bytes made for the page at hand: `encodeTitle` is called
// once, after loading, with the encoding of the loaded bytes (as ReadPageTitle gives it,
// judged on the whole page), and what it returns is written as the title. The bytes being
// rewritten are the ones looked at: the page is read once.
//
//   WriteTitle("/srv/www/old.html", [](std::string_view encoding) {
//       return encoding == "windows-1252" ? std::string("Caf\xE9") : std::string("Caf&#233;");
//   });
//
// Throws TitleEngineError as WriteTitle does. An exception from `encodeTitle` leaves
// the file untouched and passes on.
void WriteTitle(const std::string& path, const TitleEncoder& encodeTitle);

class UndoCopies;

// How a retitle writes a page.
struct WriteOptions {
    // The page keeps its own line breaks: only the title's bytes change. Without it every
    // line break of the page becomes CR LF, as WriteTitle has always done.
    bool keepLineBreaks = false;
    // Where the page's bytes are kept before it is written, so that the retitle can be
    // undone; none keeps nothing. Not owned.
    UndoCopies* undo = nullptr;
};

// WriteTitle(path, encodeTitle), as `options` say. A page whose bytes would not change
// is not written, and no copy of it is kept.
//
//   titora::UndoCopies undo;
//   WriteTitle("/srv/www/a.html", encode, {true, &undo});
//
// Throws TitleEngineError as WriteTitle does, and "Cannot create file %s" with the undo
// copy's own path when the copy cannot be kept (nothing of the page is written then).
void WriteTitle(const std::string& path, const TitleEncoder& encodeTitle,
                const WriteOptions& options);

// What a retitle would find in a page, from one read of the whole page: what a preview
// needs to say what will happen to it.
struct PageOutline {
    std::string title; // as ReadTitle gives it; empty where the page has none
    bool hasTitle = false;
    std::string declaredEncoding; // as ReadPageTitle gives it
    // Where WriteTitle would put a title: 0 replace the title, 1 after "<head>", 2 a head
    // element after "<html>", 3 a head element at the start.
    int place = 0;
    // The bytes inside the page's first h1 element, tags within kept (at most 4 KiB).
    std::string heading;
    std::uint64_t size = 0;
    // Why WriteTitle would refuse the page: "" when it would not, else its message.
    std::string refusal;
    // The system's reason for the refusal, where there is one.
    std::string refusalReason;
};

// Reads the page at `path` once, changing nothing (unless a save of it was cut short:
// that save is first finished).
//
//   OutlinePage("/srv/www/a.html").place  // -> 0 for a page with a title
//
// Throws TitleEngineError "Cannot open file %s" or "Text exceeds memo capacity".
PageOutline OutlinePage(const std::string& path);

// Does everything WriteTitle(path, encodeTitle) would do except write: loads the page,
// puts the title in place in memory and checks that the file could be saved. Returns the
// title the page holds now, as ReadTitle gives it. The file is never changed, so a
// trial run can say beforehand which pages a rewrite would refuse.
//
//   const std::string now = PreviewWriteTitle("/srv/www/index.html",
//                                             [](std::string_view) { return "Our new shop"; });
//
// Throws TitleEngineError with the message WriteTitle would raise before writing:
// "Cannot open file %s", "Text exceeds memo capacity", "Cannot find the end of the
// title in %s", "Cannot write a title into %s: the file holds a NUL byte" or "Cannot
// create file %s".
std::string PreviewWriteTitle(const std::string& path, const TitleEncoder& encodeTitle);

// What RecoverInterruptedSaves did.
struct RecoveryReport {
    int restored = 0; // saves cut short whose pages hold their old or new bytes again
    int waiting = 0;  // journals left for later: a save still runs, or the page is out of reach
    int kept = 0;     // journals of pages changed by someone else since, kept aside
    // Why the state folder cannot be used, naming it, or "" (also when it does not exist
    // yet): then no journal can be made, in-place saves are refused and nothing is
    // finished. For the user to read once, at start-up.
    std::string stateFolderTrouble;
};

// Finishes every in-place save that a crash cut short, from the journals in the user's
// state folder: each such page gets its old bytes back. A page changed by someone else
// since is left as it is, and its journal kept aside. Every program that saves pages
// runs this at start-up. Never throws.
//
//   titora::RecoverInterruptedSaves();  // first thing in main()
RecoveryReport RecoverInterruptedSaves();

// The pages of the last retitle as they were before it, kept in the user's state folder
// (readable by the user alone) so that UndoLastRetitle can put them back. One object per
// retitle: the first page it keeps forgets the copies of the retitle before. Copies stop
// at kUndoLimit bytes in all: the retitle then cannot be undone, and its copies go.
inline constexpr std::uint64_t kUndoLimit = std::uint64_t(1) << 30;

class UndoCopies {
public:
    // With `keep` false nothing is kept, and once a page is written the last retitle is
    // marked as one that cannot be undone.
    explicit UndoCopies(bool keep = true);
    ~UndoCopies();
    UndoCopies(const UndoCopies&) = delete;
    UndoCopies& operator=(const UndoCopies&) = delete;

    // Whether the retitle can still be undone: false once a copy failed or the limit was
    // passed, or when it was made with `keep` false.
    bool keeping() const;

    struct State;

private:
    friend class UndoCopiesAccess;
    std::unique_ptr<State> state_;
};

// Where the last retitle stands for UndoLastRetitle.
enum class UndoState {
    kNone,     // no retitle since the copies were last cleared
    kUndoable, // its copies are kept
    kTooLarge, // it went on without copies
    kUndone,   // it was undone already
};
UndoState LastRetitleState();

// What UndoLastRetitle did, or with a dry run would do.
struct UndoReport {
    UndoState state = UndoState::kNone;    // as it was before the call
    std::vector<std::string> restored;     // pages put back (or to put back)
    std::vector<std::string> changedSince; // pages changed since the retitle, left alone
    std::vector<std::string> failures;     // messages of pages that could not be put back
};

// Puts back every page of the last retitle that is still exactly as the retitle left it,
// through the careful save, and names those changed since, which it leaves alone. Once
// every page is handled, the retitle counts as undone and its copies go; with `dryRun`
// nothing is written or forgotten. Never throws for a page: its failure is reported.
//
//   for (const std::string& page : titora::UndoLastRetitle(false).changedSince) ...
UndoReport UndoLastRetitle(bool dryRun);

} // namespace titora
