#pragma once
// The ids of the main window (dialog 107), its menu bar (menu 117) and the
// About box (dialog 100). The numbers are part of the window: tests, the
// key filter and the bar-code capture reach controls by them, so a control
// keeps its number when it moves.

namespace gui {

// Dialog 107, left column: device, adapter and code file.
inline constexpr int kMainDeviceCombo = 1014;      // "MSP430F-"
inline constexpr int kMainGroupCombo = 1021;       // "Group:"
inline constexpr int kMainInterfaceCaption = 1184; // "Spy-Bi-Wire (2-wires)" / 4-wire JTAG
inline constexpr int kMainPortCaption = 1185;
inline constexpr int kMainTargetEdit = 1015;       // "Target:" the connected device's name
inline constexpr int kMainBslEdit = 1016;          // "BSL:" its version
inline constexpr int kMainDeviceInfoGroup = 149;   // "Selected Device Information"
inline constexpr int kMainDeviceInfoText = 161;    // RAM and flash of the selected device
inline constexpr int kMainEraseModeCaption = 1186; // the memory option's caption
inline constexpr int kMainSpareCaption = 1108;     // below it; nothing fills it
inline constexpr int kMainOpenCodeFileButton = 1010;
inline constexpr int kMainCodeFileNameEdit = 1022;
inline constexpr int kMainCodeFilePathEdit = 1020; // "path:"

// Middle: serial number and model text.
inline constexpr int kMainModelCaption = 1111; // "Model:"
inline constexpr int kMainModelEdit = 1050;
inline constexpr int kMainNextSnCaption = 1107;   // "  Next SN:" / "Coming SN:"
inline constexpr int kMainNextSnEdit = 1051;      // the SN the next write uses
inline constexpr int kMainSnFormatCaption = 1093; // "Format: ..."

// Target supply and serialization counts.
inline constexpr int kMainVccEdit = 1013;       // "Vcc:" the measured supply
inline constexpr int kMainVccCombo = 1028;      // the supply to set (kVccChoices)
inline constexpr int kMainSnTotalEdit = 1052;   // "Total:"
inline constexpr int kMainSnBalanceEdit = 1053; // "Balance:"
inline constexpr int kMainPowerButton = 1002;   // "POWER ON/OFF"

// Read-back, serial-number list, checksums.
inline constexpr int kMainReadSnButton = 1012;  // "Read SN"
inline constexpr int kMainReadModelEdit = 1054; // the model text read back
inline constexpr int kMainReadSnEdit = 1055;    // the SN read back
inline constexpr int kMainSnFileButton = 1011;  // "SN File"
inline constexpr int kMainSnFileEdit = 1023;
inline constexpr int kMainSnQtyCaption = 1190; // "SN qty" / "empty"
inline constexpr int kMainSnQtyEdit = 1056;
inline constexpr int kMainSourceSumEdit = 1047;       // "Source:" checksum of the code
inline constexpr int kMainMemorySumEdit = 1048;       // "Memory:" checksum of the flash
inline constexpr int kMainReloadCodeFileCheck = 1033; // "Reload Code File"

// The running step, the report and the progress bar.
inline constexpr int kMainStepEdit = 1032;
inline constexpr int kMainReportEdit = 1026;
inline constexpr int kMainProgressBar = 1024;

// Right column: the actions.
inline constexpr int kMainResetButton = 1019;           // "RESET"
inline constexpr int kMainBlowFuseButton = 1018;        // "BLOW FUSE"
inline constexpr int kMainFuseEnableCheck = 1037;       // "Enable"
inline constexpr int kMainBlowSecurityFuseCheck = 1128; // "Blow Security Fuse"
inline constexpr int kMainAutoProgramButton = 1001;     // "AUTO PROG."
inline constexpr int kMainVerifyFuseButton = 1004;  // "Verify Password" / "Verify Security Fuse"
inline constexpr int kMainEraseFlashButton = 1003;  // "ERASE FLASH"
inline constexpr int kMainBlankCheckButton = 1007;  // "BLANK CHECK"
inline constexpr int kMainWriteFlashButton = 1005;  // "WRITE FLASH"
inline constexpr int kMainWriteSnButton = 1009;     // "WRITE SN / Model"
inline constexpr int kMainVerifyFlashButton = 1006; // "VERIFY FLASH"
inline constexpr int kMainReadCopyButton = 1008;    // "READ / COPY"
inline constexpr int kMainNextCaption = 1121;       // the frame around NEXT: the action it repeats
inline constexpr int kMainNextButton = 1017;        // "NEXT  ( F5 )"

// Menu 117.
inline constexpr int kMenuOpenProject = 23;
inline constexpr int kMenuSaveProjectAs = 24;
inline constexpr int kMenuNewSetup = 213;
inline constexpr int kMenuLoadSetup = 153;
inline constexpr int kMenuSaveSetup = 154;
inline constexpr int kMenuSaveSetupAs = 155;
inline constexpr int kMenuOpenCodeFile = 120;
inline constexpr int kMenuCombineCodeFiles = 216;
inline constexpr int kMenuSaveCodeAs = 217;
inline constexpr int kMenuSaveMemoryAs = 223;
inline constexpr int kMenuRecentSetup1 = 203; // "1." the current setup
inline constexpr int kMenuRecentSetup2 = 205;
inline constexpr int kMenuRecentSetup3 = 206;
inline constexpr int kMenuRecentSetup4 = 207;
inline constexpr int kMenuExit = 128;
inline constexpr int kMenuCodeFileData = 180;
inline constexpr int kMenuFlashMemoryData = 199;
inline constexpr int kMenuPendingSnList = 21; // in View and in Serialization
inline constexpr int kMenuCompareCodeAndFlash = 214;
inline constexpr int kMenuCompareTwoCodeFiles = 232;
inline constexpr int kMenuLockUnlockSetup = 218;
inline constexpr int kMenuMemoryOptions = 194;
inline constexpr int kMenuBslPassword = 225;
inline constexpr int kMenuConnectionReset = 220;
inline constexpr int kMenuPreferences = 221;
inline constexpr int kMenuSerializationSetup = 195;
inline constexpr int kMenuSerializationReport = 219;
inline constexpr int kMenuFirmwareVersion = 233;
inline constexpr int kMenuFirmwareDownloader = 228;
inline constexpr int kMenuAbout = 122;
inline constexpr int kMenuUserGuide = 230;
inline constexpr int kMenuSupport = 229;
inline constexpr int kMenuWeb = 231;

// The About box (dialog 100).
inline constexpr int kAboutDialogId = 100;
inline constexpr int kAboutPartNumber = 1186;      // "Software part number:"
inline constexpr int kAboutLibraryVersion = 1183;  // "Debug library:"
inline constexpr int kAboutFirmwareVersion = 1184; // "Adapter firmware:"

} // namespace gui
