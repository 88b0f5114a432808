#include "title_template.h"

namespace titora {
namespace {

[[noreturn]] void Fail(const QString& message) {
    throw RetitleRuleError(message.toStdString());
}

} // namespace

TitleTemplate::TitleTemplate(const QString& text) {
    static const std::pair<QStringView, Part> kPlaceholders[] = {
        {u"title", Part::kTitle},   {u"name", Part::kName}, {u"h1", Part::kHeading},
        {u"folder", Part::kFolder}, {u"n", Part::kNumber},
    };
    QString literal;
    const auto endLiteral = [&] {
        if (!literal.isEmpty()) {
            parts_.emplace_back(Part::kText, std::exchange(literal, QString()));
        }
    };
    for (qsizetype at = 0; at < text.size(); ++at) {
        const QChar c = text.at(at);
        const bool doubled = at + 1 < text.size() && text.at(at + 1) == c;
        if ((c == u'{' || c == u'}') && doubled) {
            literal += c;
            ++at;
            continue;
        }
        if (c == u'}') {
            Fail(QStringLiteral("A \"}\" stands alone: write \"}}\" for a brace"));
        }
        if (c != u'{') {
            literal += c;
            continue;
        }
        const qsizetype close = text.indexOf(u'}', at + 1);
        if (close < 0) {
            Fail(QStringLiteral("A \"{\" is not closed: write \"{{\" for a brace"));
        }
        const QStringView name = QStringView(text).mid(at + 1, close - at - 1);
        const auto known = std::find_if(std::begin(kPlaceholders), std::end(kPlaceholders),
                                        [&](const auto& p) { return p.first == name; });
        if (known == std::end(kPlaceholders)) {
            Fail(QStringLiteral("Unknown placeholder {%1}: use {title}, {name}, {h1}, "
                                "{folder} or {n}")
                     .arg(name));
        }
        endLiteral();
        parts_.emplace_back(known->second, QString());
        usesHeading_ = usesHeading_ || known->second == Part::kHeading;
        at = close;
    }
    endLiteral();
}

QString TitleTemplate::Expand(const PageValues& values) const {
    QString title;
    for (const auto& [part, text] : parts_) {
        switch (part) {
        case Part::kText:
            title += text;
            break;
        case Part::kTitle:
            title += values.title;
            break;
        case Part::kName:
            title += values.name;
            break;
        case Part::kHeading:
            title += values.h1;
            break;
        case Part::kFolder:
            title += values.folder;
            break;
        case Part::kNumber:
            title += QString::number(static_cast<qulonglong>(values.n));
            break;
        }
    }
    return title;
}

CompiledRule::CompiledRule(const RetitleRule& rule) : rule_(rule) {
    switch (rule.kind) {
    case RetitleRule::Kind::kKeep:
    case RetitleRule::Kind::kTitle:
        return;
    case RetitleRule::Kind::kTemplate:
        template_.emplace(rule.text);
        return;
    case RetitleRule::Kind::kReplace:
        break;
    }
    if (rule.text.isEmpty()) {
        Fail(QStringLiteral("Nothing to find"));
    }
    if (!rule.regex) {
        return;
    }
    expression_.setPattern(rule.text);
    if (rule.ignoreCase) {
        expression_.setPatternOptions(QRegularExpression::CaseInsensitiveOption);
    }
    if (!expression_.isValid()) {
        Fail(QStringLiteral("Not a regular expression: %1").arg(expression_.errorString()));
    }
}

std::optional<QString> CompiledRule::Apply(const PageValues& values) const {
    switch (rule_.kind) {
    case RetitleRule::Kind::kKeep:
        return std::nullopt;
    case RetitleRule::Kind::kTitle:
        return rule_.text;
    case RetitleRule::Kind::kTemplate:
        return template_->Expand(values);
    case RetitleRule::Kind::kReplace:
        break;
    }
    QString title = values.title;
    if (rule_.regex) {
        if (!expression_.match(title).hasMatch()) {
            return std::nullopt;
        }
        // Qt puts "\1" to "\99" in the replacement by the groups they name.
        return title.replace(expression_, rule_.replacement);
    }
    const Qt::CaseSensitivity cs = rule_.ignoreCase ? Qt::CaseInsensitive : Qt::CaseSensitive;
    if (!title.contains(rule_.text, cs)) {
        return std::nullopt;
    }
    return title.replace(rule_.text, rule_.replacement, cs);
}

} // namespace titora
