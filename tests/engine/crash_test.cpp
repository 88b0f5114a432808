// Saves killed at random moments, on each road a save can take: after the next engine
// call on the page it holds one of its whole versions, no journal waits, and one more
// save in the folder leaves no temporary file. TITORA_CRASH_KILLS sets the number of
// kills per road (a few by default, to keep the test run short).
//
// A kill asked for while the saver waits for the disk lands when the wait ends, and a
// write of a megabyte is over in a tenth of a millisecond: random kills seldom cut the
// page's own write. On one road the saver therefore kills itself a random moment after
// that write of a larger page has begun.
//
// The saver is a child process: forked on POSIX; on Windows this program started once
// more, which takes the saver's part before any test runs (see SaverPart).
#include "platform/platform.h"
#include "test_files.h"
#include "title_engine.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <iostream>
#include <map>
#include <random>
#include <thread>

#ifndef _WIN32
#include <csignal>
#include <ctime>
#endif

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

// `page` as a save with `title` keeping its line breaks leaves it.
std::string Kept(std::string page, const std::string& title) {
    const std::string old = "<title>Original</title>";
    return page.replace(page.find(old), old.size(), "<title>" + title + "</title>");
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
    // The saves keep the page's line breaks and undo copies, as titora-cli set does.
    bool keepLineBreaks = false;
};

// Saves `page` over and over with titles A and B in turn until the process is killed.
// With a delay, the process kills itself that many microseconds after the third write
// of a save has begun: that of the page itself, on the in-place road, after the
// journal's two.
[[noreturn]] void SaveUntilKilled(const std::string& page, long aimedDelay, bool keepLineBreaks) {
    int writes = 0;
    platform::SetCallHook([&](const char* call) {
        if (aimedDelay >= 0 && std::string(call) == "WriteAt" && ++writes == 3) {
#ifdef _WIN32
            // A thread of its own keeps time while this one writes.
            std::thread([aimedDelay] {
                const auto until =
                    std::chrono::steady_clock::now() + std::chrono::microseconds(aimedDelay);
                while (std::chrono::steady_clock::now() < until) {
                }
                ::TerminateProcess(::GetCurrentProcess(), 9);
            }).detach();
#else
            // A timer of the kernel's, however busy the processors are.
            sigevent event{};
            event.sigev_notify = SIGEV_SIGNAL;
            event.sigev_signo = SIGKILL;
            timer_t timer;
            itimerspec when{};
            when.it_value.tv_nsec = 1000 + aimedDelay * 1000;
            if (::timer_create(CLOCK_MONOTONIC, &event, &timer) != 0 ||
                ::timer_settime(timer, 0, &when, nullptr) != 0) {
                std::_Exit(7);
            }
#endif
        }
    });
    for (int i = 0;; ++i) {
        try {
            const std::string title = i % 2 == 0 ? "A" : "B";
            if (!keepLineBreaks) {
                WriteTitle(page, title);
                continue;
            }
            UndoCopies undo;
            WriteTitle(page, [&title](std::string_view) { return title; }, {true, &undo});
        } catch (const TitleEngineError&) {
            std::_Exit(5);
        }
    }
}

#ifdef _WIN32
// The environment that tells a started copy of this program to save a page: the page,
// the event it sets once it has started, and the aimed delay.
constexpr const char* kSaverPage = "TITORA_CRASH_SAVER_PAGE";
constexpr const char* kSaverStarted = "TITORA_CRASH_SAVER_STARTED";
constexpr const char* kSaverDelay = "TITORA_CRASH_SAVER_DELAY";
constexpr const char* kSaverKeepLineBreaks = "TITORA_CRASH_SAVER_KEEP_LINE_BREAKS";

std::string Variable(const char* name) {
    char value[MAX_PATH];
    const DWORD length = ::GetEnvironmentVariableA(name, value, sizeof value);
    return length > 0 && length < sizeof value ? std::string(value, length) : std::string();
}

// In a saver, the saver's part, before any test.
const bool saverPart = [] {
    const std::string page = Variable(kSaverPage);
    if (!page.empty()) {
        const HANDLE started =
            ::OpenEventA(EVENT_MODIFY_STATE, FALSE, Variable(kSaverStarted).c_str());
        ::SetEvent(started);
        SaveUntilKilled(page, std::atol(Variable(kSaverDelay).c_str()),
                        !Variable(kSaverKeepLineBreaks).empty());
    }
    return false;
}();

// Starts a saver of `road`'s page and kills it `delay` microseconds after it has started,
// unless it is aimed. False when it ended by itself.
bool KillASaver(const Road& road, long delay) {
    static int savers = 0;
    const std::string startedName =
        "titora-saver-" + std::to_string(::GetCurrentProcessId()) + "-" + std::to_string(++savers);
    const HANDLE started = ::CreateEventA(nullptr, TRUE, FALSE, startedName.c_str());
    test::SetEnvironment(kSaverPage, road.page);
    test::SetEnvironment(kSaverStarted, startedName);
    test::SetEnvironment(kSaverDelay, std::to_string(road.aimed ? delay : -1));
    test::SetEnvironment(kSaverKeepLineBreaks, road.keepLineBreaks ? "1" : "");
    char self[MAX_PATH];
    ::GetModuleFileNameA(nullptr, self, sizeof self);
    std::string commandLine = std::string("\"") + self + "\"";
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION saver = {};
    const bool made = ::CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0,
                                       nullptr, nullptr, &startup, &saver);
    ::SetEnvironmentVariableA(kSaverPage, nullptr);
    if (!made) {
        ::CloseHandle(started);
        return false;
    }
    ::WaitForSingleObject(started, 20000);
    if (!road.aimed) {
        const auto until = std::chrono::steady_clock::now() + std::chrono::microseconds(delay);
        while (std::chrono::steady_clock::now() < until) {
        }
        ::TerminateProcess(saver.hProcess, 9);
    }
    ::WaitForSingleObject(saver.hProcess, INFINITE);
    DWORD status = 0;
    ::GetExitCodeProcess(saver.hProcess, &status);
    ::CloseHandle(saver.hThread);
    ::CloseHandle(saver.hProcess);
    ::CloseHandle(started);
    return status == 9;
}

