#include "page_buffer.h"

#include <cstdint>
#include <cstring>
#include <new>
#include <utility>

namespace titora {
namespace {

// The bytes up to the first NUL; `*heldNul` tells whether there was one. Cutting
// first gives the same text as normalising first: a CR or a lead byte just before
// the NUL ends up the same either way.
std::string_view CutAtNul(std::string_view bytes, bool* heldNul) {
    const std::size_t length = TextLength(bytes);
    *heldNul = length != bytes.size();
    return bytes.substr(0, length);
}

std::size_t Sum(std::size_t a, std::size_t b) {
    if (a > SIZE_MAX - b) {
        throw std::bad_alloc();
    }
    return a + b;
}

} // namespace

std::size_t TextLength(std::string_view bytes) {
    if (bytes.empty()) {
        return 0;
    }
    const void* nul = std::memchr(bytes.data(), '\0', bytes.size());
    return nul == nullptr ? bytes.size()
                          : static_cast<std::size_t>(static_cast<const char*>(nul) - bytes.data());
}

PageBytes::PageBytes(std::size_t front, std::size_t size, std::size_t capacity)
    : data_(new char[capacity == 0 ? 1 : capacity]), front_(front), size_(size),
      capacity_(capacity == 0 ? 1 : capacity) {}

void PageBytes::reserve(std::size_t room) {
    if (this->room() >= room) {
        return;
    }
    const std::size_t capacity = Sum(Sum(front_, size_), room);
    std::unique_ptr<char[]> grown(new char[capacity]);
    std::memcpy(grown.get(), data_.get(), front_ + size_);
    data_ = std::move(grown);
    capacity_ = capacity;
}

void PageBuffer::reset(std::unique_ptr<char[]> data, std::size_t capacity, std::size_t begin,
                       std::size_t size, bool modified) {
    data_ = std::move(data);
    capacity_ = capacity;
    begin_ = begin;
    size_ = size;
    start_ = 0;
    end_ = 0;
    modified_ = modified;
}

bool PageBuffer::load(std::string_view bytes, const LeadBytes& lead, std::size_t spare) {
    bool heldNul = false;
    const std::string_view kept = CutAtNul(bytes, &heldNul);
    const std::size_t size = NormalisedSize(kept, lead);
    const std::size_t capacity = Sum(Sum(spare, size), 1);
    std::unique_ptr<char[]> data(new char[capacity]);
    NormaliseInto(data.get() + spare, kept, lead);
    reset(std::move(data), capacity, spare, size, heldNul || size != kept.size());
    return !heldNul;
}

bool PageBuffer::adopt(PageBytes bytes, const LeadBytes& lead) {
    if (lead.any()) {
        return load(bytes.view(), lead, bytes.front_);
    }
    // One sweep finds both the NUL that ends the text and the size it grows to.
    std::size_t kept = 0;
    const std::size_t size = NormalisedSizeBeforeNul(bytes.view(), &kept);
    const bool heldNul = kept != bytes.size_;
    if (bytes.capacity_ - bytes.front_ < size) {
        load(bytes.view().substr(0, kept), lead, bytes.front_);
        modified_ = modified_ || heldNul;
        return !heldNul;
    }
    NormaliseInPlace(bytes.data(), kept, size);
    reset(std::move(bytes.data_), bytes.capacity_, bytes.front_, size, heldNul || size != kept);
    return !heldNul;
}

std::size_t PageBuffer::clampEnd(std::ptrdiff_t end) const {
    if (end < 0 || static_cast<std::size_t>(end) > size_) {
        return size_;
    }
    return static_cast<std::size_t>(end);
}

void PageBuffer::select(std::ptrdiff_t start, std::ptrdiff_t length) {
    start_ = clampEnd(start);
    // A sum outside the range of offsets is beyond the text as well; tested without
    // overflow so that any pair of numbers is a valid request.
    const bool outside = (length > 0 && start > PTRDIFF_MAX - length) ||
                         (length < 0 && start < PTRDIFF_MIN - length);
    end_ = outside ? size_ : clampEnd(start + length);
    if (start_ > end_) {
        std::swap(start_, end_);
    }
}

std::string PageBuffer::selectedText() const {
    return std::string(text().substr(start_, end_ - start_));
}

void PageBuffer::replaceSelection(std::string_view replacement) {
    const std::size_t removed = end_ - start_;
    if (replacement != text().substr(start_, removed)) {
        modified_ = true;
    }
    char* base = data_.get();
    const std::size_t tail = size_ - end_;
    if (replacement.size() <= removed || replacement.size() - removed <= begin_) {
        if (start_ <= tail) {
            // Fewer bytes before the selection than after it: move those, within the
            // room in front.
            const std::size_t newBegin = begin_ + removed - replacement.size();
            std::memmove(base + newBegin, base + begin_, start_);
            begin_ = newBegin;
            size_ = size_ - removed + replacement.size();
            if (!replacement.empty()) {
                std::memcpy(base + begin_ + start_, replacement.data(), replacement.size());
            }
            start_ += replacement.size();
            end_ = start_;
            return;
        }
    }
    const std::size_t newSize = Sum(size_ - removed, replacement.size());
    if (Sum(begin_, newSize) > capacity_) {
        // No room behind the text: a new block, with the same room in front.
        const std::size_t capacity = Sum(Sum(begin_, newSize), newSize / 2);
        std::unique_ptr<char[]> grown(new char[capacity]);
        std::memcpy(grown.get() + begin_, base + begin_, start_);
        std::memcpy(grown.get() + begin_ + start_ + replacement.size(), base + begin_ + end_, tail);
        data_ = std::move(grown);
        capacity_ = capacity;
        base = data_.get();
    } else {
        std::memmove(base + begin_ + start_ + replacement.size(), base + begin_ + end_, tail);
    }
    if (!replacement.empty()) {
        std::memcpy(base + begin_ + start_, replacement.data(), replacement.size());
    }
    size_ = newSize;
    start_ += replacement.size();
    end_ = start_;
}

} // namespace titora
