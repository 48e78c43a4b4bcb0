#pragma once
// corvanta-cli as a function: arguments in, reports out, an exit status back.
#include <cstdio>
#include <string>
#include <vector>

namespace corvanta::cli {

// Runs the command line args (without the program name). Reports go to out, refusals,
// usage errors and the progress line to err; progress only when err is a terminal.
// programDirectory: where OUI.TXT is looked for (empty: no vendor names).
int RunCli(const std::vector<std::string>& args, std::FILE* out, std::FILE* err, const std::string& programDirectory);

}  // namespace corvanta::cli
