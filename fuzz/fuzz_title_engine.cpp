// Fuzzes the engine's text functions on bytes: line-break normalisation, the tag
// search, finding title elements as a browser does, reading a title (whole, and block by
// block) and putting one in place, and finding the declared encoding.
//
// An input is: one byte choosing the code page, one byte giving the length of the
// title, the title, then the page's bytes.
#include "declared_encoding.h"
#include "encoding_labels.h"
#include "line_breaks.h"
#include "page_buffer.h"
#include "page_head.h"
#include "page_text.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>

namespace {

using namespace titora;

void Check(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "property broken: %s\n", what);
        std::abort();
    }
}

std::string WithoutBreaks(std::string_view text) {
    std::string out;
    for (char c : text) {
        if (c != '\r' && c != '\n') {
            out += c;
        }
    }
    return out;
}

// The plain search: a lower-cased copy of the text, letters only.
std::size_t NaiveFind(std::string_view text, std::string_view tag, std::size_t from) {
    std::string lower(text);
    for (char& c : lower) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c + ('a' - 'A'));
        }
    }
    return lower.find(tag, from);
}

void CheckSearch(std::string_view text) {
    for (std::string_view tag : {kTitleTag, kTitleEndTag, kHeadTag, kHtmlTag}) {
        Check(FindTag(text, tag) == NaiveFind(text, tag, 0), "tag search");
        Check(FindTag(text, tag, 3) == NaiveFind(text, tag, 3), "tag search from an offset");
    }
}

void CheckNormalised(std::string_view bytes, const std::string& text, const LeadBytes& lead) {
    Check(WithoutBreaks(text) == WithoutBreaks(bytes), "normalising changes only breaks");
    if (lead.any()) {
        return;
    }
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r') {
            Check(i + 1 < text.size() && text[i + 1] == '\n', "every CR is followed by LF");
        }
        if (text[i] == '\n') {
            Check(i > 0 && text[i - 1] == '\r', "every LF follows a CR");
        }
    }
    Check(NormaliseLineBreaks(text, lead) == text, "normalising twice changes nothing");
}

// The declared encoding is found in the first bytes alone, does not change once found
// as more bytes come (`cut` is where the earlier bytes end) unless an XML declaration
// gave way to a <meta>, and is one of the standard's encodings as a prescan gives them.
void CheckDeclaration(std::string_view bytes, std::size_t cut) {
    const std::string name = DeclaredEncoding(bytes);
    Check(name == DeclaredEncoding(bytes.substr(0, kPrescanLength)),
          "the prescan reads only its first bytes");
    const std::string early = DeclaredEncoding(bytes.substr(0, cut));
    Check(early.empty() || early == name || bytes.substr(0, 5) == "<?xml",
          "a declaration found stays found");
    if (name.empty()) {
        return;
    }
    Check(IsEncodingName(name) && name != "x-user-defined", "an encoding of the standard");
    if (name.rfind("UTF-16", 0) == 0) {
        Check(bytes[0] == '\xFF' || bytes[0] == '\xFE' || bytes[0] == '\0' || bytes[1] == '\0',
              "UTF-16 only from the first bytes");
    }
}

// Where the first title end tag in `title` begins: "</title" in any case followed by
// white space, "/" or ">"; npos if none.
std::size_t EndTagIn(const std::string& title) {
    for (std::size_t at = 0; (at = NaiveFind(title, "</title", at)) != std::string::npos; ++at) {
        if (at + 7 < title.size() &&
            std::string_view(" \t\n\f\r/>").find(title[at + 7]) != std::string_view::npos) {
            return at;
        }
    }
    return std::string::npos;
}

// Whether `written` is `text` with `insertion` put in at some place.
bool IsInsertion(const std::string& text, const std::string& written,
                 const std::string& insertion) {
    if (written.size() != text.size() + insertion.size()) {
        return false;
    }
    std::size_t same = 0;
    while (same < text.size() && written[same] == text[same]) {
        ++same;
    }
    for (std::size_t at = 0; at <= same; ++at) {
        if (written.compare(at, insertion.size(), insertion) == 0 &&
            written.compare(at + insertion.size(), std::string::npos, text, at) == 0) {
            return true;
        }
    }
    return false;
}

