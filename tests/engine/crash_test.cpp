// Saves killed at random moments, on each road a save can take: after the next engine
// call on the page it holds one of its whole versions, no journal waits, and one more
// save in the folder leaves no temporary file. TITORA_CRASH_KILLS sets the number of
// kills per road (a few by default, to keep the test run short).
//
// A kill asked for while the saver waits for the disk lands when the wait ends, and a
// write of a megabyte is over in a tenth of a millisecond: random kills seldom cut the
// page's own write. On one road a timer therefore kills the saver a random moment after
// that write of a larger page has begun.
#include "platform/platform.h"
#include "test_files.h"
#include "title_engine.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <ctime>
#include <iostream>
#include <map>
#include <random>

namespace titora {
namespace {

using test::Result;

// A page of about `size` bytes with LF line breaks, so that every save rewrites all of it.
std::string Page(std::size_t size) {
    std::string page = "<html>\n<head><title>Original</title></head>\n<body>\n";
    for (int line = 0; page.size() < size; ++line) {
        page += "<p>line " + std::to_string(line) + " of the page</p>\n";
    }
    return page + "</body></html>\n";
}

// `page` as a save with `title` leaves it.
std::string Saved(const std::string& page, const std::string& title) {
    std::string saved;
    for (const char c : page) {
        saved += c == '\n' ? "\r\n" : std::string(1, c);
    }
    const std::string old = "<title>Original</title>";
    return saved.replace(saved.find(old), old.size(), "<title>" + title + "</title>");
}

// Has a timer of the kernel's kill this process `delay` microseconds from now, however
// busy the processors are.
void KillAfter(useconds_t delay) {
    sigevent event{};
    event.sigev_notify = SIGEV_SIGNAL;
    event.sigev_signo = SIGKILL;
    timer_t timer;
    itimerspec when{};
    when.it_value.tv_nsec = 1000 + static_cast<long>(delay) * 1000;
    if (::timer_create(CLOCK_MONOTONIC, &event, &timer) != 0 ||
        ::timer_settime(timer, 0, &when, nullptr) != 0) {
        ::_exit(7);
    }
}

int KillsPerRoad() {
    const char* kills = std::getenv("TITORA_CRASH_KILLS");
    return kills != nullptr ? std::atoi(kills) : 12;
}

struct Road {
    std::string page;
    std::set<std::string> names; // what the folder holds besides temporary files
    bool unprivileged = false;
    bool aimed = false; // the saver kills itself while it writes the page over
};

class KilledSaves : public testing::Test {
protected:
    test::ScratchFolder folder;
    std::string original;
    std::string titledA;
    std::string titledB;

    KilledSaves() { UsePages(1u << 20); }

    void UsePages(std::size_t size) {
        original = Page(size);
        titledA = Saved(original, "A");
        titledB = Saved(original, "B");
    }

    bool IsWhole(const std::string& bytes) const {
        return bytes == original || bytes == titledA || bytes == titledB;
    }

    static std::string Folder(const Road& road) {
        return road.page.substr(0, road.page.rfind('/'));
    }

    // Starts a child that saves the page over and over with titles A and B in turn, and
    // kills it at a random moment; then the next call, as the same user, runs.
    void KillAndCheck(const Road& road, std::mt19937& random, std::map<std::string, int>* left) {
        const useconds_t delay =
            std::uniform_int_distribution<useconds_t>(0, road.aimed ? 1000 : 40000)(random);
        const pid_t pid = ::fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            if (road.unprivileged) {
                test::BecomeUnprivileged();
            }
            // The third write of an in-place save, after the journal's two, is the page's.
            int writes = 0;
            platform::SetCallHook([&](const char* call) {
                if (road.aimed && std::string(call) == "WriteAt" && ++writes == 3) {
                    KillAfter(delay);
                }
            });
            for (int i = 0;; ++i) {
                try {
                    WriteTitle(road.page, i % 2 == 0 ? "A" : "B");
                } catch (const TitleEngineError&) {
                    ::_exit(5);
                }
            }
        }
        if (!road.aimed) {
            ::usleep(delay);
            ::kill(pid, SIGKILL);
        }
        int status = 0;
        ::waitpid(pid, &status, 0);
        ASSERT_TRUE(WIFSIGNALED(status)) << "the saving child ended by itself: " << status;

