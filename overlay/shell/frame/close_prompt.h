// The question the program asks before it closes while the settings dialog is open: which one,
// and what Yes does. The dialog's state goes in; the frame shows the box and carries out the answer.
#pragma once

namespace zt::shell {

struct Caption;

struct OpenDialogState {
  bool initialised = true;  // false while the dialog is still opening: its controls are empty
  bool saved = false;       // the overlay on display has been saved or given up
  bool hasImages = false;   // an overlay is on display
  bool imageSettingsChanged = false;
  bool folderSettingsChanged = false;
};

struct ClosePrompt {
  const Caption* question = nullptr;  // null: nothing to ask
  bool yesStoresSettings = false;
  bool yesSavesOverlay = false;
};

// The first of: an unsaved overlay, changed geometry, a changed folder or auto-save. A dialog
// still opening has nothing the user changed and nothing to store: only its overlay is asked
// about, and Yes saves it with the stored settings.
ClosePrompt ChooseClosePrompt(const OpenDialogState& state);

}  // namespace zt::shell
