// What the engine knows of HTML: where a page text's title element, head and html start
// tags are as a browser finds them (see TitleScan), and where a title goes in a page text.
#pragma once

#include "line_breaks.h"
#include "page_buffer.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace titora {

inline constexpr std::string_view kTitleTag = "<title>";
inline constexpr std::string_view kTitleEndTag = "</title>";
inline constexpr std::string_view kHeadTag = "<head>";
inline constexpr std::string_view kHeadEndTag = "</head>";
inline constexpr std::string_view kHtmlTag = "<html>";
inline constexpr std::string_view kUntitled = "UnTitled";
// The length of "<head><title></title></head>", the most that goes in beside a title.
inline constexpr std::size_t kLargestInsertion =
    kHeadTag.size() + kTitleTag.size() + kTitleEndTag.size() + kHeadEndTag.size();

// The offset of the first occurrence of `tag` (given in lower case, beginning with
// "<") at or after `from`, or npos. ASCII letters match without regard to case, which
// is what lower-casing does to these tags in every code page. Searches in place.
std::size_t FindTag(std::string_view text, std::string_view tag, std::size_t from = 0);

// Where the title of a page text lies: from just after the ">" of the first title start
// tag up to the "<" of the first title end tag after it, or to the end of the text when
// none follows (closed is then false). Tags with attributes or white space count
// ("<title lang=en>", "</title\n>"); a title in a comment, a script or an <svg> does not.
struct TitleSpan {
    std::size_t begin;
    std::size_t end;
    bool closed;
};
std::optional<TitleSpan> FindTitle(std::string_view text);

// Every title element of a page text, in order, as a browser counts them: the first is
// FindTitle's; an unclosed one is the last.
std::vector<TitleSpan> FindTitleElements(std::string_view text);

// The title of a page text as ReadTitle gives it: "UnTitled" when there is no title
// element.
std::string TitleOfText(std::string_view text);

// The bytes of a UTF-16 page that `bytes` hold (from their start, a byte-order mark
// included or not), as a narrow text in which every code unit below 0x80 is that byte and
// every other unit the byte 0x80: tags are found in it as in the page. Offset i of the
// text is the unit at bytes offset start + 2 * i.
struct NarrowedUtf16 {
    std::string text;
    std::size_t start;
};
NarrowedUtf16 NarrowUtf16(std::string_view bytes, bool bigEndian);

// The title of a file's bytes, exactly as loading them into a page buffer and taking
// TitleOfText would give, but normalising the line breaks of the title alone: a page
// is read for every file listed, and most of it is never looked at.
std::string TitleOfPageBytes(std::string_view bytes, const LeadBytes& lead);

// Where a new "<head><title>...</title></head>" goes in a text holding no title, head
// or html start tag: at the start, but after a UTF-8 byte-order mark and after a
// "<!DOCTYPE ...>" declaration that opens the text.
std::size_t HeadInsertionOffset(std::string_view text);

// Where a title goes in a page text, as PutTitle puts it there.
enum class TitlePlace {
    kReplace,   // between the tags of the title element, as FindTitle finds it
    kAfterHead, // a title element, right after the first head start tag
    kAfterHtml, // a head element holding one, right after the first html start tag
    kAtStart,   // a head element holding one, at HeadInsertionOffset
};

// One change that puts a title into a text: `length` bytes at `at` become `insertion`.
struct TitleEdit {
    TitlePlace place = TitlePlace::kReplace;
    std::size_t at = 0;
    std::size_t length = 0;
    std::string insertion;
};

// The change that makes `title` the title of `text` (the title ending before a NUL it may
// hold). False when the title element is unclosed.
bool PlanTitleEdit(std::string_view text, std::string_view title, TitleEdit* edit);

// Makes `title` the title of the text in `buffer`: replaces the text between the tags of
// the title element, keeping both tags byte for byte, or inserts a title element after
// the first head start tag, or a head element holding one after the first html start tag
// or at HeadInsertionOffset (tags found as FindTitle finds them). The title ends before a
// NUL it may hold. False, with the buffer unchanged, when the title element is unclosed.
bool PutTitle(PageBuffer& buffer, std::string_view title);

enum class RetitleStatus { kDone, kHoldsNul, kNoEndOfTitle };

// The room to keep in front of a page's bytes for putting `title` in: enough for the
// largest insertion, so that putting the title in place moves only the text before it.
std::size_t RoomInFrontFor(std::string_view title);

// What WriteTitle does between loading and saving: has `buffer` take `bytes` over as
// page text and puts `title` in place. On kDone the buffer holds the text to save.
// `bytes` should have RoomInFrontFor(title) in front and PageBytes::RoomToGrow behind.
RetitleStatus RetitlePage(PageBytes bytes, std::string_view title, const LeadBytes& lead,
                          PageBuffer* buffer);

// What WriteTitle does when it keeps the page's line breaks: `bytes` with `title` put in
// place in `*out`, every other byte as it was.
RetitleStatus RetitleKeepingLineBreaks(std::string_view bytes, std::string_view title,
                                       std::string* out);

// The text inside the first "<h1>" element of `text` (a start tag "<h1" followed by ">",
// "/" or a blank), up to the first "</h1" after it or `limit` bytes, tags within kept.
// Empty when there is none.
std::string_view FirstHeadingText(std::string_view text, std::size_t limit = 4096);

// RetitlePage on a copy of `bytes` given the room WriteTitle gives a loaded file.
RetitleStatus RetitlePageBytes(std::string_view bytes, std::string_view title,
                               const LeadBytes& lead, PageBuffer* buffer);

} // namespace titora
