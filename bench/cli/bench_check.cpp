// titora-cli check against titora-cli list on the same 100,000 pages, walked from their
// folder with -r. Goal: check within 1.5 times list, although check reads every page whole
// (it counts every title element) where list stops at the first title. The pages are
// generated: 100 folders of 1,000 pages of 2 KB to 12 KB of ordinary markup, the title near
// the top, a few pages without one, with a duplicate or too long a title, as a site has.
// ReadTitleElements called in one process for every page, the read check cannot do
// without, shows how much of check's time is the reading. Each time is the best of
// several passes, the runs taking turns, so that a busy moment of the shared machine does
// not fall on one side of a ratio only.
#include "folder_walker.h"
#include "title_engine.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <spawn.h>
#include <stdexcept>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;
namespace fs = std::filesystem;

constexpr int kFolders = 100;
constexpr int kPagesPerFolder = 1000;

// One page: a head with its title, then paragraphs up to `size` bytes.
std::string Page(int number, std::size_t size, std::mt19937& random) {
    std::string title = "Product " + std::to_string(number) + " &ndash; Hazel &amp; Birch";
    if (number % 97 == 0)
        title = "Untitled Document";
    else if (number % 50 == 0)
        title += " | Buy online | Best prices | Free delivery on every order";
    std::string page = "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n";
    if (number % 200 != 0)
        page += "<title>" + title + "</title>\n";
    page += "<link rel=\"stylesheet\" href=\"/style.css\">\n</head>\n<body>\n";
    static const char* const kWords[] = {
        "oak",   "linen",  "table", "chair", "lamp", "wool", "<em>hand-made</em>",
        "&amp;", "garden", "bowl"};
    while (page.size() < size) {
        page += "<p>";
        for (int word = 0; word < 40; ++word) {
            page += kWords[random() % std::size(kWords)];
            page += ' ';
        }
        page += "</p>\n";
    }
    return page + "</body>\n</html>\n";
}

// Runs `args` with standard output on /dev/null and fails unless it exits with `expected`.
void RunProgram(const std::vector<std::string>& args, int expected) {
    std::vector<char*> argv;
    for (const std::string& arg : args)
        argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    const int spawned = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    int status = 0;
    if (spawned != 0 || ::waitpid(pid, &status, 0) != pid || !WIFEXITED(status) ||
        WEXITSTATUS(status) != expected)
        throw std::runtime_error(args[1] + " failed");
}

// The generated site, removed with this object.
class Site {
public:
    Site() {
        char name[] = "/tmp/titora-bench-check-XXXXXX";
        if (!::mkdtemp(name))
            throw std::runtime_error("cannot make a scratch folder");
        root_ = name;
        std::mt19937 random(19);
        std::uniform_int_distribution<std::size_t> size(2048, 12288);
        int number = 0;
        for (int folder = 0; folder < kFolders; ++folder) {
            const fs::path dir = fs::path(root_) / ("section-" + std::to_string(folder));
            fs::create_directory(dir);
            for (int page = 0; page < kPagesPerFolder; ++page, ++number) {
                std::ofstream(dir / ("page-" + std::to_string(page) + ".html"), std::ios::binary)
                    << Page(number, size(random), random);
            }
        }
    }
    ~Site() { fs::remove_all(root_); }
    const std::string& root() const { return root_; }

private:
    std::string root_;
};

struct Run {
    const char* name;
    std::function<void()> work;
    double best = 1e300;
};

void PrintRatio(const Run& run, const Run& base, double goal) {
    const double ratio = run.best / base.best;
    std::printf("%-18s %8.1f ms  against %-18s %8.1f ms  ratio %.2f", run.name, run.best * 1e3,
                base.name, base.best * 1e3, ratio);
    if (goal > 0)
        std::printf("  (goal <= %.1f: %s)", goal, ratio <= goal ? "met" : "missed");
    std::printf("\n");
}

} // namespace

int main(int argc, char** argv) {
    const int passes = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    std::printf("Generating %d pages...\n", kFolders * kPagesPerFolder);
    std::fflush(stdout);
    const Site site;
    std::vector<std::string> pages;
    titora::WalkPages(
        {site.root()}, [&](const std::string& page) { return pages.push_back(page), true; },
        [](const std::string&) {});
    Run runs[] = {
        {"cli list",
         [&] {
             RunProgram({TITORA_CLI, "list", "-r", site.root()}, 0);
         }},
        {"cli check",
         [&] {
             RunProgram({TITORA_CLI, "check", "-r", site.root()}, 1);
         }},
        {"ReadTitleElements",
         [&] {
             std::size_t elements = 0;
             for (const std::string& page : pages)
                 elements += titora::ReadTitleElements(page).elements.size();
             if (elements == 0)
                 throw std::runtime_error("no titles read");
         }},
    };
    constexpr int kRuns = static_cast<int>(std::size(runs));
    for (int pass = 0; pass < passes; ++pass) {
        for (int turn = 0; turn < kRuns; ++turn) {
            Run& run = runs[(pass + turn) % kRuns];
            const Clock::time_point start = Clock::now();
            run.work();
            const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
            run.best = std::min(run.best, seconds);
            std::printf("pass %d  %-18s %8.1f ms\n", pass + 1, run.name, seconds * 1e3);
            std::fflush(stdout);
        }
    }
    std::printf("\nBest pass of each:\n");
    PrintRatio(runs[1], runs[0], 1.5);
    PrintRatio(runs[1], runs[2], 0);
    return 0;
}
