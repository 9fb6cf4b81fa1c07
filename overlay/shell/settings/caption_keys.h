// Every caption the application reads, with the sections of the language files and the size
// of the buffer each text is read into. Every reader takes its caption from here, and the
// language-file tests check each shipped file against this table.
#pragma once

namespace zt::shell {

// Sections of a language file.
inline constexpr char kSectionMessage[] = "Message";
inline constexpr char kSectionPath[] = "Path";
inline constexpr char kSectionLanguageInfo[] = "Language_Info";

// One caption: the section and key of the language file, and the size of the buffer its text is
// read into (a longer text is cut there).
struct Caption {
  const char* section;
  const char* key;
  unsigned bufferSize;
};

namespace caption {

inline constexpr Caption kAppName{kSectionMessage, "ID_CAP_APPNAME", 64};
// Tray menu.
inline constexpr Caption kSettings{kSectionMessage, "ID_CAP_SETTINGS", 64};
inline constexpr Caption kHelp{kSectionMessage, "ID_CAP_HELP", 64};
inline constexpr Caption kAbout{kSectionMessage, "ID_CAP_ABOUT", 64};
inline constexpr Caption kExit{kSectionMessage, "ID_CAP_EXIT", 64};
// Settings dialog.
inline constexpr Caption kSaveFolder{kSectionMessage, "ID_CAP_SAVEFOLDER", 256};
inline constexpr Caption kSelectFolder{kSectionMessage, "ID_CAP_SELECTFOLDER", 256};
inline constexpr Caption kSaveFile{kSectionMessage, "ID_CAP_SAVEFILE", 256};
inline constexpr Caption kAutoSave{kSectionMessage, "ID_CAP_AUTOSAVE", 256};
inline constexpr Caption kSelectSize{kSectionMessage, "ID_CAP_SELECTSIZE", 256};
inline constexpr Caption kSizeIsPc{kSectionMessage, "ID_CAP_SIZEISPC", 256};
inline constexpr Caption kSizeIsBoard{kSectionMessage, "ID_CAP_SIZEISBOARD", 256};
inline constexpr Caption kMagnification{kSectionMessage, "ID_CAP_MAGNIFICATION", 256};
inline constexpr Caption kWidth{kSectionMessage, "ID_CAP_WIDTH", 256};
inline constexpr Caption kHeight{kSectionMessage, "ID_CAP_HEIGHT", 256};
inline constexpr Caption kPosition{kSectionMessage, "ID_CAP_POSITION", 256};
inline constexpr Caption kHorizontalMove{kSectionMessage, "ID_CAP_HORIZONTALMOVE", 256};
inline constexpr Caption kVerticalMove{kSectionMessage, "ID_CAP_VERTICALMOVE", 256};
inline constexpr Caption kDefault{kSectionMessage, "ID_CAP_DEFAULT", 256};
inline constexpr Caption kCancel{kSectionMessage, "ID_CAP_CANCEL", 256};
inline constexpr Caption kOk{kSectionMessage, "ID_CAP_OK", 64};
// The display to capture ("%s" the display's name, "%d" its width and height) and calibration
// from a scan.
inline constexpr Caption kDisplay{kSectionMessage, "ID_CAP_DISPLAY", 256};
inline constexpr Caption kDisplayPrimary{kSectionMessage, "ID_CAP_DISPLAY_PRIMARY", 256};
inline constexpr Caption kDisplayItem{kSectionMessage, "ID_CAP_DISPLAY_ITEM", 256};
inline constexpr Caption kDisplayMissing{kSectionMessage, "ID_CAP_DISPLAY_MISSING", 256};
inline constexpr Caption kDisplayItemPrimary{kSectionMessage, "ID_CAP_DISPLAY_ITEM_PRIMARY", 256};
inline constexpr Caption kCalibrateScan{kSectionMessage, "ID_CAP_CALIBRATE_SCAN", 256};
inline constexpr Caption kMesCalibPattern{kSectionMessage, "ID_CAP_MES_CALIB_PATTERN", 1024};
inline constexpr Caption kMesCalibNoMarks{kSectionMessage, "ID_CAP_MES_CALIB_NOMARKS", 1024};
inline constexpr Caption kMesCalibAllInk{kSectionMessage, "ID_CAP_MES_CALIB_ALLINK", 1024};
inline constexpr Caption kMesCalibFewMarks{kSectionMessage, "ID_CAP_MES_CALIB_FEWMARKS", 1024};
inline constexpr Caption kMesCalibOffPattern{kSectionMessage, "ID_CAP_MES_CALIB_OFFPATTERN", 1024};
inline constexpr Caption kMesCalibResidual{kSectionMessage, "ID_CAP_MES_CALIB_RESIDUAL", 1024};
inline constexpr Caption kMesCalibRange{kSectionMessage, "ID_CAP_MES_CALIB_RANGE", 1024};
inline constexpr Caption kMesCalibNoDisplay{kSectionMessage, "ID_CAP_MES_CALIB_NODISPLAY", 1024};
inline constexpr Caption kMesCalibStored{kSectionMessage, "ID_CAP_MES_CALIB_STORED", 1024};
// Beside the tray icon: the chosen display is not attached ("%s" its name), and a scan from the
// card could not be put into the program's folder.
inline constexpr Caption kMesDisplayAbsent{kSectionMessage, "ID_CAP_MES_DISPLAY_ABSENT", 256};
inline constexpr Caption kMesSdDeliveryFailed{kSectionMessage, "ID_CAP_MES_SD_DELIVERYFAILED", 256};
// The lesson: three more tray menu items, the settings dialog's two boxes, and the words beside
// the tray icon after a save ("%s" the scan's name) or when the handout moves to a new file
// ("%s" the old and the new file's names).
inline constexpr Caption kOpenFolder{kSectionMessage, "ID_CAP_OPENFOLDER", 64};
inline constexpr Caption kHandout{kSectionMessage, "ID_CAP_HANDOUT", 64};
inline constexpr Caption kNewLesson{kSectionMessage, "ID_CAP_NEWLESSON", 64};
inline constexpr Caption kLessonHandout{kSectionMessage, "ID_CAP_LESSONHANDOUT", 256};
inline constexpr Caption kSaveBalloon{kSectionMessage, "ID_CAP_SAVEBALLOON", 256};
inline constexpr Caption kMesSaved{kSectionMessage, "ID_CAP_MES_SAVED", 256};
inline constexpr Caption kMesHandoutMoved{kSectionMessage, "ID_CAP_MES_HANDOUT_MOVED", 512};
inline constexpr Caption kMesHandoutFailed{kSectionMessage, "ID_CAP_MES_HANDOUT_FAILED", 256};
inline constexpr Caption kMesHandoutEmpty{kSectionMessage, "ID_CAP_MES_HANDOUT_EMPTY", 256};
inline constexpr Caption kMesNewLesson{kSectionMessage, "ID_CAP_MES_NEWLESSON", 256};
// An administrator's settings: the settings dialog's line under locked controls, and why a user
// cannot store the room's calibration.
inline constexpr Caption kPolicyNote{kSectionMessage, "ID_CAP_POLICY_NOTE", 256};
inline constexpr Caption kMesCalibrationLocked{kSectionMessage, "ID_CAP_MES_CALIBRATION_LOCKED", 512};
// Beside the tray icon: the save folder is out of reach and the saves wait on this PC.
inline constexpr Caption kMesSaveWaiting{kSectionMessage, "ID_CAP_MES_SAVE_WAITING", 512};
// Calibration dialog; the text's key really ends with a blank.
inline constexpr Caption kClose{kSectionMessage, "ID_CAP_CLOSE", 64};
inline constexpr Caption kCaptionCalib{kSectionMessage, "ID_CAP_CAPTION_CALIB", 64};
inline constexpr Caption kMesCalib{kSectionMessage, "ID_CAP_MES_CALIB ", 1024};
// About dialog; the version line is also the version stamp of saved settings.
inline constexpr Caption kMesVersion{kSectionMessage, "ID_CAP_MES_VERSION", 64};
inline constexpr Caption kMesVersionNum{kSectionMessage, "ID_CAP_MES_VERSION_NUM", 256};
inline constexpr Caption kMesCopyright{kSectionMessage, "ID_CAP_MES_COPYRIGHT", 256};
// Messages.
inline constexpr Caption kMesFailedToAccessSetting{kSectionMessage, "ID_CAP_MES_FAILEDTOACCESS_SETTING", 256};
inline constexpr Caption kMesLoadFailImage{kSectionMessage, "ID_CAP_MES_LOADFAIL_IMAGE", 256};
inline constexpr Caption kMesNotSavedOk{kSectionMessage, "ID_CAP_MES_NOTSAVED_OK", 256};
inline constexpr Caption kMesNotSavedCancel{kSectionMessage, "ID_CAP_MES_NOTSAVED_CANCEL", 256};
inline constexpr Caption kMesImageNotSaved{kSectionMessage, "ID_CAP_MES_IMAGE_NOTSAVED", 256};
inline constexpr Caption kMesPositionNotSaved{kSectionMessage, "ID_CAP_MES_POSITION_NOTSAVED", 256};
inline constexpr Caption kMesSaveInfoNotSaved{kSectionMessage, "ID_CAP_MES_SAVEINFO_NOTSAVED", 256};
inline constexpr Caption kMesMultiScan{kSectionMessage, "ID_CAP_MES_MULTISCAN", 1024};
inline constexpr Caption kMesFailedToSave{kSectionMessage, "ID_CAP_MES_FAILEDTOSAVE", 1024};
// Section "Path": the help page, relative to the program folder.
inline constexpr Caption kPathHelp{kSectionPath, "ID_CAP_PATH_HELP", 256};

}  // namespace caption

inline constexpr char kDefaultHelpPath[] = "Help\\\\ZTLB_help.htm";  // unescapes to one backslash

// Every caption the program reads; the language-file tests check each shipped file against it.
inline constexpr Caption kCaptions[] = {
    caption::kAppName,
    caption::kSettings,
    caption::kHelp,
    caption::kAbout,
    caption::kExit,
    caption::kSaveFolder,
    caption::kSelectFolder,
    caption::kSaveFile,
    caption::kAutoSave,
    caption::kSelectSize,
    caption::kSizeIsPc,
    caption::kSizeIsBoard,
    caption::kMagnification,
    caption::kWidth,
    caption::kHeight,
    caption::kPosition,
    caption::kHorizontalMove,
    caption::kVerticalMove,
    caption::kDefault,
    caption::kCancel,
    caption::kOk,
    caption::kDisplay,
    caption::kDisplayPrimary,
    caption::kDisplayItem,
    caption::kDisplayMissing,
    caption::kDisplayItemPrimary,
    caption::kCalibrateScan,
    caption::kMesCalibPattern,
    caption::kMesCalibNoMarks,
    caption::kMesCalibAllInk,
    caption::kMesCalibFewMarks,
    caption::kMesCalibOffPattern,
    caption::kMesCalibResidual,
    caption::kMesCalibRange,
    caption::kMesCalibNoDisplay,
    caption::kMesCalibStored,
    caption::kMesDisplayAbsent,
    caption::kMesSdDeliveryFailed,
    caption::kOpenFolder,
    caption::kHandout,
    caption::kNewLesson,
    caption::kLessonHandout,
    caption::kSaveBalloon,
    caption::kMesSaved,
    caption::kMesHandoutMoved,
    caption::kMesHandoutFailed,
    caption::kMesHandoutEmpty,
    caption::kMesNewLesson,
    caption::kPolicyNote,
    caption::kMesCalibrationLocked,
    caption::kMesSaveWaiting,
    caption::kClose,
    caption::kCaptionCalib,
    caption::kMesCalib,
    caption::kMesVersion,
    caption::kMesVersionNum,
    caption::kMesCopyright,
    caption::kMesFailedToAccessSetting,
    caption::kMesLoadFailImage,
    caption::kMesNotSavedOk,
    caption::kMesNotSavedCancel,
    caption::kMesImageNotSaved,
    caption::kMesPositionNotSaved,
    caption::kMesSaveInfoNotSaved,
    caption::kMesMultiScan,
    caption::kMesFailedToSave,
    caption::kPathHelp,
};

}  // namespace zt::shell
