#pragma once

// The parts of the machine that the stand-ins read besides HOME.

#include <string>

namespace standin::testing {

// Where the machine-wide folders ("<root>/Library/...") lie; "/" by default.
void SetMachineDomainRoot(const std::string& root);

// Overrides the process name that NS::ProcessInfo reports; empty restores the real one.
void SetProcessName(const std::string& name);

}  // namespace standin::testing
