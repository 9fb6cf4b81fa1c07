#include "overlay/shell/frame/close_prompt.h"

#include "overlay/shell/settings/caption_keys.h"

namespace zt::shell {

ClosePrompt ChooseClosePrompt(const OpenDialogState& state) {
  if (!state.initialised) {
    if (!state.saved && state.hasImages) return {&caption::kMesImageNotSaved, false, true};
    return {};
  }
  if (!state.saved && state.hasImages) return {&caption::kMesImageNotSaved, true, true};
  if (state.imageSettingsChanged) return {&caption::kMesPositionNotSaved, true, state.hasImages};
  if (state.folderSettingsChanged) return {&caption::kMesSaveInfoNotSaved, true, false};
  return {};
}

}  // namespace zt::shell
