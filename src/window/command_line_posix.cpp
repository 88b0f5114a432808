#include "command_line.h"

namespace titora {

// A program started from a terminal shares its output; one started otherwise has none.
void AnswerInCallersConsole() {}

} // namespace titora
