// What the simulated dialer shows and when, from its command line and its options file.
#pragma once

#include <string>
#include <vector>

namespace sim {

enum BoxKind { BoxSim, BoxSimOther, BoxNoDevice, BoxNetworkPrompt, BoxConnected, BoxKindCount };

// The names used on the command line and in the journal.
const char* BoxName(BoxKind kind);

enum class PromptOwner { Main, Other, None };
enum class PromptButtons { Normal, Elsewhere, None };

constexpr int kNever = -1;

struct Options {
  bool english = false;
  int panelAt = 0;  // ms after start, or kNever
  bool panelHidden = false;
  bool connectControl = true;
  int mainAt = 0;
  int detectAt = 500;
  int detectFor = 3000;
  int boxAt[BoxKindCount] = {kNever, kNever, kNever, kNever, kNever};
  bool startConnected = false;
  PromptOwner promptOwner = PromptOwner::Main;
  PromptButtons promptButtons = PromptButtons::Normal;
  std::string journal;  // UTF-8; empty: beside the executable
  int exitAfter = kNever;
  int hangAfter = kNever;  // from then on the user-interface thread takes no messages
  // Chaos: at random moments raise or withdraw a box, or close and reopen a window.
  bool chaos = false;
  unsigned chaosSeed = 1;
  int chaosEvery = 700;    // mean time between chaos events, ms
  int chaosExit = 0;       // chance in 1000, per event, of quitting instead
  bool help = false;
};

// The arguments are UTF-8. Later arguments override earlier ones. False with a message on the first bad argument.
bool ParseOptions(const std::vector<std::string>& args, Options* options, std::string* error);

// Splits an options file into arguments: blanks separate, double quotes group, '#' starts a comment line.
std::vector<std::string> SplitArguments(const std::string& text);

extern const char kHelpText[];

}  // namespace sim