// Whether putting `title` into page text `text` gave `written`: the title element's text
// replaced, or a title element (in a head element or not) inserted.
bool AsExpected(const std::string& text, const std::string& title, const std::string& written) {
    if (const auto span = FindTitle(text)) {
        return written == text.substr(0, span->begin) + title + text.substr(span->end);
    }
    const std::string element = "<title>" + title + "</title>";
    return IsInsertion(text, written, element) ||
           IsInsertion(text, written, "<head>" + element + "</head>");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) {
        return 0;
    }
    static const unsigned kCodePages[] = {0, 65001, 932, 936, 949, 950};
    const LeadBytes lead = LeadBytes::ForCodePage(kCodePages[data[0] % 6]);
    const std::size_t titleLength = std::min<std::size_t>(data[1], size - 2);
    const char* chars = reinterpret_cast<const char*>(data + 2);
    // What goes into the page of a title holding a NUL is the part before it.
    const std::string given(chars, titleLength);
    const std::string title = given.substr(0, given.find('\0'));
    const std::string bytes(chars + titleLength, size - 2 - titleLength);

    CheckDeclaration(bytes, titleLength * 5);

    PageBuffer buffer;
    const bool noNul = buffer.load(bytes, lead);
    const std::string text(buffer.text());
    Check(noNul == (bytes.find('\0') == std::string::npos), "a NUL byte is reported");
    Check(buffer.modified() == (text != bytes), "a change on loading is reported");
    // Taking over the bytes in place, with any room around them, gives the same text.
    const std::size_t front = bytes.size() % 7;
    PageBytes page(front, bytes.size(),
                   front + bytes.size() + (titleLength % 3) * bytes.size() / 4);
    std::copy(bytes.begin(), bytes.end(), page.data());
    PageBuffer adopted;
    Check(adopted.adopt(std::move(page), lead) == noNul, "adopting reports a NUL byte");
    Check(adopted.text() == text && adopted.modified() == buffer.modified(),
          "adopting gives the loaded text");
    CheckNormalised(bytes.substr(0, bytes.find('\0')), text, lead);
    CheckSearch(text);
    Check(TitleOfPageBytes(bytes, lead) == TitleOfText(text), "reading gives the loaded title");
    const auto elements = FindTitleElements(text);
    const auto first = FindTitle(text);
    Check(elements.empty() == !first, "the first title element is the title");
    if (first) {
        Check(elements.front().begin == first->begin && elements.front().end == first->end &&
                  elements.front().closed == first->closed,
              "the first title element is the title");
        for (std::size_t i = 0; i + 1 < elements.size(); ++i) {
            Check(elements[i].closed && elements[i].end < elements[i + 1].begin,
                  "title elements follow each other");
        }
    }
    // Reading block by block, stopping once the title is known, gives the same title.
    const std::size_t block = 1 + titleLength % 23;
    TitleScanner scanner;
    for (std::size_t at = 0;
         at < bytes.size() && !scanner.feed(std::string_view(bytes).substr(at, block));
         at += block) {
    }
    Check(scanner.title(lead) == TitleOfText(text), "reading in blocks gives the loaded title");

    PageBuffer retitled;
    const RetitleStatus status = RetitlePageBytes(bytes, given, lead, &retitled);
    if (bytes.find('\0') != std::string::npos) {
        Check(status == RetitleStatus::kHoldsNul, "a NUL byte is refused");
        return 0;
    }
    if (first && !first->closed) {
        Check(status == RetitleStatus::kNoEndOfTitle, "an unclosed title is refused");
        return 0;
    }
    Check(status == RetitleStatus::kDone, "a page is retitled");
    const std::string written(retitled.text());
    Check(retitled.modified() == (written != bytes), "an unchanged page is known as such");
    Check(AsExpected(text, title, written), "outside the title only breaks change");
    // Keeping the line breaks gives the same page where the bytes hold none to change.
    std::string kept;
    Check(RetitleKeepingLineBreaks(bytes, given, &kept) == RetitleStatus::kDone,
          "a page is retitled keeping its line breaks");
    Check(bytes != text || kept == written, "keeping line breaks that are CR LF changes nothing");

    // Read back: the title as loaded, up to an end tag it may itself hold.
    const std::string loadedTitle = NormaliseLineBreaks(title, lead);
    const std::string readBack = TitleOfPageBytes(written, lead);
    Check(readBack == loadedTitle.substr(0, EndTagIn(loadedTitle)), "a written title reads back");
    Check(FindTag(readBack, kTitleEndTag) == std::string::npos,
          "a title read back holds no end tag");
    if (loadedTitle.find_first_of("\r\n") == std::string::npos) {
        Check(readBack.find_first_of("\r\n") == std::string::npos, "a one-line title stays one");
    }
    return 0;
}
