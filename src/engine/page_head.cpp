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

// The last `count` bytes of `a` followed by `b`, at most.
std::string LastBytes(std::string_view a, std::string_view b, std::size_t count) {
    if (b.size() >= count) {
        return std::string(b.substr(b.size() - count));
    }
    const std::size_t fromA = std::min(a.size(), count - b.size());
    return std::string(a.substr(a.size() - fromA)).append(b);
}

} // namespace

bool TitleScanner::feed(std::string_view block) {
    switch (state_) {
    case State::kBeforeTitle:
        return feedBeforeTitle(block);
    case State::kInTitle:
        return feedTitle(block);
    case State::kUntitled:
    case State::kClosed:
        break;
    }
    return true;
}

bool TitleScanner::feedBeforeTitle(std::string_view block) {
    // kept_ holds the last bytes before this block that may begin "<title>"; none of
    // them is a NUL, or the title would be known.
    const std::size_t straddle = kTitleTag.size() - 1;
    const std::string window = kept_ + std::string(block.substr(0, straddle));
    const std::size_t split = FindTag(window, kTitleTag);
    if (split != std::string::npos && split < kept_.size()) {
        state_ = State::kInTitle;
        const std::size_t begin = split + kTitleTag.size() - kept_.size();
        kept_.clear();
        return feedTitle(block.substr(begin));
    }
    // A NUL before the first "<title>" ends the text before it: no title.
    const std::size_t open = FindTag(block, kTitleTag);
    const std::size_t nul = TextLength(block.substr(0, open));
    if (open != std::string::npos && nul == open) {
        state_ = State::kInTitle;
        kept_.clear();
        return feedTitle(block.substr(open + kTitleTag.size()));
    }
    if (nul != block.size()) {
        state_ = State::kUntitled;
        return true;
    }
    kept_ = LastBytes(kept_, block, straddle);
    return false;
}

bool TitleScanner::feedTitle(std::string_view block) {
    // The title ends at the first "</title>" or at a NUL, whichever comes first.
    const std::size_t straddle = kTitleEndTag.size() - 1;
    const std::size_t tail = std::min(kept_.size(), straddle);
    const std::size_t early = TextLength(block.substr(0, straddle));
    const std::string window =
        kept_.substr(kept_.size() - tail) + std::string(block.substr(0, early));
    const std::size_t split = FindTag(window, kTitleEndTag);
    if (split != std::string::npos && split < tail) {
        kept_.resize(kept_.size() - tail + split);
        state_ = State::kClosed;
        return true;
    }
    const std::size_t end = std::min(FindTag(block, kTitleEndTag), block.size());
    const std::size_t nul = TextLength(block.substr(0, end));
    kept_.append(block.substr(0, nul));
    if (nul != block.size()) {
        state_ = State::kClosed;
        return true;
    }
    return false;
}

std::string TitleScanner::title(const LeadBytes& lead) const {
    if (state_ == State::kBeforeTitle || state_ == State::kUntitled) {
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
    return head;
}

} // namespace titora
