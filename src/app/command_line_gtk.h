// The Linux clock's command line: --help and --version answer on standard
// output before anything else happens (no display, no lock, no signal to a
// running clock); every other argument is ignored, as on Windows.
#pragma once

#include <optional>

namespace tickora {

// The exit status when the command line asked a question and it has been
// answered; nothing when the clock is to start.
std::optional<int> AnswerCommandLine(int argc, char** argv);

}  // namespace tickora
