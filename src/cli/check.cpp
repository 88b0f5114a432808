#include "check.h"

#include "escape.h"
#include "pages.h"
#include "sarif.h"

#include <algorithm>
#include <array>

namespace titora::cli {
namespace {

void Write(std::FILE* file, const std::string& text) {
    std::fwrite(text.data(), 1, text.size(), file);
}

// How many of a thing, its name made plural where there are several.
std::string Counted(std::size_t count, const char* one, const char* many) {
    return std::to_string(count) + " " + (count == 1 ? one : many);
}

// "281 pages, 85 findings: 55 missing, 15 duplicate, 15 too-long": the rules in their
// order, those without findings left out.
std::string Summary(std::size_t pages, const std::vector<TitleFinding>& findings) {
    std::array<std::size_t, kTitleRuleCount> counts{};
    for (const TitleFinding& finding : findings)
        ++counts[static_cast<std::size_t>(finding.rule)];
    std::string text =
        Counted(pages, "page", "pages") + ", " + Counted(findings.size(), "finding", "findings");
    const char* separator = ": ";
    for (std::size_t i = 0; i < kTitleRuleCount; ++i) {
        if (counts[i] == 0)
            continue;
        text += separator + std::to_string(counts[i]) + " ";
        text += TitleRuleName(static_cast<TitleRule>(i));
        separator = ", ";
    }
    return text;
}

void AppendLine(std::string& out, const TitleChecker& checker, const TitleFinding& finding) {
    AppendPathField(out, checker.Name(finding.page));
    out += '\t';
    out += TitleRuleName(finding.rule);
    out += '\t';
    // A detail names pages, by their paths.
    AppendPathField(out, finding.detail);
    out += '\n';
}

void AppendJson(std::string& out, const TitleChecker& checker,
                const std::vector<TitleFinding>& findings) {
    out += '[';
    for (std::size_t i = 0; i < findings.size(); ++i) {
        const TitleFinding& finding = findings[i];
        out += i == 0 ? "\n{\"path\":" : ",\n{\"path\":";
        AppendJsonString(out, checker.Name(finding.page));
        out += ",\"rule\":\"";
        out += TitleRuleName(finding.rule);
        out += "\",\"detail\":";
        AppendJsonString(out, finding.detail);
        out += ",\"title\":";
        const std::optional<std::string> title = checker.ReportedTitle(finding.page);
        if (title)
            AppendJsonString(out, *title);
        else
            out += "null";
        out += '}';
    }
    out += findings.empty() ? "]\n" : "\n]\n";
}

} // namespace

bool Check(const CommandLine& line, const PageSource& pages, std::FILE* out,
           const std::function<void(const std::string& text)>& say) {
    TitleChecker checker(line.checks);
    pages([&](const std::string& path) { checker.Add(path, ReadCheckedPage(path)); });
    std::vector<TitleFinding> findings = checker.Findings();
    // Pages come in the order named or walked; the report goes by path, a page's findings
    // staying in the order of the rules.
    std::stable_sort(findings.begin(), findings.end(),
                     [&](const TitleFinding& a, const TitleFinding& b) {
                         return checker.Name(a.page) < checker.Name(b.page);
                     });
    std::string text;
    if (line.sarif) {
        AppendSarifLog(text, checker, findings);
    } else if (line.json) {
        AppendJson(text, checker, findings);
    } else {
        for (const TitleFinding& finding : findings)
            AppendLine(text, checker, finding);
    }
    Write(out, text);
    say(Summary(checker.PageCount(), findings));
    return !findings.empty();
}

} // namespace titora::cli
