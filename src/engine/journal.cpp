#include "journal.h"

#include "title_engine.h"

#include <charconv>
#include <cstdint>

namespace titora {
namespace {

// A journal is text up to its old bytes, so that one kept aside can be read by a
// person: a first line naming the format, then one line per field, each string as
// "key length:bytes".
constexpr std::string_view kFirstLine = "Titora journal 1\n";
constexpr std::string_view kTail = "\nend\n";

std::string Hex(std::uint64_t value) {
    char digits[16];
    const auto result = std::to_chars(digits, digits + sizeof digits, value, 16);
    return std::string(digits, result.ptr);
}

std::string Field(std::string_view key, std::string_view value) {
    std::string field(key);
    field.append(" ").append(std::to_string(value.size())).append(":").append(value);
    return field;
}

// Takes a journal's bytes apart from the front.
class Reader {
public:
    explicit Reader(std::string_view bytes) : rest_(bytes) {}

    bool literal(std::string_view text) {
        if (rest_.substr(0, text.size()) != text) {
            return false;
        }
        rest_.remove_prefix(text.size());
        return true;
    }

    bool number(std::uint64_t* value, int base) {
        const auto result =
            std::from_chars(rest_.data(), rest_.data() + rest_.size(), *value, base);
        if (result.ec != std::errc() || result.ptr == rest_.data()) {
            return false;
        }
        rest_.remove_prefix(static_cast<std::size_t>(result.ptr - rest_.data()));
        return true;
    }

    // "key length:bytes" and what follows it.
    bool field(std::string_view key, std::string_view* value, std::string_view after) {
        std::uint64_t length = 0;
        if (!literal(key) || !literal(" ") || !number(&length, 10) || !literal(":") ||
            length > rest_.size()) {
            return false;
        }
        *value = rest_.substr(0, static_cast<std::size_t>(length));
        rest_.remove_prefix(static_cast<std::size_t>(length));
        return literal(after);
    }

    bool atEnd() const { return rest_.empty(); }

private:
    std::string_view rest_;
};

} // namespace

std::string JournalHead(const JournalRecord& record, std::uint64_t oldSize) {
    std::string head(kFirstLine);
    head.append("page ").append(Hex(record.page.volume)).append(" ");
    head.append(Hex(record.page.index)).append("\n");
    head.append("code-page ").append(std::to_string(record.codePage)).append("\n");
    head.append(Field("folder", record.folder)).append("\n");
    head.append(Field("name", record.name)).append("\n");
    head.append(Field("title", record.title)).append("\n");
    // The old bytes follow, then the tail.
    head.append("old ").append(std::to_string(oldSize)).append(":");
    return head;
}

std::string_view JournalTail() {
    return kTail;
}

bool ParseJournal(std::string_view bytes, JournalRecord* record) {
    Reader reader(bytes);
    std::uint64_t codePage = 0;
    std::string_view folder;
    std::string_view name;
    std::string_view title;
    if (!reader.literal(kFirstLine) || !reader.literal("page ") ||
        !reader.number(&record->page.volume, 16) || !reader.literal(" ") ||
        !reader.number(&record->page.index, 16) || !reader.literal("\ncode-page ") ||
        !reader.number(&codePage, 10) || !reader.literal("\n") ||
        !reader.field("folder", &folder, "\n") || !reader.field("name", &name, "\n") ||
        !reader.field("title", &title, "\n") || !reader.field("old", &record->old, kTail) ||
        !reader.atEnd()) {
        return false;
    }
    record->codePage = static_cast<unsigned>(codePage);
    record->folder = folder;
    record->name = name;
    record->title = title;
    return true;
}

std::string JournalName(const platform::FileId& page) {
    return Hex(page.volume) + "-" + Hex(page.index) + ".journal";
}

SaveJournal::SaveJournal(const PageFile& page, std::string_view title, unsigned codePage)
    : state_(platform::OpenStateFolder(true)), name_(JournalName(page.info().id)) {
    const auto failCreate = [&] { throw TitleEngineError("Cannot create file " + page.path()); };
    JournalRecord record;
    record.page = page.info().id;
    record.codePage = codePage;
    record.name = page.name();
    record.title = std::string(title);
    platform::FileInfo now;
    if (!state_.isOpen() || !platform::FolderPath(page.folder(), &record.folder) ||
        !platform::GetInfo(page.file(), &now)) {
        failCreate();
    }
    file_ = platform::CreateInFolder(state_, name_);
    if (!file_.isOpen()) {
        failCreate();
    }
    // Locked at once; a recovery that took the new, empty journal for one left behind
    // before that has removed it, and the save must not go on without one.
    platform::FileInfo held;
    platform::FileInfo named;
    if (!platform::TryLock(file_) || !platform::GetInfo(file_, &held) ||
        !platform::GetInfoAt(state_, name_, &named) || held.id != named.id) {
        file_ = platform::File();
        failCreate();
    }
    const std::string head = JournalHead(record, now.size);
    const std::string_view tail = JournalTail();
    oldAt_ = head.size();
    oldSize_ = now.size;
    // The page's bytes go in as the system copies them, without passing through memory
    // of ours; a page that shrinks meanwhile is being written by someone else.
    if (!platform::WriteAt(file_, 0, head.data(), head.size()) ||
        !platform::Copy(page.file(), 0, file_, oldAt_, oldSize_) ||
        !platform::WriteAt(file_, oldAt_ + oldSize_, tail.data(), tail.size()) ||
        !platform::Flush(file_) || !platform::FlushFolder(state_)) {
        remove();
        throw TitleEngineError("Stream write error");
    }
}

bool SaveJournal::restore(const platform::File& page) const {
    return platform::Copy(file_, oldAt_, page, 0, oldSize_) && platform::Truncate(page, oldSize_) &&
           platform::Flush(page);
}

void SaveJournal::remove() {
    if (!file_.isOpen()) {
        return;
    }
    // The name goes before the lock is let go, so that no one takes it for abandoned.
    platform::RemoveInFolder(state_, name_);
    file_ = platform::File();
}

} // namespace titora
