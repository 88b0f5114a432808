// ReadTitle and WriteTitle on real files: what they accept, what they refuse, and
// that a refusal leaves the file as it was.
#include "title_engine.h"

#include "declared_encoding.h"

#include "test_files.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string_view>
#include <vector>

#ifndef _WIN32
#include <csignal>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/un.h>
#endif

namespace titora {
namespace {

using namespace std::string_literals;
using test::Failure;
using test::Outcome;
using test::Result;

class TitleEngine : public testing::Test {
protected:
    test::ScratchFolder folder;
    std::string page = folder / "page.html";

    Outcome Read(const std::string& path) {
        return test::Run([&] { return ReadTitle(path); });
    }
    Outcome Write(const std::string& path, const std::string& title) {
        return test::Run([&] {
            WriteTitle(path, title);
            return std::string("written");
        });
    }
    Outcome Preview(const std::string& path, const std::string& title) {
        return test::Run(
            [&] { return PreviewWriteTitle(path, [&](std::string_view) { return title; }); });
    }
};

TEST_F(TitleEngine, WritesThenReadsBack) {
    test::WriteBytes(page, "<html>\n<head>\n<Title>Old</Title>\n</head>\n<body>x</body>");
    EXPECT_EQ(Read(page), Result("Old"));
    EXPECT_EQ(Write(page, "New & \"improved\""), Result("written"));
    EXPECT_EQ(test::ReadBytes(page), "<html>\r\n<head>\r\n<Title>New & \"improved\"</Title>\r\n"
                                     "</head>\r\n<body>x</body>");
    EXPECT_EQ(Read(page), Result("New & \"improved\""));
    EXPECT_EQ(folder.names(), std::set<std::string>{"page.html"});
}

TEST_F(TitleEngine, MissingFileFailsWithThePathAsGiven) {
    for (const std::string& path : {folder / "missing.html", "no/such/dir/page.htm"s, ""s}) {
        EXPECT_EQ(Read(path), Failure("Cannot open file " + path));
        EXPECT_EQ(Write(path, "t"), Failure("Cannot open file " + path));
    }
    EXPECT_EQ(folder.names(), std::set<std::string>{});
}

// Windows' devices, pipes and folders: platform_win32_test.cpp.
#ifndef _WIN32
TEST_F(TitleEngine, OnlyRegularFilesArePages) {
    const std::string fifo = folder / "fifo";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0666), 0);
    const std::string socketPath = folder / "socket";
    const int sock = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    socketPath.copy(address.sun_path, sizeof address.sun_path - 1);
    ASSERT_EQ(::bind(sock, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);

    // In a child with an alarm: a FIFO without a writer must not hold the call.
    for (const std::string& path : {folder.path(), fifo, socketPath, "/dev/null"s}) {
        const auto limited = [] { ::alarm(20); };
        EXPECT_EQ(test::RunInChild([&] { return ReadTitle(path); }, false, limited),
                  Failure("Cannot open file " + path));
        EXPECT_EQ(test::RunInChild(
                      [&] {
                          WriteTitle(path, "t");
                          return std::string("written");
                      },
                      false, limited),
                  Failure("Cannot open file " + path));
    }
    ::close(sock);
}
#endif

TEST_F(TitleEngine, RefusalsLeaveTheFileUntouched) {
    struct Refused {
        std::string bytes;
        std::string message;
    };
    const Refused cases[] = {
        {"<title>a</title>\0tail"s,
         "Cannot write a title into " + page + ": the file holds a NUL byte"},
        {"\xFF\xFE<\0t\0"s, "Cannot write a title into " + page + ": the file holds a NUL byte"},
        {"<head><title>no end\n<body>text", "Cannot find the end of the title in " + page},
    };
    for (const Refused& c : cases) {
        test::WriteBytes(page, c.bytes);
        EXPECT_EQ(Preview(page, "t"), Failure(c.message));
        EXPECT_EQ(Write(page, "t"), Failure(c.message));
        EXPECT_EQ(test::ReadBytes(page), c.bytes);
    }
    EXPECT_EQ(folder.names(), std::set<std::string>{"page.html"});
}

TEST_F(TitleEngine, TitleBytesAreMadeForTheDeclarationBeingRewritten) {
    test::WriteBytes(page, "<meta charset=\"iso-8859-1\">\n<title>Caf\xE9</title>");
    const PageTitle read = ReadPageTitle(page);
    EXPECT_EQ(read.title, "Caf\xE9");
    EXPECT_EQ(read.declaredEncoding, "windows-1252");

    // The page changed since it was read: the encoder is asked about the bytes rewritten.
    test::WriteBytes(page, "<meta charset=Shift_JIS>\n<title>old</title>");
    std::vector<std::string> asked;
    const TitleEncoder encode = [&](std::string_view declared) {
        asked.emplace_back(declared);
        return "[" + std::string(declared) + "]";
    };
    WriteTitle(page, encode);
    EXPECT_EQ(asked, std::vector<std::string>{"Shift_JIS"});
    EXPECT_EQ(test::ReadBytes(page), "<meta charset=Shift_JIS>\r\n<title>[Shift_JIS]</title>");
    // A title longer than the room kept for it goes in all the same.
    WriteTitle(page, [](std::string_view) { return std::string(5000, 'x'); });
    EXPECT_EQ(Read(page), Result(std::string(5000, 'x')));

    // An encoder that fails leaves the page as it was.
    test::WriteBytes(page, "<title>keep</title>");
    EXPECT_THROW(
        WriteTitle(page, [](std::string_view) -> std::string { throw std::logic_error(""); }),
        std::logic_error);
    EXPECT_EQ(test::ReadBytes(page), "<title>keep</title>");
    EXPECT_EQ(folder.names(), std::set<std::string>{"page.html"});
}

// Pages that declare nothing: the encoder hears what the whole page's bytes suggest, the
// reader what the bytes read suggest; UTF-16 titles are found in their code units.
TEST_F(TitleEngine, EncodingsOfUndeclaredAndUtf16Pages) {
    struct Case {
        std::string bytes;
        std::string_view encoding;
    };
    const Case cases[] = {
        {"<title>x</title>", kUndeclaredAscii},
        {"<title>x</title>\xC3\xA9", kUndeclaredUtf8},
        {"<title>x</title>" + std::string(5000, 'y') + "\xE9", kUndeclaredLegacy},
    };
    for (const Case& c : cases) {
        test::WriteBytes(page, c.bytes);
        std::string asked = "none";
        WriteTitle(page, [&](std::string_view encoding) {
            asked = encoding;
            return std::string("x");
        });
        EXPECT_EQ(asked, c.encoding) << c.bytes.substr(0, 20);
    }
    // Listing reads only the start of the page: the late byte is not seen.
    EXPECT_EQ(ReadPageTitle(page).declaredEncoding, kUndeclaredAscii);

    test::WriteBytes(page, "\xFE\xFF\0<\0t\0i\0t\0l\0e\0>\0\xE9\0<\0/\0t\0i\0t\0l\0e\0>"s);
    const PageTitle utf16 = ReadPageTitle(page);
    EXPECT_EQ(utf16.title, "\0\xE9"s);
    EXPECT_EQ(utf16.declaredEncoding, "UTF-16BE");
    EXPECT_EQ(Read(page), Result("UnTitled"));
    test::WriteBytes(page, "<svg><title>drawing</title></svg>");
    EXPECT_FALSE(ReadPageTitle(page).found);
}

// Every title element, as a browser counts them: not those in a comment, a script or an
// <svg>; tags with attributes and line breaks; where each one's text begins.
TEST_F(TitleEngine, TitleElementsAsABrowserCountsThem) {
    test::WriteBytes(page, "<!-- <title>c</title> -->\r\n<TITLE lang=en\n>one</TITLE\n>\n"
                           "<script>'<title>s</title>'</script><svg><title>d</title></svg>\r"
                           "<title>two</title><title>open");
    const PageTitleElements read = ReadTitleElements(page);
    ASSERT_EQ(read.elements.size(), 3u);
    EXPECT_EQ(read.elements[0].text, "one");
    EXPECT_EQ(read.elements[0].line, 3u);
    EXPECT_EQ(read.elements[0].column, 2u);
    EXPECT_EQ(read.elements[1].text, "two");
    EXPECT_EQ(read.elements[1].line, 6u);
    EXPECT_EQ(read.elements[1].column, 8u);
    EXPECT_EQ(read.elements[2].text, "open");
    EXPECT_FALSE(read.elements[2].closed);
    EXPECT_TRUE(read.elements[1].closed);
}

TEST_F(TitleEngine, ReadOnlyFileIsReadButNotWritten) {
    // No write bit for the owner is the read-only attribute: it binds root as well.
    const std::string bytes = "<title>keep</title>\n";
    test::WriteBytes(page, bytes, 0444);
    EXPECT_EQ(Read(page), Result("keep"));
    EXPECT_EQ(Preview(page, "t"), Failure("Cannot create file " + page));
    EXPECT_EQ(Write(page, "t"), Failure("Cannot create file " + page));
    EXPECT_EQ(Write(page, "keep"), Failure("Cannot create file " + page));
    EXPECT_EQ(test::ReadBytes(page), bytes);
    EXPECT_EQ(folder.names(), std::set<std::string>{"page.html"});
}

#ifndef _WIN32 // the modification time as struct stat holds it
TEST_F(TitleEngine, PreviewGivesTheTitleNowAndTouchesNothing) {
    const std::string bytes = "<html>\n<title>line one\nline two</title>";
    test::WriteBytes(page, bytes);
    const struct stat before = test::StatOf(page);
    EXPECT_EQ(Preview(page, "new"), Result("line one\r\nline two"));
    test::WriteBytes(folder / "bare.html", "no tags at all");
    EXPECT_EQ(Preview(folder / "bare.html", "new"), Result("UnTitled"));
    EXPECT_EQ(test::ReadBytes(page), bytes);
    EXPECT_EQ(test::StatOf(page).st_mtim.tv_nsec, before.st_mtim.tv_nsec);
    EXPECT_EQ(folder.names(), (std::set<std::string>{"bare.html", "page.html"}));
}
#endif

TEST_F(TitleEngine, PermissionsThatRootWouldBypass) {
#ifdef _WIN32
    GTEST_SKIP() << "needs a second user account to shut out, which wine does not have";
#else
    if (!test::IsRoot()) {
        GTEST_SKIP() << "needs root to make files another user cannot open";
    }
    const std::string bytes = "<title>root's</title>";
    const std::string unreadable = folder / "unreadable.html";
    test::WriteBytes(page, bytes, 0644);
    test::WriteBytes(unreadable, bytes, 0600);
    const auto read = [](const std::string& path) {
        return test::RunInChild([&] { return ReadTitle(path); }, true);
    };
    const auto write = [](const std::string& path) {
        return test::RunInChild(
            [&] {
                WriteTitle(path, "t");
                return std::string("written");
            },
            true);
    };
    EXPECT_EQ(read(page), Result("root's"));
    EXPECT_EQ(write(page), Failure("Cannot create file " + page));
    EXPECT_EQ(read(unreadable), Failure("Cannot open file " + unreadable));
    EXPECT_EQ(write(unreadable), Failure("Cannot open file " + unreadable));
    EXPECT_EQ(test::ReadBytes(page), bytes);
    EXPECT_EQ(test::ReadBytes(unreadable), bytes);
#endif
}

// Whether a save is needed is the engine's own decision, the same on every system; the
// test reads the file's identity and times through POSIX stat.
#ifndef _WIN32
TEST_F(TitleEngine, SameTextIsNotWrittenAgain) {
    test::WriteBytes(page, "<title>same</title>\r\n");
    const struct stat before = test::StatOf(page);
    ::usleep(20000);
    EXPECT_EQ(Write(page, "same"), Result("written"));
    const struct stat after = test::StatOf(page);
    EXPECT_EQ(after.st_ino, before.st_ino);
    EXPECT_EQ(after.st_mtim.tv_sec, before.st_mtim.tv_sec);
    EXPECT_EQ(after.st_mtim.tv_nsec, before.st_mtim.tv_nsec);
}
#endif

#if defined(__SANITIZE_ADDRESS__)
#define TITORA_UNDER_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define TITORA_UNDER_ASAN 1
#endif
#endif

TEST_F(TitleEngine, TextTooLargeForMemory) {
#if defined(_WIN32)
    GTEST_SKIP() << "needs a process memory limit (POSIX setrlimit in a child process)";
#elif defined(TITORA_UNDER_ASAN)
    GTEST_SKIP() << "AddressSanitizer reports a failed allocation instead of throwing";
#else
    // A sparse file far larger than the address space the child may use, with its
    // title at the start: reading stops there, rewriting needs it all.
    const int fd = ::open(page.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ASSERT_GE(fd, 0);
    const std::string head = "<title>huge</title>";
    const bool sized = ::write(fd, head.data(), head.size()) == static_cast<ssize_t>(head.size()) &&
                       ::ftruncate(fd, off_t{1} << 40) == 0;
    ::close(fd);
    if (!sized) {
        GTEST_SKIP() << "the file system cannot hold a sparse file of 1 TB";
    }
    const auto limitMemory = [] {
        const rlimit limit{rlim_t{1} << 32, rlim_t{1} << 32};
        ::setrlimit(RLIMIT_AS, &limit);
    };
    EXPECT_EQ(test::RunInChild([&] { return ReadTitle(page); }, false, limitMemory),
              Result("huge"));
    EXPECT_EQ(test::RunInChild(
                  [&] {
                      WriteTitle(page, "t");
                      return std::string("written");
                  },
                  false, limitMemory),
              Failure("Text exceeds memo capacity"));
#endif
}

} // namespace
} // namespace titora
