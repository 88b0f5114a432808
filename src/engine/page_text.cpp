#include "page_text.h"

#include "title_scan.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace titora {
namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
constexpr std::string_view kDoctype = "<!doctype";

// Whether `text` holds `word` (lower case) at `at`, ASCII letters compared without case.
bool MatchesAt(std::string_view text, std::size_t at, std::string_view word) {
    if (text.size() - at < word.size()) {
        return false;
    }
    for (std::size_t i = 0; i < word.size(); ++i) {
        const char c = text[at + i];
        const char w = word[i];
        if (c != w && !(w >= 'a' && w <= 'z' && c == w - ('a' - 'A'))) {
            return false;
        }
    }
    return true;
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f';
}

// A title element holding `title`, within a head element when `withHead`.
std::string TitleElement(std::string_view title, bool withHead) {
    std::string element;
    element.reserve(kLargestInsertion + title.size());
    if (withHead) {
        element.append(kHeadTag);
    }
    element.append(kTitleTag).append(title).append(kTitleEndTag);
    if (withHead) {
        element.append(kHeadEndTag);
    }
    return element;
}

} // namespace

std::size_t FindTag(std::string_view text, std::string_view tag, std::size_t from) {
    // Every tag begins with "<", which has no case: memchr finds the candidates.
    const char* const data = text.data();
    while (from < text.size()) {
        const void* hit = std::memchr(data + from, '<', text.size() - from);
        if (hit == nullptr) {
            return std::string_view::npos;
        }
        const std::size_t at = static_cast<std::size_t>(static_cast<const char*>(hit) - data);
        if (MatchesAt(text, at, tag)) {
            return at;
        }
        from = at + 1;
    }
    return std::string_view::npos;
}

std::optional<TitleSpan> FindTitle(std::string_view text) {
    TitleScan scan;
    std::size_t at = 0;
    if (scan.scan(text, &at) != TitleScan::Event::kTitleOpened) {
        return std::nullopt;
    }
    if (scan.scan(text, &at) != TitleScan::Event::kTitleClosed) {
        return TitleSpan{scan.titleBegin(), text.size(), false};
    }
    return TitleSpan{scan.titleBegin(), scan.titleEnd(), true};
}

std::vector<TitleSpan> FindTitleElements(std::string_view text) {
    std::vector<TitleSpan> titles;
    TitleScan scan;
    std::size_t at = 0;
    for (;;) {
        const TitleScan::Event event = scan.scan(text, &at);
        if (event == TitleScan::Event::kTitleClosed) {
            titles.push_back(TitleSpan{scan.titleBegin(), scan.titleEnd(), true});
            continue;
        }
        if (event == TitleScan::Event::kNone) {
            break;
        }
    }
    if (scan.inTitle()) {
        titles.push_back(TitleSpan{scan.titleBegin(), text.size(), false});
    }
    return titles;
}

std::string TitleOfText(std::string_view text) {
    const std::optional<TitleSpan> span = FindTitle(text);
    if (!span) {
        return std::string(kUntitled);
    }
    return std::string(text.substr(span->begin, span->end - span->begin));
}

std::string TitleOfPageBytes(std::string_view bytes, const LeadBytes& lead) {
    // Normalising only inserts CR and LF bytes next to CR and LF bytes, and the scan takes
    // both alike wherever it meets them (as white space, or as any other byte), so it
    // finds the same title element in the bytes as in the text. The title
    // begins after a ">", which is never part of a double-byte character here, so it
    // normalises alone as it would within the whole text. The text ends at the first
    // NUL: only the bytes up to the end of the title need to be free of one.
    const std::optional<TitleSpan> span = FindTitle(bytes);
    if (!span || TextLength(bytes.substr(0, span->begin)) != span->begin) {
        return std::string(kUntitled);
    }
    std::string_view title = bytes.substr(span->begin, span->end - span->begin);
    title = title.substr(0, TextLength(title));
    return NormaliseLineBreaks(title, lead);
}

NarrowedUtf16 NarrowUtf16(std::string_view bytes, bool bigEndian) {
    const std::string_view mark = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    NarrowedUtf16 narrowed{{}, bytes.substr(0, 2) == mark ? 2u : 0u};
    narrowed.text.reserve((bytes.size() - narrowed.start) / 2);
    for (std::size_t at = narrowed.start; at + 1 < bytes.size(); at += 2) {
        const auto high = static_cast<unsigned char>(bytes[bigEndian ? at : at + 1]);
        const auto low = static_cast<unsigned char>(bytes[bigEndian ? at + 1 : at]);
        narrowed.text += high == 0 && low < 0x80 ? static_cast<char>(low) : '\x80';
    }
    return narrowed;
}

