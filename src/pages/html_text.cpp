#include "html_text.h"

namespace titora {
namespace {

bool IsHtmlSpace(QChar c) {
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\f' || c == u'\r';
}

struct NamedReference {
    const char16_t* name;
    char32_t character;
};

// The references every page uses; the rest of the standard's names are still to come.
constexpr NamedReference kNamedReferences[] = {
    {u"amp", U'&'},  {u"lt", U'<'},    {u"gt", U'>'},
    {u"quot", U'"'}, {u"apos", U'\''}, {u"nbsp", U'\u00A0'},
};

// The character of the reference starting at `text[at]` ("&"), and its length; 0 when
// none starts there.
std::pair<char32_t, qsizetype> ReferenceAt(QStringView text, qsizetype at) {
    const qsizetype semicolon = text.indexOf(u';', at + 1);
    if (semicolon < 0 || semicolon - at > 40) {
        return {0, 0};
    }
    const QStringView body = text.mid(at + 1, semicolon - at - 1);
    if (body.startsWith(u'#')) {
        const bool hex = body.size() > 1 && (body[1] == u'x' || body[1] == u'X');
        bool ok = false;
        const uint value = body.mid(hex ? 2 : 1).toUInt(&ok, hex ? 16 : 10);
        if (!ok) {
            return {0, 0};
        }
        const bool invalid = value == 0 || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF);
        return {invalid ? U'\uFFFD' : char32_t(value), semicolon - at + 1};
    }
    for (const NamedReference& reference : kNamedReferences) {
        if (body == QStringView(reference.name)) {
            return {reference.character, semicolon - at + 1};
        }
    }
    return {0, 0};
}

} // namespace

QString DecodeCharacterReferences(QStringView text) {
    QString decoded;
    decoded.reserve(text.size());
    for (qsizetype i = 0; i < text.size();) {
        if (text[i] == u'&') {
            const auto [character, length] = ReferenceAt(text, i);
            if (length > 0) {
                decoded.append(QString::fromUcs4(&character, 1));
                i += length;
                continue;
            }
        }
        decoded.append(text[i++]);
    }
    return decoded;
}

QString CollapseWhiteSpace(QStringView text) {
    QString collapsed;
    collapsed.reserve(text.size());
    bool space = false;
    for (const QChar c : text) {
        if (IsHtmlSpace(c)) {
            space = !collapsed.isEmpty();
            continue;
        }
        if (space) {
            collapsed.append(u' ');
            space = false;
        }
        collapsed.append(c);
    }
    return collapsed;
}

} // namespace titora
