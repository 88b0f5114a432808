#include "title_engine.h"

#include "line_breaks.h"
#include "page_file.h"
#include "page_text.h"

#include <new>
#include <stdexcept>
#include <utility>

namespace titora {
namespace {

// A text that cannot be held in memory is the page buffer's capacity exceeded.
template <typename Operation> auto WithinCapacity(Operation operation) {
    try {
        return operation();
    } catch (const std::bad_alloc&) {
        throw TitleEngineError("Text exceeds memo capacity");
    } catch (const std::length_error&) {
        throw TitleEngineError("Text exceeds memo capacity");
    }
}

// Loads the page at `path` into `buffer` and puts `title` in place there, raising the
// errors of a page that cannot take a title. Returns the page's title before the change.
std::string RetitleLoaded(const std::string& path, const std::string& title, PageBuffer* buffer) {
    PageBytes bytes = LoadPageFile(path, RoomInFrontFor(title), true);
    std::string old = TitleOfPageBytes(bytes.view(), LeadBytes::ForSystem());
    switch (RetitlePage(std::move(bytes), title, LeadBytes::ForSystem(), buffer)) {
    case RetitleStatus::kDone:
        return old;
    case RetitleStatus::kHoldsNul:
        // The text ends before the first NUL, so saving it would cut the file there: a
        // UTF-16 page or a binary file would be destroyed.
        throw TitleEngineError("Cannot write a title into " + path + ": the file holds a NUL byte");
    case RetitleStatus::kNoEndOfTitle:
        break;
    }
    throw TitleEngineError("Cannot find the end of the title in " + path);
}

} // namespace

std::string ReadTitle(const std::string& path) {
    return WithinCapacity([&] {
        const PageBytes bytes = LoadPageFile(path);
        return TitleOfPageBytes(bytes.view(), LeadBytes::ForSystem());
    });
}

void WriteTitle(const std::string& path, const std::string& title) {
    WithinCapacity([&] {
        PageBuffer buffer;
        RetitleLoaded(path, title, &buffer);
        SavePageFile(path, buffer.text(), !buffer.modified());
    });
}

std::string PreviewWriteTitle(const std::string& path, const std::string& title) {
    return WithinCapacity([&] {
        PageBuffer buffer;
        std::string old = RetitleLoaded(path, title, &buffer);
        CheckPageFileSavable(path);
        return old;
    });
}

} // namespace titora
