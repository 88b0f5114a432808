#include "encodings.h"
#include "terminal.h"

#include <windows.h>

namespace titora::cli {

std::string TerminalEncoding() {
    const UINT console = ::GetConsoleOutputCP();
    const EncodingInfo* encoding = FindEncodingByCodePage(console != 0 ? console : ::GetACP());
    return encoding != nullptr ? std::string(encoding->name) : std::string("UTF-8");
}

} // namespace titora::cli