std::size_t HeadInsertionOffset(std::string_view text) {
    const std::size_t start = MatchesAt(text, 0, kByteOrderMark) ? kByteOrderMark.size() : 0;
    std::size_t at = start;
    while (at < text.size() && IsBlank(text[at])) {
        ++at;
    }
    if (!MatchesAt(text, at, kDoctype)) {
        return start;
    }
    const std::size_t end = text.find('>', at + kDoctype.size());
    return end == std::string_view::npos ? start : end + 1;
}

bool PlanTitleEdit(std::string_view text, std::string_view title, TitleEdit* edit) {
    // A title ends at a NUL, as the edit control that first held page texts took it: a
    // NUL written into the page would end its text there for every later reading and
    // make the page one that WriteTitle refuses.
    title = title.substr(0, title.find('\0'));
    TitleScan scan;
    std::size_t at = 0;
    if (scan.scan(text, &at) == TitleScan::Event::kTitleOpened) {
        // A title without its end would have the rest of the page taken as title and
        // replaced: refuse rather than lose the document.
        if (scan.scan(text, &at) != TitleScan::Event::kTitleClosed) {
            return false;
        }
        *edit = TitleEdit{TitlePlace::kReplace, scan.titleBegin(),
                          scan.titleEnd() - scan.titleBegin(), std::string(title)};
        return true;
    }
    // The whole text has been read: the head and html start tags, if any, are known.
    if (scan.headEnd() != TitleScan::npos) {
        *edit = TitleEdit{TitlePlace::kAfterHead, scan.headEnd(), 0, TitleElement(title, false)};
        return true;
    }
    if (scan.htmlEnd() != TitleScan::npos) {
        *edit = TitleEdit{TitlePlace::kAfterHtml, scan.htmlEnd(), 0, TitleElement(title, true)};
        return true;
    }
    *edit =
        TitleEdit{TitlePlace::kAtStart, HeadInsertionOffset(text), 0, TitleElement(title, true)};
    return true;
}

bool PutTitle(PageBuffer& buffer, std::string_view title) {
    TitleEdit edit;
    if (!PlanTitleEdit(buffer.text(), title, &edit)) {
        return false;
    }
    buffer.select(static_cast<std::ptrdiff_t>(edit.at), static_cast<std::ptrdiff_t>(edit.length));
    buffer.replaceSelection(edit.insertion);
    return true;
}

RetitleStatus RetitleKeepingLineBreaks(std::string_view bytes, std::string_view title,
                                       std::string* out) {
    if (TextLength(bytes) != bytes.size()) {
        return RetitleStatus::kHoldsNul;
    }
    TitleEdit edit;
    if (!PlanTitleEdit(bytes, title, &edit)) {
        return RetitleStatus::kNoEndOfTitle;
    }
    out->clear();
    out->reserve(bytes.size() - edit.length + edit.insertion.size());
    out->append(bytes.substr(0, edit.at)).append(edit.insertion);
    out->append(bytes.substr(edit.at + edit.length));
    return RetitleStatus::kDone;
}

std::string_view FirstHeadingText(std::string_view text, std::size_t limit) {
    constexpr std::string_view kHeading = "<h1";
    constexpr std::string_view kHeadingEnd = "</h1";
    for (std::size_t at = FindTag(text, kHeading); at != std::string_view::npos;
         at = FindTag(text, kHeading, at + 1)) {
        const std::size_t after = at + kHeading.size();
        if (after >= text.size() ||
            (text[after] != '>' && text[after] != '/' && !IsBlank(text[after]))) {
            continue; // "<h10>" or "<h1x>" is another element
        }
        const std::size_t close = text.find('>', after);
        if (close == std::string_view::npos) {
            return {};
        }
        const std::size_t begin = close + 1;
        const std::size_t end = FindTag(text, kHeadingEnd, begin);
        const std::size_t stop = end == std::string_view::npos ? text.size() : end;
        return text.substr(begin, std::min(stop - begin, limit));
    }
    return {};
}

std::size_t RoomInFrontFor(std::string_view title) {
    return title.size() + kLargestInsertion;
}

RetitleStatus RetitlePage(PageBytes bytes, std::string_view title, const LeadBytes& lead,
                          PageBuffer* buffer) {
    if (!buffer->adopt(std::move(bytes), lead)) {
        return RetitleStatus::kHoldsNul;
    }
    return PutTitle(*buffer, title) ? RetitleStatus::kDone : RetitleStatus::kNoEndOfTitle;
}

RetitleStatus RetitlePageBytes(std::string_view bytes, std::string_view title,
                               const LeadBytes& lead, PageBuffer* buffer) {
    const std::size_t front = RoomInFrontFor(title);
    PageBytes page(front, bytes.size(), front + bytes.size() + PageBytes::RoomToGrow(bytes.size()));
    if (!bytes.empty()) {
        std::memcpy(page.data(), bytes.data(), bytes.size());
    }
    return RetitlePage(std::move(page), title, lead, buffer);
}

} // namespace titora
