// The page buffer: one page text and one selection, with the range rules of the
// platform's multi-line edit control that first held page texts.
#pragma once

#include "line_breaks.h"

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

namespace titora {

// A page file's bytes as read, with room before and after them. The memory is not
// cleared when allocated: pages can be large, and clearing would be one more pass
// over every byte. A page buffer can take it over and become the page text in the
// same memory.
class PageBytes {
public:
    // Room to keep behind `size` bytes for their line breaks to become CR LF in
    // place: one break in four bytes, which covers the pages people write. A page
    // with more breaks is normalised into new memory.
    static std::size_t RoomToGrow(std::size_t size) { return size / 4 + 16; }

    // Room for `size` bytes at offset `front`, in `capacity` bytes in all.
    PageBytes(std::size_t front, std::size_t size, std::size_t capacity);

    char* data() { return data_.get() + front_; }
    std::string_view view() const { return {data_.get() + front_, size_}; }
    // Fewer bytes came than there was room for (the file shrank meanwhile).
    void shorten(std::size_t size) { size_ = size; }

    // The room behind the bytes, and its start.
    std::size_t room() const { return capacity_ - front_ - size_; }
    char* end() { return data() + size_; }
    // `count` bytes written into the room behind the bytes now belong to them.
    void extend(std::size_t count) { size_ += count; }
    // Makes the room behind the bytes at least `room` bytes, in new memory if need be.
    // Throws std::bad_alloc.
    void reserve(std::size_t room);

private:
    friend class PageBuffer;
    std::unique_ptr<char[]> data_;
    std::size_t front_;
    std::size_t size_;
    std::size_t capacity_;
};

// The length of the page text that `bytes` hold: the bytes before the first NUL, all of
// them when there is none.
std::size_t TextLength(std::string_view bytes);

class PageBuffer {
public:
    // Replaces the whole text by `bytes` taken as page text: up to, not including,
    // the first NUL byte, with every line break as CR LF. The selection becomes empty
    // at the start. Room for `spare` more bytes is kept before the text, so that
    // replacing a selection near the start by up to that many more bytes moves only
    // what precedes it. Returns false when the bytes held a NUL byte. Throws
    // std::bad_alloc when the text cannot be held.
    bool load(std::string_view bytes, const LeadBytes& lead, std::size_t spare = 0);

    // As load(), but takes over the memory of `bytes` and normalises the text where
    // it stands when the room after it allows (and the code page has no lead bytes);
    // the room in front of the bytes is kept as room for replacements.
    bool adopt(PageBytes bytes, const LeadBytes& lead);

    // The whole text, exactly as held; valid until the buffer changes.
    std::string_view text() const { return {data_.get() + begin_, size_}; }

    // Whether the text differs from the bytes last loaded: a line break was changed,
    // the text was cut at a NUL, or a replacement put in different characters.
    bool modified() const { return modified_; }

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

private:
    std::size_t clampEnd(std::ptrdiff_t end) const;
    void reset(std::unique_ptr<char[]> data, std::size_t capacity, std::size_t begin,
               std::size_t size, bool modified);

    // The text is data_[begin_, begin_ + size_) within capacity_ bytes; what lies
    // before begin_ is room for growing towards the front. A title usually stands near
    // the start of a page: growing there moves a few hundred bytes instead of the
    // whole page behind it.
    std::unique_ptr<char[]> data_{new char[1]};
    std::size_t capacity_ = 1;
    std::size_t begin_ = 0;
    std::size_t size_ = 0;
    std::size_t start_ = 0;
    std::size_t end_ = 0;
    bool modified_ = false;
};

} // namespace titora
