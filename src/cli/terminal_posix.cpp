#include "terminal.h"

#include <clocale>
#include <langinfo.h>

namespace titora::cli {

std::string TerminalEncoding() {
    const std::string previous = std::setlocale(LC_CTYPE, nullptr);
    std::string codeset;
    if (std::setlocale(LC_CTYPE, "") != nullptr) {
        codeset = nl_langinfo(CODESET);
        std::setlocale(LC_CTYPE, previous.c_str());
    }
    return codeset;
}

} // namespace titora::cli