test::Outcome RunAs(const Road&, const std::function<std::string()>& call) {
    return test::Run(call);
}

std::string JournalsOf(const Road&) {
    return test::stateHomes.journals();
}
#else
bool KillASaver(const Road& road, long delay) {
    const pid_t pid = ::fork();
    if (pid == 0) {
        if (road.unprivileged) {
            test::BecomeUnprivileged();
        }
        SaveUntilKilled(road.page, road.aimed ? delay : -1, road.keepLineBreaks);
    }
    if (pid < 0) {
        return false;
    }
    if (!road.aimed) {
        ::usleep(static_cast<useconds_t>(delay));
        ::kill(pid, SIGKILL);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFSIGNALED(status);
}

// Runs `call` as the user that saves on `road`.
test::Outcome RunAs(const Road& road, const std::function<std::string()>& call) {
    return test::RunInChild(call, road.unprivileged);
}

std::string JournalsOf(const Road& road) {
    return road.unprivileged ? test::stateHomes.unprivilegedJournals()
                             : test::stateHomes.journals();
}
#endif

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
        return bytes == original || bytes == titledA || bytes == titledB ||
               bytes == Kept(original, "A") || bytes == Kept(original, "B");
    }

    static std::string Folder(const Road& road) {
        return road.page.substr(0, road.page.find_last_of("/\\"));
    }

    // Kills a saver at a random moment; then the next call, as the same user, runs.
    void KillAndCheck(const Road& road, std::mt19937& random, std::map<std::string, int>* left) {
        const long delay =
            std::uniform_int_distribution<long>(0, road.aimed ? 1000 : 40000)(random);
        ASSERT_TRUE(KillASaver(road, delay)) << "the saver ended by itself";
        const std::string journals = JournalsOf(road);
        const std::string killed =
            test::ScratchFolder::Names(Folder(road)).size() > road.names.size() ? "a temporary file"
            : !IsWhole(test::ReadBytes(road.page))                              ? "a torn page"
            : !test::Journals(journals).empty()                                 ? "a journal"
                                                                                : "";
        ++(*left)[killed];
        const test::Outcome title = RunAs(road, [&] { return ReadTitle(road.page); });
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
        EXPECT_EQ(RunAs(road, save), Result("written"));
        EXPECT_EQ(test::ScratchFolder::Names(Folder(road)), road.names);
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
    ASSERT_TRUE(test::HardLink(page, folder / "other.html"));
    KillSaves({page, {"page.html", "other.html"}, false});
}

TEST_F(KilledSaves, KeepingLineBreaksWithUndoCopies) {
    const std::string page = folder / "page.html";
    test::WriteBytes(page, original);
    KillSaves({page, {"page.html"}, false, false, true});
}

TEST_F(KilledSaves, InPlaceKeepingLineBreaksWithUndoCopies) {
    const std::string page = folder / "page.html";
    test::WriteBytes(page, original);
    ASSERT_TRUE(test::HardLink(page, folder / "other.html"));
    KillSaves({page, {"page.html", "other.html"}, false, false, true});
}

TEST_F(KilledSaves, InPlaceWhileWritingThePage) {
    UsePages(16u << 20);
    const std::string page = folder / "page.html";
    test::WriteBytes(page, original);
    ASSERT_TRUE(test::HardLink(page, folder / "other.html"));
    KillSaves({page, {"page.html", "other.html"}, false, true});
}

#ifndef _WIN32
// A folder inside `folder`, owned by root, with mode `mode`.
std::string Subfolder(const test::ScratchFolder& folder, const std::string& name, mode_t mode) {
    const std::string path = folder / name;
    ::mkdir(path.c_str(), mode);
    ::chmod(path.c_str(), mode);
    return path;
}

TEST_F(KilledSaves, InPlaceForAnotherOwnersPage) {
    if (!test::IsRoot()) {
        GTEST_SKIP() << "needs root to give the page to another user";
    }
    // The usual shared web folder: the page belongs to another user, and its group,
    // which the saving user is in, may write it and the folder.
    const std::string shared = Subfolder(folder, "shared", 0775);
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
    const std::string locked = Subfolder(folder, "locked", 0755);
    const std::string page = locked + "/page.html";
    test::WriteBytes(page, original);
    ASSERT_EQ(::chown(page.c_str(), test::kNobody, test::kNogroup), 0);
    KillSaves({page, {"page.html"}, true});
}
#endif

} // namespace
} // namespace titora
