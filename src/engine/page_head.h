// Reading a page's title without reading the whole page: blocks from the start, until
// the title is known.
#pragma once

#include "line_breaks.h"
#include "page_file.h"
#include "title_scan.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace titora {

// Finds the title of a page's bytes given block by block, exactly as TitleOfPageBytes
// finds it in all of them at once: the text of the first title element (see TitleScan),
// ending early at a NUL, "UnTitled" when a NUL or the end comes before any title start
// tag. It keeps only the scan's state and, once the title has begun, the title.
class TitleScanner {
public:
    // Takes the next bytes of the page. True once the title is known: no later byte can
    // change it.
    bool feed(std::string_view block);

    // The title of the bytes given so far, taken as all of the page's bytes, with its
    // line breaks as CR LF.
    std::string title(const LeadBytes& lead) const;

    // Whether the bytes given so far hold a title start tag.
    bool found() const { return opened_; }

private:
    TitleScan scan_;
    bool opened_ = false;
    bool done_ = false;
    std::string kept_;
};

// What reading a page's title took from it.
struct PageHead {
    // The title, as ReadTitle gives it, and whether the page has a title element.
    std::string title;
    bool found = false;
    // The page's first bytes as read: at least its first kHeadSize bytes, all of a
    // shorter page. Whatever else the start of a page tells (a declared character set,
    // say) is found here without a second read.
    std::string bytes;
};

inline constexpr std::size_t kHeadSize = 1024;

// Reads `page` from its start in blocks until its title is known. Throws
// TitleEngineError "Cannot open file %s" when reading fails, std::bad_alloc when an
// unclosed title cannot be held.
PageHead ReadPageHead(const PageFile& page, const LeadBytes& lead);

} // namespace titora
