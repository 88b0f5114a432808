// A page's title is listed as text, decoded from the page's encoding and printed in the
// terminal's, and written as the window writes it: the typed title, text in the locale's
// encoding, is encoded for each page in that page's encoding.
#include "pages.h"

#include "declared_encoding.h"
#include "encoding_labels.h"
#include "encodings.h"
#include "text_converter.h"
#include "title_engine.h"
#include "title_text.h"

#include <clocale>
#include <langinfo.h>
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
        const std::string previous = std::setlocale(LC_CTYPE, nullptr);
        std::string codeset;
        if (std::setlocale(LC_CTYPE, "") != nullptr) {
            codeset = nl_langinfo(CODESET);
            std::setlocale(LC_CTYPE, previous.c_str());
        }
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

std::string PreviewPageTitle(const std::string& path, const std::string& title) {
    return PreviewWriteTitle(path, EncoderFor(title));
}

void WritePageTitle(const std::string& path, const std::string& title) {
    WriteTitle(path, EncoderFor(title));
}

} // namespace titora::cli
