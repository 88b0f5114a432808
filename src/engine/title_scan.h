// Finding a page's title elements as a browser's tokenizer finds them, without building a
// tree: one pass over the bytes, which may come in blocks of any size.
//
// A title start tag is "<title" (any case) followed by white space, "/" or ">" and then
// anything up to the next ">"; its end tag is "</title" followed by the same. A tag of
// any other name runs from "<" up to the next ">" too. Nothing is a title while the scan
// is inside a comment ("<!--" to "-->" or "--!>"), another markup declaration or
// processing instruction ("<!" or "<?" up to ">"), the text of a script, style, textarea,
// xmp, iframe, noembed or noframes element (up to its end tag), the text after
// <plaintext>, or inside an <svg> or <math> element (up to its matching end tag, or up to
// an HTML element such as <p> or <div> that a browser takes out of the drawing; a title
// there belongs to the drawing, not to the page).
#pragma once

#include <cstddef>
#include <string_view>

namespace titora {

class TitleScan {
public:
    enum class Event { kNone, kTitleOpened, kTitleClosed };

    static constexpr std::size_t npos = std::string_view::npos;

    // Reads `block` from `*at` on, as the bytes that follow all bytes read before, and
    // stops just after the byte that opens a title element (the ">" of its start tag) or
    // closes one (the byte after "</title"), saying which, or at the end of the block
    // with kNone. `*at` is moved past what was read. Never fails.
    Event scan(std::string_view block, std::size_t* at);

    // Offsets counted from the first byte ever given. The text of the latest title
    // element begins at titleBegin() and, once it is closed, ends at titleEnd(), the "<"
    // of its end tag.
    std::size_t titleBegin() const { return titleBegin_; }
    std::size_t titleEnd() const { return titleEnd_; }
    // Just after the ">" of the first <head ...> and of the first <html ...> start tag
    // read so far outside the places above, npos while there is none.
    std::size_t headEnd() const { return headEnd_; }
    std::size_t htmlEnd() const { return htmlEnd_; }
    // How many bytes have been read.
    std::size_t offset() const { return offset_; }
    // Whether a title element is open: its text is being read.
    bool inTitle() const {
        return (state_ == State::kRawText || state_ == State::kRawEndTag) && rawTitle_;
    }

private:
    // No tag name that the scan acts on is longer; a longer name is none of them.
    static constexpr std::size_t kLongestName = 10;

    enum class State {
        kData,       // text of the page
        kTagOpen,    // after "<"
        kEndTagOpen, // after "</"
        kTagName,    // in a tag's name
        kInTag,      // after a tag's name, up to ">"
        kMarkupOpen, // after "<!", until it is known what follows
        kComment,    // after "<!--"
        kBogus,      // a declaration or processing instruction, up to ">"
        kCdata,      // "<![CDATA[" inside svg or math, up to "]]>"
        kRawText,    // text of a title, script, style... up to its end tag
        kRawEndTag,  // after "<" in such text, matching "/name"
        kPlaintext,  // everything after <plaintext>
    };

    // Reads the page's text from `*i` on, in kData: skips to each "<" and reads each tag
    // whose name the block holds whole, until the state is another, an event or the end
    // of the block. `*i` is moved past what was read; `base` is the offset of the block.
    Event readText(std::string_view block, std::size_t* i, std::size_t base);
    // Where a tag opened by the "<" at `open` in kData has its name ended, within
    // `block`: reads the name as step() would byte by byte, leaving the byte after it for
    // step(). npos, with nothing read, where there is no name or it runs past the block.
    std::size_t readTagName(std::string_view block, std::size_t open);
    Event step(char c, std::size_t offset);
    Event endOfTag(std::size_t offset);
    void startTag(std::size_t after);
    std::string_view name() const { return {name_, nameLength_}; }

    // Every member is held in the object itself: a scan allocates nothing, whatever it
    // reads, since a check reads every tag of every page.
    State state_ = State::kData;
    std::size_t offset_ = 0;
    // The tag being read: its name in lower case (cut short when it is longer than any
    // name that matters), whether it is an end tag, and the byte before its ">".
    char name_[kLongestName] = {};
    std::size_t nameLength_ = 0;
    bool endTag_ = false;
    bool nameTooLong_ = false;
    char beforeClose_ = 0;
    // Inside <svg> or <math>: which (empty outside), and how deep in elements of that
    // name. Both names are constants of the scan.
    std::string_view foreign_;
    int foreignDepth_ = 0;
    // The element whose text is being read as raw text (a constant of the scan), whether
    // it is a title, and how much of "/name" follows the "<" being matched (at
    // rawEndTagAt_).
    std::string_view rawName_;
    bool rawTitle_ = false;
    std::size_t matched_ = 0;
    std::size_t rawEndTagAt_ = 0;
    // In a comment: the dashes just read (those of "<!--" count), how many of them came
    // after "<!--", and whether "--!" was just read. After "<!": what followed so far,
    // never more than "[CDATA[".
    std::size_t dashes_ = 0;
    std::size_t ownDashes_ = 0;
    bool bang_ = false;
    char markup_[7] = {};
    std::size_t markupLength_ = 0;
    std::size_t brackets_ = 0;

    std::size_t titleBegin_ = npos;
    std::size_t titleEnd_ = npos;
    std::size_t headEnd_ = npos;
    std::size_t htmlEnd_ = npos;
};

} // namespace titora
