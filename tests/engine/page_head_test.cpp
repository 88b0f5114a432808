// Reading a title block by block gives what reading the whole page gives, and stops
// once the title is known.
#include "page_head.h"
#include "page_text.h"
#include "platform/platform.h"
#include "test_files.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace titora {
namespace {

using namespace std::string_literals;

std::string ScanInBlocks(std::string_view bytes, std::size_t blockSize, const LeadBytes& lead) {
    TitleScanner scanner;
    for (std::size_t at = 0; at < bytes.size(); at += blockSize) {
        if (scanner.feed(bytes.substr(at, blockSize))) {
            break;
        }
    }
    return scanner.title(lead);
}

TEST(TitleScanner, GivesTheWholePagesTitleForEveryBlockSize) {
    const std::string pages[] = {
        "",
        "no title at all",
        "<html><head><TITLE>Shop</Title></head>",
        "<title>unclosed\nto the end\r",
        "</title>before<title>after",
        "a\0<title>after a NUL</title>"s,
        "<title>cut\0 at a NUL</title>"s,
        "<title>a\r\nb\rc\nd</title>",
        "<titl<title>x<</title</title>",
        "<title>\x82\r\n\x82</title>", // a Shift_JIS lead byte before a CR
        "<!-- <title>no</title> --!><TITLE\nlang=en>yes</title\n>",
        "<script><title>no</title></SCRIPT ><svg><svg/><title>no</title></svg><title>y</title>",
        "<svg><![CDATA[ ]]]> <title>no</title> </svg><title>y</title>",
        "<!---><titles><title/>a</titlex></title/",
    };
    for (const unsigned codePage : {0u, 932u}) {
        const LeadBytes lead = LeadBytes::ForCodePage(codePage);
        for (const std::string& page : pages) {
            const std::string whole = TitleOfPageBytes(page, lead);
            for (std::size_t block = 1; block <= page.size() + 1; ++block) {
                EXPECT_EQ(ScanInBlocks(page, block, lead), whole)
                    << "page \"" << page << "\", blocks of " << block << ", code page " << codePage;
            }
        }
    }
}

// Reading stops once the title is known, and the first bytes read are kept.
TEST(ReadPageHead, ReadsAsFarAsTheTitle) {
    test::ScratchFolder folder;
    const std::string path = folder / "page.html";
    const std::string start = "<html><head><title>Big</title>";
    struct Case {
        std::string bytes;
        std::string title;
        bool oneRead;
    };
    const Case cases[] = {
        {start + std::string(3 << 20, 'x'), "Big", true},
        {std::string(5 << 20, ' ') + "<title>far</title>", "far", false},
        {"<title>" + std::string(2 << 20, 't'), std::string(2 << 20, 't'), false},
        {"short", "UnTitled", false}, // a second read finds the end
    };
    for (const Case& c : cases) {
        test::WriteBytes(path, c.bytes);
        const PageFile page(path, PageFile::Purpose::kReading);
        unsigned long reads = 0;
        platform::SetCallHook([&](const char* call) { reads += std::string(call) == "Read"; });
        const PageHead head = ReadPageHead(page, LeadBytes::ForCodePage(0));
        platform::SetCallHook({});
        EXPECT_EQ(head.title, c.title);
        EXPECT_EQ(reads == 1, c.oneRead) << reads << " reads";
        EXPECT_EQ(head.bytes, c.bytes.substr(0, std::max(kHeadSize, head.bytes.size())));
        EXPECT_GE(head.bytes.size(), std::min(kHeadSize, c.bytes.size()));
    }
}

} // namespace
} // namespace titora
