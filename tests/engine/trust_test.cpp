// What the careful save trusts, tried as an attacker would: a state folder others can
// change and the journals planted in it, a journal naming another file, a link planted
// in a web tree by another user. POSIX only: it takes links, modes and owners.
#include "journal.h"
#include "platform/platform.h"
#include "test_files.h"
#include "title_engine.h"

#include <gtest/gtest.h>

namespace titora {
namespace {

using test::Failure;
using test::Result;

// A victim page, and a journal that would turn it into the attacker's bytes: the page
// stands "between" the journal's old bytes and the new ones its title makes, so that
// applying it puts the old bytes, the attacker's, back.
const std::string kVictim = "<title>abc</title> line ";
const std::string kAttacker = "<title>abc</title> EVIL ";
const std::string kGapTitle = "abc</title> line";

// Writes a journal for the file `id`, naming `folder` and `name`, as `path`, mode 0600.
void PlantJournal(const std::string& path, const platform::FileId& id, const std::string& folder,
                  const std::string& name) {
    JournalRecord record;
    record.serial = 7;
    record.page = id;
    record.folder = folder;
    record.name = name;
    record.title = kGapTitle;
    test::WriteBytes(path, JournalHead(record, kAttacker.size()) + kAttacker + JournalTail(7),
                     0600);
}

platform::FileId IdOf(const std::string& path) {
    const test::Identity identity = test::IdentityOf(path);
    return {identity.volume, identity.index};
}

class Trust : public testing::Test {
protected:
    test::ScratchFolder folder;
    std::string page = folder / "page.html";

    void SetUp() override {
        test::ScratchFolder::RemoveTree(test::stateHomes.journals());
        test::WriteBytes(page, kVictim);
    }
    void TearDown() override {
        test::SetEnvironment(test::kStateHomeVariable, test::stateHomes.own());
    }

