#include "title_scan.h"

#include <algorithm>
#include <cstring>
#include <iterator>

namespace titora {
namespace {

// What a start tag read outside a drawing does to the scan.
enum class Kind { kOther, kTitle, kRawText, kPlaintext, kForeign, kHead, kHtml };

struct KnownTag {
    std::string_view name; // a constant, which the scan may keep
    Kind kind;
};

// Whether `name` is `word`. The length is a constant, so the comparison compiles to a few
// loads: every tag of every page a check reads is looked up here.
template <std::size_t N> bool Is(std::string_view name, const char (&word)[N]) {
    return name.size() == N - 1 && std::memcmp(name.data(), word, N - 1) == 0;
}

// The tag names that matter to the scan outside a drawing, found by their length first:
// most tags of a page have a name of one or two letters and match none.
KnownTag Classify(std::string_view name) {
    switch (name.size()) {
    case 3:
        if (Is(name, "xmp")) {
            return {"xmp", Kind::kRawText};
        }
        if (Is(name, "svg")) {
            return {"svg", Kind::kForeign};
        }
        break;
    case 4:
        if (Is(name, "math")) {
            return {"math", Kind::kForeign};
        }
        if (Is(name, "head")) {
            return {"head", Kind::kHead};
        }
        if (Is(name, "html")) {
            return {"html", Kind::kHtml};
        }
        break;
    case 5:
        if (Is(name, "title")) {
            return {"title", Kind::kTitle};
        }
        if (Is(name, "style")) {
            return {"style", Kind::kRawText};
        }
        break;
    case 6:
        if (Is(name, "script")) {
            return {"script", Kind::kRawText};
        }
        if (Is(name, "iframe")) {
            return {"iframe", Kind::kRawText};
        }
        break;
    case 7:
        if (Is(name, "noembed")) {
            return {"noembed", Kind::kRawText};
        }
        break;
    case 8:
        if (Is(name, "textarea")) {
            return {"textarea", Kind::kRawText};
        }
        if (Is(name, "noframes")) {
            return {"noframes", Kind::kRawText};
        }
        break;
    case 9:
        if (Is(name, "plaintext")) {
            return {"plaintext", Kind::kPlaintext};
        }
        break;
    default:
        break;
    }
    return {{}, Kind::kOther};
}

// The start tags that end an <svg> or <math> element in a browser: the HTML elements
// that cannot stand in a drawing.
constexpr std::string_view kLeavesDrawing[] = {
    "b",      "big",  "blockquote", "body",  "br",   "center", "code",    "dd",   "div",
    "dl",     "dt",   "em",         "embed", "h1",   "h2",     "h3",      "h4",   "h5",
    "h6",     "head", "hr",         "i",     "img",  "li",     "listing", "menu", "meta",
    "nobr",   "ol",   "p",          "pre",   "ruby", "s",      "small",   "span", "strong",
    "strike", "sub",  "sup",        "table", "tt",   "u",      "ul",      "var"};

bool IsOneOf(std::string_view name, const std::string_view* first, const std::string_view* last) {
    for (; first != last; ++first) {
        if (name == *first) {
            return true;
        }
    }
    return false;
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\f' || c == '\r';
}

bool IsLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

// Whether `c` ends a tag's name: white space, "/" or ">".
bool EndsName(char c) {
    return static_cast<unsigned char>(c) <= ' ' ? IsBlank(c) : c == '/' || c == '>';
}

char Lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c + ('a' - 'A')) : c;
}

bool LeavesDrawing(std::string_view name) {
    return IsOneOf(name, std::begin(kLeavesDrawing), std::end(kLeavesDrawing));
}

// The offset of the first `c` in `block` at or after `from`, or the block's size.
std::size_t Next(std::string_view block, std::size_t from, char c) {
    const void* hit = std::memchr(block.data() + from, c, block.size() - from);
    return hit == nullptr ? block.size()
                          : static_cast<std::size_t>(static_cast<const char*>(hit) - block.data());
}

} // namespace

TitleScan::Event TitleScan::scan(std::string_view block, std::size_t* at) {
    const std::size_t base = offset_ - *at;
    std::size_t i = *at;
    Event event = Event::kNone;
    while (i < block.size() && event == Event::kNone) {
        // Long runs in which only one byte can matter are skipped by memchr.
        std::size_t skipTo = i;
        switch (state_) {
        case State::kData:
            event = readText(block, &i, base);
            continue;
        case State::kRawText:
            skipTo = Next(block, i, '<');
            break;
        case State::kInTag:
        case State::kBogus:
            skipTo = Next(block, i, '>');
            if (skipTo > i && skipTo < block.size()) {
                beforeClose_ = block[skipTo - 1];
            } else if (skipTo == block.size()) {
                beforeClose_ = block.back();
            }
            break;
        case State::kPlaintext:
            skipTo = block.size();
            break;
        default:
            break;
        }
        if (skipTo == block.size()) {
            i = block.size();
            break;
        }
        i = skipTo;
        event = step(block[i], base + i);
        ++i;
    }
    offset_ = base + i;
    *at = i;
    return event;
}

