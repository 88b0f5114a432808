#include "page_buffer.h"

#include <cstdint>
#include <cstring>
#include <utility>

namespace titora {

void PageBuffer::load(std::string_view bytes, const LeadBytes& lead, std::size_t spare) {
    // Cutting at the NUL first gives the same text as normalising first: a CR or a
    // lead byte just before the NUL ends up the same either way.
    if (!bytes.empty()) {
        if (const void* nul = std::memchr(bytes.data(), '\0', bytes.size())) {
            bytes = bytes.substr(
                0, static_cast<std::size_t>(static_cast<const char*>(nul) - bytes.data()));
        }
    }
    text_ = NormaliseLineBreaks(bytes, lead, spare);
    start_ = 0;
    end_ = 0;
}

std::size_t PageBuffer::clampEnd(std::ptrdiff_t end) const {
    if (end < 0 || static_cast<std::size_t>(end) > text_.size()) {
        return text_.size();
    }
    return static_cast<std::size_t>(end);
}

void PageBuffer::select(std::ptrdiff_t start, std::ptrdiff_t length) {
    start_ = clampEnd(start);
    // A sum outside the range of offsets is beyond the text as well; tested without
    // overflow so that any pair of numbers is a valid request.
    const bool outside = (length > 0 && start > PTRDIFF_MAX - length) ||
                         (length < 0 && start < PTRDIFF_MIN - length);
    end_ = outside ? text_.size() : clampEnd(start + length);
    if (start_ > end_) {
        std::swap(start_, end_);
    }
}

std::string PageBuffer::selectedText() const {
    return text_.substr(start_, end_ - start_);
}

void PageBuffer::replaceSelection(std::string_view replacement) {
    text_.replace(start_, end_ - start_, replacement.data(), replacement.size());
    start_ += replacement.size();
    end_ = start_;
}

std::string PageBuffer::release() {
    std::string text = std::move(text_);
    text_.clear();
    start_ = 0;
    end_ = 0;
    return text;
}

} // namespace titora
