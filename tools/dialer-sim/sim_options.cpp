#include "sim_options.h"

#include <cstdlib>
#include <cstring>

namespace sim {
namespace {

const char* const kBoxNames[BoxKindCount] = {"sim", "sim-other", "nodevice", "netprompt", "connected"};

bool ParseMs(const std::string& text, int* value) {
  if (text.empty() || text.size() > 9) return false;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
  }
  *value = std::atoi(text.c_str());
  return true;
}

// "sim,nodevice@2000": each box at its own time, or at once.
bool ParseBoxes(const std::string& list, Options* options, std::string* error) {
  size_t start = 0;
  while (start <= list.size()) {
    size_t end = list.find(',', start);
    if (end == std::string::npos) end = list.size();
    std::string item = list.substr(start, end - start);
    start = end + 1;
    if (item.empty()) continue;
    int at = 0;
    const size_t sign = item.find('@');
    if (sign != std::string::npos) {
      if (!ParseMs(item.substr(sign + 1), &at)) {
        *error = "bad time in --boxes item: " + item;
        return false;
      }
      item.resize(sign);
    }
    int kind = 0;
    while (kind < BoxKindCount && item != kBoxNames[kind]) ++kind;
    if (kind == BoxKindCount) {
      *error = "unknown box in --boxes: " + item;
      return false;
    }
    options->boxAt[kind] = at;
  }
  return true;
}

}  // namespace

const char* BoxName(BoxKind kind) { return kBoxNames[kind]; }

bool ParseOptions(const std::vector<std::string>& args, Options* o, std::string* error) {
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    const bool hasValue = i + 1 < args.size();
    const std::string value = hasValue ? args[i + 1] : std::string();
    auto ms = [&](int* target) {
      if (!hasValue || !ParseMs(value, target)) {
        *error = arg + " needs a time in milliseconds";
        return false;
      }
      ++i;
      return true;
    };

    if (arg == "--help" || arg == "-h" || arg == "/?") {
      o->help = true;
    } else if (arg == "--lang") {
      if (value != "zh" && value != "en") {
        *error = "--lang takes zh or en";
        return false;
      }
      o->english = value == "en";
      ++i;
    } else if (arg == "--panel-at") {
      if (!ms(&o->panelAt)) return false;
    } else if (arg == "--no-panel") {
      o->panelAt = kNever;
    } else if (arg == "--panel-hidden") {
      o->panelHidden = true;
    } else if (arg == "--no-connect-control") {
      o->connectControl = false;
    } else if (arg == "--main-at") {
      if (!ms(&o->mainAt)) return false;
    } else if (arg == "--no-main") {
      o->mainAt = kNever;
    } else if (arg == "--detect-at") {
      if (!ms(&o->detectAt)) return false;
    } else if (arg == "--detect-for") {
      if (!ms(&o->detectFor)) return false;
    } else if (arg == "--no-detect") {
      o->detectAt = kNever;
    } else if (arg == "--boxes") {
      if (!hasValue) {
        *error = "--boxes needs a list";
        return false;
      }
      for (int& at : o->boxAt) at = kNever;
      if (!ParseBoxes(value, o, error)) return false;
      ++i;
    } else if (arg == "--connect-raises-connected") {
      o->startConnected = true;
    } else if (arg == "--prompt-owner") {
      if (value == "main") {
        o->promptOwner = PromptOwner::Main;
      } else if (value == "other") {
        o->promptOwner = PromptOwner::Other;
      } else if (value == "none") {
        o->promptOwner = PromptOwner::None;
      } else {
        *error = "--prompt-owner takes main, other or none";
        return false;
      }
      ++i;
    } else if (arg == "--prompt-no-button") {
      o->promptButtons = PromptButtons::None;
    } else if (arg == "--prompt-button-elsewhere") {
      o->promptButtons = PromptButtons::Elsewhere;
    } else if (arg == "--journal") {
      if (!hasValue || value.empty()) {
        *error = "--journal needs a file name";
        return false;
      }
      o->journal = value;
      ++i;
    } else if (arg == "--exit-after") {
      if (!ms(&o->exitAfter)) return false;
    } else if (arg == "--hang-after") {
      if (!ms(&o->hangAfter)) return false;
    } else if (arg == "--chaos") {
      // Any 32-bit number, so that a seed the journal names can be given back.
      const bool digits = !value.empty() && value.size() <= 10 &&
                          value.find_first_not_of("0123456789") == std::string::npos;
      const unsigned long long seed = digits ? std::strtoull(value.c_str(), nullptr, 10) : 1ULL << 32;
      if (!hasValue || seed > 0xFFFFFFFFULL) {
        *error = "--chaos needs a seed from 0 to 4294967295";
        return false;
      }
      o->chaos = true;
      o->chaosSeed = static_cast<unsigned>(seed);
      ++i;
    } else if (arg == "--chaos-every") {
      if (!ms(&o->chaosEvery)) return false;
      if (o->chaosEvery < 10) {
        *error = "--chaos-every needs at least 10 ms";
        return false;
      }
    } else if (arg == "--chaos-exit") {
      int perMille = 0;
      if (!hasValue || !ParseMs(value, &perMille) || perMille > 1000) {
        *error = "--chaos-exit takes a chance in 1000 (0 to 1000)";
        return false;
      }
      o->chaosExit = perMille;
      ++i;
    } else {
      *error = "unknown option: " + arg;
      return false;
    }
  }
  return true;
}

