// titora-cli against the engine it stands on and against a Perl one-liner, on the
// engine benchmark's 10,000 generated pages. Goals: `list` within 1.3 times ReadTitle
// called in one process for every page, and faster than
//   perl -0777 -ne 'print "$ARGV\t", (/<title>(.*?)<\/title>/is ? $1 : "UnTitled"), "\n"'
// on the same files; `set` within 1.3 times WriteTitle called for every page. The
// programs' output goes to /dev/null; each time is the best of several passes, the
// passes of all runs interleaved, so that a busy moment of the shared machine does not
// fall on one side of a ratio only.
#include "page_corpus.h"
#include "title_engine.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <functional>
#include <spawn.h>
#include <stdexcept>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;
using titora::bench::PageCorpus;

// Runs `args` with standard output on /dev/null and fails unless it exits with 0.
void RunProgram(const std::vector<std::string>& args) {
    std::vector<char*> argv;
    for (const std::string& arg : args)
        argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    const int spawned = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    int status = 0;
    if (spawned != 0 || ::waitpid(pid, &status, 0) != pid || !WIFEXITED(status) ||
        WEXITSTATUS(status) != 0)
        throw std::runtime_error(args[0] + " failed");
}

struct Run {
    const char* name;
    std::function<void()> prepare; // untimed, before each pass
    std::function<void()> work;
    double best = 1e300;
};

std::vector<std::string> With(std::vector<std::string> front, const PageCorpus& corpus) {
    front.insert(front.end(), corpus.pages().begin(), corpus.pages().end());
    return front;
}

void PrintRatio(const Run& run, const Run& base, double goal) {
    const double ratio = run.best / base.best;
    std::printf("%-14s %8.1f ms  against %-14s %8.1f ms  ratio %.2f  (goal <= %.1f: %s)\n",
                run.name, run.best * 1e3, base.name, base.best * 1e3, ratio, goal,
                ratio <= goal ? "met" : "missed");
}

} // namespace

int main(int argc, char** argv) {
    const int passes = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    std::printf("Generating 10,000 pages...\n");
    std::fflush(stdout);
    const PageCorpus corpus(false);
    const std::vector<std::string> list = With({TITORA_CLI, "list"}, corpus);
    const std::vector<std::string> perl =
        With({"perl", "-0777", "-ne",
              R"(print "$ARGV\t", (/<title>(.*?)<\/title>/is ? $1 : "UnTitled"), "\n")"},
             corpus);
    int titleNumber = 0;
    std::string title;
    // Every pass starts from the generated pages, flushed (a write pass would leave
    // them longer, with CR LF breaks); a write pass writes a title they do not hold
    // yet, so that every page is saved.
    const auto restore = [&] {
        corpus.restorePages();
        title = "Benchmark title " + std::to_string(++titleNumber);
    };

    std::vector<Run> runs = {
        {"ReadTitle", restore,
         [&] {
             std::size_t length = 0;
             for (const std::string& page : corpus.pages())
                 length += titora::ReadTitle(page).size();
             if (length == 0)
                 throw std::runtime_error("no titles read");
         }},
        {"cli list", restore, [&] { RunProgram(list); }},
        {"perl -0777", restore, [&] { RunProgram(perl); }},
        {"WriteTitle", restore,
         [&] {
             for (const std::string& page : corpus.pages())
                 titora::WriteTitle(page, title);
         }},
        {"cli set", restore,
         [&] {
             std::vector<std::string> set = With({TITORA_CLI, "set", "--title", title}, corpus);
             RunProgram(set);
         }},
    };
    for (int pass = 0; pass < passes; ++pass) {
        // A different order in every pass, the same on every machine.
        std::rotate(runs.begin(), runs.begin() + pass % runs.size(), runs.end());
        for (Run& run : runs) {
            if (run.prepare)
                run.prepare();
            const Clock::time_point start = Clock::now();
            run.work();
            const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
            run.best = std::min(run.best, seconds);
            std::printf("pass %d  %-12s %8.1f ms\n", pass + 1, run.name, seconds * 1e3);
            std::fflush(stdout);
        }
    }
    const auto find = [&](const char* name) -> const Run& {
        return *std::find_if(runs.begin(), runs.end(),
                             [&](const Run& run) { return std::string(run.name) == name; });
    };
    std::printf("\nBest pass of each:\n");
    PrintRatio(find("cli list"), find("ReadTitle"), 1.3);
    PrintRatio(find("cli list"), find("perl -0777"), 1.0);
    PrintRatio(find("cli set"), find("WriteTitle"), 1.3);
    return 0;
}
