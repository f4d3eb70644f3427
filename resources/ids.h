// Every control, command, message and resource id of the main window.
// The numbers are the ones the box's original tooling and the text tables
// are keyed to; keep them stable.
#pragma once

namespace tarnwick::ids {

// ---- Dialogs and resources -------------------------------------------------
inline constexpr int kMainDialog = 102;
inline constexpr int kMainMenu = 154;
inline constexpr int kBatchDialog = 227;
inline constexpr int kAboutDialog = 100;
inline constexpr int kAppIcon = 128;
inline constexpr int kWebIcon = 240;
inline constexpr int kAboutString = 101;  // system-menu "about" text

// Socket pictures (chosen from the operation type) and the adapter picture.
inline constexpr int kSocketIconClass1 = 231;        // operation class 1
inline constexpr int kSocketIconClass0 = 232;        // class 0, and class 2 subcode x0x
inline constexpr int kSocketIconClass2Sub1 = 233;    // class 2, third character 1
inline constexpr int kSocketIconClass3Sub0 = 234;    // class 3, third character 0
inline constexpr int kSocketIconClass3Sub1 = 235;    // class 3, third character 1
inline constexpr int kSocketIconClass4 = 239;        // class 4
inline constexpr int kAdapterIcon = 236;

// ---- Controls of the main window (dialog 102) ------------------------------
inline constexpr int kHexScrollBar = 1002;
inline constexpr int kFileNameBox = 1003;
inline constexpr int kBrowseButton = 1004;
inline constexpr int kEditModeCheck = 1006;
inline constexpr int kTypeList = 1014;
inline constexpr int kMakerList = 1015;
inline constexpr int kModelList = 1016;
inline constexpr int kCapacityText = 1017;
inline constexpr int kStatusLine = 1018;
inline constexpr int kAutoProgramButton = 1019;
inline constexpr int kEraseButton = 1020;
inline constexpr int kProgramButton = 1021;
inline constexpr int kReadButton = 1022;
inline constexpr int kVerifyButton = 1023;
inline constexpr int kDetectButton = 1024;
inline constexpr int kAboutCommand = 1025;
inline constexpr int kBatchButton = 1026;
inline constexpr int kHexInput = 1027;
inline constexpr int kProgressBar = 1031;
inline constexpr int kFileChecksum = 1033;
inline constexpr int kBlankCheckButton = 1035;
inline constexpr int kHexGrid = 1057;
inline constexpr int kSocketPicture = 1071;
inline constexpr int kAdapterPicture = 1073;
inline constexpr int kChipChecksum = 1082;
inline constexpr int kLogPane = 1101;
inline constexpr int kWebPicture = 1102;
inline constexpr int kTypeLabel = 1162;
inline constexpr int kMakerLabel = 1163;
inline constexpr int kModelLabel = 1164;
inline constexpr int kCapacityLabel = 1165;
inline constexpr int kFileNameLabel = 1166;
inline constexpr int kFileChecksumLabel = 1167;
inline constexpr int kChipChecksumLabel = 1168;
inline constexpr int kChipGroup = 1169;
inline constexpr int kOperationGroup = 1170;
inline constexpr int kDataGroup = 1171;
inline constexpr int kNoticeGroup = 1172;
inline constexpr int kQeConfigButton = 1183;
inline constexpr int kQeCheck = 1189;

// ---- Controls of the batch dialog (dialog 227) -----------------------------
inline constexpr int kBatchCountEdit = 1098;
inline constexpr int kBatchFillAddressEdit = 1099;
inline constexpr int kBatchStartIdEdit = 1100;
inline constexpr int kBatchModeList = 1117;
inline constexpr int kBatchFileList = 1119;
inline constexpr int kBatchAddFilesButton = 1120;
inline constexpr int kBatchMoveUpButton = 1121;
inline constexpr int kBatchMoveDownButton = 1122;
inline constexpr int kBatchDeleteButton = 1123;
inline constexpr int kBatchIncrementEdit = 1124;
inline constexpr int kBatchByteOrderList = 1126;
inline constexpr int kBatchIdLengthList = 1127;
inline constexpr int kBatchMasterEdit = 1128;
inline constexpr int kBatchMasterButton = 1129;
inline constexpr int kBatchStartButton = 1130;
inline constexpr int kBatchStopButton = 1132;
inline constexpr int kBatchExitButton = 1133;
inline constexpr int kBatchSelectAllButton = 1134;
inline constexpr int kBatchSelectNoneButton = 1135;
inline constexpr int kBatchAutoStartCheck = 1136;
// Its labels: numbers of our own, so the captions can be set by id.
inline constexpr int kBatchFillAddressLabel = 1137;
inline constexpr int kBatchStartIdLabel = 1138;
inline constexpr int kBatchIncrementLabel = 1139;
inline constexpr int kBatchCountLabel = 1140;
inline constexpr int kBatchIdLengthLabel = 1141;
inline constexpr int kBatchByteOrderLabel = 1142;

// ---- Controls of the OTP dialog ----------------------------------------------
inline constexpr int kOtpFileEdit = 1098;
inline constexpr int kOtpLogEdit = 1099;
inline constexpr int kOtpOpenButton = 1110;
inline constexpr int kOtpProgramButton = 1111;
inline constexpr int kOtpLockCheck = 1112;
inline constexpr int kOtpReadButton = 1113;
inline constexpr int kOtpSaveButton = 1114;
inline constexpr int kOtpVerifyButton = 1115;
inline constexpr int kOtpBlankCheckButton = 1116;
inline constexpr int kOtpDetectButton = 1152;

// ---- Controls of the buffer tools' dialogs ---------------------------------
inline constexpr int kGoToDialog = 196;
inline constexpr int kGoToAddressEdit = 1065;
inline constexpr int kGoToOkButton = 1064;
inline constexpr int kDataViewDialog = 162;
inline constexpr int kDataViewAddressEdit = 1041;
inline constexpr int kDataViewFileValue = 1042;
inline constexpr int kDataViewChipValue = 1043;
inline constexpr int kDataViewState = 1044;
inline constexpr int kDataViewOkButton = 1045;
inline constexpr int kFileFillDialog = 163;
inline constexpr int kFileFillAddressEdit = 1036;
inline constexpr int kFileFillLengthEdit = 1037;
inline constexpr int kFileFillDataEdit = 1038;
inline constexpr int kFileFillOkButton = 1039;
inline constexpr int kFileFillState = 1040;
inline constexpr int kFileFillFromEndCheck = 1063;
inline constexpr int kFindDialog = 212;
inline constexpr int kFindHexRadio = 1074;
inline constexpr int kFindTextRadio = 1075;
inline constexpr int kFindPatternEdit = 1076;
// ---- Controls of the firmware upgrade dialog ------------------------------
inline constexpr int kFwFileEdit = 1067;
inline constexpr int kFwOpenButton = 1068;
inline constexpr int kFwProgress = 1069;
inline constexpr int kFwUpgradeButton = 1070;
inline constexpr int kFwFileLabel = 1173;

// ---- Controls of the merge (223) and split (224) dialogs --------------------
inline constexpr int kMergeDialog = 223;
inline constexpr int kMergeNameEdit = 1098;
inline constexpr int kMergeAddButton = 1103;
inline constexpr int kMergeFileList = 1104;
inline constexpr int kMergeFolderButton = 1105;
inline constexpr int kMergeDeleteButton = 1106;
inline constexpr int kMergeFolderEdit = 1107;
inline constexpr int kSplitDialog = 224;
inline constexpr int kSplitSourceEdit = 1098;
inline constexpr int kSplitOpenButton = 1108;
inline constexpr int kSplitPointsEdit = 1109;
// Its texts: numbers of our own, so the captions can be set by id.
inline constexpr int kSplitPointsLabel = 1196;
inline constexpr int kSplitExample = 1197;

// ---- Controls of the chip fill dialog (dialog 167) --------------------------
inline constexpr int kChipFillDialog = 167;
inline constexpr int kChipFillOkButton = 1048;
inline constexpr int kChipFillAddressEdit = 1050;
inline constexpr int kChipFillLengthEdit = 1051;
inline constexpr int kChipFillByteEdit = 1052;
inline constexpr int kChipFillState = 1053;
inline constexpr int kChipFillWordEdit = 1054;
inline constexpr int kChipFillFileEdit = 1098;
inline constexpr int kChipFillFileModeCheck = 1188;
// Its browse button and labels: numbers of our own.
inline constexpr int kChipFillBrowseButton = 1190;
inline constexpr int kChipFillAddressLabel = 1191;
inline constexpr int kChipFillLengthLabel = 1192;
inline constexpr int kChipFillDataLabel = 1193;
inline constexpr int kChipFillNote = 1194;
inline constexpr int kChipFillStateLabel = 1195;

// ---- Controls of the version dialog (dialog 215) ----------------------------
inline constexpr int kVersionDialog = 215;
inline constexpr int kVersionList = 1187;
inline constexpr int kVersionWebLink = 1088;

// What every dialog's OK and cancel buttons are called when the template
// gives them no number of their own.
inline constexpr int kDialogOk = 1;
inline constexpr int kDialogCancel = 2;
// Pseudo id for the window title (not a control of the template).
inline constexpr int kWindowTitle = 0;

// ---- Controls of the feedback dialog (dialog 214) ----------------------------
inline constexpr int kFeedbackDialog = 214;
inline constexpr int kFeedbackSubjectEdit = 1083;
inline constexpr int kFeedbackContentEdit = 1085;
inline constexpr int kFeedbackContactEdit = 1087;
inline constexpr int kFeedbackSubjectLabel = 1156;
inline constexpr int kFeedbackContentLabel = 1157;
inline constexpr int kFeedbackContactLabel = 1158;
inline constexpr int kFeedbackSubmitButton = 1159;
inline constexpr int kFeedbackNote = 1160;

// ---- Controls of the about box (dialog 100) ---------------------------------
// The web and contact links, and the program and maker lines: numbers of our own.
inline constexpr int kAboutWebLink = 1198;
inline constexpr int kAboutContactLink = 1199;
inline constexpr int kAboutProgramLine = 1200;
inline constexpr int kAboutMakerLine = 1201;

// ---- Menu commands (menu 154) ----------------------------------------------
inline constexpr int kExitCommand = 1;         // "退出程序(&X)": IDOK, no close sequence
inline constexpr int kOpenFile = kBrowseButton; // "打开文件(&O)"
inline constexpr int kSaveFile = 32806;
inline constexpr int kSaveFileAs = 32784;
inline constexpr int kEditModeMenu = 32783;
inline constexpr int kGoToAddress = 32807;
inline constexpr int kDataView = 32803;
inline constexpr int kFind = 32810;
inline constexpr int kFileFill = 32801;
inline constexpr int kChipFill = 32804;
inline constexpr int kOffsetProgramming = 32815;
inline constexpr int kMergeFiles = 32817;
inline constexpr int kSplitFile = 32818;
inline constexpr int kOtpProgramming = 32820;
inline constexpr int kFirmwareVersion = 32788;
inline constexpr int kFirmwareUpgrade = 32808;
inline constexpr int kMenu32790 = 32790;       // greyed with the box commands by every operation
inline constexpr int kSoundSetting = 32809;
inline constexpr int kAutoDetectSetting = 32811;
inline constexpr int kBatchEraseSetting = 32821;
inline constexpr int kBatchProgramSetting = 32822;
inline constexpr int kBatchVerifySetting = 32823;
inline constexpr int kHelp = 32797;
inline constexpr int kCheckUpdate = 32814;
inline constexpr int kViewModificationLog = 32819;
inline constexpr int kFeedback = 32813;
inline constexpr int kSystemAbout = 0x10;     // system-menu about entry

// Menu-item bitmaps by command.
inline constexpr int kEditModeBitmapUnchecked = 188;
inline constexpr int kEditModeBitmapChecked = 189;

// ---- Window messages ---------------------------------------------------------
inline constexpr int kWmUser = 0x400;
inline constexpr int kMsgFileDropped = kWmUser + 1;
inline constexpr int kMsgOtpDetect = kWmUser + 12;
inline constexpr int kMsgOtpProgram = kWmUser + 13;
inline constexpr int kMsgOtpRead = kWmUser + 14;
inline constexpr int kMsgOtpSave = kWmUser + 15;
inline constexpr int kMsgOtpVerify = kWmUser + 16;
inline constexpr int kMsgOtpBlankCheck = kWmUser + 17;
inline constexpr int kMsgBatchStep = kWmUser + 100;
inline constexpr int kMsgBatchResult = kWmUser + 101;
inline constexpr int kMsgDeviceChange = 0x0219;  // the system's device-change message

}  // namespace tarnwick::ids
