#include "encoding_labels.h"

#include <algorithm>
#include <iterator>
#include <string>

namespace titora {
namespace {

struct LabelEntry {
    std::string_view label;
    unsigned char encoding; // an index into kEncodingNames
};

#include "encoding_labels_table.inc"

bool IsAsciiWhiteSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\f' || c == '\r';
}

// The longest label of the standard has 19 characters; a longer text names nothing.
constexpr std::size_t kLongestLabel = 32;

} // namespace

std::string_view EncodingForLabel(std::string_view label) {
    while (!label.empty() && IsAsciiWhiteSpace(label.front())) {
        label.remove_prefix(1);
    }
    while (!label.empty() && IsAsciiWhiteSpace(label.back())) {
        label.remove_suffix(1);
    }
    if (label.empty() || label.size() > kLongestLabel) {
        return {};
    }
    std::string lower(label);
    for (char& c : lower) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c + ('a' - 'A'));
        }
    }
    const auto found = std::lower_bound(std::begin(kLabels), std::end(kLabels), lower,
                                        [](const LabelEntry& entry, const std::string& key) {
                                            return entry.label < std::string_view(key);
                                        });
    if (found == std::end(kLabels) || found->label != lower) {
        return {};
    }
    return kEncodingNames[found->encoding];
}

bool IsEncodingName(std::string_view name) {
    return std::find(std::begin(kEncodingNames), std::end(kEncodingNames), name) !=
           std::end(kEncodingNames);
}

} // namespace titora
