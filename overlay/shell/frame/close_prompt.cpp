#include "overlay/shell/frame/close_prompt.h"

namespace zt::shell {

ClosePrompt ChooseClosePrompt(const OpenDialogState& state) {
  if (!state.initialised) {
    if (!state.saved && state.hasImages) return {"ID_CAP_MES_IMAGE_NOTSAVED", false, true};
    return {};
  }
  if (!state.saved && state.hasImages) return {"ID_CAP_MES_IMAGE_NOTSAVED", true, true};
  if (state.imageSettingsChanged) return {"ID_CAP_MES_POSITION_NOTSAVED", true, state.hasImages};
  if (state.folderSettingsChanged) return {"ID_CAP_MES_SAVEINFO_NOTSAVED", true, false};
  return {};
}

}  // namespace zt::shell
