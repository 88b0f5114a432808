// A page's title is listed as text, decoded from the page's encoding and printed in the
// terminal's, and written as the window writes it: the typed title, text in the locale's
// encoding, is encoded for each page in that page's encoding.
#include "pages.h"

#include "declared_encoding.h"
#include "encoding_labels.h"
#include "encodings.h"
#include "retitle_model.h"
#include "shown_title.h"
#include "terminal.h"
#include "text_converter.h"
#include "title_engine.h"
#include "title_text.h"

#include <QString>

namespace titora::cli {
namespace {

TitleEncoder EncoderFor(const std::string& title) {
    return [typed = QString::fromLocal8Bit(title)](std::string_view declaredEncoding) {
        return EncodeTitle(typed, declaredEncoding);
    };
}

// The terminal's encoding, as the locale of the environment names it: a converter for it,
// or none for UTF-8. The C locale's ASCII is taken as UTF-8, as most programs take it now.
TextConverter* TerminalConverter() {
    static const std::unique_ptr<TextConverter> converter = []() -> std::unique_ptr<TextConverter> {
        const std::string codeset = TerminalEncoding();
        if (codeset == "ANSI_X3.4-1968" || codeset == "US-ASCII" || codeset == "ASCII")
            return nullptr;
        const EncodingInfo* encoding = FindEncoding(EncodingForLabel(codeset));
        if (encoding == nullptr || encoding->name == "UTF-8")
            return nullptr;
        return OpenConverter(*encoding);
    }();
    return converter.get();
}

std::string ForTerminal(const QString& text) {
    TextConverter* converter = TerminalConverter();
    return converter == nullptr ? text.toStdString() : converter->encode(text);
}

} // namespace

ListedPage ReadListedPage(const std::string& path) {
    PageTitle page = ReadPageTitle(path);
    ListedPage listed;
    if (page.found && TitleIsReadable(page.declaredEncoding)) {
        const QString text = DecodeTitle(page.title, page.declaredEncoding);
        listed.text = text.toStdString();
        listed.shown = ForTerminal(text);
    } else {
        listed.shown = "UnTitled";
    }
    if (IsDeclared(page.declaredEncoding))
        listed.encoding = std::move(page.declaredEncoding);
    return listed;
}

PageTitles ReadCheckedPage(const std::string& path) {
    return ExamineTitles(ReadTitleElements(path), ShownTitle);
}

std::vector<PlannedPage> PlanPages(const CommandLine& line, const std::vector<std::string>& paths) {
    RetitleRule rule;
    if (line.titleTemplate) {
        rule = {RetitleRule::Kind::kTemplate,
                QString::fromLocal8Bit(*line.titleTemplate),
                {},
                false,
                false};
    } else if (line.find) {
        rule = {RetitleRule::Kind::kReplace, QString::fromLocal8Bit(*line.find),
                QString::fromLocal8Bit(line.replacement), line.regex, line.ignoreCase};
    } else {
        rule.text = QString::fromLocal8Bit(line.title.value_or(std::string()));
    }
    std::optional<CompiledRule> compiled;
    try {
        compiled.emplace(rule);
    } catch (const RetitleRuleError& e) {
        throw UsageError(e.what());
    }
    const std::vector<RetitlePage> pages = ReadRetitlePages(paths);
    const std::vector<PagePlan> plans = PlanRetitle(pages, *compiled);
    std::vector<PlannedPage> planned(pages.size());
    for (std::size_t i = 0; i < pages.size(); ++i) {
        const RetitlePage& page = pages[i];
        const PagePlan& plan = plans[i];
        PlannedPage& out = planned[i];
        out.path = paths[i];
        out.kind = plan.action == RetitleAction::kRefused     ? PlannedPage::Kind::kRefused
                   : plan.action == RetitleAction::kUnchanged ? PlannedPage::Kind::kUnchanged
                                                              : PlannedPage::Kind::kWrite;
        out.action = ActionText(plan).toLocal8Bit().toStdString();
        out.oldTitle = page.outline.hasTitle
                           ? page.outline.title
                           : std::string(page.readError.empty() ? "UnTitled" : "");
        out.newTitle = plan.newTitle.toLocal8Bit().toStdString();
        out.reason = page.readError.empty() ? page.outline.refusal : page.readError;
        out.systemReason = page.readError.empty() ? page.outline.refusalReason : page.readReason;
        out.size = page.outline.size;
    }
    return planned;
}

void WritePlannedPage(const PlannedPage& page, const WriteOptions& options) {
    WriteTitle(page.path, EncoderFor(page.newTitle), options);
}

} // namespace titora::cli
