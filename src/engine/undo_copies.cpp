#include "undo_copies.h"

#include "careful_save.h"
#include "journal.h"
#include "page_text.h"

#include <charconv>
#include <new>

namespace titora {

struct UndoCopies::State {
    bool keep = true;
    bool held = false;
    bool started = false;
    std::uint64_t bytes = 0; // of the pages' old bytes kept
    std::uint64_t end = 0;   // of the copies' file
    platform::Folder folder;
    platform::File lock;
    platform::File file;
};

namespace {

constexpr std::string_view kFirstWords = "Titora undo copy 1 ";
constexpr std::string_view kTail = "\nend\n";
const std::string kCopiesName = "undo-copies";
const std::string kNewCopiesName = "undo-copies.new";
const std::string kStateName = "undo-state";
const std::string kLockName = "undo-lock";
// How long a retitle or an undo waits for another one to end, as a save waits for another
// save of its page.
constexpr unsigned kLockWait = 10000;
constexpr std::string_view kKept = "kept";
constexpr std::string_view kTooLarge = "too-large";
constexpr std::string_view kUndone = "undone";
// The longest first line: the words and two numbers.
constexpr std::size_t kFirstLineRoom = 64;

#ifdef _WIN32
constexpr char kSeparator = '\\';
#else
constexpr char kSeparator = '/';
#endif

std::string Field(std::string_view key, std::string_view value) {
    return std::string(key) + " " + std::to_string(value.size()) + ":" + std::string(value) + "\n";
}

bool TakeNumber(std::string_view* rest, std::uint64_t* value) {
    const auto result = std::from_chars(rest->data(), rest->data() + rest->size(), *value);
    if (result.ec != std::errc() || result.ptr == rest->data()) {
        return false;
    }
    rest->remove_prefix(static_cast<std::size_t>(result.ptr - rest->data()));
    return true;
}

bool TakeLiteral(std::string_view* rest, std::string_view text) {
    if (rest->substr(0, text.size()) != text) {
        return false;
    }
    rest->remove_prefix(text.size());
    return true;
}

// "key length:bytes\n" at the front of `*rest`, taken off it.
bool TakeField(std::string_view* rest, std::string_view key, std::string_view* value) {
    std::uint64_t length = 0;
    if (!TakeLiteral(rest, key) || !TakeLiteral(rest, " ") || !TakeNumber(rest, &length) ||
        !TakeLiteral(rest, ":") || length >= rest->size()) {
        return false;
    }
    *value = rest->substr(0, static_cast<std::size_t>(length));
    rest->remove_prefix(static_cast<std::size_t>(length));
    return TakeLiteral(rest, "\n");
}

// Takes the lock that makes retitles and undos run one after the other: without it an undo
// could clear the copies a retitle has just begun to keep, and two retitles each other's.
// Not open when it cannot be had.
platform::File LockCopies(const platform::Folder& folder) {
    platform::File file = platform::OpenInFolder(folder, kLockName, platform::Access::kReadWrite);
    if (!file.isOpen()) {
        file = platform::CreateInFolder(folder, kLockName);
    }
    // Made by another retitle meanwhile.
    if (!file.isOpen()) {
        file = platform::OpenInFolder(folder, kLockName, platform::Access::kReadWrite);
    }
    if (!file.isOpen() || !platform::IsPrivateFile(file) || !platform::Lock(file, kLockWait)) {
        return platform::File();
    }
    return file;
}

bool WriteState(const platform::Folder& folder, std::string_view state) {
    platform::RemoveInFolder(folder, kStateName);
    const platform::File file = platform::CreateInFolder(folder, kStateName);
    return file.isOpen() && platform::WriteAt(file, 0, state.data(), state.size());
}

std::string ReadAt(const platform::File& file, std::uint64_t at, std::size_t size) {
    std::string bytes(size, '\0');
    std::size_t got = 0;
    if (!platform::Read(file, at, bytes.data(), size, &got)) {
        return {};
    }
    bytes.resize(got);
    return bytes;
}

// The bytes the retitle of `record` wrote; false when it could not have written any.
bool RebuildNew(const UndoRecord& record, std::string* next) {
    if (record.keepLineBreaks) {
        return RetitleKeepingLineBreaks(record.old, record.title, next) == RetitleStatus::kDone;
    }
    PageBuffer buffer;
    if (RetitlePageBytes(record.old, record.title, LeadBytes::ForCodePage(record.codePage),
                         &buffer) != RetitleStatus::kDone) {
        return false;
    }
    next->assign(buffer.text());
    return true;
}

enum class Outcome { kRestored, kChanged };

// Puts back the page of `record` if it holds what the retitle wrote.
Outcome UndoPage(const UndoRecord& record, bool dryRun) {
    PageFile page(record.path, PageFile::Purpose::kWriting);
    if (!dryRun) {
        CheckSavable(page);
        LockForSave(page);
    }
    RecoverInterruptedSave(page);
    std::string next;
    if (!RebuildNew(record, &next)) {
        return Outcome::kChanged;
    }
    // The page must hold what the retitle wrote from the read to the save: a page that
    // someone else writes meanwhile is theirs, and is left as they leave it.
    if (!page.refreshInfo() || ReadPage(page).view() != next) {
        return Outcome::kChanged;
    }
    if (dryRun) {
        CheckSavable(page);
        return Outcome::kRestored;
    }
    SaveRequest request;
    request.text = record.old;
    request.codePage = record.codePage;
    request.journalText = true;
    return SavePage(page, request) == Saved::kYes ? Outcome::kRestored : Outcome::kChanged;
}

// Reads the record at `at` of `file` into `*record` and sets `*length` to its length.
bool ReadRecord(const platform::File& file, std::uint64_t at, UndoRecord* record,
                std::uint64_t* length) {
    const std::string first = ReadAt(file, at, kFirstLineRoom);
    std::string_view rest = first;
    std::uint64_t headSize = 0;
    std::uint64_t oldSize = 0;
    if (!TakeLiteral(&rest, kFirstWords) || !TakeNumber(&rest, &headSize) ||
        !TakeLiteral(&rest, " ") || !TakeNumber(&rest, &oldSize) || !TakeLiteral(&rest, "\n")) {
        return false;
    }
    const std::uint64_t headAt = at + (first.size() - rest.size());
    *length = headAt + headSize + oldSize + kTail.size() - at;
    const std::string head = ReadAt(file, headAt, static_cast<std::size_t>(headSize));
    if (head.size() != headSize || !ParseUndoRecordHead(head, record)) {
        return false;
    }
    record->old = ReadAt(file, headAt + headSize, static_cast<std::size_t>(oldSize));
    const std::string tail = ReadAt(file, headAt + headSize + oldSize, kTail.size());
    return record->old.size() == oldSize && tail == kTail;
}

// Keeps only the records at `kept` (offset, length) of the copies' file: written to a new
// file that then takes its place.
bool KeepOnly(const platform::Folder& folder, const platform::File& copies,
              const std::vector<std::pair<std::uint64_t, std::uint64_t>>& kept) {
    platform::RemoveInFolder(folder, kNewCopiesName);
    const platform::File fresh = platform::CreateInFolder(folder, kNewCopiesName);
    std::uint64_t end = 0;
    bool copied = fresh.isOpen();
    for (const auto& [at, length] : kept) {
        copied = copied && platform::Copy(copies, at, fresh, end, length);
        end += length;
    }
    if (!copied) {
        platform::RemoveInFolder(folder, kNewCopiesName);
        return false;
    }
    platform::RemoveInFolder(folder, kCopiesName);
    return platform::RenameInFolder(folder, kNewCopiesName, kCopiesName);
}

} // namespace

std::string UndoRecordHead(const UndoRecord& record, std::uint64_t oldSize) {
    std::string head = Field("path", record.path);
    head += "code-page " + std::to_string(record.codePage) + "\n";
    head += std::string("line-breaks ") + (record.keepLineBreaks ? "kept" : "crlf") + "\n";
    head += Field("title", record.title);
    return std::string(kFirstWords) + std::to_string(head.size()) + " " + std::to_string(oldSize) +
           "\n" + head;
}

bool ParseUndoRecordHead(std::string_view head, UndoRecord* record) {
    std::string_view path;
    std::string_view title;
    std::uint64_t codePage = 0;
    if (!TakeField(&head, "path", &path) || !TakeLiteral(&head, "code-page ") ||
        !TakeNumber(&head, &codePage) || !TakeLiteral(&head, "\nline-breaks ")) {
        return false;
    }
    const bool kept = TakeLiteral(&head, "kept\n");
    if ((!kept && !TakeLiteral(&head, "crlf\n")) || !TakeField(&head, "title", &title) ||
        !head.empty()) {
        return false;
    }
    record->path = std::string(path);
    record->codePage = static_cast<unsigned>(codePage);
    record->keepLineBreaks = kept;
    record->title = std::string(title);
    return true;
}

UndoCopies::UndoCopies(bool keep) : state_(std::make_unique<State>()) {
    state_->keep = keep;
}

UndoCopies::~UndoCopies() = default;

bool UndoCopies::keeping() const {
    return state_->keep;
}

// What UndoCopy needs of UndoCopies' state.
class UndoCopiesAccess {
public:
    // Takes the retitle's lock on the copies, once, at its first page.
    static UndoCopies::State* Held(UndoCopies* undo, const std::string& path) {
        UndoCopies::State& state = *undo->state_;
        if (state.held) {
            if (!state.lock.isOpen()) {
                throw TitleEngineError("Cannot create file " + path,
                                       state.folder.isOpen() ? kUnderWay : "");
            }
            return &state;
        }
        state.held = true;
        state.folder = platform::OpenStateFolder(true);
        if (!state.folder.isOpen()) {
            throw TitleEngineError("Cannot create file " + path);
        }
        state.lock = LockCopies(state.folder);
        if (!state.lock.isOpen()) {
            throw TitleEngineError("Cannot create file " + path, kUnderWay);
        }
        return &state;
    }

