// Keeping a page's line breaks, the undo copies a retitle keeps, and undoing it: byte for
// byte on real files, with a page changed in between and one written in place.
#include "title_engine.h"

#include "platform/platform.h"
#include "test_files.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>
#include <string_view>
#include <thread>

namespace titora {
namespace {

TitleEncoder Fixed(std::string title) {
    return [title](std::string_view) { return title; };
}

class Undo : public testing::Test {
protected:
    void SetUp() override { test::ScratchFolder::RemoveTree(test::stateHomes.journals()); }
    test::ScratchFolder folder;
};

TEST(KeepLineBreaks, OnlyTheTitlesBytesChange) {
    test::ScratchFolder folder;
    const std::string page = folder / "a.html";
    struct Case {
        const char* before;
        const char* after;
    };
    for (const Case& c : {
             Case{"<html>\n<head><title>Old</title></head>\n<body>\r\n</body>\r",
                  "<html>\n<head><title>New</title></head>\n<body>\r\n</body>\r"},
             Case{"<html>\n<head>\n</head>\n", "<html>\n<head><title>New</title>\n</head>\n"},
             Case{"\n\n<p>x\r\n", "<head><title>New</title></head>\n\n<p>x\r\n"},
         }) {
        test::WriteBytes(page, c.before);
        WriteTitle(page, Fixed("New"), WriteOptions{true, nullptr});
        EXPECT_EQ(test::ReadBytes(page), c.after);
    }
    // The same title again changes nothing, and the refusals stay.
    WriteTitle(page, Fixed("New"), WriteOptions{true, nullptr});
    EXPECT_EQ(test::ReadBytes(page), "<head><title>New</title></head>\n\n<p>x\r\n");
    test::WriteBytes(page, "<title>open\n");
    EXPECT_THROW(WriteTitle(page, Fixed("x"), WriteOptions{true, nullptr}), TitleEngineError);
    EXPECT_EQ(test::ReadBytes(page), "<title>open\n");
}

TEST_F(Undo, PutsBackWhatTheRetitleLeftAndNamesWhatChangedSince) {
    const std::string a = folder / "a.html";
    const std::string b = folder / "b.html";
    const std::string c = folder / "c.html";
    test::WriteBytes(a, "<title>A</title>\n");
    test::WriteBytes(b, "<title>B</title>\n");
    test::WriteBytes(c, "<title>C</title>\r\n");
    {
        UndoCopies undo;
        WriteTitle(a, Fixed("New"), WriteOptions{false, &undo});
        WriteTitle(b, Fixed("New"), WriteOptions{true, &undo});
        WriteTitle(c, Fixed("C"), WriteOptions{false, &undo}); // unchanged: no copy
        EXPECT_TRUE(undo.keeping());
    }
    EXPECT_EQ(LastRetitleState(), UndoState::kUndoable);
    test::WriteBytes(b, "<title>Edited by hand</title>\n");

    const UndoReport trial = UndoLastRetitle(true);
    EXPECT_EQ(trial.restored.size(), 1u);
    EXPECT_EQ(test::ReadBytes(a), "<title>New</title>\r\n");

    const UndoReport report = UndoLastRetitle(false);
    EXPECT_EQ(report.state, UndoState::kUndoable);
    ASSERT_EQ(report.restored.size(), 1u);
    EXPECT_NE(report.restored[0].find("a.html"), std::string::npos);
    ASSERT_EQ(report.changedSince.size(), 1u);
    EXPECT_NE(report.changedSince[0].find("b.html"), std::string::npos);
    EXPECT_TRUE(report.failures.empty());
    EXPECT_EQ(test::ReadBytes(a), "<title>A</title>\n");
    EXPECT_EQ(test::ReadBytes(b), "<title>Edited by hand</title>\n");
    // An undone retitle cannot be undone again.
    EXPECT_EQ(LastRetitleState(), UndoState::kUndone);
    EXPECT_TRUE(UndoLastRetitle(false).restored.empty());
    EXPECT_EQ(test::ReadBytes(a), "<title>A</title>\n");
}

TEST_F(Undo, PageWithSeveralNamesIsPutBackInPlace) {
    const std::string a = folder / "a.html";
    test::WriteBytes(a, "<title>A</title>\n");
    ASSERT_TRUE(test::HardLink(a, folder / "other.html"));
    {
        UndoCopies undo;
        WriteTitle(a, Fixed("New"), WriteOptions{true, &undo});
    }
    EXPECT_EQ(UndoLastRetitle(false).restored.size(), 1u);
    EXPECT_EQ(test::ReadBytes(folder / "other.html"), "<title>A</title>\n");
    EXPECT_EQ(test::Journals(test::stateHomes.journals()), std::set<std::string>{});
}

TEST_F(Undo, ARetitleWithoutCopiesCannotBeUndone) {
    const std::string a = folder / "a.html";
    test::WriteBytes(a, "<title>A</title>");
    {
        UndoCopies undo(false);
        WriteTitle(a, Fixed("New"), WriteOptions{false, &undo});
    }
    EXPECT_EQ(LastRetitleState(), UndoState::kTooLarge);
    EXPECT_EQ(UndoLastRetitle(false).state, UndoState::kTooLarge);
    EXPECT_EQ(test::ReadBytes(a), "<title>New</title>");
}

// An undo begun while a retitle is under way waits for the retitle to end and then undoes
// all of it: it neither clears the copies the retitle goes on keeping nor misses a page.
TEST_F(Undo, UndoDuringARetitleWaitsForIt) {
    const std::string a = folder / "a.html";
    const std::string b = folder / "b.html";
    test::WriteBytes(a, "<title>A</title>");
    test::WriteBytes(b, "<title>B</title>");
    std::mutex lock;
    std::condition_variable changed;
    bool waiting = false;
    UndoReport report;
    std::thread undoing;
    const std::thread::id retitling = std::this_thread::get_id();
    {
        UndoCopies undo;
        WriteTitle(a, Fixed("New"), WriteOptions{false, &undo});
        // The undo is about to wait for a lock, or, were it not to wait, has read the
        // copies already and waits for the page.
        platform::SetCallHook([&](const char* call) {
            if (std::this_thread::get_id() != retitling && std::string(call) == "Lock") {
                const std::lock_guard<std::mutex> held(lock);
                waiting = true;
                changed.notify_all();
            }
        });
        undoing = std::thread([&] { report = UndoLastRetitle(false); });
        std::unique_lock<std::mutex> held(lock);
        changed.wait(held, [&] { return waiting; });
        held.unlock();
        WriteTitle(b, Fixed("New"), WriteOptions{false, &undo});
    }
    undoing.join();
    platform::SetCallHook({});
    EXPECT_EQ(report.restored.size(), 2u);
    EXPECT_TRUE(report.failures.empty());
    EXPECT_EQ(test::ReadBytes(a), "<title>A</title>");
    EXPECT_EQ(test::ReadBytes(b), "<title>B</title>");
    EXPECT_EQ(LastRetitleState(), UndoState::kUndone);
}

// A page with two names is rewritten in place after a journal. Its journal must hold the
// bytes a save keeping line breaks writes, which the old bytes and the title alone would
// rebuild with CR LF: else a save torn by a crash would be taken for someone else's change
// and the page left torn.
TEST_F(Undo, TornSaveKeepingLineBreaksIsUndoneByTheNextCall) {
    struct Killed {};
    const std::string old = "<html>\n<head><title>Old</title></head>\n<body>text</body>\n";
    const std::string page = folder / "a.html";
    for (const bool finished : {false, true}) {
        test::WriteBytes(page, old);
        ASSERT_TRUE(test::HardLink(page, folder / (finished ? "b.html" : "c.html")));
        int writes = 0;
        // The journal's head and tail are the first two writes; the page's is the third.
        platform::SetCallHook([&](const char* call) {
            if (std::string(call) == (finished ? "Truncate" : "WriteAt") &&
                ++writes == (finished ? 1 : 3)) {
                throw Killed();
            }
        });
        EXPECT_THROW(WriteTitle(page, Fixed("New"), WriteOptions{true, nullptr}), Killed);
        platform::SetCallHook({});
        if (!finished) {
            test::WriteBytes(page, "<html>\n<head><title>Ne" + old.substr(22)); // "Ned"
        }
        EXPECT_EQ(ReadTitle(page), finished ? "New" : "Old");
        EXPECT_EQ(test::Journals(test::stateHomes.journals()), std::set<std::string>{});
    }
}

TEST(Outline, SaysWhereTheTitleGoesAndWhatIsRefused) {
    test::ScratchFolder folder;
    const std::string page = folder / "a.html";
    struct Case {
        const char* bytes;
        int place;
        bool hasTitle;
        const char* heading;
        bool refused;
    };
    for (const Case& c : {
             Case{"<title>T</title><h1 class=x>Big <b>one</b></h1>", 0, true, "Big <b>one</b>",
                  false},
             Case{"<head></head><h10>no</h10>", 1, false, "", false},
             Case{"<html><body>", 2, false, "", false},
             Case{"plain", 3, false, "", false},
             Case{"<title>open", 0, true, "", true},
             Case{"<title>x</title>\0", 0, true, "", true},
         }) {
        test::WriteBytes(page, std::string(c.bytes, std::char_traits<char>::length(c.bytes) +
                                                        (c.refused && c.hasTitle ? 1 : 0)));
        const PageOutline outline = OutlinePage(page);
        EXPECT_EQ(outline.place, c.place) << c.bytes;
        EXPECT_EQ(outline.hasTitle, c.hasTitle) << c.bytes;
        EXPECT_EQ(outline.heading, c.heading) << c.bytes;
        EXPECT_EQ(!outline.refusal.empty(), c.refused) << c.bytes;
    }
}

} // namespace
} // namespace titora
