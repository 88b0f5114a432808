// Walking dropped files and folders for pages, on real folder trees.
#include "folder_walker.h"
#include "test_files.h"

#include <gtest/gtest.h>

using titora::WalkPages;
using titora::test::RunInChild;
using titora::test::ScratchFolder;
using titora::test::WriteBytes;

namespace {

// What the walk of `paths` found and skipped, with `root` cut from each path: "+a.htm
// -sub" for the page a.htm and the skipped folder sub.
std::string Walk(const std::string& root, const std::vector<std::string>& paths) {
    std::string out;
    auto add = [&](char sign, const std::string& path) {
        out += (out.empty() ? "" : " ") + std::string(1, sign) +
               (path.rfind(root, 0) == 0 ? path.substr(root.size() + 1) : path);
    };
    WalkPages(
        paths, [&](const std::string& page) { return add('+', page), true; },
        [&](const std::string& path) { add('-', path); });
    return out;
}

TEST(FolderWalker, PageNames) {
    for (const char* name : {"a.html", "B.HTM", "c.sHtMl", "d.asp", ".html"})
        EXPECT_TRUE(titora::IsPageName(name)) << name;
    for (const char* name : {"a.txt", "a.html~", "html", "a.aspx", "a.htmlx", ""})
        EXPECT_FALSE(titora::IsPageName(name)) << name;
}

TEST(FolderWalker, NameOrderFoldersInPlaceAndOnlyPages) {
    ScratchFolder root;
    ::mkdir((root / "b").c_str(), 0755);
    ::mkdir((root / "b/z").c_str(), 0755);
    for (const char* name : {"c.HTM", "a.asp", "notes.txt", "b/z/y.shtml", "b/x.html", "B.html"})
        WriteBytes(root / name, "<title>t</title>");
    ::mkfifo((root / "pipe.html").c_str(), 0644);
    EXPECT_EQ(Walk(root.path(), {root.path()}),
              "+B.html +a.asp +b/x.html +b/z/y.shtml +c.HTM -pipe.html");
    // A file named on its own is handed on whatever its name, missing ones too.
    EXPECT_EQ(Walk(root.path(), {root / "notes.txt", root / "gone", root / "b/z"}),
              "+notes.txt +gone +b/z/y.shtml");
}

// A linked folder met in the walk is not entered (another user's link could lead a
// walk of root's anywhere); one named on its own is.
TEST(FolderWalker, LinkedFoldersAreNotEnteredUnlessNamed) {
    ScratchFolder root;
    ::mkdir((root / "site").c_str(), 0755);
    WriteBytes(root / "site/index.html", "");
    ::symlink(root.path().c_str(), (root / "site/loop").c_str());
    ::symlink((root / "site").c_str(), (root / "again").c_str());
    ::symlink((root / "missing.html").c_str(), (root / "dangling.html").c_str());
    EXPECT_EQ(Walk(root.path(), {root.path(), root / "site"}), "-dangling.html +site/index.html");
    EXPECT_EQ(Walk(root.path(), {root / "again"}), "+again/index.html");
}

TEST(FolderWalker, UnreadableFolderIsSkippedAndTheRestWalked) {
    ScratchFolder root;
    ::mkdir((root / "closed").c_str(), 0700);
    WriteBytes(root / "closed/secret.html", "");
    WriteBytes(root / "open.html", "");
    const auto outcome = RunInChild([&] { return Walk(root.path(), {root.path()}); }, true);
    EXPECT_EQ(outcome.text, "-closed +open.html");
}

} // namespace