    // Uses `home` as the base of the state folder.
    static void UseStateHome(const std::string& home) {
        test::SetEnvironment(test::kStateHomeVariable, home);
    }
};

// A state folder that another could have filled is not used: nothing is finished from
// it, the user is told why, and no in-place save can be made.
TEST_F(Trust, StateFolderOthersControlIsNotUsed) {
    const std::string open = folder / "open"; // writable by all, as /tmp is
    ASSERT_EQ(::mkdir(open.c_str(), 0777), 0);
    ASSERT_EQ(::chmod(open.c_str(), 01777), 0);
    struct Case {
        const char* what;
        std::string home;
        std::string state;
        const char* reason;
    };
    ASSERT_EQ(::mkdir((folder / "linked").c_str(), 0700), 0);
    ASSERT_EQ(::symlink(open.c_str(), (folder / "linked/titora").c_str()), 0);
    ASSERT_EQ(::mkdir((folder / "writable").c_str(), 0700), 0);
    ASSERT_EQ(::mkdir((folder / "writable/titora").c_str(), 0777), 0);
    ASSERT_EQ(::chmod((folder / "writable/titora").c_str(), 0777), 0);
    ASSERT_EQ(::mkdir((folder / "open/home").c_str(), 0700), 0);
    ASSERT_EQ(::chmod((folder / "open").c_str(), 0777), 0);
    ASSERT_EQ(::mkdir((folder / "open/home/titora").c_str(), 0700), 0);
    const Case cases[] = {
        {"linked", folder / "linked", open, " is a symbolic link"},
        {"writable", folder / "writable", folder / "writable/titora",
         " may be written by other users"},
        {"under a folder all may write", folder / "open/home", folder / "open/home/titora",
         " may be changed by another user"},
    };
    for (const Case& c : cases) {
        PlantJournal(c.state + "/" + JournalName(IdOf(page)), IdOf(page), folder.path(),
                     "page.html");
        UseStateHome(c.home);
        const RecoveryReport report = RecoverInterruptedSaves();
        EXPECT_EQ(test::ReadBytes(page), kVictim) << c.what;
        EXPECT_EQ(report.restored + report.kept, 0) << c.what;
        EXPECT_NE(report.stateFolderTrouble.find(c.home + "/titora is not safe"), std::string::npos)
            << c.what << ": " << report.stateFolderTrouble;
        EXPECT_NE(report.stateFolderTrouble.find(c.reason), std::string::npos) << c.what;
        EXPECT_EQ(test::Run([&] { return ReadTitle(page); }), Result("abc")) << c.what;
        EXPECT_EQ(test::ReadBytes(page), kVictim) << c.what;
        ::unlink((c.state + "/" + JournalName(IdOf(page))).c_str());
        // The hard link makes it an in-place save, which needs a journal.
        ASSERT_TRUE(test::HardLink(page, folder / "other.html"));
        EXPECT_EQ(test::Run([&] {
                      WriteTitle(page, "New");
                      return std::string();
                  }),
                  Failure("Cannot create file " + page))
            << c.what;
        ::unlink((folder / "other.html").c_str());
    }
    ::chmod((folder / "open").c_str(), 01777);
}

// A journal is applied only to the file of its device and number, and only when it is
// the user's private file; anything else in the state folder is left alone.
TEST_F(Trust, JournalAppliesOnlyToItsOwnFile) {
    ASSERT_NE(platform::OpenStateFolder(true).isOpen(), false);
    const std::string state = test::stateHomes.journals();
    // Another device, the same number: the page's path and number are not enough.
    platform::FileId other = IdOf(page);
    other.volume ^= 1;
    PlantJournal(state + "/" + JournalName(other), other, folder.path(), "page.html");
    EXPECT_EQ(RecoverInterruptedSaves().kept, 1);
    EXPECT_EQ(test::ReadBytes(page), kVictim);
    // A journal anyone may write is not the user's own.
    const std::string name = JournalName(IdOf(page));
    PlantJournal(state + "/" + name, IdOf(page), folder.path(), "page.html");
    ASSERT_EQ(::chmod((state + "/" + name).c_str(), 0666), 0);
    EXPECT_EQ(RecoverInterruptedSaves().restored, 0);
    EXPECT_EQ(test::Run([&] { return ReadTitle(page); }), Result("abc"));
    EXPECT_EQ(test::ReadBytes(page), kVictim);
    EXPECT_TRUE(test::ScratchFolder::Names(state).count(name));
}

// Only the latest ten journals of a page changed by others are kept aside.
TEST_F(Trust, AtMostTenJournalsKeptPerPage) {
    ASSERT_NE(platform::OpenStateFolder(true).isOpen(), false);
    const std::string state = test::stateHomes.journals();
    platform::FileId other = IdOf(page);
    other.volume ^= 1;
    for (int round = 0; round < 12; ++round) {
        PlantJournal(state + "/" + JournalName(other), other, folder.path(), "page.html");
        ASSERT_EQ(RecoverInterruptedSaves().kept, 1) << round;
    }
    const std::set<std::string> kept = test::Journals(state);
    EXPECT_EQ(kept.size(), 10u);
    EXPECT_FALSE(kept.count(KeptJournalName(other, 2)));
    EXPECT_TRUE(kept.count(KeptJournalName(other, 12)));
}

// A link another user planted is followed only where that user could have written what
// it leads to.
TEST_F(Trust, LinksOfAnotherUser) {
    if (!test::IsRoot()) {
        GTEST_SKIP() << "needs root to own links as another user";
    }
    const std::string tree = folder / "www";
    ASSERT_EQ(::mkdir(tree.c_str(), 0755), 0);
    ASSERT_EQ(::chown(tree.c_str(), test::kNobody, test::kNogroup), 0);
    const std::string secret = folder / "shadow";
    test::WriteBytes(secret, kVictim, 0600);
    const std::string theirs = tree + "/theirs.html";
    test::WriteBytes(theirs, kVictim);
    ASSERT_EQ(::chown(theirs.c_str(), test::kNobody, test::kNogroup), 0);
    ASSERT_EQ(::mkdir((folder / "private").c_str(), 0700), 0);
    test::WriteBytes(folder / "private/page.html", kVictim, 0600);
    const auto plant = [&](const std::string& target, const std::string& name) {
        const std::string link = tree + "/" + name;
        return ::symlink(target.c_str(), link.c_str()) == 0 &&
               ::lchown(link.c_str(), test::kNobody, test::kNogroup) == 0;
    };
    ASSERT_TRUE(plant(secret, "evil.html"));
    ASSERT_TRUE(plant(folder / "private", "folder"));
    ASSERT_TRUE(plant(theirs, "fine.html"));
    const auto write = [&](const std::string& path) {
        return test::Run([&] {
            WriteTitle(path, "New");
            return std::string("written");
        });
    };
    EXPECT_EQ(write(tree + "/evil.html"), Failure("Cannot open file " + tree + "/evil.html"));
    EXPECT_EQ(test::ReadBytes(secret), kVictim);
    EXPECT_EQ(write(tree + "/folder/page.html"),
              Failure("Cannot open file " + tree + "/folder/page.html"));
    EXPECT_EQ(test::ReadBytes(folder / "private/page.html"), kVictim);
    // Their link to their own page, and root's own link to the secret, are followed.
    EXPECT_EQ(write(tree + "/fine.html"), Result("written"));
    EXPECT_EQ(test::ReadBytes(theirs), "<title>New</title> line ");
    ASSERT_EQ(::symlink(secret.c_str(), (folder / "mine.html").c_str()), 0);
    EXPECT_EQ(write(folder / "mine.html"), Result("written"));
}

} // namespace
} // namespace titora
