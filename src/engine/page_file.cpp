#include "page_file.h"

#include "title_engine.h"

#include <algorithm>
#include <cstdint>
#include <new>
#include <utility>

namespace titora {
namespace {

// Room kept behind a page's bytes in any case, so that the read that finds the end of
// the file has somewhere to look and a page read whole needs no second block.
constexpr std::size_t kEndProbe = 4096;

[[noreturn]] void FailOpen(const std::string& path, std::string reason) {
    throw TitleEngineError("Cannot open file " + path, std::move(reason));
}

} // namespace

PageFile::PageFile(const std::string& path, Purpose purpose) : path_(path) {
    open(purpose);
}

void PageFile::open(Purpose purpose) {
    folder_ = platform::Folder();
    file_ = platform::File();
    openedForWriting_ = false;
    if (purpose == Purpose::kReading) {
        // Reading is the one thing done to most pages, so it opens the page by its path
        // alone; the folder is found only should a save of the page need finishing.
        file_ = platform::OpenFile(path_, platform::Access::kRead);
    } else if (platform::FindPage(path_, &folder_, &name_)) {
        file_ = platform::OpenInFolder(folder_, name_, platform::Access::kSave);
        openedForWriting_ = file_.isOpen();
        // A page the user may read but not write is still read: WriteTitle refuses it
        // only once it knows it has something to write, with the reason kept from here.
        if (!file_.isOpen()) {
            whyNotWritable_ = platform::LastErrorText();
            file_ = platform::OpenInFolder(folder_, name_, platform::Access::kRead);
        }
    }
    if (!file_.isOpen() || !platform::GetInfo(file_, &info_)) {
        FailOpen(path_, platform::LastErrorText());
    }
    // Folders, devices and pipes have no title to read; the system saw nothing wrong.
    if (!info_.regular) {
        FailOpen(path_, std::string());
    }
}

bool PageFile::locate() {
    if (located()) {
        return true;
    }
    if (platform::FindPage(path_, &folder_, &name_) && atItsName()) {
        return true;
    }
    folder_ = platform::Folder();
    return false;
}

void PageFile::reopen() {
    open(Purpose::kWriting);
}

bool PageFile::refreshInfo() {
    return platform::GetInfo(file_, &info_);
}

bool PageFile::atItsName() const {
    platform::FileInfo now;
    return platform::GetInfoAt(folder_, name_, &now) && now.id == info_.id;
}

bool ReadToEnd(const platform::File& file, std::uint64_t sizeHint, std::size_t front,
               bool roomToGrow, PageBytes* bytes) {
    if (sizeHint > SIZE_MAX / 2 || front > SIZE_MAX / 4) {
        throw std::bad_alloc();
    }
    const std::size_t size = static_cast<std::size_t>(sizeHint);
    const std::size_t room = std::max(roomToGrow ? PageBytes::RoomToGrow(size) : 0, kEndProbe);
    PageBytes read(front, 0, front + size + room);
    // The size is a first guess only: bytes added while the page is read are read too.
    for (;;) {
        read.reserve(std::max(kEndProbe, read.view().size() / 2));
        const std::size_t wanted = read.room();
        std::size_t got = 0;
        if (!platform::Read(file, read.view().size(), read.end(), wanted, &got, sizeHint)) {
            return false;
        }
        read.extend(got);
        if (got < wanted) {
            break;
        }
    }
    *bytes = std::move(read);
    return true;
}

PageBytes ReadPage(const PageFile& page, std::size_t front, bool roomToGrow) {
    PageBytes bytes(0, 0, 0);
    if (!ReadToEnd(page.file(), page.info().size, front, roomToGrow, &bytes)) {
        FailOpen(page.path(), platform::LastErrorText());
    }
    return bytes;
}

} // namespace titora
