// Saves among neighbours: a second save of the same page while the first runs, a writer
// appending to the page meanwhile, temporary files left behind. Each at a chosen step of
// the save through the platform's call hook, not by timing luck. POSIX only: Windows
// lets no one else write a page being saved.
#include "platform/platform.h"
#include "test_files.h"
#include "title_engine.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <fstream>
#include <mutex>
#include <sys/xattr.h>
#include <thread>

namespace titora {
namespace {

using test::Result;

// A page whose title shrinks with a save, so that a page read while it is written over
// in place holds the end of its old bytes.
const std::string kOld = "<title>A rather long title of the old page</title> body text ";

struct Road {
    const char* name;
    bool inPlace; // a second name makes every save of the page an in-place one
    // The call of the first save during which a second save begins: on the in-place road
    // the page has its new bytes then but not yet its new length; on the other, the
    // temporary file is about to replace it.
    const char* secondSave;
    // The call during which another writer appends, between the read and the last look
    // at the page: the temporary file's making, the journal's copy of the page.
    const char* append;
};
const Road kRoads[] = {{"through a temporary file", false, "Replace", "CreateTemporary"},
                       {"in place", true, "Truncate", "Copy"}};

class Neighbours : public testing::Test {
protected:
    test::ScratchFolder folder;
    std::string page = folder / "page.html";

    void SetUp() override { test::ScratchFolder::RemoveTree(test::stateHomes.journals()); }
    void TearDown() override { platform::SetCallHook({}); }

    void Prepare(const Road& road) {
        ::unlink((folder / "other.html").c_str());
        test::WriteBytes(page, kOld);
        if (road.inPlace) {
            ASSERT_TRUE(test::HardLink(page, folder / "other.html"));
        }
    }

    test::Outcome Write(const std::string& title) {
        return test::Run([&] {
            WriteTitle(page, title);
            return std::string("written");
        });
    }
};

// A second save of the page, begun while the first writes it, waits for the first and
// then retitles what the first wrote.
TEST_F(Neighbours, SecondSaveWaitsForTheFirst) {
    for (const Road& road : kRoads) {
        Prepare(road);
        std::mutex lock;
        std::condition_variable changed;
        bool waiting = false;
        bool done = false;
        test::Outcome second;
        std::thread neighbour;
        const std::thread::id first = std::this_thread::get_id();
        platform::SetCallHook([&](const char* call) {
            const std::string name = call;
            if (std::this_thread::get_id() != first) {
                // The second save is about to wait for the page, or, were it not to
                // wait, has read it already.
                if (name == "Lock" || name == "OpenStateFolder" || name == "CreateTemporary") {
                    const std::lock_guard<std::mutex> held(lock);
                    waiting = true;
                    changed.notify_all();
                }
                return;
            }
            if (name == road.secondSave && !neighbour.joinable()) {
                neighbour = std::thread([&] {
                    second = Write("B");
                    const std::lock_guard<std::mutex> held(lock);
                    done = true;
                    changed.notify_all();
                });
                std::unique_lock<std::mutex> held(lock);
                changed.wait(held, [&] { return waiting || done; });
            }
        });
        const test::Outcome outcome = Write("A");
        ASSERT_TRUE(neighbour.joinable()) << road.name;
        neighbour.join();
        platform::SetCallHook({});
        EXPECT_EQ(outcome, Result("written")) << road.name;
        EXPECT_EQ(second, Result("written")) << road.name;
        EXPECT_EQ(test::ReadBytes(page), "<title>B</title> body text ") << road.name;
    }
}

// Bytes another writer appends between the read and the swap are kept: the save starts
// again from the read.
TEST_F(Neighbours, AppendedBytesAreKept) {
    for (const Road& road : kRoads) {
        Prepare(road);
        bool appended = false;
        platform::SetCallHook([&](const char* call) {
            if (!appended && std::string(call) == road.append) {
                appended = true;
                std::ofstream(page, std::ios::binary | std::ios::app) << "appended";
            }
        });
        EXPECT_EQ(Write("A"), Result("written")) << road.name;
        platform::SetCallHook({});
        EXPECT_EQ(test::ReadBytes(page), "<title>A</title> body text appended") << road.name;
    }
}

// One that keeps appending is left as it wrote the page, and the save fails.
TEST_F(Neighbours, PageThatKeepsChangingIsLeftAlone) {
    test::WriteBytes(page, kOld);
    int appends = 0;
    platform::SetCallHook([&](const char* call) {
        if (std::string(call) == "CreateTemporary") {
            ++appends;
            std::ofstream(page, std::ios::binary | std::ios::app) << "+";
        }
    });
    const test::Outcome outcome = Write("A");
    platform::SetCallHook({});
    EXPECT_EQ(outcome, test::Failure("Cannot create file " + page));
    EXPECT_EQ(test::ReadBytes(page), kOld + std::string(static_cast<std::size_t>(appends), '+'));
    EXPECT_EQ(appends, 4);
}

// A temporary file left by a killed save goes with the next save in its folder, one
// that changes nothing included.
TEST_F(Neighbours, SameTitleSaveRemovesAbandonedTemporaries) {
    test::WriteBytes(page, kOld);
    test::WriteBytes(folder / ".~titora-2.tmp", "old text of a page");
    EXPECT_EQ(test::Run([&] {
                  WriteTitle(page, "A rather long title of the old page");
                  return std::string("written");
              }),
              Result("written"));
    EXPECT_EQ(folder.names(), std::set<std::string>{"page.html"});
    EXPECT_EQ(test::ReadBytes(page), kOld);
}

// A user's save keeps the setgid bit the user may set.
TEST_F(Neighbours, UsersSaveKeepsTheSetgidBit) {
    if (!test::IsRoot()) {
        GTEST_SKIP() << "needs root to run the save as a user whose group the page has";
    }
    ASSERT_EQ(::chown(folder.path().c_str(), test::kNobody, test::kNogroup), 0);
    test::WriteBytes(page, kOld);
    ASSERT_EQ(::chown(page.c_str(), test::kNobody, test::kNogroup), 0);
    ASSERT_EQ(::chmod(page.c_str(), 02775), 0);
    EXPECT_EQ(test::RunInChild([&] { return Write("A").text; }, true), Result("written"));
    EXPECT_EQ(test::StatOf(page).st_mode & 07777, 02775u);
}

// Root's save keeps the setuid bit and the file capabilities on both roads.
TEST_F(Neighbours, RootsSaveKeepsSetuidAndCapabilities) {
    if (!test::IsRoot()) {
        GTEST_SKIP() << "needs root to set file capabilities";
    }
    // Revision 2, effective, CAP_NET_BIND_SERVICE (10) permitted.
    const std::uint32_t capability[5] = {0x02000001, 1u << 10, 0, 0, 0};
    for (const Road& road : kRoads) {
        Prepare(road);
        ASSERT_EQ(::chmod(page.c_str(), 04755), 0);
        if (::setxattr(page.c_str(), "security.capability", capability, sizeof capability, 0) !=
            0) {
            GTEST_SKIP() << "the file system keeps no file capabilities";
        }
        EXPECT_EQ(Write("A"), Result("written")) << road.name;
        EXPECT_EQ(test::StatOf(page).st_mode & 07777, 04755u) << road.name;
        std::uint32_t kept[5] = {};
        EXPECT_EQ(::getxattr(page.c_str(), "security.capability", kept, sizeof kept),
                  static_cast<ssize_t>(sizeof kept))
            << road.name;
        EXPECT_EQ(kept[1], capability[1]) << road.name;
    }
}

} // namespace
} // namespace titora
