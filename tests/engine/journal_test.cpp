// In-place saves cut short at chosen steps, and what the next call on the page, or the
// start-up step, makes of them.
#include "platform/platform.h"
#include "test_files.h"
#include "title_engine.h"

#include <gtest/gtest.h>

namespace titora {
namespace {

const std::string kOld = "<html>\n<head><title>Old</title></head>\n<body>text</body>\n";
const std::string kNew = "<html>\r\n<head><title>New</title></head>\r\n<body>text</body>\r\n";
const std::string kTorn = kNew.substr(0, 30) + kOld.substr(30);

// Stands for the kill of the saving process: nothing but closing files runs after it.
struct Killed {};

class SaveCutShort : public testing::Test {
protected:
    test::ScratchFolder folder;
    std::string page = folder / "page.html";

    void SetUp() override {
        test::ScratchFolder::RemoveTree(test::stateHomes.journals());
        // A second name makes every save of the page an in-place one.
        test::WriteBytes(page, kOld);
        ASSERT_TRUE(test::HardLink(page, folder / "other.html"));
    }

    // Saves the page, killed just before the `nth` call named `call`. With `torn` the
    // killed save leaves the page with the start of its new bytes, as the write it was
    // killed in would. (The page is torn once the save has let go of it: while it holds
    // the page, Windows lets no one else write it.)
    void SaveKilledAt(const char* call, int nth, bool torn = false) {
        int seen = 0;
        platform::SetCallHook([&](const char* name) {
            if (std::string(name) == call && ++seen == nth) {
                throw Killed();
            }
        });
        EXPECT_THROW(WriteTitle(page, "New"), Killed);
        platform::SetCallHook({});
        if (torn) {
            test::WriteBytes(page, kTorn);
        }
    }

    // A save killed while it wrote the page.
    void SaveTorn() {
        SaveKilledAt("WriteAt", 3, true);
        ASSERT_EQ(test::ReadBytes(page), kTorn);
    }