std::vector<std::string> SplitArguments(const std::string& text) {
  std::vector<std::string> args;
  size_t i = 0;
  const size_t n = text.size();
  while (i < n) {
    const char c = text[i];
    if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
      ++i;
    } else if (c == '#' && (i == 0 || text[i - 1] == '\n')) {
      while (i < n && text[i] != '\n') ++i;
    } else {
      std::string arg;
      bool quoted = false;
      for (; i < n; ++i) {
        const char d = text[i];
        if (d == '"') {
          quoted = !quoted;
        } else if (!quoted && (d == ' ' || d == '\t' || d == '\r' || d == '\n')) {
          break;
        } else {
          arg += d;
        }
      }
      args.push_back(arg);
    }
  }
  return args;
}

const char kHelpText[] =
    "dialer-sim: shows the windows of the G3 eWalk dialer (version 3.2.1.16) so that Zemvar\r\n"
    "can be tried and tested without a data card.\r\n"
    "\r\n"
    "Usage: dialer-sim.exe [OPTIONS]\r\n"
    "Options are read first from \"dialer-sim.args\" beside the program (GBK text,\r\n"
    "blank-separated, double quotes group, lines starting with # are comments), then from the\r\n"
    "command line; a later option wins. Times are milliseconds after start.\r\n"
    "\r\n"
    "  --lang zh|en              window texts in Chinese (default) or English\r\n"
    "  --panel-at MS             show the panel (marker static, connect control) at MS (default 0)\r\n"
    "  --no-panel                no panel\r\n"
    "  --panel-hidden            create the panel but keep it hidden\r\n"
    "  --no-connect-control      the panel has no connect control\r\n"
    "  --main-at MS              show the main window at MS (default 0)\r\n"
    "  --no-main                 no main window\r\n"
    "  --detect-at MS            show the device-detection box at MS (default 500)\r\n"
    "  --detect-for MS           and close it MS later (default 3000)\r\n"
    "  --no-detect               no device-detection box\r\n"
    "  --boxes LIST              message boxes to show, comma-separated, each optionally NAME@MS\r\n"
    "                            (default at 0): sim, sim-other, nodevice, netprompt, connected\r\n"
    "  --connect-raises-connected  start connected, so the connect command raises the\r\n"
    "                            already-connected box (a command when not connected connects)\r\n"
    "  --prompt-owner main|other|none  owner of the network connection prompt (default main)\r\n"
    "  --prompt-no-button        the network connection prompt has no buttons\r\n"
    "  --prompt-button-elsewhere its buttons lie away from the usual place\r\n"
    "  --journal FILE            journal file (default dialer-sim-journal.txt beside the program)\r\n"
    "  --exit-after MS           quit by itself at MS\r\n"
    "  --hang-after MS           at MS stop taking messages for good, as a hung dialer does: the\r\n"
    "                            windows stay, 5 s later Windows calls them hung (status 8 in\r\n"
    "                            Zemvar); only ending the process ends it\r\n"
    "  --chaos SEED              chaos mode: at random moments (seeded, so a run can be repeated)\r\n"
    "                            raise or withdraw any box or the device-detection box, or close\r\n"
    "                            the panel or the main window and reopen it a moment later (never\r\n"
    "                            both at once, so the dialer stays findable unless it quits);\r\n"
    "                            seed 0 takes one from the clock; the journal names the seed\r\n"
    "  --chaos-every MS          mean time between chaos events (default 700, at least 10)\r\n"
    "  --chaos-exit N            chance in 1000, per chaos event, of quitting instead (default 0);\r\n"
    "                            Zemvar's next check then starts the dialer again\r\n"
    "  --help                    this text\r\n"
    "\r\n"
    "Boxes are owned by the main window (the panel when there is none) and shown without\r\n"
    "activation. Closing the main window or the panel quits.\r\n"
    "\r\n"
    "Journal: one line per event, appended and flushed at once:\r\n"
    "  start pid=PID lang=zh|en args=ARGS   the program started with these options\r\n"
    "  show WINDOW | close WINDOW           WINDOW: panel, panel-hidden, main, detect, box=NAME\r\n"
    "  click connect-control                the panel's connect control got a press and release\r\n"
    "  click box=NAME button=ok|cancel|yes|no   a box's button was clicked\r\n"
    "  command N                            the main window got WM_COMMAND N (50002: connect)\r\n"
    "  connect | disconnect                 the simulated connection changed\r\n"
    "  sync                                 answer to message WM_APP+1 (tests wait for it)\r\n"
    "  chaos seed=N every=MS exit=N         chaos mode is on\r\n"
    "  chaos-exit                           a chaos event made the program quit\r\n"
    "  hang                                 the program stopped taking messages\r\n"
    "  exit                                 the program quits\r\n";

}  // namespace sim
