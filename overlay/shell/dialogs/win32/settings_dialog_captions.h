// The settings dialog's controls that carry a caption, with the caption each shows.
#pragma once

#include <windows.h>

#include "overlay/shell/resource.h"
#include "overlay/shell/settings/caption_keys.h"

namespace zt::shell {

struct ControlCaption {
  int id;
  const Caption& caption;
};

inline constexpr ControlCaption kSettingsDialogCaptions[] = {
    {IDC_FOLDER_LABEL, caption::kSaveFolder},
    {IDC_BROWSE, caption::kSelectFolder},
    {IDC_SAVE_NOW, caption::kSaveFile},
    {IDC_AUTO_SAVE, caption::kAutoSave},
    {IDC_SIZE_GROUP, caption::kSelectSize},
    {IDC_SIZE_PC, caption::kSizeIsPc},
    {IDC_SIZE_BOARD, caption::kSizeIsBoard},
    {IDC_ZOOM_GROUP, caption::kMagnification},
    {IDC_WIDTH_LABEL, caption::kWidth},
    {IDC_HEIGHT_LABEL, caption::kHeight},
    {IDC_POSITION_GROUP, caption::kPosition},
    {IDC_X_LABEL, caption::kHorizontalMove},
    {IDC_Y_LABEL, caption::kVerticalMove},
    {IDC_DEFAULTS, caption::kDefault},
    {IDC_DISPLAY_LABEL, caption::kDisplay},
    {IDC_CALIBRATE_SCAN, caption::kCalibrateScan},
    {IDC_LESSON_HANDOUT, caption::kLessonHandout},
    {IDC_SAVE_BALLOON, caption::kSaveBalloon},
    {IDC_POLICY_NOTE, caption::kPolicyNote},
    {IDOK, caption::kOk},
    {IDCANCEL, caption::kCancel},
};

}  // namespace zt::shell
