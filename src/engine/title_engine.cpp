#include "title_engine.h"

#include "careful_save.h"
#include "journal.h"
#include "line_breaks.h"
#include "page_file.h"
#include "page_head.h"
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

// The start of the page at `path` up to its title, after a save of it cut short has
// been finished.
PageHead ReadHeadOf(const std::string& path) {
    PageFile page(path, PageFile::Purpose::kReading);
    RecoverInterruptedSave(page);
    return ReadPageHead(page, LeadBytes::ForSystem());
}

} // namespace

std::string ReadTitle(const std::string& path) {
    return WithinCapacity([&] { return ReadHeadOf(path).title; });
}

void WriteTitle(const std::string& path, const std::string& title) {
    WithinCapacity([&] {
        PageFile page(path, PageFile::Purpose::kWriting);
        RecoverInterruptedSave(page);
        const unsigned codePage = platform::SystemCodePage();
        PageBuffer buffer;
        const RetitleStatus status = RetitlePage(ReadPage(page, RoomInFrontFor(title), true), title,
                                                 LeadBytes::ForCodePage(codePage), &buffer);
        switch (status) {
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
        SaveRequest request;
        request.text = buffer.text();
        request.unchanged = !buffer.modified();
        request.title = title;
        request.codePage = codePage;
        SavePage(page, request);
    });
}

RecoveryReport RecoverInterruptedSaves() {
    return RecoverAllJournals();
}

} // namespace titora
