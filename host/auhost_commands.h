#pragma once

// The auhost commands, run on parsed arguments with their output streams.

#include <ostream>
#include <span>
#include <string>

namespace orvane::auhost {

// Runs one command line (without the program name); reports failures on
// `err` as "auhost: <message>" and returns the exit code.
int RunAuhost(std::span<const std::string> arguments, std::ostream& out, std::ostream& err);

}  // namespace orvane::auhost
