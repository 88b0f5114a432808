// The file list's rows and commands without any widget: path splitting, Add Files and
// Title It with their failure behaviour, checked against a fake engine that records calls.
#include "file_list.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>
#include <set>
#include <stdexcept>

using titora::FileList;
using titora::FileRow;
using titora::PathParts;
using titora::TitleEngine;

namespace {

// The two folders the pages live in, spelt as the system spells folders.
#ifdef _WIN32
const std::string D = "C:\\d\\";
const std::string E = "C:\\e\\";
#else
const std::string D = "/d/";
const std::string E = "/e/";
#endif

// Files live in a map; paths in `unreadable` / `unwritable` fail like the real engine does.
// A page may declare an encoding; writing asks the encoder for that page's bytes.
struct FakeDisk {
    std::map<std::string, std::string> titles;
    std::map<std::string, std::string> declared;
    std::set<std::string> unreadable;
    std::set<std::string> unwritable;
    std::vector<std::string> calls;

    TitleEngine Engine() {
        return TitleEngine{[this](const std::string& path) {
                               calls.push_back("read " + path);
                               if (unreadable.count(path) || !titles.count(path))
                                   throw std::runtime_error("Cannot open file " + path);
                               return titora::PageTitle{titles[path], declared[path]};
                           },
                           [this](const std::string& path, const titora::TitleEncoder& encode,
                                  const titora::WriteOptions&) {
                               calls.push_back("write " + path);
                               if (unwritable.count(path) || !titles.count(path))
                                   throw std::runtime_error("Cannot create file " + path);
                               titles[path] = encode(declared[path]);
                           }};
    }
};

// The typed `title`, marked with the encoding of the page it is made for.
titora::TitleEncoder Typed(const std::string& title) {
    return [title](std::string_view declared) {
        return declared.empty() ? title : title + " in " + std::string(declared);
    };
}

std::vector<std::string> Names(const FileList& list) {
    std::vector<std::string> names;
    for (const FileRow& row : list.Rows())
        names.push_back(row.name);
    return names;
}

// A list of /d/A ... /d/E, all titled "old", with the given rows selected.
FileList FiveRows(FakeDisk& disk, const std::string& selected) {
    FileList list;
    std::vector<std::string> paths;
    for (char c : std::string("ABCDE")) {
        disk.titles[D + std::string(1, c)] = "old";
        paths.push_back(D + std::string(1, c));
    }
    list.AddFiles(paths, disk.Engine());
    for (std::size_t i = 0; i < list.Count(); ++i)
        list.SetSelected(i, selected.find(list.Row(i).name) != std::string::npos);
    disk.calls.clear();
    return list;
}

bool IsShiftJisLead(unsigned char c) {
    return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

} // namespace

struct SplitCase {
    const char* path;
    const char* folder;
    const char* name;
};

class PosixSplit : public testing::TestWithParam<SplitCase> {};
TEST_P(PosixSplit, CutsAtTheLastSlash) {
    const PathParts parts = titora::SplitPosixPath(GetParam().path);
    EXPECT_EQ(parts.folder, GetParam().folder);
    EXPECT_EQ(parts.name, GetParam().name);
    EXPECT_EQ(parts.folder + parts.name, GetParam().path);
}
INSTANTIATE_TEST_SUITE_P(Paths, PosixSplit,
                         testing::Values(SplitCase{"/srv/www/index.html", "/srv/www/",
                                                   "index.html"},
                                         SplitCase{"index.html", "", "index.html"},
                                         SplitCase{"/index.html", "/", "index.html"},
                                         SplitCase{"/srv/www/", "/srv/www/", ""},
                                         SplitCase{"", "", ""}, SplitCase{"a//b", "a//", "b"},
                                         SplitCase{"C:\\web\\a.htm", "", "C:\\web\\a.htm"}));

class WindowsSplit : public testing::TestWithParam<SplitCase> {};
TEST_P(WindowsSplit, CutsAtTheLastBackslashOrColonOutsideDoubleByteCharacters) {
    const PathParts parts = titora::SplitWindowsPath(GetParam().path, IsShiftJisLead);
    EXPECT_EQ(parts.folder, GetParam().folder);
    EXPECT_EQ(parts.name, GetParam().name);
    EXPECT_EQ(parts.folder + parts.name, GetParam().path);
}
INSTANTIATE_TEST_SUITE_P(
    Paths, WindowsSplit,
    testing::Values(SplitCase{"C:\\web\\index.htm", "C:\\web\\", "index.htm"},
                    SplitCase{"C:index.htm", "C:", "index.htm"},
                    SplitCase{"index.htm", "", "index.htm"},
                    SplitCase{"\\\\server\\share\\a.asp", "\\\\server\\share\\", "a.asp"},
                    SplitCase{"/unix/style.htm", "", "/unix/style.htm"},
                    // 0x83 0x5C is one Shift-JIS character whose second byte looks like "\".
                    SplitCase{"C:\\web\\\x83\x5C.htm", "C:\\web\\", "\x83\x5C.htm"},
                    SplitCase{"\x83\x5C\x83\x5C", "", "\x83\x5C\x83\x5C"},
                    // A lead byte with nothing after it is an ordinary byte.
                    SplitCase{"C:\\\x83", "C:\\", "\x83"}));

TEST(FullPath, IsFolderThenNameAndFailsForARowWithoutSubItems) {
    EXPECT_EQ(titora::FullPath(FileRow{"a.htm", "t", D, true, false, ""}), D + "a.htm");
    EXPECT_EQ(titora::FullPath(FileRow{"", "t", D, true, false, ""}), D);
    try {
        titora::FullPath(FileRow{"a.htm", "", "", false, false, ""});
        FAIL() << "no error";
    } catch (const std::runtime_error& e) {
        EXPECT_STREQ(e.what(), "List index out of bounds (1)");
    }
}

TEST(AddFiles, ListsEachFileInOrderWithDuplicates) {
    FakeDisk disk;
    disk.titles = {{D + "a.htm", "Alpha"}, {E + "b.htm", ""}};
    disk.declared[E + "b.htm"] = "Shift_JIS";
    FileList list;
    list.AddFiles({D + "a.htm", E + "b.htm", D + "a.htm"}, disk.Engine());
    ASSERT_EQ(list.Count(), 3u);
    EXPECT_EQ(list.Row(0).name, "a.htm");
    EXPECT_EQ(list.Row(0).title, "Alpha");
    EXPECT_EQ(list.Row(0).folder, D);
    EXPECT_EQ(list.Row(0).declaredEncoding, "");
    EXPECT_EQ(list.Row(1).title, "");
    EXPECT_EQ(list.Row(1).declaredEncoding, "Shift_JIS");
    EXPECT_TRUE(list.Row(1).hasSubItems);
    EXPECT_EQ(list.Row(2).folder + list.Row(2).name, D + "a.htm");
    EXPECT_FALSE(list.Row(0).selected);
    EXPECT_FALSE(list.FileSelected());
}

TEST(AddFiles, AFailedReadKeepsTheNameOnlyRowAndStops) {
    FakeDisk disk;
    disk.titles = {{D + "a.htm", "A"}, {D + "c.htm", "C"}, {D + "z.htm", "Z"}};
    FileList list;
    list.AddFiles({D + "z.htm"}, disk.Engine());
    try {
        list.AddFiles({D + "a.htm", D + "missing.htm", D + "c.htm"}, disk.Engine());
        FAIL() << "no error";
    } catch (const std::runtime_error& e) {
        EXPECT_EQ(e.what(), "Cannot open file " + D + "missing.htm");
    }
    EXPECT_EQ(Names(list), (std::vector<std::string>{"z.htm", "a.htm", "missing.htm"}));
    EXPECT_FALSE(list.Row(2).hasSubItems);
    EXPECT_EQ(list.Row(2).folder, "");
    EXPECT_EQ(disk.calls.back(), "read " + D + "missing.htm") << "later files are not read";
}

TEST(RetitleSelected, MovesTheRetitledRowsToTheEndInReverseOrder) {
    FakeDisk disk;
    FileList list = FiveRows(disk, "BD");
    disk.declared[D + "B"] = "latin1"; // since the list read it: the write asks the page
    list.RetitleSelected(Typed("New"), disk.Engine());
    EXPECT_EQ(Names(list), (std::vector<std::string>{"A", "C", "E", "D", "B"}));
    EXPECT_EQ(disk.calls, (std::vector<std::string>{"write " + D + "D", "read " + D + "D",
                                                    "write " + D + "B", "read " + D + "B"}));
    for (const FileRow& row : list.Rows()) {
        EXPECT_FALSE(row.selected) << row.name;
        EXPECT_EQ(row.title, row.name == "B"   ? "New in latin1"
                             : row.name == "D" ? "New"
                                               : "old")
            << row.name;
    }
}

TEST(RetitleSelected, WritesTheSameFileOnceForEachOfItsSelectedRows) {
    FakeDisk disk;
    disk.titles[D + "a"] = "old";
    FileList list;
    list.AddFiles({D + "a", D + "a"}, disk.Engine());
    list.SetSelected(0, true);
    list.SetSelected(1, true);
    disk.calls.clear();
    list.RetitleSelected(Typed(" "), disk.Engine());
    EXPECT_EQ(disk.calls.size(), 4u);
    EXPECT_EQ(list.Row(0).title, " ");
    EXPECT_EQ(list.Row(1).title, " ");
}

struct FailureCase {
    const char* what;
    const char* selected;
    const char* failure; // "write X", "read X" or "nofolder X"
    std::vector<std::string> order;
    std::string message;
};

class RetitleFailure : public testing::TestWithParam<FailureCase> {};
TEST_P(RetitleFailure, LeavesThePartialResultOfTheStepByStepRoad) {
    const FailureCase& c = GetParam();
    SCOPED_TRACE(c.what);
    FakeDisk disk;
    FileList list = FiveRows(disk, c.selected);
    const std::string kind = std::string(c.failure).substr(0, std::string(c.failure).find(' '));
    const std::string who = std::string(c.failure).substr(kind.size() + 1);
    if (kind == "write")
        disk.unwritable.insert(D + who);
    if (kind == "read")
        disk.unreadable.insert(D + who);
    if (kind == "nofolder") {
        // A row that a failed read left with its name only.
        FileList rebuilt;
        for (const FileRow& row : list.Rows()) {
            FileRow copy = row;
            if (row.name == who)
                copy = FileRow{row.name, "", "", false, row.selected, ""};
            rebuilt.Append({copy});
        }
        list = rebuilt;
    }
    try {
        list.RetitleSelected(Typed("New"), disk.Engine());
        FAIL() << "no error";
    } catch (const std::runtime_error& e) {
        EXPECT_EQ(e.what(), c.message);
    }
    EXPECT_EQ(Names(list), c.order);
    if (kind == "read") {
        EXPECT_EQ(disk.titles[D + who], "New") << "the file keeps the new title";
        EXPECT_FALSE(list.Rows().back().hasSubItems);
        EXPECT_FALSE(list.Rows().back().selected);
    }
    if (kind == "nofolder") {
        EXPECT_EQ(std::count(disk.calls.begin(), disk.calls.end(), "write " + D + who), 0);
    }
}
INSTANTIATE_TEST_SUITE_P(Cases, RetitleFailure,
                         testing::Values(FailureCase{"first visited row",
                                                     "BD",
                                                     "write D",
                                                     {"A", "B", "C", "D", "E"},
                                                     "Cannot create file " + D + "D"},
                                         FailureCase{"after one row",
                                                     "BD",
                                                     "write B",
                                                     {"A", "B", "C", "E", "D"},
                                                     "Cannot create file " + D + "B"},
                                         FailureCase{"re-read",
                                                     "BD",
                                                     "read B",
                                                     {"A", "C", "E", "D", "B"},
                                                     "Cannot open file " + D + "B"},
                                         FailureCase{"re-read of the first",
                                                     "ABDE",
                                                     "read E",
                                                     {"A", "B", "C", "D", "E"},
                                                     "Cannot open file " + D + "E"},
                                         FailureCase{"row without folder",
                                                     "ACE",
                                                     "nofolder C",
                                                     {"A", "B", "C", "D", "E"},
                                                     "List index out of bounds (1)"}));

// The step-by-step road exactly as the list control walks it: delete the row, append its
// replacement. The linear version must give the same rows, order, selection and calls.
void StepByStep(std::vector<FileRow>& rows, const std::string& title, const TitleEngine& engine) {
    for (std::size_t i = rows.size(); i-- > 0;) {
        if (!rows[i].selected)
            continue;
        const std::string path = titora::FullPath(rows[i]);
        engine.WriteTitle(path, Typed(title), {});
        rows.erase(rows.begin() + static_cast<std::ptrdiff_t>(i));
        const PathParts parts = titora::SplitPath(path);
        rows.push_back(FileRow{parts.name, "", "", false, false, ""});
        rows.back().title = engine.ReadTitle(path).title;
        rows.back().folder = parts.folder;
        rows.back().hasSubItems = true;
    }
}

TEST(RetitleSelected, AgreesWithTheStepByStepRoadOnRandomLists) {
    std::mt19937 random(12345);
    for (int round = 0; round < 400; ++round) {
        const int n = static_cast<int>(random() % 12);
        FakeDisk disk;
        std::vector<FileRow> rows;
        for (int i = 0; i < n; ++i) {
            const std::string name = std::to_string(random() % 8);
            disk.titles[D + name] = "old";
            const bool noFolder = random() % 10 == 0;
            rows.push_back(FileRow{name, noFolder ? "" : "old", noFolder ? "" : D, !noFolder,
                                   random() % 2 == 0, ""});
        }
        const std::string victim = D + std::to_string(random() % 10);
        if (random() % 2)
            disk.unwritable.insert(victim);
        else
            disk.unreadable.insert(victim);
        FakeDisk referenceDisk = disk;

        FileList list;
        list.Append(std::vector<FileRow>(rows));
        std::string error, referenceError;
        try {
            list.RetitleSelected(Typed("T"), disk.Engine());
        } catch (const std::runtime_error& e) {
            error = e.what();
        }
        try {
            StepByStep(rows, "T", referenceDisk.Engine());
        } catch (const std::runtime_error& e) {
            referenceError = e.what();
        }
        ASSERT_EQ(error, referenceError) << "round " << round;
        ASSERT_EQ(disk.calls, referenceDisk.calls) << "round " << round;
        ASSERT_EQ(list.Count(), rows.size()) << "round " << round;
        for (std::size_t i = 0; i < rows.size(); ++i) {
            const FileRow& got = list.Row(i);
            ASSERT_EQ(got.name, rows[i].name) << "round " << round << " row " << i;
            ASSERT_EQ(got.title, rows[i].title) << "round " << round << " row " << i;
            ASSERT_EQ(got.folder, rows[i].folder) << "round " << round << " row " << i;
            ASSERT_EQ(got.hasSubItems, rows[i].hasSubItems) << "round " << round << " row " << i;
            ASSERT_EQ(got.selected, rows[i].selected) << "round " << round << " row " << i;
        }
    }
}

TEST(RemoveSelected, KeepsTheUnselectedRowsInOrder) {
    FakeDisk disk;
    FileList list = FiveRows(disk, "ACE");
    list.RemoveSelected();
    EXPECT_EQ(Names(list), (std::vector<std::string>{"B", "D"}));
    EXPECT_TRUE(disk.calls.empty());
    list.RemoveAll();
    EXPECT_EQ(list.Count(), 0u);
}

// A stop asked for while a file is in hand ends the command after that file, counted.
TEST(Progress, AStopEndsTheCommandAfterTheFileInHand) {
    FakeDisk disk;
    titora::Progress progress;
    TitleEngine engine = disk.Engine();
    const auto read = engine.ReadTitle;
    engine.ReadTitle = [&](const std::string& path) {
        if (path == D + "C")
            progress.RequestStop();
        return read(path);
    };
    FileList list = FiveRows(disk, "ABCDE");
    std::vector<FileRow> rows;
    titora::AppendFileRows({D + "B", D + "C", D + "D"}, engine, rows, &progress);
    EXPECT_EQ(rows.size(), 2u);
    EXPECT_EQ(progress.Done(), 2u);
    EXPECT_EQ(progress.Total(), 3u);

    titora::Progress retitle;
    engine.WriteTitle = [&, write = engine.WriteTitle](const std::string& path,
                                                       const titora::TitleEncoder& encode,
                                                       const titora::WriteOptions& options) {
        if (path == D + "D")
            retitle.RequestStop();
        write(path, encode, options);
    };
    list.RetitleSelected(Typed("New"), engine, &retitle);
    EXPECT_EQ(Names(list), (std::vector<std::string>{"A", "B", "C", "E", "D"}));
    EXPECT_EQ(retitle.Done(), 2u);
    EXPECT_EQ(retitle.Total(), 5u);
    EXPECT_TRUE(list.Row(2).selected) << "rows not reached keep their selection";
    EXPECT_EQ(disk.titles[D + "C"], "old");
}