    static std::set<std::string> Journals() { return test::Journals(test::stateHomes.journals()); }
};

TEST_F(SaveCutShort, NextCallLeavesOldOrNewBytes) {
    struct Cut {
        const char* call;
        int nth;
        bool torn;
        const std::string& after;
    };
    // The journal's head, the page's bytes copied in, its tail and its flush come before
    // the page is touched; zeros over it empty its slot at the end.
    const Cut cuts[] = {
        {"Copy", 1, false, kOld},     {"Flush", 1, false, kOld}, {"WriteAt", 3, true, kOld},
        {"Truncate", 1, false, kNew}, {"Flush", 2, false, kNew}, {"WriteAt", 4, false, kNew},
    };
    for (const Cut& cut : cuts) {
        test::WriteBytes(page, kOld);
        SaveKilledAt(cut.call, cut.nth, cut.torn);
        const std::string at = std::string(cut.call) + " " + std::to_string(cut.nth);
        ASSERT_EQ(Journals().size(), 1u) << at;
#ifndef _WIN32 // Windows: the state folder's access list, which wine cannot show
        EXPECT_EQ(test::StatOf(test::stateHomes.journals() + "/" + *Journals().begin()).st_mode &
                      07777,
                  0600u)
            << at;
#endif
        EXPECT_EQ(test::Run([&] { return ReadTitle(page); }).text,
                  &cut.after == &kOld ? "Old" : "New")
            << at;
        EXPECT_EQ(test::ReadBytes(page), cut.after) << at;
        EXPECT_EQ(Journals(), std::set<std::string>{}) << at;
    }
}

TEST_F(SaveCutShort, StartUpStepFindsThePageByItsPath) {
    SaveTorn();
    const RecoveryReport report = RecoverInterruptedSaves();
    EXPECT_EQ(report.restored, 1);
    EXPECT_EQ(test::ReadBytes(page), kOld);
    EXPECT_EQ(Journals(), std::set<std::string>{});
}

TEST_F(SaveCutShort, PageChangedBySomeoneElseIsLeftAndItsJournalKept) {
    SaveTorn();
    test::WriteBytes(page, "someone else's");
    EXPECT_EQ(RecoverInterruptedSaves().kept, 1);
    EXPECT_EQ(test::ReadBytes(page), "someone else's");
    ASSERT_EQ(Journals().size(), 1u);
    const std::string kept = *Journals().begin();
    EXPECT_EQ(kept.substr(kept.size() - 5), ".kept");
    // The journal kept aside stands in the way of no later save.
    EXPECT_NO_THROW(WriteTitle(page, "New"));
    EXPECT_EQ(Journals(), std::set<std::string>{kept});
}

TEST_F(SaveCutShort, JournalOfASaveStillRunningIsLeftAlone) {
    SaveTorn();
    // Held as its own writer holds it.
    platform::File journal = platform::OpenFile(
        test::stateHomes.journals() + "/" + *Journals().begin(), platform::Access::kReadWrite);
    ASSERT_TRUE(platform::TryLock(journal));
    test::Run([&] { return ReadTitle(page); });
    EXPECT_EQ(RecoverInterruptedSaves().waiting, 1);
    EXPECT_EQ(test::ReadBytes(page), kTorn);
    journal = platform::File();
    EXPECT_EQ(RecoverInterruptedSaves().restored, 1);
    EXPECT_EQ(test::ReadBytes(page), kOld);
}

// A slot whose emptying was cut short keeps the end of its journal; a journal written
// over it and cut short in turn must not pass for whole by ending in that old tail,
// which would make the page look changed by someone else and keep the journal aside.
TEST_F(SaveCutShort, JournalCutShortOverAnEarlierOneIsNotTakenForWhole) {
    const auto titled = [](const std::string& title) {
        std::string bytes = kNew;
        return bytes.replace(bytes.find("New"), 3, title);
    };
    test::WriteBytes(page, titled("Aaa"));
    const auto saveKilledAt = [&](const std::string& title, const char* call, int nth) {
        int seen = 0;
        platform::SetCallHook([&](const char* name) {
            if (std::string(name) == call && ++seen == nth) {
                throw Killed();
            }
        });
        EXPECT_THROW(WriteTitle(page, title), Killed);
        platform::SetCallHook({});
    };
    // Killed as the zeros over its journal begin: only the journal's start is emptied.
    saveKilledAt("Bbb", "WriteAt", 4);
    ASSERT_EQ(Journals().size(), 1u);
    const std::string slot = test::stateHomes.journals() + "/" + *Journals().begin();
    std::string bytes = test::ReadBytes(slot);
    test::WriteBytes(slot, std::string(20, '\0') + bytes.substr(20), 0600);
    EXPECT_EQ(test::Run([&] { return ReadTitle(page); }).text, "Bbb");
    // The next journal has its head written, not yet the page's bytes.
    saveKilledAt("Ccc", "Copy", 1);
    EXPECT_EQ(test::Run([&] { return ReadTitle(page); }).text, "Bbb");
    EXPECT_EQ(test::ReadBytes(page), titled("Bbb"));
    EXPECT_EQ(Journals(), std::set<std::string>{});
}

// Fails each counted call of the recovery in turn: whatever fails, a later one ends
// with the old bytes and no journal.
TEST_F(SaveCutShort, FailureAtAnyStepOfTheRecovery) {
    for (unsigned long n = 1;; ++n) {
        ASSERT_LT(n, 100u) << "the recovery never completes";
        test::WriteBytes(page, kOld);
        SaveTorn();
        platform::FailNthCall(n);
        RecoverInterruptedSaves();
        const unsigned long calls = platform::CountedCalls();
        platform::FailNthCall(0);
        const std::string bytes = test::ReadBytes(page);
        EXPECT_TRUE(bytes == kOld || bytes == kTorn) << "call " << n;
        RecoverInterruptedSaves();
        EXPECT_EQ(test::ReadBytes(page), kOld) << "call " << n;
        EXPECT_EQ(Journals(), std::set<std::string>{}) << "call " << n;
        if (calls < n) {
            EXPECT_GT(n, 10u) << "a recovery makes more calls than that";
            return;
        }
    }
}

} // namespace
} // namespace titora
