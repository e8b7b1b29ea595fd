#include "dialer/check_cycle.h"

#include <cstdio>

#include "dialer/dialer_prompts.h"
#include "dialer/dialer_texts.h"
#include "dialer/dialer_windows.h"

namespace zemvar {

std::atomic<bool> launchesHeld{false};

namespace {

constexpr std::uint32_t kPanelPause = 1000;
constexpr std::uint32_t kHalfSecond = 500;

void Note(CheckEnvironment& env, const std::string& note) {
  if (env.notes) env.notes->push_back(note);
}

WindowId FindDialer(Desktop& desktop, Matcher matcher) {
  WindowCriteria criteria, marker;
  SetDialerCriteria(criteria, marker);
  SearchTopLevel(desktop, matcher, criteria);
  return criteria.found;
}

// Starts the dialer and waits for its panel; the status on failure, StatusOk with the panel otherwise.
ConnectionStatus StartDialer(CheckEnvironment& env, WindowId* panel) {
  char path[kMaxPathBuffer];
  if (!LocateDialerExecutable(env.registry, path, sizeof path)) return StatusDialerNotInstalled;
  char commandLine[kMaxPathBuffer + 2];
  if (!QuotedCommandLine(path, commandLine, sizeof commandLine)) {
    Note(env, std::string("dialer not started: its path is too long: ") + path);
    return StatusLaunchFailed;
  }
  if (launchesHeld) return StatusHeld;
  const std::uint32_t code = env.launcher.Launch(commandLine);
  if (code <= 31) {
    Note(env, "dialer not started: WinExec " + std::to_string(code) + " for " + commandLine);
    return StatusLaunchFailed;
  }

  for (int attempt = 0; attempt < kPanelTries; ++attempt) {
    env.pauses.Pause(kPanelPause);
    if ((*panel = FindDialer(env.desktop, MatchTopLevel)) != 0) return StatusOk;
  }
  return StatusDialerNotStarted;
}

// A freshly started dialer looks for its device first; wait until that box has come and gone.
void WaitForDeviceDetection(CheckEnvironment& env) {
  WindowCriteria box, message;
  box.className = dialer::kDialogClass;
  box.parent = dialerMainWindow;
  box.child = &message;
  message.className = dialer::kStaticClass;
  message.titleA = dialer::kDetectingZh;
  message.titleB = dialer::kDetectingEn;

  bool seen = false;
  for (int attempt = 0; env.desktop.IsWindow(dialerMainWindow);) {
    env.pauses.Pause(kHalfSecond);
    box.found = 0;
    SearchTopLevel(env.desktop, MatchTopLevel, box);
    if (seen && (!box.found || !env.desktop.IsVisible(box.found))) break;
    if (box.found) seen = true;
    if (++attempt >= kDetectionTries) break;
  }
}

// Ends the process that owns the dialer's main window; the next check starts the dialer afresh. The log
// hears which dialer and after how many of what.
void EndDialer(CheckEnvironment& env, WindowId main, const char* what, int count, const char* of) {
  char which[48], why[32], note[128];
  const std::uint32_t process = env.desktop.ProcessOf(main);
  std::snprintf(which, sizeof which, process ? "%s (process %u)" : "%s", what, static_cast<unsigned>(process));
  const std::uint32_t error = process ? env.launcher.End(process, main) : kErrorInvalidWindow;
  if (!error) {
    std::snprintf(note, sizeof note, "%s ended after %d %s", which, count, of);
  } else {
    std::snprintf(why, sizeof why, error == kErrorInvalidWindow ? "its window has gone" : "error %u",
                  static_cast<unsigned>(error));
    std::snprintf(note, sizeof note, "%s not ended after %d %s: %s", which, count, of, why);
  }
  Note(env, note);
}

// After a check that found all well: does the link carry traffic?
ConnectionStatus ProbeLink(CheckEnvironment& env) {
  // Windows is closing programs: a try could only end in a result nobody shows, or in ending the dialer.
  if (launchesHeld) return StatusHeld;
  OfflineWatch& watch = env.watches->offline;
  const std::uint32_t error = env.probe->Try(watch.target());
  if (launchesHeld) return StatusHeld;
  const std::uint64_t now = env.pauses.NowMs();
  if (watch.Observe(error, now, env.notes)) {
    const int failures = watch.failures();
    watch.Ended(now);
    EndDialer(env, dialerMainWindow, "offline dialer", failures, "failed probes");
  }
  return watch.offline() ? StatusOffline : StatusOk;
}

ConnectionStatus CheckOnce(CheckEnvironment& env) {
  Desktop& desktop = env.desktop;
  dialerMainWindow = 0;
  WindowId panel = 0;
  const bool running = FindDialer(desktop, MatchTopLevel) != 0 || FindDialerWithoutMarker(desktop);
  if (!running) {
    const ConnectionStatus started = StartDialer(env, &panel);
    if (started != StatusOk) return started;
  }

  for (int attempt = 0; attempt < kMainWindowTries && !dialerMainWindow; ++attempt) {
    env.pauses.Pause(kHalfSecond);
    dialerMainWindow = FindDialer(desktop, MatchTopLevelLackingChild);
  }
  if (!dialerMainWindow) return StatusNoMainWindow;

  if (!running) WaitForDeviceDetection(env);

  if (panel && desktop.IsVisible(panel)) {
    if (!env.network.IsAlive()) {
      const WindowId connect =
          FindChildAt(desktop, panel, dialer::kConnectControlClass, dialer::kConnectX, dialer::kConnectY);
      const Press press = PressControl(desktop, connect);
      if (press == Press::Missing) return StatusNoConnectButton;
      if (press == Press::Refused) return StatusRefused;
    }
  } else {
    const ConnectionStatus prompts = HandleDialerPrompts(desktop, env.pauses);
    if (prompts != StatusOk) return prompts;
  }

  env.pauses.Pause(kHalfSecond);
  // The connect command may have raised the already-connected box.
  const WindowId box =
      FindDialerBox(desktop, dialer::kPromptTitleZh, dialer::kPromptTitleEn, 0, dialer::kConnectedZh, dialer::kConnectedEn);
  if (ClickButtonAt(desktop, box, dialer::kConnectedButtonX, dialer::kConnectedButtonY) == Press::Refused) {
    return StatusRefused;
  }
  return StatusOk;
}

}  // namespace

bool FindDialerWithoutMarker(Desktop& desktop) { return FindDialer(desktop, MatchTopLevelLackingChild) != 0; }

ConnectionStatus RunConnectionCheck(CheckEnvironment& env) {
  // Posts into a hung dialer's queue are never read, so the check's own result would be a false "all is
  // well". A dialer that answers at either end was only busy for a moment.
  const WindowId main = FindDialer(env.desktop, MatchTopLevelLackingChild);
  const bool hungAtStart = main && env.desktop.IsHung(main);
  ConnectionStatus status = CheckOnce(env);
  if (status == StatusHeld) return status;
  if (status == StatusRefused) Note(env, "the dialer refused a posted message: error 5, access denied");
  const bool hung = hungAtStart && env.desktop.IsHung(main);
  if (hung) status = StatusHung;
  if (!env.watches) return status;
  HungDialerWatch& hungWatch = env.watches->hung;
  if (hungWatch.Observe(hung, env.pauses.NowMs())) {
    const int checks = hungWatch.hungChecks();
    hungWatch.Ended(env.pauses.NowMs());
    EndDialer(env, main, "hung dialer", checks, "hung checks");
  }
  if (status == StatusOk && env.probe && env.watches->offline.target().On()) return ProbeLink(env);
  return status;
}

}  // namespace zemvar