    // Starts the retitle's copies at its first page kept: the last retitle's copies go.
    static UndoCopies::State* Started(UndoCopies* undo, const std::string& path) {
        UndoCopies::State& state = *Held(undo, path);
        if (state.started) {
            return &state;
        }
        platform::RemoveInFolder(state.folder, kCopiesName);
        if (state.keep) {
            state.file = platform::CreateInFolder(state.folder, kCopiesName);
        }
        if ((state.keep && !state.file.isOpen()) ||
            !WriteState(state.folder, state.keep ? kKept : kTooLarge)) {
            throw TitleEngineError("Cannot create file " + path);
        }
        state.started = true;
        return &state;
    }

    // The retitle has grown past the limit: it goes on without copies.
    static void GiveUp(UndoCopies::State* state) {
        state->keep = false;
        state->file = platform::File();
        platform::RemoveInFolder(state->folder, kCopiesName);
        WriteState(state->folder, kTooLarge);
    }

    static UndoCopies::State* Of(UndoCopies* undo) { return undo->state_.get(); }

    static constexpr const char* kUnderWay = "another retitle or undo is under way";
};

void HoldUndoCopies(UndoCopies* undo, const std::string& path) {
    if (undo != nullptr) {
        UndoCopiesAccess::Held(undo, "undo copy of " + path);
    }
}

UndoCopy::UndoCopy(UndoCopies* undo, const PageFile& page, std::string_view old,
                   std::string_view title, unsigned codePage, bool keepLineBreaks)
    : undo_(undo) {
    if (undo_ == nullptr) {
        return;
    }
    const std::string copyPath = "undo copy of " + page.path();
    UndoCopies::State* state = UndoCopiesAccess::Started(undo_, copyPath);
    if (!state->keep) {
        return;
    }
    if (state->bytes + old.size() > kUndoLimit) {
        UndoCopiesAccess::GiveUp(state);
        return;
    }
    UndoRecord record{{}, codePage, keepLineBreaks, std::string(title), {}};
    if (!platform::FolderPath(page.folder(), &record.path)) {
        throw TitleEngineError("Cannot create file " + copyPath);
    }
    if (record.path.empty() || record.path.back() != kSeparator) {
        record.path += kSeparator;
    }
    record.path += page.name();
    const std::string head = UndoRecordHead(record, old.size());
    // Not flushed: a copy serves an undo the user asks for, not the recovery from a crash,
    // and flushing every copy would double what a retitle costs.
    const std::uint64_t at = state->end;
    if (!platform::WriteAt(state->file, at, head.data(), head.size()) ||
        !platform::WriteAt(state->file, at + head.size(), old.data(), old.size()) ||
        !platform::WriteAt(state->file, at + head.size() + old.size(), kTail.data(),
                           kTail.size())) {
        platform::Truncate(state->file, at);
        throw TitleEngineError("Cannot create file " + copyPath);
    }
    state->end = at + head.size() + old.size() + kTail.size();
    state->bytes += old.size();
    kept_ = true;
    at_ = at;
    size_ = old.size();
}

UndoCopy::~UndoCopy() {
    if (committed_ || !kept_) {
        return;
    }
    // The page was not written: its record, the last one, goes.
    UndoCopies::State* state = UndoCopiesAccess::Of(undo_);
    if (state->file.isOpen() && platform::Truncate(state->file, at_)) {
        state->end = at_;
        state->bytes -= size_;
    }
}

UndoState LastRetitleState() {
    const platform::Folder folder = platform::OpenStateFolder(false);
    if (!folder.isOpen()) {
        return UndoState::kNone;
    }
    const platform::File file = platform::OpenInFolder(folder, kStateName, platform::Access::kRead);
    const std::string state = file.isOpen() ? ReadAt(file, 0, 16) : std::string();
    if (state == kKept) {
        return UndoState::kUndoable;
    }
    if (state == kTooLarge) {
        return UndoState::kTooLarge;
    }
    return state == kUndone ? UndoState::kUndone : UndoState::kNone;
}

UndoReport UndoLastRetitle(bool dryRun) {
    UndoReport report;
    const platform::Folder folder = platform::OpenStateFolder(false);
    // A retitle under way ends before its state is read, and none begins until the undo
    // has cleared what it undid.
    const platform::File lock = folder.isOpen() ? LockCopies(folder) : platform::File();
    report.state = LastRetitleState();
    if (report.state != UndoState::kUndoable || !folder.isOpen()) {
        return report;
    }
    if (!lock.isOpen()) {
        report.failures.push_back("Cannot open file " + kCopiesName + ": " +
                                  UndoCopiesAccess::kUnderWay);
        return report;
    }
    const platform::File copies =
        platform::OpenInFolder(folder, kCopiesName, platform::Access::kRead);
    platform::FileInfo info;
    if (copies.isOpen() && platform::GetInfo(copies, &info)) {
        // Records of pages that could not be put back stay for another try.
        std::vector<std::pair<std::uint64_t, std::uint64_t>> failed;
        std::uint64_t length = 0;
        for (std::uint64_t at = 0; at < info.size; at += length) {
            UndoRecord record;
            try {
                if (!ReadRecord(copies, at, &record, &length)) {
                    report.failures.push_back("Cannot open file " + kCopiesName);
                    break;
                }
                (UndoPage(record, dryRun) == Outcome::kRestored ? report.restored
                                                                : report.changedSince)
                    .push_back(record.path);
            } catch (const TitleEngineError& e) {
                report.failures.push_back(e.what());
                failed.emplace_back(at, length);
            } catch (const std::bad_alloc&) {
                report.failures.push_back("Text exceeds memo capacity");
                failed.emplace_back(at, length);
            }
        }
        if (!dryRun && !failed.empty() && KeepOnly(folder, copies, failed)) {
            return report;
        }
    }
    if (!dryRun && report.failures.empty()) {
        platform::RemoveInFolder(folder, kCopiesName);
        WriteState(folder, kUndone);
    }
    return report;
}

} // namespace titora
