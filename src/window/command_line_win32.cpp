#include "command_line.h"

#include <cstdio>
#include <windows.h>

namespace titora {

namespace {

// Whether `which` standard handle leads somewhere: a window program started from a console
// has none, one whose output was redirected has a file or a pipe.
bool Leads(DWORD which) {
    const HANDLE handle = ::GetStdHandle(which);
    return handle != nullptr && handle != INVALID_HANDLE_VALUE &&
           ::GetFileType(handle) != FILE_TYPE_UNKNOWN;
}

} // namespace

void AnswerInCallersConsole() {
    const bool out = Leads(STD_OUTPUT_HANDLE);
    const bool err = Leads(STD_ERROR_HANDLE);
    if ((out && err) || !::AttachConsole(ATTACH_PARENT_PROCESS))
        return;
    if (!out && std::freopen("CONOUT$", "w", stdout) == nullptr)
        return;
    if (!err)
        std::freopen("CONOUT$", "w", stderr);
}

} // namespace titora