TitleScan::Event TitleScan::readText(std::string_view block, std::size_t* i, std::size_t base) {
    while (state_ == State::kData) {
        const std::size_t open = Next(block, *i, '<');
        if (open == block.size()) {
            *i = open;
            return Event::kNone;
        }
        const std::size_t nameEnd = readTagName(block, open);
        if (nameEnd == npos) {
            // As step() reads "<" in the page's text.
            state_ = State::kTagOpen;
            *i = open + 1;
            return Event::kNone;
        }
        // Outside a drawing, an end tag or a start tag of no name that matters changes
        // nothing: the text goes on after its ">". Most tags of a page are such.
        if (foreign_.empty() &&
            (endTag_ || nameTooLong_ || Classify(name()).kind == Kind::kOther)) {
            const std::size_t close = block[nameEnd] == '>' ? nameEnd : Next(block, nameEnd, '>');
            if (close < block.size()) {
                state_ = State::kData;
                *i = close + 1;
                continue;
            }
        }
        *i = nameEnd + 1;
        const Event event = step(block[nameEnd], base + nameEnd);
        if (event != Event::kNone) {
            return event;
        }
    }
    return Event::kNone;
}

std::size_t TitleScan::readTagName(std::string_view block, std::size_t open) {
    std::size_t at = open + 1;
    const bool endTag = at < block.size() && block[at] == '/';
    if (endTag) {
        ++at;
    }
    if (at == block.size() || !IsLetter(block[at])) {
        return npos;
    }
    // The name is copied as it is looked through, and only as far as a name can matter.
    std::size_t stop = at;
    const std::size_t copyEnd = std::min(block.size(), at + kLongestName);
    for (; stop < copyEnd && !EndsName(block[stop]); ++stop) {
        name_[stop - at] = Lower(block[stop]);
    }
    const std::size_t copied = stop - at;
    while (stop < block.size() && !EndsName(block[stop])) {
        ++stop;
    }
    if (stop == block.size()) {
        return npos;
    }
    state_ = State::kTagName;
    nameLength_ = copied;
    endTag_ = endTag;
    nameTooLong_ = stop - at > kLongestName;
    return stop;
}

