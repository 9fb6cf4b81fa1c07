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
    // Choosing a display brings that display's size and geometry: with them set, so is the display.
    {AdminSetting::SaveImageSize, {IDC_SIZE_PC, IDC_SIZE_BOARD, IDC_DISPLAY_CHOICE}},
    {AdminSetting::CaptureDisplay, {IDC_DISPLAY_CHOICE}},
    {AdminSetting::LessonHandout, {IDC_LESSON_HANDOUT}},
    {AdminSetting::SaveBalloon, {IDC_SAVE_BALLOON}},
};

// Any of the geometry set greys all of its controls beside its own: the arrows, a drag in the
// preview and a calibration from a scan move the scan as a whole.
inline const AdminSetting kGeometrySettings[] = {AdminSetting::WidthZoom, AdminSetting::HeightZoom,
                                                 AdminSetting::XCoordinate, AdminSetting::YCoordinate};
inline const PolicyLock kGeometryLocks[] = {
    {AdminSetting::WidthZoom, {IDC_WIDTH_ZOOM, IDC_WIDTH_SPIN}},
    {AdminSetting::HeightZoom, {IDC_HEIGHT_ZOOM, IDC_HEIGHT_SPIN}},
    {AdminSetting::XCoordinate, {IDC_X_OFFSET}},
    {AdminSetting::YCoordinate, {IDC_Y_OFFSET}},
};
inline constexpr int kWholeGeometryControls[] = {IDC_MOVE_UP,    IDC_MOVE_DOWN,      IDC_MOVE_LEFT,
                                                 IDC_MOVE_RIGHT, IDC_CALIBRATE_SCAN, IDC_DISPLAY_CHOICE};

}  // namespace zt::shell
