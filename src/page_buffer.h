// The page buffer: one page text and one selection, with the range rules of the
// platform's multi-line edit control that first held page texts.
#pragma once

#include "line_breaks.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace titora {

class PageBuffer {
public:
    // Replaces the whole text by `bytes` taken as page text: up to, not including,
    // the first NUL byte, with every line break as CR LF. The selection becomes empty
    // at the start. Room for `spare` more bytes is kept, so that a replacement that
    // adds no more needs no new allocation. Throws std::bad_alloc when the text cannot
    // be held.
    void load(std::string_view bytes, const LeadBytes& lead, std::size_t spare = 0);

    // The whole text, exactly as held.
    const std::string& text() const { return text_; }

    // The selection becomes [start, start + length), as the edit control takes a
    // range: each end is clamped to the length of the text, an end below 0 counts as
    // beyond the text, and a reversed range is swapped.
    void select(std::ptrdiff_t start, std::ptrdiff_t length);

    std::size_t selectionStart() const { return start_; }
    std::size_t selectionEnd() const { return end_; }

    // The characters of the selection, with their letter case as held.
    std::string selectedText() const;

    // Replaces the selected characters by `replacement`; with an empty selection this
    // inserts it. The selection then becomes empty just after the inserted text.
    void replaceSelection(std::string_view replacement);

    // Hands the text over and leaves the buffer empty.
    std::string release();

private:
    std::size_t clampEnd(std::ptrdiff_t end) const;

    std::string text_;
    std::size_t start_ = 0;
    std::size_t end_ = 0;
};

} // namespace titora
