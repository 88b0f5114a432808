// The careful save of WriteTitle: what a rewritten page keeps, and that no failure at
// any step leaves a damaged page or a temporary file behind.
#include "platform/platform.h"
#include "test_files.h"
#include "title_engine.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdint>
#include <sys/resource.h>
#include <sys/xattr.h>

namespace titora {
namespace {

using test::Failure;
using test::Outcome;
using test::Result;

const std::string kOldBytes = "<html>\n<head><title>Old</title></head>\n<body>text</body>\n";
const std::string kNewBytes = "<html>\r\n<head><title>New</title></head>\r\n<body>text</body>\r\n";

Outcome WriteNew(const std::string& path) {
    return test::Run([&] {
        WriteTitle(path, "New");
        return std::string("written");
    });
}

// Gives `folder` a default access list (the kernel's xattr form) with user nobody
// allowed everything. False where the file system takes no access lists.
bool SetDefaultAclForNobody(const std::string& folder) {
    struct Entry {
        std::uint16_t tag;
        std::uint16_t permissions;
        std::uint32_t id;
    };
    constexpr std::uint32_t kNoId = 0xFFFFFFFF;
    const struct {
        std::uint32_t version = 2;
        Entry entries[5] = {{0x01, 7, kNoId}, // the owner
                            {0x02, 7, test::kNobody},
                            {0x04, 5, kNoId},  // the group
                            {0x10, 7, kNoId},  // the mask
                            {0x20, 0, kNoId}}; // others
    } acl;
    return ::setxattr(folder.c_str(), "system.posix_acl_default", &acl, sizeof acl, 0) == 0;
}

class CarefulSave : public testing::Test {
protected:
    test::ScratchFolder folder;
    std::string page = folder / "page.html";
};

TEST_F(CarefulSave, KeepsPermissionBitsOwnerGroupAndAttributes) {
    test::WriteBytes(page, kOldBytes, 0644);
    const bool root = test::IsRoot();
    if (root) {
        ASSERT_EQ(::chown(page.c_str(), test::kNobody, test::kNogroup), 0);
    }
    // Set after chown, which clears the setgid bit.
    ASSERT_EQ(::chmod(page.c_str(), root ? 02751 : 0751), 0);
    const bool hasAttribute = ::setxattr(page.c_str(), "user.titora", "kept", 4, 0) == 0;
    // A default access list on the folder, made after the page, giving user nobody all
    // rights: the rewritten page must not take it over.
    const bool folderHasAcl = SetDefaultAclForNobody(folder.path());
    const struct stat before = test::StatOf(page);

    EXPECT_EQ(WriteNew(page), Result("written"));
    const struct stat after = test::StatOf(page);
    EXPECT_EQ(test::ReadBytes(page), kNewBytes);
    EXPECT_EQ(after.st_mode, before.st_mode);
    EXPECT_EQ(after.st_uid, before.st_uid);
    EXPECT_EQ(after.st_gid, before.st_gid);
    if (hasAttribute) {
        char value[16] = {};
        EXPECT_EQ(::getxattr(page.c_str(), "user.titora", value, sizeof value), 4);
        EXPECT_STREQ(value, "kept");
    }
    if (folderHasAcl) {
        EXPECT_LT(::getxattr(page.c_str(), "system.posix_acl_access", nullptr, 0), 0);
    }
    EXPECT_EQ(folder.names(), std::set<std::string>{"page.html"});
}

TEST_F(CarefulSave, SymbolicLinkStaysALinkAndItsTargetIsRewritten) {
    ASSERT_EQ(::mkdir((folder / "real").c_str(), 0755), 0);
    const std::string target = folder / "real/page.html";
    test::WriteBytes(target, kOldBytes);
    ASSERT_EQ(::symlink("real/page.html", page.c_str()), 0);

    EXPECT_EQ(WriteNew(page), Result("written"));
    EXPECT_TRUE(S_ISLNK(test::StatOf(page).st_mode));
    EXPECT_EQ(test::ReadBytes(target), kNewBytes);
    EXPECT_EQ(folder.names(), (std::set<std::string>{"page.html", "real"}));
    EXPECT_EQ(test::ScratchFolder::Names(folder / "real"), std::set<std::string>{"page.html"});
}

TEST_F(CarefulSave, HardLinkedFileIsRewrittenInPlace) {
    test::WriteBytes(page, kOldBytes);
    const std::string other = folder / "other.html";
    ASSERT_EQ(::link(page.c_str(), other.c_str()), 0);
    const ino_t inode = test::StatOf(page).st_ino;

    EXPECT_EQ(WriteNew(page), Result("written"));
    EXPECT_EQ(test::StatOf(page).st_ino, inode);
    EXPECT_EQ(test::StatOf(page).st_nlink, 2u);
    EXPECT_EQ(test::ReadBytes(other), kNewBytes);
    EXPECT_EQ(folder.names(), (std::set<std::string>{"page.html", "other.html"}));
}

// Cases where a temporary file cannot replace the page: the page is rewritten in place.
TEST_F(CarefulSave, InPlaceWhereNoTemporaryFileCanReplaceThePage) {
    if (!test::IsRoot()) {
        GTEST_SKIP() << "needs root to give files and folders to another user";
    }
    // The user may write the page, but not create files in its folder.
    const std::string locked = folder / "locked";
    ASSERT_EQ(::mkdir(locked.c_str(), 0755), 0);
    const std::string ownPage = locked + "/page.html";
    test::WriteBytes(ownPage, kOldBytes);
    ASSERT_EQ(::chown(ownPage.c_str(), test::kNobody, test::kNogroup), 0);
    // A page of root's that everyone may write, in a folder where everyone may create
    // files: replacing it would hand it to the user.
    const std::string shared = folder / "shared";
    ASSERT_EQ(::mkdir(shared.c_str(), 0755), 0);
    ASSERT_EQ(::chmod(shared.c_str(), 01777), 0);
    const std::string rootsPage = shared + "/page.html";
    test::WriteBytes(rootsPage, kOldBytes, 0666);

    for (const std::string& path : {ownPage, rootsPage}) {
        const struct stat before = test::StatOf(path);
        EXPECT_EQ(test::RunInChild([&] { return WriteNew(path).text; }, true), Result("written"));
        const struct stat after = test::StatOf(path);
        EXPECT_EQ(test::ReadBytes(path), kNewBytes);
        EXPECT_EQ(after.st_ino, before.st_ino);
        EXPECT_EQ(after.st_uid, before.st_uid);
        EXPECT_EQ(after.st_mode, before.st_mode);
    }
    EXPECT_EQ(test::ScratchFolder::Names(locked), std::set<std::string>{"page.html"});
    EXPECT_EQ(test::ScratchFolder::Names(shared), std::set<std::string>{"page.html"});
}

// A file size limit below the new text's length: every write that would pass it
// comes up short, as on a full disk.
TEST_F(CarefulSave, ShortWriteFailsAndKeepsTheOldBytes) {
    const std::string linked = folder / "linked.html";
    test::WriteBytes(linked, kOldBytes);
    ASSERT_EQ(::link(linked.c_str(), (folder / "second-name.html").c_str()), 0);
    test::WriteBytes(page, kOldBytes);
    const auto limitFileSize = [] {
        ::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{kOldBytes.size() + 1, kOldBytes.size() + 1};
        ::setrlimit(RLIMIT_FSIZE, &limit);
    };
    for (const std::string& path : {page, linked}) {
        EXPECT_EQ(test::RunInChild([&] { return WriteNew(path).text; }, false, limitFileSize),
                  Result("Stream write error"));
        EXPECT_EQ(test::ReadBytes(path), kOldBytes);
    }
    EXPECT_EQ(folder.names(),
              (std::set<std::string>{"page.html", "linked.html", "second-name.html"}));
}

// Fails each counted platform call of a save in turn, until the save gets through
// without a failure. After every attempt the page holds its old or its new bytes.
void FailEachStep(const std::string& path, const test::ScratchFolder& folder,
                  const std::set<std::string>& names) {
    for (unsigned long n = 1;; ++n) {
        ASSERT_LT(n, 100u) << "the save never completes";
        test::WriteBytes(path, kOldBytes);
        platform::FailNthCall(n);
        const Outcome outcome = WriteNew(path);
        const unsigned long calls = platform::CountedCalls();
        platform::FailNthCall(0);
        const std::string bytes = test::ReadBytes(path);
        EXPECT_TRUE(bytes == kOldBytes || bytes == kNewBytes) << "call " << n;
        if (outcome.failed) {
            EXPECT_EQ(bytes, kOldBytes) << "call " << n << ": " << outcome;
        }
        EXPECT_EQ(folder.names(), names) << "call " << n;
        if (calls < n) {
            EXPECT_EQ(outcome, Result("written"));
            EXPECT_EQ(bytes, kNewBytes);
            EXPECT_GT(n, 4u) << "a save makes more calls than that";
            return;
        }
    }
}

TEST_F(CarefulSave, FailureAtAnyStepLeavesOldOrNewBytes) {
    test::WriteBytes(page, kOldBytes);
    FailEachStep(page, folder, {"page.html"});
}

TEST_F(CarefulSave, FailureAtAnyStepOfAnInPlaceRewrite) {
    test::WriteBytes(page, kOldBytes);
    ASSERT_EQ(::link(page.c_str(), (folder / "other.html").c_str()), 0);
    FailEachStep(page, folder, {"page.html", "other.html"});
}

TEST_F(CarefulSave, FailureAtAnyStepThroughALink) {
    test::WriteBytes(page, kOldBytes);
    const std::string link = folder / "link.html";
    ASSERT_EQ(::symlink("page.html", link.c_str()), 0);
    FailEachStep(link, folder, {"page.html", "link.html"});
    EXPECT_TRUE(S_ISLNK(test::StatOf(link).st_mode));
}

} // namespace
} // namespace titora
