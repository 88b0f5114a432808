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
    const PageFile page(path, PageFile::Purpose::kReading);
    RecoverInterruptedSave(page);
    return ReadPageHead(page, LeadBytes::ForSystem());
}

} // namespace

std::string ReadTitle(const std::string& path) {
    return WithinCapacity([&] { return ReadHeadOf(path).title; });
}

void WriteTitle(const std::string& path, const std::string& title) {
    WithinCapacity([&] {
        const PageFile page(path, PageFile::Purpose::kWriting);
        RecoverInterruptedSave(page);
        const unsigned codePage = platform::SystemCodePage();
        const LeadBytes lead = LeadBytes::ForCodePage(codePage);
        // A page rewritten in place keeps its bytes as loaded for the save's journal;
        // otherwise the page buffer takes them over and normalises them where they are.
        const bool inPlace = page.writable() && RewritesInPlace(page);
        PageBytes bytes = ReadPage(page, inPlace ? 0 : RoomInFrontFor(title), !inPlace);
        PageBuffer buffer;
        const RetitleStatus status =
            inPlace
                ? Retitle(buffer.load(bytes.view(), lead, RoomInFrontFor(title)), title, &buffer)
                : RetitlePage(std::move(bytes), title, lead, &buffer);
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
        request.old = inPlace ? &bytes : nullptr;
        SavePage(page, request);
    });
}

RecoveryReport RecoverInterruptedSaves() {
    return RecoverAllJournals();
}

} // namespace titora
