// The shared model of a retitle: templates, find and replace, the action and warnings of
// each page, table-driven on pages made in memory.
#include "retitle_model.h"

#include <gtest/gtest.h>

namespace titora {
namespace {

RetitlePage Page(const std::string& name, const std::string& title, bool hasTitle = true,
                 const std::string& heading = "") {
    RetitlePage page;
    page.folder = "/srv/www/shop/";
    page.name = name;
    page.outline.title = title;
    page.outline.hasTitle = hasTitle;
    page.outline.heading = heading;
    page.outline.place = hasTitle ? 0 : 1;
    return page;
}

RetitleRule Template(const char* text) {
    return {RetitleRule::Kind::kTemplate, QString::fromUtf8(text), {}, false, false};
}

RetitleRule Replace(const char* find, const char* by, bool regex = false, bool ignoreCase = false) {
    return {RetitleRule::Kind::kReplace, QString::fromUtf8(find), QString::fromUtf8(by), regex,
            ignoreCase};
}

struct Case {
    const char* what;
    RetitleRule rule;
    RetitlePage page;
    const char* newTitle;
    RetitleAction action;
};

TEST(RetitleModel, RulesMakeEachPagesTitle) {
    const Case cases[] = {
        {"placeholders", Template("{name} in {folder} #{n}: {title}"), Page("a.b.html", "Old"),
         "a.b in shop #1: Old", RetitleAction::kReplace},
        {"literal braces", Template("{{n}} }}"), Page("a.html", "Old"), "{n} }",
         RetitleAction::kReplace},
        {"heading as shown", Template("{h1}"),
         Page("a.html", "Old", true, "\n  Caf&#233; <b>&amp;</b>\r\n bar "), "Café & bar",
         RetitleAction::kReplace},
        {"no heading, no title", Template("[{h1}{title}]"), Page("a.html", "", false), "[]",
         RetitleAction::kInsertTitle},
        {"same title", Template("{title}"), Page("a.html", "Same"), "Same",
         RetitleAction::kUnchanged},
        {"text", Replace("shop", "Store"), Page("a.html", "shop, Shop"), "Store, Shop",
         RetitleAction::kReplace},
        {"ignoring case", Replace("SHOP", "Store", false, true), Page("a.html", "shop, Shop"),
         "Store, Store", RetitleAction::kReplace},
        {"no match", Replace("x", "y"), Page("a.html", "Shop"), "Shop", RetitleAction::kUnchanged},
        {"untitled page", Replace("x", "y"), Page("a.html", "", false), "",
         RetitleAction::kUnchanged},
        {"groups", Replace("(\\w+) - (\\w+)", "\\2 | \\1", true), Page("a.html", "Home - Shop"),
         "Shop | Home", RetitleAction::kReplace},
        {"regex without match", Replace("^x", "y", true), Page("a.html", "Shop"), "Shop",
         RetitleAction::kUnchanged},
    };
    for (const Case& c : cases) {
        const std::vector<PagePlan> plans = PlanRetitle({c.page}, CompiledRule(c.rule));
        EXPECT_EQ(plans[0].newTitle, QString::fromUtf8(c.newTitle)) << c.what;
        EXPECT_EQ(plans[0].action, c.action) << c.what;
    }
}

TEST(RetitleModel, BadRulesAreErrorsBeforeAnythingIsWritten) {
    for (const RetitleRule& rule : {Template("{page}"), Template("{name"), Template("a } b"),
                                    Replace("(", "x", true), Replace("", "x")}) {
        EXPECT_THROW(CompiledRule{rule}, RetitleRuleError) << rule.text.toStdString();
    }
    try {
        CompiledRule{Template("{name} {Title}")};
        FAIL();
    } catch (const RetitleRuleError& e) {
        EXPECT_EQ(std::string(e.what()).rfind("Unknown placeholder {Title}", 0), 0u);
    }
}

TEST(RetitleModel, ActionsAndWarnings) {
    std::vector<RetitlePage> pages = {Page("a.html", "A"), Page("b.html", "B"),
                                      Page("c.html", "", false), Page("d.html", "D"),
                                      Page("e.html", "E")};
    pages[2].outline.place = 3;
    pages[3].outline.refusal = "Cannot create file /srv/www/shop/d.html";
    pages[4].readError = "Cannot open file /srv/www/shop/e.html";
    const std::vector<PagePlan> plans = PlanRetitle(pages, CompiledRule(Template("Shop")));
    EXPECT_EQ(ActionText(plans[0]), "replace the title");
    EXPECT_EQ(ActionText(plans[2]), "insert at the start");
    EXPECT_EQ(plans[2].oldTitle, "UnTitled");
    EXPECT_EQ(ActionText(plans[3]), "refused: the file may not be written");
    EXPECT_EQ(plans[3].message, "Cannot create file /srv/www/shop/d.html");
    EXPECT_EQ(plans[4].action, RetitleAction::kRefused);
    EXPECT_EQ(WarningsText(plans[0].warnings), "duplicate title");
    EXPECT_EQ(plans[3].warnings, kNoWarning);
    EXPECT_EQ(TrialSummaryText(plans), "3 to write, 0 unchanged, 2 refused");

    const std::vector<PagePlan> empty =
        PlanRetitle({Page("a.html", "A")}, CompiledRule(Template("")));
    EXPECT_EQ(WarningsText(empty[0].warnings), "empty title");
    const std::vector<PagePlan> long_ =
        PlanRetitle({Page("a.html", "A")}, CompiledRule(Template(std::string(61, 'x').c_str())));
    EXPECT_EQ(WarningsText(long_[0].warnings), "over 60 characters");
    // Sixty characters, one of them outside the BMP, is not too long.
    const std::vector<PagePlan> sixty =
        PlanRetitle({Page("a.html", "A")},
                    CompiledRule(Template((std::string(59, 'x') + "\U0001F600").c_str())));
    EXPECT_EQ(sixty[0].warnings, kNoWarning);
}

TEST(RetitleModel, WritesOnlyWhatChangesAndCountsEveryPage) {
    std::vector<RetitlePage> pages = {Page("a.html", "A"), Page("b.html", "Shop"),
                                      Page("c.html", "C"), Page("d.html", "D"),
                                      Page("e.html", "E")};
    pages[2].outline.refusal = "Cannot create file /srv/www/shop/c.html";
    const std::vector<PagePlan> plans = PlanRetitle(pages, CompiledRule(Template("Shop")));
    std::vector<std::string> written;
    Progress progress;
    TitleEngine engine;
    engine.WriteTitle = [&](const std::string& path, const TitleEncoder& encode,
                            const WriteOptions& options) {
        EXPECT_TRUE(options.keepLineBreaks);
        if (path.find("d.html") != std::string::npos) {
            progress.RequestStop(); // the page in hand is finished, the next not begun
            throw TitleEngineError("Stream write error");
        }
        written.push_back(path + " " + encode(""));
    };
    const RetitleSummary summary =
        WritePlans(pages, plans, engine, WriteOptions{true, nullptr}, &progress);
    EXPECT_EQ(written, std::vector<std::string>{"/srv/www/shop/a.html Shop"});
    EXPECT_EQ(SummaryText(summary), "1 written, 1 unchanged, 2 failed");
    EXPECT_EQ(summary.failures, (std::vector<std::string>{"Cannot create file /srv/www/shop/c.html",
                                                          "Stream write error"}));
    EXPECT_EQ(summary.notReached, 1u);
}

} // namespace
} // namespace titora
