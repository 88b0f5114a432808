// The rule of a retitle: one title for every page, a title per page made from a template,
// or a find and replace within each page's title. Qt Core only: the window and titora-cli
// both hand it their user's text.
#pragma once

#include <cstddef>
#include <optional>
#include <QRegularExpression>
#include <QString>
#include <stdexcept>
#include <vector>

namespace titora {

// A rule that cannot be applied: what() is the text to show, in UTF-8, for example
// "Unknown placeholder {page}".
class RetitleRuleError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// What a template or a find and replace may take from one page.
struct PageValues {
    QString title;     // the page's title as the list shows it; empty where it has none
    QString name;      // the file name without its extension
    QString h1;        // the text of the first h1 element, as a browser shows it
    QString folder;    // the name of the page's folder
    std::size_t n = 0; // the page's 1-based place among the pages being retitled
};

// A template such as "{name} | Our shop": {title}, {name}, {h1}, {folder} and {n} are
// replaced by the page's values, "{{" and "}}" stand for single braces, and every other
// character stands for itself.
class TitleTemplate {
public:
    // Throws RetitleRuleError for an unknown placeholder or a brace standing alone.
    //
    //   TitleTemplate("{name} | Shop").Expand(values)  // -> "index | Shop"
    explicit TitleTemplate(const QString& text);

    QString Expand(const PageValues& values) const;
    // Whether {h1} appears: the only value that needs more of a page than its title.
    bool UsesHeading() const { return usesHeading_; }

private:
    enum class Part { kText, kTitle, kName, kHeading, kFolder, kNumber };
    std::vector<std::pair<Part, QString>> parts_;
    bool usesHeading_ = false;
};

struct RetitleRule {
    // kKeep leaves every title as it is: the rule of a dialog whose field is still empty.
    enum class Kind { kKeep, kTitle, kTemplate, kReplace };
    Kind kind = Kind::kTitle;

    QString text;        // the title, the template or the text to find
    QString replacement; // for kReplace
    bool regex = false;  // for kReplace: `text` is a regular expression, "\1" a group
    bool ignoreCase = false;
};

// A rule made ready to apply to many pages.
class CompiledRule {
public:
    // Throws RetitleRuleError for a bad template or regular expression, or an empty text
    // to find.
    explicit CompiledRule(const RetitleRule& rule);

    // The page's new title; nothing where a find and replace does not match its title.
    std::optional<QString> Apply(const PageValues& values) const;
    bool UsesHeading() const { return template_ && template_->UsesHeading(); }

private:
    RetitleRule rule_;
    std::optional<TitleTemplate> template_;
    QRegularExpression expression_;
};

} // namespace titora
