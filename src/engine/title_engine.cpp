#include "title_engine.h"

#include "line_breaks.h"
#include "page_file.h"
#include "page_text.h"

#include <new>
#include <stdexcept>

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
        switch (RetitlePage(LoadPageFile(path, RoomInFrontFor(title), true), title,
                            LeadBytes::ForSystem(), &buffer)) {
        case RetitleStatus::kDone:
            break;
        case RetitleStatus::kHoldsNul:
            // The text ends before the first NUL, so saving it would cut the file there: a
            // UTF-16 page or a binary file would be destroyed.
            throw TitleEngineError("Cannot write a title into " + path +
                                   ": the file holds a NUL byte");
        case RetitleStatus::kNoEndOfTitle:
            throw TitleEngineError("Cannot find the end of the title in " + path);
        }
        SavePageFile(path, buffer.text(), !buffer.modified());
    });
}

} // namespace titora
