#include "undo_copies.h"

#include "careful_save.h"
#include "journal.h"
#include "page_text.h"

#include <algorithm>
#include <charconv>
#include <new>

namespace titora {

struct UndoCopies::State {
    bool keep = true;
    bool started = false;
    std::uint64_t bytes = 0;
    int next = 0;
    platform::Folder folder;
};

namespace {

constexpr std::string_view kFirstLine = "Titora undo copy 1\n";
constexpr std::string_view kTail = "\nend\n";
constexpr std::string_view kCopyPrefix = "undo-";
constexpr std::string_view kCopyEnding = ".copy";
const std::string kStateName = "undo-state";
constexpr std::string_view kKept = "kept";
constexpr std::string_view kTooLarge = "too-large";
constexpr std::string_view kUndone = "undone";

#ifdef _WIN32
constexpr char kSeparator = '\\';
#else
constexpr char kSeparator = '/';
#endif

bool IsCopyName(const std::string& name) {
    return name.size() > kCopyPrefix.size() + kCopyEnding.size() &&
           name.compare(0, kCopyPrefix.size(), kCopyPrefix) == 0 &&
           name.compare(name.size() - kCopyEnding.size(), kCopyEnding.size(), kCopyEnding) == 0;
}

int CopyNumber(const std::string& name) {
    int number = 0;
    std::from_chars(name.data() + kCopyPrefix.size(), name.data() + name.size(), number);
    return number;
}

std::string Field(std::string_view key, std::string_view value) {
    return std::string(key) + " " + std::to_string(value.size()) + ":" + std::string(value) + "\n";
}

// "key length:bytes\n" at the front of `*rest`, taken off it.
bool TakeField(std::string_view* rest, std::string_view key, std::string_view* value) {
    if (rest->substr(0, key.size() + 1) != std::string(key) + " ") {
        return false;
    }
    rest->remove_prefix(key.size() + 1);
    std::uint64_t length = 0;
    const auto result = std::from_chars(rest->data(), rest->data() + rest->size(), length);
    if (result.ec != std::errc() || result.ptr == rest->data() ||
        result.ptr == rest->data() + rest->size() || *result.ptr != ':') {
        return false;
    }
    rest->remove_prefix(static_cast<std::size_t>(result.ptr - rest->data()) + 1);
    if (length > rest->size() || rest->substr(static_cast<std::size_t>(length), 1) != "\n") {
        return false;
    }
    *value = rest->substr(0, static_cast<std::size_t>(length));
    rest->remove_prefix(static_cast<std::size_t>(length) + 1);
    return true;
}

bool WriteState(const platform::Folder& folder, std::string_view state) {
    platform::RemoveInFolder(folder, kStateName);
    const platform::File file = platform::CreateInFolder(folder, kStateName);
    return file.isOpen() && platform::WriteAt(file, 0, state.data(), state.size());
}

std::string ReadSmallFile(const platform::Folder& folder, const std::string& name) {
    const platform::File file = platform::OpenInFolder(folder, name, platform::Access::kRead);
    char bytes[64];
    std::size_t got = 0;
    if (!file.isOpen() || !platform::Read(file, 0, bytes, sizeof bytes, &got)) {
        return {};
    }
    return std::string(bytes, got);
}

std::vector<std::string> CopyNames(const platform::Folder& folder) {
    std::vector<std::string> names;
    std::vector<std::string> copies;
    if (platform::ListFolder(folder, &names)) {
        std::copy_if(names.begin(), names.end(), std::back_inserter(copies), IsCopyName);
    }
    std::sort(copies.begin(), copies.end(), [](const std::string& a, const std::string& b) {
        return CopyNumber(a) < CopyNumber(b);
    });
    return copies;
}

void RemoveCopies(const platform::Folder& folder) {
    for (const std::string& name : CopyNames(folder)) {
        platform::RemoveInFolder(folder, name);
    }
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
    RecoverInterruptedSave(page);
    const PageBytes current = ReadPage(page);
    std::string next;
    if (!RebuildNew(record, &next) || current.view() != next) {
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
    SavePage(page, request);
    return Outcome::kRestored;
}

} // namespace

std::string UndoRecordBytes(const UndoRecord& record) {
    std::string bytes(kFirstLine);
    bytes += Field("path", record.path);
    bytes += "code-page " + std::to_string(record.codePage) + "\n";
    bytes += std::string("line-breaks ") + (record.keepLineBreaks ? "kept" : "crlf") + "\n";
    bytes += Field("title", record.title);
    bytes += Field("old", record.old);
    bytes += "end\n";
    return bytes;
}

bool ParseUndoRecord(std::string_view bytes, UndoRecord* record) {
    if (bytes.substr(0, kFirstLine.size()) != kFirstLine) {
        return false;
    }
    std::string_view rest = bytes.substr(kFirstLine.size());
    std::string_view path;
    std::string_view title;
    std::string_view old;
    if (!TakeField(&rest, "path", &path) || rest.substr(0, 10) != "code-page ") {
        return false;
    }
    rest.remove_prefix(10);
    unsigned codePage = 0;
    const auto number = std::from_chars(rest.data(), rest.data() + rest.size(), codePage);
    if (number.ec != std::errc()) {
        return false;
    }
    rest.remove_prefix(static_cast<std::size_t>(number.ptr - rest.data()));
    const bool kept = rest.substr(0, 18) == "\nline-breaks kept\n";
    if (!kept && rest.substr(0, 18) != "\nline-breaks crlf\n") {
        return false;
    }
    rest.remove_prefix(18);
    if (!TakeField(&rest, "title", &title) || !TakeField(&rest, "old", &old) || rest != "end\n") {
        return false;
    }
    *record = UndoRecord{std::string(path), codePage, kept, std::string(title), std::string(old)};
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
    // Starts the retitle's copies at its first page: the last retitle's copies go.
    static UndoCopies::State* Started(UndoCopies* undo, const std::string& path) {
        UndoCopies::State& state = *undo->state_;
        if (state.started) {
            return &state;
        }
        state.folder = platform::OpenStateFolder(true);
        if (!state.folder.isOpen()) {
            throw TitleEngineError("Cannot create file " + path);
        }
        RemoveCopies(state.folder);
        if (!WriteState(state.folder, state.keep ? kKept : kTooLarge)) {
            throw TitleEngineError("Cannot create file " + path);
        }
        state.started = true;
        return &state;
    }

    // The retitle has grown past the limit: it goes on without copies.
    static void GiveUp(UndoCopies::State* state) {
        state->keep = false;
        RemoveCopies(state->folder);
        WriteState(state->folder, kTooLarge);
    }
};

UndoCopy::UndoCopy(UndoCopies* undo, const PageFile& page, std::string_view old,
                   std::string_view title, unsigned codePage, bool keepLineBreaks)
    : undo_(undo) {
    if (undo_ == nullptr) {
        return;
    }
    std::string folder;
    const std::string copyPath = "undo copy of " + page.path();
    UndoCopies::State* state = UndoCopiesAccess::Started(undo_, copyPath);
    if (!state->keep) {
        return;
    }
    if (state->bytes + old.size() > kUndoLimit) {
        UndoCopiesAccess::GiveUp(state);
        return;
    }
    if (!platform::FolderPath(page.folder(), &folder)) {
        throw TitleEngineError("Cannot create file " + copyPath);
    }
    if (folder.empty() || folder.back() != kSeparator) {
        folder += kSeparator;
    }
    const UndoRecord record{folder + page.name(), codePage, keepLineBreaks, std::string(title),
                            std::string(old)};
    const std::string bytes = UndoRecordBytes(record);
    const std::string name =
        std::string(kCopyPrefix) + std::to_string(state->next++) + std::string(kCopyEnding);
    // Not flushed: a copy serves an undo the user asks for, not the recovery from a crash,
    // and flushing every copy would double what a retitle costs.
    const platform::File file = platform::CreateInFolder(state->folder, name);
    if (!file.isOpen() || !platform::WriteAt(file, 0, bytes.data(), bytes.size())) {
        platform::RemoveInFolder(state->folder, name);
        throw TitleEngineError("Cannot create file " + copyPath);
    }
    name_ = name;
    size_ = old.size();
    state->bytes += size_;
}

UndoCopy::~UndoCopy() {
    if (committed_ || name_.empty()) {
        return;
    }
    UndoCopies::State* state = UndoCopiesAccess::Started(undo_, name_);
    platform::RemoveInFolder(state->folder, name_);
    state->bytes -= size_;
}

UndoState LastRetitleState() {
    const platform::Folder folder = platform::OpenStateFolder(false);
    if (!folder.isOpen()) {
        return UndoState::kNone;
    }
    const std::string state = ReadSmallFile(folder, kStateName);
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
    report.state = LastRetitleState();
    const platform::Folder folder = platform::OpenStateFolder(false);
    if (report.state != UndoState::kUndoable || !folder.isOpen()) {
        return report;
    }
    for (const std::string& name : CopyNames(folder)) {
        UndoRecord record;
        try {
            const platform::File file =
                platform::OpenInFolder(folder, name, platform::Access::kRead);
            platform::FileInfo info;
            PageBytes bytes(0, 0, 0);
            if (!file.isOpen() || !platform::GetInfo(file, &info) ||
                !ReadToEnd(file, info.size, 0, false, &bytes) ||
                !ParseUndoRecord(bytes.view(), &record)) {
                report.failures.push_back("Cannot open file " + name);
                continue;
            }
            const Outcome outcome = UndoPage(record, dryRun);
            (outcome == Outcome::kRestored ? report.restored : report.changedSince)
                .push_back(record.path);
        } catch (const TitleEngineError& e) {
            report.failures.push_back(e.what());
            continue;
        } catch (const std::bad_alloc&) {
            report.failures.push_back("Text exceeds memo capacity");
            continue;
        }
        if (!dryRun) {
            platform::RemoveInFolder(folder, name);
        }
    }
    if (!dryRun && report.failures.empty()) {
        WriteState(folder, kUndone);
    }
    return report;
}

} // namespace titora
