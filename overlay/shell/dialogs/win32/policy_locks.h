// Which of the settings dialog's controls an administrator's setting greys: the value stays on
// show, and nothing the user does there changes it.
#pragma once

#include <initializer_list>

#include "overlay/shell/resource.h"
#include "overlay/shell/settings/admin_settings.h"

namespace zt::shell {

struct PolicyLock {
  AdminSetting setting;
  std::initializer_list<int> controls;
};

inline const PolicyLock kPolicyLocks[] = {
    {AdminSetting::SaveFolder, {IDC_SAVE_FOLDER, IDC_BROWSE}},
    {AdminSetting::AutoSave, {IDC_AUTO_SAVE}},
    {AdminSetting::SaveImageSize, {IDC_SIZE_PC, IDC_SIZE_BOARD}},
    {AdminSetting::CaptureDisplay, {IDC_DISPLAY_CHOICE}},
    {AdminSetting::LessonHandout, {IDC_LESSON_HANDOUT}},
    {AdminSetting::SaveBalloon, {IDC_SAVE_BALLOON}},
    // A calibration from a scan would set all four of the geometry, so any of them greys it.
    {AdminSetting::WidthZoom, {IDC_WIDTH_ZOOM, IDC_WIDTH_SPIN, IDC_CALIBRATE_SCAN}},
    {AdminSetting::HeightZoom, {IDC_HEIGHT_ZOOM, IDC_HEIGHT_SPIN, IDC_CALIBRATE_SCAN}},
    {AdminSetting::XCoordinate, {IDC_X_OFFSET, IDC_MOVE_LEFT, IDC_MOVE_RIGHT, IDC_CALIBRATE_SCAN}},
    {AdminSetting::YCoordinate, {IDC_Y_OFFSET, IDC_MOVE_UP, IDC_MOVE_DOWN, IDC_CALIBRATE_SCAN}},
};

}  // namespace zt::shell
