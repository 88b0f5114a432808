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
        const PageBytes bytes = LoadPageFile(path);
        std::string text;
        switch (RetitlePageBytes(bytes.view(), title, LeadBytes::ForSystem(), &text)) {
        case RetitleStatus::kHoldsNul:
            throw TitleEngineError("Cannot write a title into " + path +
                                   ": the file holds a NUL byte");
        case RetitleStatus::kNoEndOfTitle:
            throw TitleEngineError("Cannot find the end of the title in " + path);
        case RetitleStatus::kDone:
            break;
        }
        SavePageFile(path, bytes.view(), text);
    });
}

} // namespace titora
