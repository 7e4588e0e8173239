// auhost: loads an AudioUnit component bundle and drives it as a host does.

#include <iostream>
#include <string>
#include <vector>

#include "host/auhost_commands.h"

int main(int argc, char** argv) {
  const std::vector<std::string> arguments(argv + 1, argv + argc);
  return orvane::auhost::RunAuhost(arguments, std::cout, std::cerr);
}
