// Every caption the application reads, with the sections of the language files and the size
// of the buffer each text is read into. The language-file tests check each shipped file against
// this table, so a key used anywhere in the program belongs here.
#pragma once

namespace zt::shell {

// Sections of a language file.
inline constexpr char kSectionMessage[] = "Message";
inline constexpr char kSectionPath[] = "Path";
inline constexpr char kSectionLanguageInfo[] = "Language_Info";

namespace caption {

inline constexpr char kAppName[] = "ID_CAP_APPNAME";
// Tray menu.
inline constexpr char kSettings[] = "ID_CAP_SETTINGS";
inline constexpr char kHelp[] = "ID_CAP_HELP";
inline constexpr char kAbout[] = "ID_CAP_ABOUT";
inline constexpr char kExit[] = "ID_CAP_EXIT";
// Settings dialog.
inline constexpr char kSaveFolder[] = "ID_CAP_SAVEFOLDER";
inline constexpr char kSelectFolder[] = "ID_CAP_SELECTFOLDER";
inline constexpr char kSaveFile[] = "ID_CAP_SAVEFILE";
inline constexpr char kAutoSave[] = "ID_CAP_AUTOSAVE";
inline constexpr char kSelectSize[] = "ID_CAP_SELECTSIZE";
inline constexpr char kSizeIsPc[] = "ID_CAP_SIZEISPC";
inline constexpr char kSizeIsBoard[] = "ID_CAP_SIZEISBOARD";
inline constexpr char kMagnification[] = "ID_CAP_MAGNIFICATION";
inline constexpr char kWidth[] = "ID_CAP_WIDTH";
inline constexpr char kHeight[] = "ID_CAP_HEIGHT";
inline constexpr char kPosition[] = "ID_CAP_POSITION";
inline constexpr char kHorizontalMove[] = "ID_CAP_HORIZONTALMOVE";
inline constexpr char kVerticalMove[] = "ID_CAP_VERTICALMOVE";
inline constexpr char kDefault[] = "ID_CAP_DEFAULT";
inline constexpr char kCancel[] = "ID_CAP_CANCEL";
inline constexpr char kOk[] = "ID_CAP_OK";
// The display to capture ("%s" the display's name, "%d" its width and height) and calibration
// from a scan.
inline constexpr char kDisplay[] = "ID_CAP_DISPLAY";
inline constexpr char kDisplayPrimary[] = "ID_CAP_DISPLAY_PRIMARY";
inline constexpr char kDisplayItem[] = "ID_CAP_DISPLAY_ITEM";
inline constexpr char kDisplayMissing[] = "ID_CAP_DISPLAY_MISSING";
inline constexpr char kDisplayItemPrimary[] = "ID_CAP_DISPLAY_ITEM_PRIMARY";
inline constexpr char kCalibrateScan[] = "ID_CAP_CALIBRATE_SCAN";
inline constexpr char kMesCalibPattern[] = "ID_CAP_MES_CALIB_PATTERN";
inline constexpr char kMesCalibNoMarks[] = "ID_CAP_MES_CALIB_NOMARKS";
inline constexpr char kMesCalibAllInk[] = "ID_CAP_MES_CALIB_ALLINK";
inline constexpr char kMesCalibFewMarks[] = "ID_CAP_MES_CALIB_FEWMARKS";
inline constexpr char kMesCalibOffPattern[] = "ID_CAP_MES_CALIB_OFFPATTERN";
inline constexpr char kMesCalibResidual[] = "ID_CAP_MES_CALIB_RESIDUAL";
inline constexpr char kMesCalibRange[] = "ID_CAP_MES_CALIB_RANGE";
inline constexpr char kMesCalibNoDisplay[] = "ID_CAP_MES_CALIB_NODISPLAY";
inline constexpr char kMesCalibStored[] = "ID_CAP_MES_CALIB_STORED";
// Beside the tray icon: the chosen display is not attached ("%s" its name), and a scan from the
// card could not be put into the program's folder.
inline constexpr char kMesDisplayAbsent[] = "ID_CAP_MES_DISPLAY_ABSENT";
inline constexpr char kMesSdDeliveryFailed[] = "ID_CAP_MES_SD_DELIVERYFAILED";
// Calibration dialog; the text's key really ends with a blank.
inline constexpr char kClose[] = "ID_CAP_CLOSE";
inline constexpr char kCaptionCalib[] = "ID_CAP_CAPTION_CALIB";
inline constexpr char kMesCalib[] = "ID_CAP_MES_CALIB ";
// About dialog; the version line is also the version stamp of saved settings.
inline constexpr char kMesVersion[] = "ID_CAP_MES_VERSION";
inline constexpr char kMesVersionNum[] = "ID_CAP_MES_VERSION_NUM";
inline constexpr char kMesCopyright[] = "ID_CAP_MES_COPYRIGHT";
// Messages.
inline constexpr char kMesFailedToAccessSetting[] = "ID_CAP_MES_FAILEDTOACCESS_SETTING";
inline constexpr char kMesLoadFailImage[] = "ID_CAP_MES_LOADFAIL_IMAGE";
inline constexpr char kMesNotSavedOk[] = "ID_CAP_MES_NOTSAVED_OK";
inline constexpr char kMesNotSavedCancel[] = "ID_CAP_MES_NOTSAVED_CANCEL";
inline constexpr char kMesImageNotSaved[] = "ID_CAP_MES_IMAGE_NOTSAVED";
inline constexpr char kMesPositionNotSaved[] = "ID_CAP_MES_POSITION_NOTSAVED";
inline constexpr char kMesSaveInfoNotSaved[] = "ID_CAP_MES_SAVEINFO_NOTSAVED";
inline constexpr char kMesMultiScan[] = "ID_CAP_MES_MULTISCAN";
inline constexpr char kMesFailedToSave[] = "ID_CAP_MES_FAILEDTOSAVE";
// Section "Path": the help page, relative to the program folder.
inline constexpr char kPathHelp[] = "ID_CAP_PATH_HELP";

}  // namespace caption

inline constexpr char kDefaultHelpPath[] = "Help\\\\ZTLB_help.htm";  // unescapes to one backslash

struct CaptionUse {
  const char* section;
  const char* key;
  unsigned bufferSize;  // the smallest buffer the text is read into anywhere
};

inline constexpr CaptionUse kCaptionUses[] = {
    {kSectionMessage, caption::kAppName, 64},
    {kSectionMessage, caption::kSettings, 64},
    {kSectionMessage, caption::kHelp, 64},
    {kSectionMessage, caption::kAbout, 64},
    {kSectionMessage, caption::kExit, 64},
    {kSectionMessage, caption::kSaveFolder, 256},
    {kSectionMessage, caption::kSelectFolder, 256},
    {kSectionMessage, caption::kSaveFile, 256},
    {kSectionMessage, caption::kAutoSave, 256},
    {kSectionMessage, caption::kSelectSize, 256},
    {kSectionMessage, caption::kSizeIsPc, 256},
    {kSectionMessage, caption::kSizeIsBoard, 256},
    {kSectionMessage, caption::kMagnification, 256},
    {kSectionMessage, caption::kWidth, 256},
    {kSectionMessage, caption::kHeight, 256},
    {kSectionMessage, caption::kPosition, 256},
    {kSectionMessage, caption::kHorizontalMove, 256},
    {kSectionMessage, caption::kVerticalMove, 256},
    {kSectionMessage, caption::kDefault, 256},
    {kSectionMessage, caption::kCancel, 256},
    {kSectionMessage, caption::kOk, 64},
    {kSectionMessage, caption::kDisplay, 256},
    {kSectionMessage, caption::kDisplayPrimary, 256},
    {kSectionMessage, caption::kDisplayItem, 256},
    {kSectionMessage, caption::kDisplayMissing, 256},
    {kSectionMessage, caption::kDisplayItemPrimary, 256},
    {kSectionMessage, caption::kCalibrateScan, 256},
    {kSectionMessage, caption::kMesCalibPattern, 1024},
    {kSectionMessage, caption::kMesCalibNoMarks, 1024},
    {kSectionMessage, caption::kMesCalibAllInk, 1024},
    {kSectionMessage, caption::kMesCalibFewMarks, 1024},
    {kSectionMessage, caption::kMesCalibOffPattern, 1024},
    {kSectionMessage, caption::kMesCalibResidual, 1024},
    {kSectionMessage, caption::kMesCalibRange, 1024},
    {kSectionMessage, caption::kMesCalibNoDisplay, 1024},
    {kSectionMessage, caption::kMesCalibStored, 1024},
    {kSectionMessage, caption::kMesDisplayAbsent, 256},
    {kSectionMessage, caption::kMesSdDeliveryFailed, 256},
    {kSectionMessage, caption::kClose, 64},
    {kSectionMessage, caption::kCaptionCalib, 64},
    {kSectionMessage, caption::kMesCalib, 1024},
    {kSectionMessage, caption::kMesVersion, 64},
    {kSectionMessage, caption::kMesVersionNum, 256},
    {kSectionMessage, caption::kMesCopyright, 256},
    {kSectionMessage, caption::kMesFailedToAccessSetting, 256},
    {kSectionMessage, caption::kMesLoadFailImage, 256},
    {kSectionMessage, caption::kMesNotSavedOk, 256},
    {kSectionMessage, caption::kMesNotSavedCancel, 256},
    {kSectionMessage, caption::kMesImageNotSaved, 256},
    {kSectionMessage, caption::kMesPositionNotSaved, 256},
    {kSectionMessage, caption::kMesSaveInfoNotSaved, 256},
    {kSectionMessage, caption::kMesMultiScan, 1024},
    {kSectionMessage, caption::kMesFailedToSave, 1024},
    {kSectionPath, caption::kPathHelp, 256},
};

}  // namespace zt::shell
