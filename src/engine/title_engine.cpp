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

// Puts `title` into the page at `path`, loaded as `bytes`, and saves the page.
void RetitleAndSave(const std::string& path, PageBytes bytes, std::string_view title) {
    PageBuffer buffer;
    switch (RetitlePage(std::move(bytes), title, LeadBytes::ForSystem(), &buffer)) {
    case RetitleStatus::kDone:
        break;
    case RetitleStatus::kHoldsNul:
        // The text ends before the first NUL, so saving it would cut the file there: a
        // UTF-16 page or a binary file would be destroyed.
        throw TitleEngineError("Cannot write a title into " + path + ": the file holds a NUL byte");
    case RetitleStatus::kNoEndOfTitle:
        throw TitleEngineError("Cannot find the end of the title in " + path);
    }
    SavePageFile(path, buffer.text(), !buffer.modified());
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
    WithinCapacity(
        [&] { RetitleAndSave(path, LoadPageFile(path, RoomInFrontFor(title), true), title); });
}

void WriteTitle(const std::string& path, const TitleEncoder& encodeTitle) {
    WithinCapacity([&] {
        PageBytes bytes = LoadPageFile(path, kTypedTitleRoom + kLargestInsertion, true);
        const std::string title = encodeTitle(DeclaredEncoding(bytes.view()));
        RetitleAndSave(path, std::move(bytes), title);
    });
}

} // namespace titora
