// A page's title is listed as the bytes it is, and written as the window writes it: the
// typed title, text in the locale's encoding, is encoded for each page in the encoding
// that page declares.
#include "pages.h"

#include "shown_title.h"
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

} // namespace

ListedPage ReadListedPage(const std::string& path) {
    PageTitle page = ReadPageTitle(path);
    ListedPage listed{page.title, page.title, std::nullopt};
    if (page.declaredEncoding.empty())
        return listed;
    const QString writtenIn = TitleEncodingName(page.declaredEncoding);
    if (!writtenIn.isEmpty() && writtenIn != QLatin1String("UTF-8"))
        listed.text = DecodeTitle(page.title, page.declaredEncoding).toStdString();
    listed.encoding = std::move(page.declaredEncoding);
    return listed;
}

PageTitles ReadCheckedPage(const std::string& path) {
    return ExamineTitles(ReadTitleElements(path), ShownTitle);
}

std::string PreviewPageTitle(const std::string& path, const std::string& title) {
    return PreviewWriteTitle(path, EncoderFor(title));
}

void WritePageTitle(const std::string& path, const std::string& title) {
    WriteTitle(path, EncoderFor(title));
}

} // namespace titora::cli
