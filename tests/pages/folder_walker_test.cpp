// Walking dropped files and folders for pages, on real folder trees.
#include "folder_walker.h"
#include "test_files.h"

#include <algorithm>
#include <filesystem>
#include <gtest/gtest.h>

using titora::WalkPages;
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
    std::filesystem::create_directories(root / "b/z");
    for (const char* name : {"c.HTM", "a.asp", "notes.txt", "b/z/y.shtml", "b/x.html", "B.html"})
        WriteBytes(root / name, "<title>t</title>");
    // Each system's walk joins names with its own separator.
    const char separator = (root / "").back();
    const auto native = [separator](std::string path) {
        std::replace(path.begin(), path.end(), '/', separator);
        return path;
    };
    EXPECT_EQ(Walk(root.path(), {root.path()}),
              native("+B.html +a.asp +b/x.html +b/z/y.shtml +c.HTM"));
    // A file named on its own is handed on whatever its name, missing ones too.
    EXPECT_EQ(Walk(root.path(), {root / "notes.txt", root / "gone", root / native("b/z")}),
              native("+notes.txt +gone +b/z/y.shtml"));
}

// Pipes, symbolic links and folders closed to their reader, as POSIX systems make them.
// On Windows links need a privilege that the tests do not have (nor wine), and a folder's
// permissions are an access list; the Windows listing's own cases run in titora-cli's
// tests there.
#ifndef _WIN32

TEST(FolderWalker, WhatIsNeitherFileNorFolderIsSkipped) {
    ScratchFolder root;
    WriteBytes(root / "a.html", "");
    ::mkfifo((root / "pipe.html").c_str(), 0644);
    EXPECT_EQ(Walk(root.path(), {root.path()}), "+a.html -pipe.html");
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
    const auto outcome =
        titora::test::RunInChild([&] { return Walk(root.path(), {root.path()}); }, true);
    EXPECT_EQ(outcome.text, "-closed +open.html");
}

#endif

} // namespace
