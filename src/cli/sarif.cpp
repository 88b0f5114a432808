#include "sarif.h"

#include "escape.h"

namespace titora::cli {
namespace {

#ifdef _WIN32
constexpr bool kBackslashSeparates = true;
#else
constexpr bool kBackslashSeparates = false;
#endif

bool IsUnreserved(unsigned char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
           c == '.' || c == '_' || c == '~' || c == '/';
}

// The result's message: what is wrong, with the title it is wrong about where there is one,
// since the annotation is read beside the page's text rather than a list of titles.
std::string Message(const TitleChecker& checker, const TitleFinding& finding) {
    std::string text = finding.detail;
    const std::optional<std::string> title = checker.ReportedTitle(finding.page);
    if (title && !title->empty())
        text += ": \"" + *title + "\"";
    return text;
}

void AppendRules(std::string& out) {
    out += "\"rules\":[";
    for (std::size_t i = 0; i < kTitleRuleCount; ++i) {
        const auto rule = static_cast<TitleRule>(i);
        out += i == 0 ? "\n" : ",\n";
        out += "{\"id\":";
        AppendJsonString(out, std::string(TitleRuleName(rule)));
        out += ",\"shortDescription\":{\"text\":";
        AppendJsonString(out, std::string(TitleRuleDescription(rule)));
        out += "},\"defaultConfiguration\":{\"level\":\"warning\"}}";
    }
    out += "]";
}

void AppendResult(std::string& out, const TitleChecker& checker, const TitleFinding& finding) {
    out += "{\"ruleId\":";
    AppendJsonString(out, std::string(TitleRuleName(finding.rule)));
    out += ",\"ruleIndex\":" + std::to_string(static_cast<int>(finding.rule));
    out += ",\"level\":\"warning\",\"message\":{\"text\":";
    AppendJsonString(out, Message(checker, finding));
    out += "},\"locations\":[{\"physicalLocation\":{\"artifactLocation\":{\"uri\":";
    AppendJsonString(out, PathUri(checker.Name(finding.page)));
    // The engine tells the column in bytes; before the title on its line there is markup,
    // ASCII as a rule, where bytes and UTF-16 code units are the same count.
    out += "},\"region\":{\"startLine\":" + std::to_string(finding.place.line) +
           ",\"startColumn\":" + std::to_string(finding.place.column) + "}}}]}";
}

} // namespace

std::string PathUri(const std::string& path) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string uri;
    uri.reserve(path.size());
    for (const char c : path) {
        const auto byte = static_cast<unsigned char>(c);
        if (kBackslashSeparates && c == '\\') {
            uri += '/';
        } else if (IsUnreserved(byte)) {
            uri += c;
        } else {
            uri += '%';
            uri += kHex[byte >> 4];
            uri += kHex[byte & 0xF];
        }
    }
    return uri;
}

void AppendSarifLog(std::string& out, const TitleChecker& checker,
                    const std::vector<TitleFinding>& findings) {
    out += "{\"$schema\":\"https://json.schemastore.org/sarif-2.1.0.json\",\"version\":\"2.1.0\",";
    out += "\"runs\":[{\"tool\":{\"driver\":{\"name\":\"titora-cli\",\"version\":\"" TITORA_VERSION
           "\",";
    AppendRules(out);
    out += "}},\"columnKind\":\"utf16CodeUnits\",\"results\":[";
    for (std::size_t i = 0; i < findings.size(); ++i) {
        out += i == 0 ? "\n" : ",\n";
        AppendResult(out, checker, findings[i]);
    }
    out += "]}]}\n";
}

} // namespace titora::cli
