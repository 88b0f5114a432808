#include "page_head.h"

#include "page_text.h"
#include "title_engine.h"

#include <algorithm>
#include <memory>

namespace titora {
namespace {

// Most titles stand in a page's first few hundred bytes: the first block is small, so
// that listing many pages reads little of each, and the later ones grow, so that a
// long way to the title takes few reads.
constexpr std::size_t kFirstBlock = 4096;
constexpr std::size_t kLargestBlock = 1024 * 1024;
static_assert(kFirstBlock >= kHeadSize, "the first block holds the head");

} // namespace

bool TitleScanner::feed(std::string_view block) {
    if (done_) {
        return true;
    }
    // The text ends at the first NUL.
    const std::size_t length = TextLength(block);
    const std::string_view text = block.substr(0, length);
    std::size_t at = 0;
    if (!opened_) {
        opened_ = scan_.scan(text, &at) == TitleScan::Event::kTitleOpened;
    }
    if (opened_) {
        const std::size_t from = at;
        const TitleScan::Event event = scan_.scan(text, &at);
        kept_.append(text.substr(from, at - from));
        if (event == TitleScan::Event::kTitleClosed) {
            // What was kept runs past the start of the end tag: the title ends there.
            kept_.resize(scan_.titleEnd() - scan_.titleBegin());
            done_ = true;
        }
    }
    done_ = done_ || length != block.size();
    return done_;
}

std::string TitleScanner::title(const LeadBytes& lead) const {
    if (!opened_) {
        return std::string(kUntitled);
    }
    // The title begins after a ">", which is never part of a double-byte character
    // here, so it normalises alone as it would within the whole text.
    return NormaliseLineBreaks(kept_, lead);
}

PageHead ReadPageHead(const PageFile& page, const LeadBytes& lead) {
    PageHead head;
    TitleScanner scanner;
    // The first read asks no more than the page holds, so that a short page takes one
    // read; should it have grown, the reads go on to its end.
    std::size_t size =
        page.info().size == 0
            ? kFirstBlock
            : static_cast<std::size_t>(std::min<std::uint64_t>(kFirstBlock, page.info().size));
    char first[kFirstBlock];
    std::unique_ptr<char[]> later;
    char* block = first;
    std::uint64_t offset = 0;
    for (bool done = false; !done;) {
        std::size_t got = 0;
        if (!platform::Read(page.file(), offset, block, size, &got)) {
            throw TitleEngineError("Cannot open file " + page.path(), platform::LastErrorText());
        }
        if (offset == 0) {
            head.bytes.assign(block, got);
        }
        offset += got;
        // A read that brings fewer bytes than asked for has met the end of the file.
        done = scanner.feed(std::string_view(block, got)) || got < size;
        if (!done && block == first) {
            later.reset(new char[kLargestBlock]);
            block = later.get();
        }
        size = std::min(size * 16, kLargestBlock);
    }
    head.title = scanner.title(lead);
    head.found = scanner.found();
    return head;
}

} // namespace titora
