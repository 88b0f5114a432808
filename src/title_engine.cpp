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
        // Room in front for the largest insertion, so that putting the title in place
        // moves only the text before it; room behind for the line breaks to grow.
        PageBuffer buffer;
        const bool noNul = buffer.adopt(LoadPageFile(path, title.size() + kLargestInsertion, true),
                                        LeadBytes::ForSystem());
        // The text ends before the first NUL, so saving it would cut the file there: a
        // UTF-16 page or a binary file would be destroyed.
        if (!noNul) {
            throw TitleEngineError("Cannot write a title into " + path +
                                   ": the file holds a NUL byte");
        }
        if (!PutTitle(buffer, title)) {
            throw TitleEngineError("Cannot find the end of the title in " + path);
        }
        SavePageFile(path, buffer.text(), !buffer.modified());
    });
}

} // namespace titora
