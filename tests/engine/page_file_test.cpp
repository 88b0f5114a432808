// The careful save of WriteTitle: what a rewritten page keeps, and that no failure at
// any step leaves a damaged page or a temporary file behind. The cases before the POSIX
// ones hold on every system.
#include "platform/platform.h"
#include "test_files.h"
#include "title_engine.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <functional>

#ifndef _WIN32
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/xattr.h>
#endif

namespace titora {
namespace {

using test::Failure;
using test::Outcome;
using test::Result;

const std::string kOldBytes = "<html>\n<head><title>Old</title></head>\n<body>text</body>\n";
const std::string kNewBytes = "<html>\r\n<head><title>New</title></head>\r\n<body>text</body>\r\n";

// While a page is saved, Windows lets no other program write, move or remove it; POSIX
// has no such rule, and the engine has to see what others did meanwhile.
#ifdef _WIN32
constexpr bool kOthersMayChangeAPageBeingSaved = false;
#else
constexpr bool kOthersMayChangeAPageBeingSaved = true;
#endif

Outcome WriteNew(const std::string& path) {
    return test::Run([&] {
        WriteTitle(path, "New");
        return std::string("written");
    });
}

class CarefulSave : public testing::Test {
protected:
    test::ScratchFolder folder;
    std::string page = folder / "page.html";
};

TEST_F(CarefulSave, HardLinkedFileIsRewrittenInPlace) {
    test::WriteBytes(page, kOldBytes);
    const std::string other = folder / "other.html";
    ASSERT_TRUE(test::HardLink(page, other));
    const test::Identity before = test::IdentityOf(page);

    EXPECT_EQ(WriteNew(page), Result("written"));
    EXPECT_TRUE(test::IdentityOf(page) == before);
    EXPECT_EQ(test::IdentityOf(page).links, 2u);
    EXPECT_EQ(test::ReadBytes(other), kNewBytes);
    EXPECT_EQ(folder.names(), (std::set<std::string>{"page.html", "other.html"}));
}

// Fails each counted platform call of a save in turn, until the save gets through
// without a failure. After every attempt the page holds its old or its new bytes, and
// after the next call on it no journal is left.
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
        test::Run([&] { return ReadTitle(path); });
        EXPECT_EQ(test::ReadBytes(path), bytes) << "call " << n;
        EXPECT_EQ(test::Journals(test::stateHomes.journals()), std::set<std::string>{})
            << "call " << n;
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
    ASSERT_TRUE(test::HardLink(page, folder / "other.html"));
    FailEachStep(page, folder, {"page.html", "other.html"});
}

// Something else put at the page's name between reading and replacing: the save is
// abandoned, and both the page and the newcomer are left as they were. Where others
// cannot move the page meanwhile, the save goes through.
TEST_F(CarefulSave, PageSwappedBeforeTheSaveIsLeftAlone) {
    const std::string outside = folder / "outside";
    test::WriteBytes(outside, "secret");
    const std::string moved = folder / "moved.html";
    struct Newcomer {
        const char* kind;
        std::function<void()> make;
    };
    const Newcomer newcomers[] = {
        {"read-only file", [&] { test::WriteBytes(page, "theirs", 0444); }},
#ifndef _WIN32
        {"link", [&] { ::symlink(outside.c_str(), page.c_str()); }},
        {"FIFO", [&] { ::mkfifo(page.c_str(), 0644); }},
#endif
    };
    // A call on each road between the read and the step that would replace or write the
    // page: before the swap, and before the journal takes the page's bytes.
    for (const char* before : {"Replace", "Copy"}) {
        const bool inPlace = std::string(before) == "Copy";
        for (const Newcomer& newcomer : newcomers) {
            test::WriteBytes(page, kOldBytes);
            if (inPlace) {
                ASSERT_TRUE(test::HardLink(page, folder / "other.html"));
            }
            bool swapped = false;
            platform::SetCallHook([&](const char* call) {
                if (!swapped && std::string(call) == before &&
                    std::rename(page.c_str(), moved.c_str()) == 0) {
                    swapped = true;
                    newcomer.make();
                }
            });
            const Outcome outcome = WriteNew(page);
            platform::SetCallHook({});
            const std::string road = std::string(newcomer.kind) + " before " + before;
            std::set<std::string> names{"page.html", "outside"};
            if (inPlace) {
                names.insert("other.html");
            }
            EXPECT_EQ(swapped, kOthersMayChangeAPageBeingSaved) << road;
            EXPECT_EQ(test::ReadBytes(outside), "secret") << road;
            if (swapped) {
                EXPECT_EQ(outcome, Failure("Cannot create file " + page)) << road;
                EXPECT_EQ(test::ReadBytes(moved), kOldBytes) << road;
                names.insert("moved.html");
            } else {
                EXPECT_EQ(outcome, Result("written")) << road;
                EXPECT_EQ(test::ReadBytes(page), kNewBytes) << road;
            }
#ifndef _WIN32
            const struct stat now = test::StatOf(page);
            if (swapped && newcomer.kind == newcomers[0].kind) {
                EXPECT_EQ(now.st_mode & 07777, 0444u) << road;
                EXPECT_EQ(test::ReadBytes(page), "theirs") << road;
            }
            EXPECT_EQ(S_ISLNK(now.st_mode), swapped && newcomer.kind == newcomers[1].kind) << road;
            EXPECT_EQ(S_ISFIFO(now.st_mode), swapped && newcomer.kind == newcomers[2].kind) << road;
#endif
            EXPECT_EQ(folder.names(), names) << road;
            EXPECT_EQ(test::Journals(test::stateHomes.journals()), std::set<std::string>{});
            for (const std::string& name : names) {
                if (name != "outside") {
                    test::ScratchFolder::RemoveTree(folder / name);
                }
            }
        }
    }
}

// Bytes added to the page after its size was taken are read and kept, where others may
// write a page being saved at all.
TEST_F(CarefulSave, ReadsToTheEndOfAGrowingPage) {
    test::WriteBytes(page, kOldBytes);
    bool tried = false;
    bool appended = false;
    platform::SetCallHook([&](const char* call) {
        if (!tried && std::string(call) == "Read") {
            tried = true;
            std::ofstream more(page, std::ios::binary | std::ios::app);
            appended = static_cast<bool>((more << "<p>more</p>").flush());
        }
    });
    EXPECT_EQ(WriteNew(page), Result("written"));
    platform::SetCallHook({});
    EXPECT_EQ(appended, kOthersMayChangeAPageBeingSaved);
    EXPECT_EQ(test::ReadBytes(page), kNewBytes + (appended ? "<p>more</p>" : ""));
}

// A temporary file whose writer was killed goes with the next save in its folder; one
// whose writer still holds it stays.
TEST_F(CarefulSave, NextSaveRemovesAbandonedTemporaryFiles) {
    test::WriteBytes(page, kOldBytes);
    test::WriteBytes(folder / ".~titora-0.tmp", "abandoned");
    test::WriteBytes(folder / ".~titora-1.tmp", "still written");
    {
        const test::HeldFile held(folder / ".~titora-1.tmp");
        EXPECT_EQ(WriteNew(page), Result("written"));
        EXPECT_EQ(folder.names(), (std::set<std::string>{"page.html", ".~titora-1.tmp"}));
    }
    test::WriteBytes(page, kOldBytes);
    EXPECT_EQ(WriteNew(page), Result("written"));
    EXPECT_EQ(folder.names(), std::set<std::string>{"page.html"});
}

// Without a journal a page is never rewritten in place.
TEST_F(CarefulSave, NoJournalNoInPlaceRewrite) {
    test::WriteBytes(page, kOldBytes);
    ASSERT_TRUE(test::HardLink(page, folder / "other.html"));
    test::SetEnvironment(test::kStateHomeVariable, test::kNoStateHome);
    const Outcome outcome = WriteNew(page);
    test::SetEnvironment(test::kStateHomeVariable, test::stateHomes.own());
    EXPECT_EQ(outcome, Failure("Cannot create file " + page));
    EXPECT_EQ(test::ReadBytes(page), kOldBytes);
}

#ifndef _WIN32
// ---- POSIX: owners, modes, extended attributes, links and limits ----

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
    // SIGXFSZ keeps its default action, which ends the process: the engine must not let
    // it come.
    const auto limitFileSize = [] {
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
    EXPECT_EQ(test::Journals(test::stateHomes.journals()), std::set<std::string>{});
}

TEST_F(CarefulSave, FailureAtAnyStepThroughALink) {
    test::WriteBytes(page, kOldBytes);
    const std::string link = folder / "link.html";
    ASSERT_EQ(::symlink("page.html", link.c_str()), 0);
    FailEachStep(link, folder, {"page.html", "link.html"});
    EXPECT_TRUE(S_ISLNK(test::StatOf(link).st_mode));
}

// In an append-only folder no temporary file could ever be renamed or removed.
TEST_F(CarefulSave, AppendOnlyFolderIsRewrittenInPlace) {
    const std::string appendOnly = folder / "append-only";
    ASSERT_EQ(::mkdir(appendOnly.c_str(), 0755), 0);
    const std::string inside = appendOnly + "/page.html";
    test::WriteBytes(inside, kOldBytes);
    const ino_t inode = test::StatOf(inside).st_ino;
    const int dir = ::open(appendOnly.c_str(), O_RDONLY | O_DIRECTORY);
    int flags = FS_APPEND_FL;
    if (::ioctl(dir, FS_IOC_SETFLAGS, &flags) != 0) {
        ::close(dir);
        GTEST_SKIP() << "needs root and a file system with append-only folders";
    }
    const Outcome outcome = WriteNew(inside);
    flags = 0;
    ::ioctl(dir, FS_IOC_SETFLAGS, &flags);
    ::close(dir);
    EXPECT_EQ(outcome, Result("written"));
    EXPECT_EQ(test::ReadBytes(inside), kNewBytes);
    EXPECT_EQ(test::StatOf(inside).st_ino, inode);
    EXPECT_EQ(test::ScratchFolder::Names(appendOnly), std::set<std::string>{"page.html"});
}

#endif

} // namespace
} // namespace titora