// Reads one byte, at `offset` from the first byte given. A byte that ends what the state
// was reading and begins something else is read again in the new state.
TitleScan::Event TitleScan::step(char c, std::size_t offset) {
    switch (state_) {
    case State::kData:
        if (c == '<') {
            state_ = State::kTagOpen;
        }
        return Event::kNone;
    case State::kTagOpen:
        if (c == '!') {
            state_ = State::kMarkupOpen;
            markupLength_ = 0;
        } else if (c == '/') {
            state_ = State::kEndTagOpen;
        } else if (IsLetter(c)) {
            state_ = State::kTagName;
            endTag_ = false;
            nameTooLong_ = false;
            name_[0] = Lower(c);
            nameLength_ = 1;
        } else if (c == '?') {
            state_ = State::kBogus;
        } else {
            state_ = State::kData;
            return step(c, offset);
        }
        return Event::kNone;
    case State::kEndTagOpen:
        if (IsLetter(c)) {
            state_ = State::kTagName;
            endTag_ = true;
            nameTooLong_ = false;
            name_[0] = Lower(c);
            nameLength_ = 1;
        } else {
            // "</>" is dropped; "</" before anything else opens a declaration.
            state_ = c == '>' ? State::kData : State::kBogus;
        }
        return Event::kNone;
    case State::kTagName:
        if (IsBlank(c) || c == '/' || c == '>') {
            state_ = State::kInTag;
            beforeClose_ = c;
            return c == '>' ? endOfTag(offset + 1) : Event::kNone;
        }
        if (nameLength_ < kLongestName) {
            name_[nameLength_++] = Lower(c);
        } else {
            nameTooLong_ = true;
        }
        return Event::kNone;
    case State::kInTag:
        if (c == '>') {
            return endOfTag(offset + 1);
        }
        beforeClose_ = c;
        return Event::kNone;
    case State::kMarkupOpen: {
        // Only a beginning of "--" or of "[CDATA[" is read on: the seven bytes of the
        // latter are the most ever held.
        markup_[markupLength_++] = c;
        const std::string_view read(markup_, markupLength_);
        if (read == "--") {
            state_ = State::kComment;
            dashes_ = 2;
            ownDashes_ = 0;
            bang_ = false;
        } else if (!foreign_.empty() && read == "[CDATA[") {
            state_ = State::kCdata;
            brackets_ = 0;
        } else if (std::string_view("--").substr(0, read.size()) != read &&
                   (foreign_.empty() ||
                    std::string_view("[CDATA[").substr(0, read.size()) != read)) {
            state_ = State::kBogus;
            return step(c, offset);
        }
        return Event::kNone;
    }
    case State::kComment:
        // "-->" ends a comment, the dashes of "<!--" included ("<!-->"); so does "--!>",
        // but only with two dashes of the comment's own.
        if (c == '>' && (dashes_ >= 2 || bang_)) {
            state_ = State::kData;
        } else if (c == '-') {
            ++dashes_;
            ++ownDashes_;
            bang_ = false;
        } else {
            bang_ = c == '!' && ownDashes_ >= 2 && dashes_ >= 2;
            dashes_ = 0;
            ownDashes_ = 0;
        }
        return Event::kNone;
    case State::kBogus:
        if (c == '>') {
            state_ = State::kData;
        }
        return Event::kNone;
    case State::kCdata:
        if (c == '>' && brackets_ >= 2) {
            state_ = State::kData;
        }
        brackets_ = c == ']' ? brackets_ + 1 : 0;
        return Event::kNone;
    case State::kRawText:
        if (c == '<') {
            state_ = State::kRawEndTag;
            matched_ = 0;
            rawEndTagAt_ = offset;
        }
        return Event::kNone;
    case State::kRawEndTag:
        if (matched_ == 0 ? c == '/'
                          : matched_ <= rawName_.size() && Lower(c) == rawName_[matched_ - 1]) {
            ++matched_;
            return Event::kNone;
        }
        if (matched_ == rawName_.size() + 1 && (IsBlank(c) || c == '/' || c == '>')) {
            const bool title = rawTitle_;
            std::memcpy(name_, rawName_.data(), rawName_.size());
            nameLength_ = rawName_.size();
            endTag_ = true;
            nameTooLong_ = false;
            rawName_ = {};
            rawTitle_ = false;
            state_ = State::kInTag;
            beforeClose_ = c;
            if (title) {
                titleEnd_ = rawEndTagAt_;
            }
            const Event ended = c == '>' ? endOfTag(offset + 1) : Event::kNone;
            return title ? Event::kTitleClosed : ended;
        }
        state_ = State::kRawText;
        return step(c, offset);
    case State::kPlaintext:
        return Event::kNone;
    }
    return Event::kNone;
}

// The ">" of a tag has been read; `after` is the offset just past it.
TitleScan::Event TitleScan::endOfTag(std::size_t after) {
    state_ = State::kData;
    if (nameTooLong_) {
        return Event::kNone;
    }
    const bool selfClosing = beforeClose_ == '/';
    if (!foreign_.empty() && !endTag_ && LeavesDrawing(name())) {
        // The browser closes the drawing and reads the tag as HTML.
        foreign_ = {};
    }
    if (!foreign_.empty()) {
        // Only the elements of the drawing's own name nest; its end tag ends it.
        if (name() == foreign_ && endTag_) {
            --foreignDepth_;
        } else if (name() == foreign_ && !selfClosing) {
            ++foreignDepth_;
        }
        if (foreignDepth_ == 0) {
            foreign_ = {};
        }
        return Event::kNone;
    }
    if (endTag_) {
        return Event::kNone;
    }
    startTag(after);
    return state_ == State::kRawText && rawTitle_ ? Event::kTitleOpened : Event::kNone;
}

void TitleScan::startTag(std::size_t after) {
    const KnownTag tag = Classify(name());
    switch (tag.kind) {
    case Kind::kTitle:
        // HTML ignores "/>" on a title start tag: its text follows all the same.
        state_ = State::kRawText;
        rawName_ = tag.name;
        rawTitle_ = true;
        titleBegin_ = after;
        titleEnd_ = npos;
        break;
    case Kind::kRawText:
        state_ = State::kRawText;
        rawName_ = tag.name;
        rawTitle_ = false;
        break;
    case Kind::kPlaintext:
        state_ = State::kPlaintext;
        break;
    case Kind::kForeign:
        if (beforeClose_ != '/') {
            foreign_ = tag.name;
            foreignDepth_ = 1;
        }
        break;
    case Kind::kHead:
        if (headEnd_ == npos) {
            headEnd_ = after;
        }
        break;
    case Kind::kHtml:
        if (htmlEnd_ == npos) {
            htmlEnd_ = after;
        }
        break;
    case Kind::kOther:
        break;
    }
}

} // namespace titora
