// titora-cli's entry: the title engine without a window, for scripts, makefiles and CI.
#include "run.h"

#include <string>
#include <vector>

int main(int argc, char* argv[]) {
    return titora::cli::Run(std::vector<std::string>(argv + 1, argv + argc), stdout, stderr);
}
