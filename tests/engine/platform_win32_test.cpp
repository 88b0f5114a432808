// What the Windows platform layer adds to the shared engine tests: devices, pipes and
// folders refused without blocking, sharing with other programs, what a replaced page
// keeps, links, a folder the user cannot write, and the system's code page.
#include "line_breaks.h"
#include "platform/platform.h"
#include "test_files.h"
#include "title_engine.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

#include <windows.h>

#include <sddl.h>

namespace titora {
namespace {

using namespace std::string_literals;
using test::Failure;
using test::Outcome;
using test::Result;

const std::string kOldBytes = "<html>\n<head><title>Old</title></head>\n<body>text</body>\n";
const std::string kNewBytes = "<html>\r\n<head><title>New</title></head>\r\n<body>text</body>\r\n";

Outcome Read(const std::string& path) {
    return test::Run([&] { return ReadTitle(path); });
}

Outcome WriteNew(const std::string& path) {
    return test::Run([&] {
        WriteTitle(path, "New");
        return std::string("written");
    });
}

// The access list of the file at `path`, as the bytes of a security descriptor.
std::string AccessListOf(const std::string& path) {
    DWORD needed = 0;
    ::GetFileSecurityA(path.c_str(), DACL_SECURITY_INFORMATION, nullptr, 0, &needed);
    std::string descriptor(needed, '\0');
    if (!::GetFileSecurityA(path.c_str(), DACL_SECURITY_INFORMATION, descriptor.data(), needed,
                            &needed)) {
        return "none";
    }
    return descriptor;
}

class Win32Page : public testing::Test {
protected:
    test::ScratchFolder folder;
    std::string page = folder / "page.html";
};

// Reading a console, a serial port or a pipe would wait for input: each is refused
// before the first read, and so is a folder.
TEST_F(Win32Page, DevicesPipesAndFoldersAreNotPages) {
    const std::string pipeName =
        "\\\\.\\pipe\\titora-test-" + std::to_string(::GetCurrentProcessId());
    const HANDLE pipe = ::CreateNamedPipeA(pipeName.c_str(), PIPE_ACCESS_DUPLEX, PIPE_TYPE_BYTE,
                                           PIPE_UNLIMITED_INSTANCES, 512, 512, 0, nullptr);
    ASSERT_NE(pipe, INVALID_HANDLE_VALUE);
    for (const std::string& path :
         {"CON"s, "NUL"s, "COM1"s, folder / "NUL", pipeName, folder.path()}) {
        EXPECT_EQ(Read(path), Failure("Cannot open file " + path));
        EXPECT_EQ(WriteNew(path), Failure("Cannot open file " + path));
    }
    ::CloseHandle(pipe);
}

// Another program holding the page open: what it shares decides what the engine may do.
TEST_F(Win32Page, SharingWithAnotherProgram) {
    struct Holder {
        DWORD access;
        DWORD share;
        Outcome read;
        Outcome write;
    };
    const Holder holders[] = {
        {GENERIC_READ, 0, Failure("Cannot open file " + page), Failure("Cannot open file " + page)},
        {GENERIC_READ, FILE_SHARE_READ, Result("Old"), Failure("Cannot create file " + page)},
        {GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, Result("Old"),
         Failure("Cannot create file " + page)},
        {GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, Result("Old"),
         Result("written")},
    };
    for (const Holder& holder : holders) {
        test::WriteBytes(page, kOldBytes);
        const HANDLE held = ::CreateFileA(page.c_str(), holder.access, holder.share, nullptr,
                                          OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(held, INVALID_HANDLE_VALUE);
        EXPECT_EQ(Read(page), holder.read);
        EXPECT_EQ(WriteNew(page), holder.write);
        ::CloseHandle(held);
        EXPECT_EQ(test::ReadBytes(page), holder.write.failed ? kOldBytes : kNewBytes);
        EXPECT_EQ(folder.names(), std::set<std::string>{"page.html"});
    }
}

TEST_F(Win32Page, ReplacedPageKeepsItsAttributesAndAccessList) {
    test::WriteBytes(page, kOldBytes);
    ASSERT_TRUE(::SetFileAttributesA(page.c_str(), FILE_ATTRIBUTE_HIDDEN));
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    // Protected: the owner and the administrators only, nothing from the folder.
    ASSERT_TRUE(::ConvertStringSecurityDescriptorToSecurityDescriptorA(
        "D:P(A;;FA;;;OW)(A;;FA;;;BA)", SDDL_REVISION_1, &descriptor, nullptr));
    ASSERT_TRUE(::SetFileSecurityA(page.c_str(), DACL_SECURITY_INFORMATION, descriptor));
    ::LocalFree(descriptor);
    const std::string accessList = AccessListOf(page);
    const test::Identity before = test::IdentityOf(page);

    EXPECT_EQ(WriteNew(page), Result("written"));
    EXPECT_FALSE(test::IdentityOf(page) == before) << "replaced, not rewritten in place";
    EXPECT_EQ(test::ReadBytes(page), kNewBytes);
    EXPECT_EQ(::GetFileAttributesA(page.c_str()) & FILE_ATTRIBUTE_HIDDEN,
              DWORD{FILE_ATTRIBUTE_HIDDEN});
    EXPECT_EQ(AccessListOf(page), accessList);
    EXPECT_EQ(folder.names(), std::set<std::string>{"page.html"});
}

TEST_F(Win32Page, ReplacedPageKeepsItsAlternateStreams) {
    test::WriteBytes(page, kOldBytes);
    std::ofstream(page + ":meta") << "kept";
    // Wine, for one, makes a file of its own named "page.html:meta".
    if (folder.names() != std::set<std::string>{"page.html"} || !std::ifstream(page + ":meta")) {
        GTEST_SKIP() << "this file system keeps no alternate data streams";
    }
    EXPECT_EQ(WriteNew(page), Result("written"));
    EXPECT_EQ(test::ReadBytes(page), kNewBytes);
    EXPECT_EQ(test::ReadBytes(page + ":meta"), "kept");
}

// A symbolic link is the page's road, not the page: it stays a link, its target is
// replaced.
TEST_F(Win32Page, SymbolicLinkStaysALinkAndItsTargetIsRewritten) {
    const std::string target = folder / "target.html";
    test::WriteBytes(target, kOldBytes);
    // Unprivileged where Windows' developer mode allows it.
    ::CreateSymbolicLinkA(page.c_str(), target.c_str(), 0x2);
    const DWORD attributes = ::GetFileAttributesA(page.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0) {
        GTEST_SKIP() << "no symbolic link could be made: wine makes none, and Windows only "
                        "with a privilege or in developer mode";
    }
    EXPECT_EQ(WriteNew(page), Result("written"));
    EXPECT_NE(::GetFileAttributesA(page.c_str()) & FILE_ATTRIBUTE_REPARSE_POINT, 0u);
    EXPECT_EQ(test::ReadBytes(target), kNewBytes);
    EXPECT_EQ(folder.names(), (std::set<std::string>{"page.html", "target.html"}));
}

// A folder that takes no new files: the page is rewritten in place, journalled, and
// keeps its identity.
TEST_F(Win32Page, FolderTheUserCannotWriteIsRewrittenInPlace) {
    test::WriteBytes(page, kOldBytes);
    const test::Identity before = test::IdentityOf(page);
    const std::string accessList = AccessListOf(folder.path());
    PSECURITY_DESCRIPTOR readOnly = nullptr;
    // Everyone may list the folder and read it, and nobody may add to it.
    ASSERT_TRUE(::ConvertStringSecurityDescriptorToSecurityDescriptorA(
        "D:P(A;;0x1200a9;;;WD)", SDDL_REVISION_1, &readOnly, nullptr));
    ASSERT_TRUE(::SetFileSecurityA(folder.path().c_str(), DACL_SECURITY_INFORMATION, readOnly));
    ::LocalFree(readOnly);
    const bool locked =
        ::CreateFileA((folder / "probe").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                      FILE_FLAG_DELETE_ON_CLOSE, nullptr) == INVALID_HANDLE_VALUE;
    const Outcome outcome = WriteNew(page);
    ::SetFileSecurityA(folder.path().c_str(), DACL_SECURITY_INFORMATION,
                       const_cast<char*>(accessList.data()));
    if (!locked) {
        GTEST_SKIP() << "this user may add files to any folder (an administrator's override)";
    }
    EXPECT_EQ(outcome, Result("written"));
    EXPECT_EQ(test::ReadBytes(page), kNewBytes);
    EXPECT_TRUE(test::IdentityOf(page) == before);
    EXPECT_EQ(folder.names(), std::set<std::string>{"page.html"});
    EXPECT_EQ(test::Journals(test::stateHomes.journals()), std::set<std::string>{});
}

// ctest runs this once more under a double-byte code page, which it names in
// TITORA_TEST_CODE_PAGE.
TEST_F(Win32Page, SystemCodePageAndItsLeadBytesAreThoseWindowsTells) {
    const unsigned system = ::GetACP();
    if (const char* expected = std::getenv("TITORA_TEST_CODE_PAGE")) {
        ASSERT_EQ(system, std::strtoul(expected, nullptr, 10));
    }
    EXPECT_EQ(platform::SystemCodePage(), system);
    // They reach the engine: a lead byte takes the LF after it as its second half.
    test::WriteBytes(page, "<title>\x81\n</title>");
    const bool doubleByte = ::IsDBCSLeadByteEx(system, 0x81);
    EXPECT_EQ(Read(page), Result(doubleByte ? "\x81\n" : "\x81\r\n"));
    const LeadBytes systemLead = LeadBytes::ForSystem();
    for (const unsigned codePage : {system, 932u, 936u, 949u, 950u}) {
        const LeadBytes table = LeadBytes::ForCodePage(codePage);
        for (unsigned byte = 0; byte < 256; ++byte) {
            const bool lead = ::IsDBCSLeadByteEx(codePage, static_cast<BYTE>(byte));
            ASSERT_EQ(table.isLead(byte), lead) << codePage << " " << byte;
            if (codePage == system) {
                ASSERT_EQ(systemLead.isLead(byte), lead) << byte;
            }
        }
    }
}

} // namespace
} // namespace titora