        const std::string journals = road.unprivileged ? test::stateHomes.unprivilegedJournals()
                                                       : test::stateHomes.journals();
        const std::string killed =
            test::ScratchFolder::Names(Folder(road)).size() > road.names.size() ? "a temporary file"
            : !IsWhole(test::ReadBytes(road.page))                              ? "a torn page"
            : !test::Journals(journals).empty()                                 ? "a journal"
                                                                                : "";
        ++(*left)[killed];
        const test::Outcome title =
            test::RunInChild([&] { return ReadTitle(road.page); }, road.unprivileged);
        const std::string bytes = test::ReadBytes(road.page);
        EXPECT_TRUE(IsWhole(bytes))
            << "a damaged page of " << bytes.size() << " bytes, read as " << title;
        EXPECT_EQ(test::Journals(journals), std::set<std::string>{});
    }

    void KillSaves(const Road& road) {
        const unsigned seed =
            static_cast<unsigned>(std::chrono::steady_clock::now().time_since_epoch().count());
        std::mt19937 random(seed);
        std::map<std::string, int> left;
        const int kills = road.aimed ? std::max(3, KillsPerRoad() / 3) : KillsPerRoad();
        for (int i = 0; i < kills && !HasFailure(); ++i) {
            KillAndCheck(road, random, &left);
        }
        // What the kills left for the next call and the next save to mend.
        std::cout << kills << " kills (seed " << seed << ") left";
        for (const auto& [what, count] : left) {
            std::cout << ", " << (what.empty() ? "nothing" : what) << ": " << count;
        }
        std::cout << "\n";
        // One more save, and nothing is left behind.
        const auto save = [&] {
            WriteTitle(road.page, "Last");
            return std::string("written");
        };
        EXPECT_EQ(test::RunInChild(save, road.unprivileged), Result("written"));
        EXPECT_EQ(test::ScratchFolder::Names(Folder(road)), road.names);
    }

    // A folder inside the scratch folder, owned by root, with mode `mode`.
    std::string Subfolder(const std::string& name, mode_t mode) {
        const std::string path = folder / name;
        ::mkdir(path.c_str(), mode);
        ::chmod(path.c_str(), mode);
        return path;
    }
};

TEST_F(KilledSaves, ThroughATemporaryFile) {
    const std::string page = folder / "page.html";
    test::WriteBytes(page, original);
    KillSaves({page, {"page.html"}, false});
}

TEST_F(KilledSaves, InPlaceWithHardLinks) {
    const std::string page = folder / "page.html";
    test::WriteBytes(page, original);
    ASSERT_EQ(::link(page.c_str(), (folder / "other.html").c_str()), 0);
    KillSaves({page, {"page.html", "other.html"}, false});
}

TEST_F(KilledSaves, InPlaceWhileWritingThePage) {
    UsePages(16u << 20);
    const std::string page = folder / "page.html";
    test::WriteBytes(page, original);
    ASSERT_EQ(::link(page.c_str(), (folder / "other.html").c_str()), 0);
    KillSaves({page, {"page.html", "other.html"}, false, true});
}

TEST_F(KilledSaves, InPlaceForAnotherOwnersPage) {
    if (!test::IsRoot()) {
        GTEST_SKIP() << "needs root to give the page to another user";
    }
    // The usual shared web folder: the page belongs to another user, and its group,
    // which the saving user is in, may write it and the folder.
    const std::string shared = Subfolder("shared", 0775);
    ASSERT_EQ(::chown(shared.c_str(), 0, test::kNogroup), 0);
    const std::string page = shared + "/page.html";
    test::WriteBytes(page, original, 0664);
    ASSERT_EQ(::chown(page.c_str(), 4242, test::kNogroup), 0);
    KillSaves({page, {"page.html"}, true});
}

TEST_F(KilledSaves, InPlaceInAFolderTheUserCannotWrite) {
    if (!test::IsRoot()) {
        GTEST_SKIP() << "needs root to give the page to another user";
    }
    const std::string locked = Subfolder("locked", 0755);
    const std::string page = locked + "/page.html";
    test::WriteBytes(page, original);
    ASSERT_EQ(::chown(page.c_str(), test::kNobody, test::kNogroup), 0);
    KillSaves({page, {"page.html"}, true});
}

} // namespace
} // namespace titora
