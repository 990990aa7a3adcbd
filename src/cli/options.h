// The command line of glimmerdome.
#pragma once

#include <string>
#include <vector>

#include "platform/headless/headless_platform.h"

namespace gd {

struct CommandLine {
  bool help = false;
  bool version = false;
  bool headless = false;
  HeadlessOptions headlessOptions;
  bool framesGiven = false;
  // Print the popup menu after the show and exit (headless).
  bool printMenu = false;
  // Arguments that are not options; the first may be "add".
  std::vector<std::string> args;
};

// Parses argv[1..]; on a bad argument returns false with a message that says
// what is wrong.
bool ParseCommandLine(const std::vector<std::string>& argv, CommandLine* out, std::string* error);

// Parses YYYY-MM-DDTHH:MM[:SS] into a local date and time.
bool ParseLocalDateTime(const std::string& text, LocalDateTime* out);

extern const char* const kUsage;

}  // namespace gd
