// The frame's busy test: while it holds, a new scan waits and the tray shows no menu.
#pragma once

namespace zt {

struct BusyInputs {
  bool settingsDialogOpen = false;
  bool settingsDialogInitialised = false;
  bool settingsDialogInModalStep = false;  // OK prompt, cancel prompt, folder browser, saving
  bool exiting = false;
  bool sessionEnding = false;
  bool processing = false;  // a new scan is being handled
};

inline bool IsBusy(const BusyInputs& in) {
  return (in.settingsDialogOpen && (!in.settingsDialogInitialised || in.settingsDialogInModalStep)) ||
         in.exiting || in.sessionEnding || in.processing;
}

}  // namespace zt
