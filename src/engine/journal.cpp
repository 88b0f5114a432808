#include "journal.h"

#include "title_engine.h"

#include <charconv>
#include <cstdint>
#include <mutex>
#include <random>

namespace titora {
namespace {

// A journal is text up to its old bytes, so that one kept aside can be read by a
// person: a first line naming the format, then one line per field, each string as
// "key length:bytes".
//
// Its serial number, a random one for every journal, stands at its head and once more
// in its tail. A slot is used again and again, and a journal written over another one
// and cut short could otherwise end in the tail of the earlier one, at the same place
// when the page had the same length: it would pass for whole, with old bytes mixed from
// both (and zeros where an emptying of the slot was cut short too), and the page would
// be judged changed by someone else.
constexpr std::string_view kFirstLine = "Titora journal 2\n";
constexpr std::string_view kEnd = "\nend ";
// A slot that held a journal up to this size keeps its blocks for the next one; a larger
// one gives them back rather than hold a large file in the user's state folder.
constexpr std::uint64_t kSlotKeptSize = 4 << 20;
constexpr std::string_view kSlotPrefix = "journal-";
constexpr std::string_view kJournalEnding = ".journal";

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
    bool startsWith(std::string_view text) const { return rest_.substr(0, text.size()) == text; }

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

    std::size_t left() const { return rest_.size(); }

private:
    std::string_view rest_;
};

} // namespace

std::string JournalHead(const JournalRecord& record, std::uint64_t oldSize) {
    std::string head(kFirstLine);
    head.append("serial ").append(Hex(record.serial)).append("\n");
    head.append("page ").append(Hex(record.page.volume)).append(" ");
    head.append(Hex(record.page.index)).append("\n");
    head.append("code-page ").append(std::to_string(record.codePage)).append("\n");
    head.append(Field("folder", record.folder)).append("\n");
    head.append(Field("name", record.name)).append("\n");
    head.append(Field("title", record.title)).append("\n");
    if (record.next) {
        head.append(Field("new", *record.next)).append("\n");
    }
    // The old bytes follow, then the tail.
    head.append("old ").append(std::to_string(oldSize)).append(":");
    return head;
}

std::string JournalTail(std::uint64_t serial) {
    return std::string(kEnd) + Hex(serial) + "\n";
}

std::uint64_t NewJournalSerial() {
    static std::mt19937_64 random = [] {
        std::random_device device;
        return std::mt19937_64((std::uint64_t{device()} << 32) ^ device());
    }();
    static std::mutex lock;
    const std::lock_guard<std::mutex> held(lock);
    return random();
}

bool ParseJournal(std::string_view bytes, JournalRecord* record) {
    Reader reader(bytes);
    std::uint64_t codePage = 0;
    std::string_view folder;
    std::string_view name;
    std::string_view title;
    // What follows the tail is what the slot held before.
    if (!reader.literal(kFirstLine) || !reader.literal("serial ") ||
        !reader.number(&record->serial, 16) || !reader.literal("\npage ") ||
        !reader.number(&record->page.volume, 16) || !reader.literal(" ") ||
        !reader.number(&record->page.index, 16) || !reader.literal("\ncode-page ") ||
        !reader.number(&codePage, 10) || !reader.literal("\n") ||
        !reader.field("folder", &folder, "\n") || !reader.field("name", &name, "\n") ||
        !reader.field("title", &title, "\n")) {
        return false;
    }
    std::string_view next;
    const bool hasNext = reader.startsWith("new ");
    if ((hasNext && !reader.field("new", &next, "\n")) ||
        !reader.field("old", &record->old, JournalTail(record->serial))) {
        return false;
    }
    record->next.reset();
    if (hasNext) {
        record->next = std::string(next);
    }
    record->codePage = static_cast<unsigned>(codePage);
    record->folder = folder;
    record->name = name;
    record->title = title;
    record->length = bytes.size() - reader.left();
    return true;
}

bool HoldsJournal(std::string_view start) {
    return start.substr(0, kFirstLine.size()) == kFirstLine;
}

std::string JournalSlotName(int slot) {
    return std::string(kSlotPrefix) + std::to_string(slot);
}

std::string JournalName(const platform::FileId& page) {
    return Hex(page.volume) + "-" + Hex(page.index) + std::string(kJournalEnding);
}

bool IsJournalFileName(const std::string& name) {
    return name.compare(0, kSlotPrefix.size(), kSlotPrefix) == 0 ||
           (name.size() > kJournalEnding.size() &&
            name.compare(name.size() - kJournalEnding.size(), kJournalEnding.size(),
                         kJournalEnding) == 0);
}

std::string KeptJournalName(const platform::FileId& page, int n) {
    return Hex(page.volume) + "-" + Hex(page.index) + "." + std::to_string(n) + ".kept";
}

