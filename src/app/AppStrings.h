// SPDX-License-Identifier: GPL-3.0-or-later
// String-table ids of the application shell.
#pragma once

#include <cstdint>

namespace AppStrings {

// Registry names and files.
constexpr uint32_t kCompanyKey = 600;            // "Vantor"
constexpr uint32_t kSettingsKey = 602;           // "Software\Vantor\Brelmora\Settings"
constexpr uint32_t kUpgradeSettingsKey = 603;    // "Software\Vantor\VnUpgrade\Settings"
constexpr uint32_t kValuePfad = 604;
constexpr uint32_t kValueLanguageFile = 605;
constexpr uint32_t kValueDataFolder = 606;
constexpr uint32_t kValueGridCheck = 607;
constexpr uint32_t kValueDtFormat = 608;
constexpr uint32_t kPathSeparator = 650;         // "/"
constexpr uint32_t kLanguagePattern = 651;       // "Brelmora_*.so"
constexpr uint32_t kUpgradeHelpFile = 653;       // "VnUpgrade.chm"
constexpr uint32_t kUpgradeProgram = 654;        // "VnUpgrade"
constexpr uint32_t kDefaultPfad = 1802;          // "c:\temp"

// Messages of start-up and settings.
constexpr uint32_t kRegistryWriteFailed = 1000;
constexpr uint32_t kBadUpgradeFolder = 1004;
constexpr uint32_t kUpgradeFolderReadOnly = 1005;
constexpr uint32_t kLibraryInitFailed = 1006;
constexpr uint32_t kErrorCaption = 1500;         // "Brelmora Error"
constexpr uint32_t kSampleLinePrefix = 1801;     // "Date/Time format:"
constexpr uint32_t kFirstDatePicture = 1850;     // 1850..1853
constexpr uint32_t kFirstTimePicture = 1854;     // 1854..1857

constexpr uint32_t kAppTitle = 57344;            // "Brelmora"
constexpr uint32_t kRestoreQuestion = 59519;
constexpr uint32_t kManualFile = 59520;          // "Veltrano_ENU.pdf"
constexpr uint32_t kUpdateProgramItem = 59577;   // "Update Brelmora to version %s"
constexpr uint32_t kUpdateFirmwareItem = 59578;  // "Update Veltrano to version %s"
constexpr uint32_t kNewVersionMenu = 59579;      // "New version available!"
constexpr uint32_t kFeedbackAddress = 59582;

// Menu titles (File, Device, Edit, Help) and the tool bar's name.
constexpr uint32_t kMenuFile = 40100;
constexpr uint32_t kMenuDevice = 40101;
constexpr uint32_t kMenuEdit = 40102;
constexpr uint32_t kMenuHelp = 40103;
constexpr uint32_t kToolBarName = 40150;

// Messages of the shell.
constexpr uint32_t kNotAvailableYet = 40200;
constexpr uint32_t kUpgradeProgramMissing = 40201;  // %s: path
constexpr uint32_t kUpgradeProgramFailed = 40202;   // %s: path
constexpr uint32_t kFileNotOpened = 40203;          // %s: path
constexpr uint32_t kWebPageNotOpened = 40204;       // %s: address
constexpr uint32_t kStatusReady = 40205;
constexpr uint32_t kMainFrameFailed = 40206;
constexpr uint32_t kWaitingForUpgrade = 40207;
constexpr uint32_t kMakerWebSite = 40210;
constexpr uint32_t kLogoToolTip = 40211;

// Application Settings dialog.
constexpr uint32_t kSettingsTitle = 40300;
constexpr uint32_t kSettingsLanguage = 40301;
constexpr uint32_t kSettingsDate = 40302;
constexpr uint32_t kSettingsTime = 40303;
constexpr uint32_t kButtonReset = 40304;
constexpr uint32_t kButtonOk = 40305;
constexpr uint32_t kButtonCancel = 40306;

// About box.
constexpr uint32_t kAboutTitle = 40400;
constexpr uint32_t kAboutVersion = 40401;        // %s: version
constexpr uint32_t kAboutDescription = 40402;

// Standard buttons.
constexpr uint32_t kButtonYes = 40500;
constexpr uint32_t kButtonNo = 40501;
constexpr uint32_t kButtonClose = 40502;
constexpr uint32_t kButtonSave = 40503;
constexpr uint32_t kButtonOpen = 40504;

// Qt's print preview dialog: its title and its tool bar, in the order of
// kPreviewTexts (AppTranslator.cpp).
constexpr uint32_t kFirstPreviewText = 40510;

// The command line: usage text, wrong options, output without a window
// (own ids 48500-48599).
constexpr uint32_t kUsage = 48500;
constexpr uint32_t kOptionNeedsFile = 48501;     // %s: the option
constexpr uint32_t kOptionNeedsProject = 48502;  // %s: the option
constexpr uint32_t kSummaryNeedsPdf = 48503;
constexpr uint32_t kOptionsExclusive = 48504;
constexpr uint32_t kPictureExtension = 48505;    // %s: the file name
constexpr uint32_t kNoSeriesToPrint = 48506;
constexpr uint32_t kEmptySummary = 48507;
constexpr uint32_t kCannotWrite = 48508;         // %s: the cause
constexpr uint32_t kOutputIsProject = 48509;     // %s: the file
constexpr uint32_t kPictureFailed = 48510;
constexpr uint32_t kPrintoutFailed = 48511;

} // namespace AppStrings
