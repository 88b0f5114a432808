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

class PageHeadTest : public testing::Test {
protected:
    test::ScratchFolder folder;
    std::string path = folder / "page.html";

    // Reads the page's head, counting the reads it takes.
    PageHead Read(unsigned long* reads) {
        const PageFile page(path, PageFile::Purpose::kReading);
        *reads = 0;
        platform::SetCallHook([&](const char* call) { *reads += std::string(call) == "Read"; });
        PageHead head = ReadPageHead(page, LeadBytes::ForCodePage(0));
        platform::SetCallHook({});
        return head;
    }
};

TEST_F(PageHeadTest, StopsAtTheTitleAndKeepsTheHead) {
    const std::string start = "<html><head><title>Big</title>";
    test::WriteBytes(path, start + std::string(3 << 20, 'x'));
    unsigned long reads = 0;
    const PageHead head = Read(&reads);
    EXPECT_EQ(head.title, "Big");
    EXPECT_EQ(reads, 1u);
    ASSERT_GE(head.bytes.size(), kHeadSize);
    EXPECT_EQ(head.bytes.substr(0, start.size()), start);
}

TEST_F(PageHeadTest, ReadsOnWhereTheTitleIsFarOrUnclosed) {
    const std::string far = std::string(5 << 20, ' ') + "<title>far</title>";
    test::WriteBytes(path, far);
    unsigned long reads = 0;
    EXPECT_EQ(Read(&reads).title, "far");
    EXPECT_GT(reads, 1u);
    test::WriteBytes(path, "<title>" + std::string(2 << 20, 't'));
    const PageHead head = Read(&reads);
    EXPECT_EQ(head.title, std::string(2 << 20, 't'));
    test::WriteBytes(path, "short");
    EXPECT_EQ(Read(&reads).bytes, "short");
}

} // namespace
} // namespace titora