bool EmptySlot(const platform::Folder& state, const std::string& name, const platform::File& slot,
               std::uint64_t length) {
    platform::FileInfo info;
    bool emptied = false;
    if (length > kSlotKeptSize || !platform::GetInfo(slot, &info) || info.size > kSlotKeptSize) {
        emptied = platform::Truncate(slot, 0);
    } else {
        const std::string zeros(static_cast<std::size_t>(length), '\0');
        emptied = platform::WriteAt(slot, 0, zeros.data(), zeros.size());
    }
    if (!emptied || name.compare(0, kSlotPrefix.size(), kSlotPrefix) == 0) {
        return emptied;
    }
    // Back to the first slot name not taken. Should renaming fail for another reason, or
    // all be taken, the file goes: a new slot is made when one is needed, and slots do
    // not multiply.
    for (int n = 0; n < kJournalSlots; ++n) {
        const std::string slotName = JournalSlotName(n);
        if (platform::RenameInFolder(state, name, slotName)) {
            return true;
        }
        platform::FileInfo taken;
        if (!platform::GetInfoAt(state, slotName, &taken)) {
            break;
        }
    }
    return platform::RemoveInFolder(state, name);
}

SaveJournal::SaveJournal(const PageFile& page, std::string_view title, unsigned codePage,
                         std::optional<std::string_view> next)
    : state_(platform::OpenStateFolder(true)) {
    const auto failCreate = [&] { throw TitleEngineError("Cannot create file " + page.path()); };
    JournalRecord record;
    record.serial = NewJournalSerial();
    record.page = page.info().id;
    record.codePage = codePage;
    record.name = page.name();
    record.title = std::string(title);
    if (next) {
        record.next = std::string(*next);
    }
    platform::FileInfo now;
    bool created = false;
    if (!state_.isOpen() || !platform::FolderPath(page.folder(), &record.folder) ||
        !platform::GetInfo(page.file(), &now) || !takeSlot(record.page, &created)) {
        failCreate();
    }
    const std::string head = JournalHead(record, now.size);
    const std::string tail = JournalTail(record.serial);
    oldAt_ = head.size();
    oldSize_ = now.size;
    tailSize_ = tail.size();
    // The page's bytes go in as the system copies them, without passing through memory
    // of ours; a page that shrinks meanwhile is being written by someone else. A new
    // slot's name is made to last as well.
    if (!platform::WriteAt(file_, 0, head.data(), head.size()) ||
        !platform::Copy(page.file(), 0, file_, oldAt_, oldSize_) ||
        !platform::WriteAt(file_, oldAt_ + oldSize_, tail.data(), tail.size()) ||
        !platform::Flush(file_) || (created && !platform::FlushFolder(state_))) {
        discard();
        throw TitleEngineError("Stream write error");
    }
}

bool SaveJournal::takeSlot(const platform::FileId& page, bool* created) {
    for (int slot = 0; slot < kJournalSlots; ++slot) {
        const std::string name = JournalSlotName(slot);
        platform::File file = platform::OpenInFolder(state_, name, platform::Access::kReadWrite);
        *created = !file.isOpen();
        if (*created) {
            file = platform::CreateInFolder(state_, name);
        }
        // Held by a living save; or renamed since it was opened; or not made by the user
        // for this, which is left alone.
        platform::FileInfo held;
        platform::FileInfo named;
        if (!file.isOpen() || !platform::IsPrivateFile(file) || !platform::TryLock(file) ||
            !platform::GetInfo(file, &held) || !platform::GetInfoAt(state_, name, &named) ||
            held.id != named.id) {
            continue;
        }
        // A journal whose name a crash of the machine lost waits for the next start.
        char start[kFirstLine.size()];
        std::size_t got = 0;
        if (!platform::Read(file, 0, start, sizeof start, &got) ||
            HoldsJournal(std::string_view(start, got))) {
            continue;
        }
        // Refused when a journal of this page waits, or another save of it runs.
        name_ = JournalName(page);
        if (!platform::RenameInFolder(state_, name, name_)) {
            return false;
        }
        file_ = std::move(file);
        return true;
    }
    return false;
}

bool SaveJournal::restore(const platform::File& page) const {
    return platform::Copy(file_, oldAt_, page, 0, oldSize_) && platform::Truncate(page, oldSize_) &&
           platform::Flush(page);
}

void SaveJournal::remove() {
    if (file_.isOpen()) {
        EmptySlot(state_, name_, file_, oldAt_ + oldSize_ + tailSize_);
        file_ = platform::File();
    }
}

void SaveJournal::discard() {
    // Cut to nothing: writing it may have failed at a file size limit.
    EmptySlot(state_, name_, file_, UINT64_MAX);
    file_ = platform::File();
}

} // namespace titora
