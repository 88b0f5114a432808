#include "title_engine.h"

#include "declared_encoding.h"
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

// Room to keep in front of a page loaded before its title's bytes are known: a title
// typed into the input box (255 characters at most) even when every character becomes a
// character reference. A longer title still goes in, only with more bytes moved.
constexpr std::size_t kTypedTitleRoom = 2048;

// Loads the page at `path` with `front` bytes of room for the title and puts the title
// that `encodeTitle` makes for the page's declared encoding in place in `buffer`,
// raising the errors of a page that cannot take a title. With `old`, the page's title
// before the change goes there.
void RetitleLoaded(const std::string& path, const TitleEncoder& encodeTitle, std::size_t front,
                   PageBuffer* buffer, std::string* old = nullptr) {
    PageBytes bytes = LoadPageFile(path, front, true);
    const std::string title = encodeTitle(DeclaredEncoding(bytes.view()));
    if (old != nullptr) {
        *old = TitleOfPageBytes(bytes.view(), LeadBytes::ForSystem());
    }
    switch (RetitlePage(std::move(bytes), title, LeadBytes::ForSystem(), buffer)) {
    case RetitleStatus::kDone:
        return;
    case RetitleStatus::kHoldsNul:
        // The text ends before the first NUL, so saving it would cut the file there: a
        // UTF-16 page or a binary file would be destroyed.
        throw TitleEngineError("Cannot write a title into " + path + ": the file holds a NUL byte");
    case RetitleStatus::kNoEndOfTitle:
        break;
    }
    throw TitleEngineError("Cannot find the end of the title in " + path);
}

TitleEncoder Fixed(const std::string& title) {
    return [&title](std::string_view) { return title; };
}

} // namespace

std::string ReadTitle(const std::string& path) {
    return WithinCapacity([&] {
        const PageBytes bytes = LoadPageFile(path);
        return TitleOfPageBytes(bytes.view(), LeadBytes::ForSystem());
    });
}

PageTitle ReadPageTitle(const std::string& path) {
    return WithinCapacity([&] {
        const PageBytes bytes = LoadPageFile(path);
        return PageTitle{TitleOfPageBytes(bytes.view(), LeadBytes::ForSystem()),
                         DeclaredEncoding(bytes.view())};
    });
}

void WriteTitle(const std::string& path, const std::string& title) {
    WithinCapacity([&] {
        PageBuffer buffer;
        RetitleLoaded(path, Fixed(title), RoomInFrontFor(title), &buffer);
        SavePageFile(path, buffer.text(), !buffer.modified());
    });
}

void WriteTitle(const std::string& path, const TitleEncoder& encodeTitle) {
    WithinCapacity([&] {
        PageBuffer buffer;
        RetitleLoaded(path, encodeTitle, kTypedTitleRoom + kLargestInsertion, &buffer);
        SavePageFile(path, buffer.text(), !buffer.modified());
    });
}

std::string PreviewWriteTitle(const std::string& path, const TitleEncoder& encodeTitle) {
    return WithinCapacity([&] {
        PageBuffer buffer;
        std::string old;
        RetitleLoaded(path, encodeTitle, kTypedTitleRoom + kLargestInsertion, &buffer, &old);
        CheckPageFileSavable(path);
        return old;
    });
}

} // namespace titora
