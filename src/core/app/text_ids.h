// The entry numbers of the two text tables (ftext: menus and captions,
// itext: messages), one name per entry the program shows. Code never writes
// a bare entry number: it names the text here, so a number is changed in one
// place and a reader sees which message a line shows.
//
// Keep every constant also in its table's kAll list at the end of its
// namespace; the tests walk that list against the shipped languages and
// check it against the declarations of this file.
#pragma once

#include <string_view>

namespace tarnwick {

// One entry of a kAll list: the entry number and the constant's name.
struct TextId {
  int number;
  std::string_view name;
};

namespace itext {

// Application shell: file-name hint, box captions, start-up and batch notices.
inline constexpr int kFileNameHint = 0;
inline constexpr int kCatalogueCannotOpen = 1;
inline constexpr int kWarningCaption = 2;
inline constexpr int kNoticeCaption = 9;  // default caption of every message box
// A second window on a base directory another one runs on.
inline constexpr int kAlreadyRunning = 209;
// A file the program opens (the manual, the log) is there, but nothing on
// the desktop opens it; the path follows on the next line.
inline constexpr int kNoOpener = 211;
inline constexpr int kBatchNeedsAutoIdentify = 12;

// Start-up checks of the settings file and the catalogue: what was wrong.
inline constexpr int kSettingsUnreadable = 13;
inline constexpr int kSettingsOddValues = 14;
inline constexpr int kSettingOn = 15;
inline constexpr int kSettingOff = 16;
inline constexpr int kCatalogueProblem = 17;
inline constexpr int kCatalogueNotAFile = 18;
inline constexpr int kCatalogueTooLarge = 19;
inline constexpr int kCatalogueEmpty = 20;
inline constexpr int kCatalogueNoLines = 21;
inline constexpr int kCatalogueTruncated = 22;
inline constexpr int kCatalogueLinesRefused = 23;
inline constexpr int kCatalogueRecordsRead = 28;
inline constexpr int kCatalogueNoRecords = 115;
// The box took the whole image but never sent the end byte.
inline constexpr int kProgramEndUnconfirmed = 114;
// Caption of error boxes, and the word between address and bytes of a
// verify difference.
inline constexpr int kError = 29;

// Close questions while an operation runs.
inline constexpr int kCloseWhileErasing = 30;
inline constexpr int kCloseWhileProgramming = 31;
inline constexpr int kCloseWhileVerifying = 32;
inline constexpr int kCloseWhileReading = 33;

// Box link.
inline constexpr int kBoxNotFound = 34;
inline constexpr int kBoxNotAnswering = 35;
inline constexpr int kUsbError = 49;

// Operation buttons' captions while their operation runs (a press stops it).
inline constexpr int kStopErase = 36;
inline constexpr int kStopProgram = 38;
inline constexpr int kStopVerify = 40;
inline constexpr int kStopRead = 42;
inline constexpr int kStopBlankCheck = 44;

// Refusals every chip operation starts with.
inline constexpr int kBoxRefused = 56;
inline constexpr int kNoFileLoaded = 57;
inline constexpr int kNoChipSelected = 82;

// Chip detection and quad enable.
inline constexpr int kLargeChip = 54;  // log line after detecting 8 MiB or more
inline constexpr int kNoIdFamily1 = 69;
inline constexpr int kNoIdFamily3 = 70;
inline constexpr int kNoIdFamily4 = 71;
inline constexpr int kNoIdAnswer = 72;
inline constexpr int kChipIdentified = 73;
inline constexpr int kSeveralMatches = 74;
inline constexpr int kUnknownId = 75;
inline constexpr int kNoIdFamily2 = 188;
inline constexpr int kIdentifiedAs = 191;  // heads the box naming type, maker and model
inline constexpr int kQeSetting = 202;
inline constexpr int kQeSet = 203;
inline constexpr int kQeFailed = 204;

// Read chip.
inline constexpr int kReadProgress = 76;
inline constexpr int kReadEnded = 78;
// A read whose result cannot be kept: the transfer, or the chip-data file
// that receives it.
inline constexpr int kReadFailed = 146;

// Erase and blank check.
inline constexpr int kErasing = 59;
inline constexpr int kEraseEnded = 60;
inline constexpr int kBlankChecking = 61;
inline constexpr int kChipBlankTime = 62;
inline constexpr int kChipBlank = 63;
inline constexpr int kChipNotBlankTime = 64;
inline constexpr int kChipNotBlank = 65;
inline constexpr int kNotBlankAddress = 66;
inline constexpr int kNotBlankData = 67;
inline constexpr int kBlankCheckStopped = 68;

// Program, verify and auto program.
inline constexpr int kProgramming = 47;
inline constexpr int kProgramProgress = 48;
inline constexpr int kProgramStopped = 50;
inline constexpr int kProgramComplete = 51;
inline constexpr int kProgramStoppedChipSize = 53;
inline constexpr int kFileLargerAsk = 58;
inline constexpr int kVerifying = 79;
inline constexpr int kVerifyProgress = 80;
inline constexpr int kVerifyStoppedAt = 81;
inline constexpr int kVerifyDifferenceChoices = 83;
inline constexpr int kVerifyFailed = 84;
inline constexpr int kChipSmallerThanFile = 85;
inline constexpr int kTimeAfterCount = 86;
inline constexpr int kVerifyOk = 87;
inline constexpr int kAutoDone = 91;
inline constexpr int kAutoErased = 92;
inline constexpr int kAutoProgrammed = 93;
inline constexpr int kAutoVerified = 94;
inline constexpr int kAutoTime = 95;
inline constexpr int kFileLargerProgrammed = 190;
inline constexpr int kDifferenceFile = 192;
inline constexpr int kDifferenceChip = 193;

// File image, hex view and modification log.
inline constexpr int kEditingHint = 3;
inline constexpr int kNoFileForEditMode = 4;
inline constexpr int kEditModeOn = 5;
inline constexpr int kEditModeOff = 6;
inline constexpr int kValueEmpty = 7;
inline constexpr int kCharacterNotAllowed = 8;
inline constexpr int kValueUnchanged = 10;
inline constexpr int kDataChanged = 11;
inline constexpr int kInternalFile = 24;
inline constexpr int kCannotOpenFile = 25;
inline constexpr int kReadComplete = 26;
inline constexpr int kChipDataName = 27;  // file-name box while the image is a chip read
inline constexpr int kAddressBeyondFile = 55;
inline constexpr int kFileSaved = 116;
inline constexpr int kLoadingSavedFile = 117;
inline constexpr int kFileNotFound = 118;
inline constexpr int kNoLoadWhileBusy = 119;
inline constexpr int kFileLoaded = 189;
// Save finds the source changed on disk since it was loaded.
inline constexpr int kSourceChangedAsk = 206;

// Firmware version and upgrade.
inline constexpr int kFwFileDamaged = 101;
inline constexpr int kFwReopenFailed = 102;
inline constexpr int kFwBootReady = 103;
inline constexpr int kFwNoHandshake = 104;
inline constexpr int kFwStartRefused = 105;
inline constexpr int kFwStartNoAnswer = 106;
inline constexpr int kFwEraseFailed = 107;
inline constexpr int kFwWriteFailed = 108;
inline constexpr int kFwReadBackDiffers = 109;
inline constexpr int kFwReadBackFailed = 110;
inline constexpr int kFwNotConfirmed = 111;
inline constexpr int kFwNoFinishAnswer = 112;
inline constexpr int kFwUpgradeDone = 113;
inline constexpr int kFwNoInformation = 124;
inline constexpr int kFwFileChosen = 152;
inline constexpr int kFwErasing = 194;
inline constexpr int kFwFirmwareWord = 195;
inline constexpr int kFwSerialWord = 196;
inline constexpr int kFwInformationCaption = 197;
inline constexpr int kFwChooseFile = 199;
inline constexpr int kChooseFile = kFwChooseFile;  // chip fill's file mode too

// The update check and its version dialog.
inline constexpr int kVersionSoftwareRow = 120;
inline constexpr int kVersionFirmwareRow = 121;
inline constexpr int kVersionCurrentColumn = 122;
inline constexpr int kVersionLatestColumn = 123;
inline constexpr int kNewerProgram = 125;
inline constexpr int kProgramCurrent = 126;
inline constexpr int kNewerFirmware = 127;
inline constexpr int kFirmwareCurrent = 128;
inline constexpr int kUpdateCheckFailed = 129;
inline constexpr int kVersionVerdictColumn = 201;
// The upgrade's progress texts shared with the chip operations.
inline constexpr int kFwPreparing = kErasing;
inline constexpr int kFwWriting = kProgramProgress;
inline constexpr int kFwReadingBack = kVerifyProgress;

// Offset programming's work file.
inline constexpr int kOffsetCopying = 181;
inline constexpr int kOffsetBeyondFile = 182;
inline constexpr int kWorkFileFailed = 183;

// Chip fill.
inline constexpr int kFillNoSector = 96;
inline constexpr int kFillFailed = 97;
inline constexpr int kFillBeyondChip = 98;
inline constexpr int kFilling = 99;
inline constexpr int kFillDone = 100;

// File fill (and the other buffer tools' empty fields).
inline constexpr int kEnterAddress = 162;
inline constexpr int kEnterLength = 163;
inline constexpr int kEnterData = 164;
inline constexpr int kFileFillNeedsEditMode = 165;
inline constexpr int kFileFilling = 166;
inline constexpr int kFileFillDone = 167;

// Data view.
inline constexpr int kDataViewNoAddress = 171;
inline constexpr int kFileValueRead = 172;
inline constexpr int kOutOfRange = 173;
inline constexpr int kNotAvailable = 174;
inline constexpr int kChipValueRead = 175;
inline constexpr int kBeyondFileEnd = 176;
inline constexpr int kBeyondChipSize = 177;
inline constexpr int kDataViewDone = 178;

// Find in the file image.
inline constexpr int kFindEmpty = 168;
inline constexpr int kFindNotHex = 169;
inline constexpr int kFindNext = 170;
inline constexpr int kFindFinished = 89;
inline constexpr int kFindNothing = 90;

// Go to address.
inline constexpr int kGoToNoAddress = 187;

// File merge and split.
inline constexpr int kMergeNoFolder = 153;
inline constexpr int kMergeNoName = 154;
inline constexpr int kMergeDone = 155;
inline constexpr int kMergeCannotCreate = 156;
inline constexpr int kMergeFolderPrompt = 210;  // the folder chooser's title
inline constexpr int kSplitBadPoints = 157;
inline constexpr int kSplitCannotCreate = 158;
inline constexpr int kSplitDone = 159;
inline constexpr int kSplitNoPoints = 160;

// OTP dialog: what the worker writes to its log, and its notices.
inline constexpr int kOtpDetecting = 130;
inline constexpr int kOtpSeveralMatches = 131;
inline constexpr int kOtpFound = 132;
inline constexpr int kOtpSize = 133;
inline constexpr int kOtpLocked = 134;
inline constexpr int kOtpUnlocked = 135;
inline constexpr int kOtpStatusFailed = 136;
inline constexpr int kOtpEnterFailed = 137;
inline constexpr int kOtpNoLockStatus = 138;
inline constexpr int kOtpMethodFailed = 139;
inline constexpr int kOtpUnknownChip = 140;
inline constexpr int kOtpNotBlankAsk = 141;
inline constexpr int kOtpProgramFailed = 142;
inline constexpr int kOtpLockDone = 143;
inline constexpr int kOtpLockFailed = 144;
inline constexpr int kOtpProgramDone = 145;
inline constexpr int kOtpVerifyFailed = 147;
inline constexpr int kOtpFileWord = 148;
inline constexpr int kOtpChipWord = 149;
inline constexpr int kOtpBlankFailed = 150;
inline constexpr int kOtpBlank = 151;
inline constexpr int kOtpNoProgramFile = 179;
inline constexpr int kOtpNoVerifyFile = 180;
inline constexpr int kOtpSaved = 198;
inline constexpr int kOtpFileLargerAsk = 207;
inline constexpr int kOtpLockBytesLeft = 208;
// Entries the OTP log shares with the main window's operations.
inline constexpr int kOtpReadFailed = kReadFailed;
inline constexpr int kOtpReadDone = kReadComplete;
inline constexpr int kOtpVerifyDone = kVerifyOk;
// An empty file named in a box: "<path>: " and this.
inline constexpr int kFileEmpty = kCatalogueEmpty;

// The feedback mail.
inline constexpr int kFeedbackNoContent = 184;
inline constexpr int kFeedbackNotGiven = 185;
inline constexpr int kFeedbackNotPrepared = 186;
inline constexpr int kFeedbackSent = 200;

inline constexpr TextId kAll[] = {
    {kFeedbackNoContent, "kFeedbackNoContent"},
    {kFeedbackNotGiven, "kFeedbackNotGiven"},
    {kFeedbackNotPrepared, "kFeedbackNotPrepared"},
    {kFeedbackSent, "kFeedbackSent"},
    {kFileNameHint, "kFileNameHint"},
    {kCatalogueCannotOpen, "kCatalogueCannotOpen"},
    {kWarningCaption, "kWarningCaption"},
    {kNoticeCaption, "kNoticeCaption"},
    {kBatchNeedsAutoIdentify, "kBatchNeedsAutoIdentify"},
    {kSettingsUnreadable, "kSettingsUnreadable"},
    {kSettingsOddValues, "kSettingsOddValues"},
    {kSettingOn, "kSettingOn"},
    {kSettingOff, "kSettingOff"},
    {kCatalogueProblem, "kCatalogueProblem"},
    {kCatalogueNotAFile, "kCatalogueNotAFile"},
    {kCatalogueTooLarge, "kCatalogueTooLarge"},
    {kCatalogueEmpty, "kCatalogueEmpty"},
    {kCatalogueNoLines, "kCatalogueNoLines"},
    {kCatalogueTruncated, "kCatalogueTruncated"},
    {kCatalogueLinesRefused, "kCatalogueLinesRefused"},
    {kCatalogueRecordsRead, "kCatalogueRecordsRead"},
    {kCatalogueNoRecords, "kCatalogueNoRecords"},
    {kProgramEndUnconfirmed, "kProgramEndUnconfirmed"},
    {kError, "kError"},
    {kCloseWhileErasing, "kCloseWhileErasing"},
    {kCloseWhileProgramming, "kCloseWhileProgramming"},
    {kCloseWhileVerifying, "kCloseWhileVerifying"},
    {kCloseWhileReading, "kCloseWhileReading"},
    {kBoxNotFound, "kBoxNotFound"},
    {kBoxNotAnswering, "kBoxNotAnswering"},
    {kUsbError, "kUsbError"},
    {kStopErase, "kStopErase"},
    {kStopProgram, "kStopProgram"},
    {kStopVerify, "kStopVerify"},
    {kStopRead, "kStopRead"},
    {kStopBlankCheck, "kStopBlankCheck"},
    {kBoxRefused, "kBoxRefused"},
    {kNoFileLoaded, "kNoFileLoaded"},
    {kNoChipSelected, "kNoChipSelected"},
    {kLargeChip, "kLargeChip"},
    {kNoIdFamily1, "kNoIdFamily1"},
    {kNoIdFamily3, "kNoIdFamily3"},
    {kNoIdFamily4, "kNoIdFamily4"},
    {kNoIdAnswer, "kNoIdAnswer"},
    {kChipIdentified, "kChipIdentified"},
    {kSeveralMatches, "kSeveralMatches"},
    {kUnknownId, "kUnknownId"},
    {kNoIdFamily2, "kNoIdFamily2"},
    {kIdentifiedAs, "kIdentifiedAs"},
    {kQeSetting, "kQeSetting"},
    {kQeSet, "kQeSet"},
    {kQeFailed, "kQeFailed"},
    {kReadProgress, "kReadProgress"},
    {kReadEnded, "kReadEnded"},
    {kReadFailed, "kReadFailed"},
    {kErasing, "kErasing"},
    {kEraseEnded, "kEraseEnded"},
    {kBlankChecking, "kBlankChecking"},
    {kChipBlankTime, "kChipBlankTime"},
    {kChipBlank, "kChipBlank"},
    {kChipNotBlankTime, "kChipNotBlankTime"},
    {kChipNotBlank, "kChipNotBlank"},
    {kNotBlankAddress, "kNotBlankAddress"},
    {kNotBlankData, "kNotBlankData"},
    {kBlankCheckStopped, "kBlankCheckStopped"},
    {kProgramming, "kProgramming"},
    {kProgramProgress, "kProgramProgress"},
    {kProgramStopped, "kProgramStopped"},
    {kProgramComplete, "kProgramComplete"},
    {kProgramStoppedChipSize, "kProgramStoppedChipSize"},
    {kFileLargerAsk, "kFileLargerAsk"},
    {kVerifying, "kVerifying"},
    {kVerifyProgress, "kVerifyProgress"},
    {kVerifyStoppedAt, "kVerifyStoppedAt"},
    {kVerifyDifferenceChoices, "kVerifyDifferenceChoices"},
    {kVerifyFailed, "kVerifyFailed"},
    {kChipSmallerThanFile, "kChipSmallerThanFile"},
    {kTimeAfterCount, "kTimeAfterCount"},
    {kVerifyOk, "kVerifyOk"},
    {kAutoDone, "kAutoDone"},
    {kAutoErased, "kAutoErased"},
    {kAutoProgrammed, "kAutoProgrammed"},
    {kAutoVerified, "kAutoVerified"},
    {kAutoTime, "kAutoTime"},
    {kFileLargerProgrammed, "kFileLargerProgrammed"},
    {kDifferenceFile, "kDifferenceFile"},
    {kDifferenceChip, "kDifferenceChip"},
    {kEditingHint, "kEditingHint"},
    {kNoFileForEditMode, "kNoFileForEditMode"},
    {kEditModeOn, "kEditModeOn"},
    {kEditModeOff, "kEditModeOff"},
    {kValueEmpty, "kValueEmpty"},
    {kCharacterNotAllowed, "kCharacterNotAllowed"},
    {kValueUnchanged, "kValueUnchanged"},
    {kDataChanged, "kDataChanged"},
    {kInternalFile, "kInternalFile"},
    {kCannotOpenFile, "kCannotOpenFile"},
    {kReadComplete, "kReadComplete"},
    {kChipDataName, "kChipDataName"},
    {kAddressBeyondFile, "kAddressBeyondFile"},
    {kFileSaved, "kFileSaved"},
    {kLoadingSavedFile, "kLoadingSavedFile"},
    {kFileNotFound, "kFileNotFound"},
    {kNoLoadWhileBusy, "kNoLoadWhileBusy"},
    {kFileLoaded, "kFileLoaded"},
    {kSourceChangedAsk, "kSourceChangedAsk"},
    {kFwFileDamaged, "kFwFileDamaged"},
    {kFwReopenFailed, "kFwReopenFailed"},
    {kFwBootReady, "kFwBootReady"},
    {kFwNoHandshake, "kFwNoHandshake"},
    {kFwStartRefused, "kFwStartRefused"},
    {kFwStartNoAnswer, "kFwStartNoAnswer"},
    {kFwEraseFailed, "kFwEraseFailed"},
    {kFwWriteFailed, "kFwWriteFailed"},
    {kFwReadBackDiffers, "kFwReadBackDiffers"},
    {kFwReadBackFailed, "kFwReadBackFailed"},
    {kFwNotConfirmed, "kFwNotConfirmed"},
    {kFwNoFinishAnswer, "kFwNoFinishAnswer"},
    {kFwUpgradeDone, "kFwUpgradeDone"},
    {kFwNoInformation, "kFwNoInformation"},
    {kFwFileChosen, "kFwFileChosen"},
    {kFwErasing, "kFwErasing"},
    {kFwFirmwareWord, "kFwFirmwareWord"},
    {kFwSerialWord, "kFwSerialWord"},
    {kFwInformationCaption, "kFwInformationCaption"},
    {kFwChooseFile, "kFwChooseFile"},
    {kVersionSoftwareRow, "kVersionSoftwareRow"},
    {kVersionFirmwareRow, "kVersionFirmwareRow"},
    {kVersionCurrentColumn, "kVersionCurrentColumn"},
    {kVersionLatestColumn, "kVersionLatestColumn"},
    {kNewerProgram, "kNewerProgram"},
    {kProgramCurrent, "kProgramCurrent"},
    {kNewerFirmware, "kNewerFirmware"},
    {kFirmwareCurrent, "kFirmwareCurrent"},
    {kUpdateCheckFailed, "kUpdateCheckFailed"},
    {kVersionVerdictColumn, "kVersionVerdictColumn"},
    {kOffsetCopying, "kOffsetCopying"},
    {kOffsetBeyondFile, "kOffsetBeyondFile"},
    {kWorkFileFailed, "kWorkFileFailed"},
    {kOtpDetecting, "kOtpDetecting"},
    {kOtpSeveralMatches, "kOtpSeveralMatches"},
    {kOtpFound, "kOtpFound"},
    {kOtpSize, "kOtpSize"},
    {kOtpLocked, "kOtpLocked"},
    {kOtpUnlocked, "kOtpUnlocked"},
    {kOtpStatusFailed, "kOtpStatusFailed"},
    {kOtpEnterFailed, "kOtpEnterFailed"},
    {kOtpNoLockStatus, "kOtpNoLockStatus"},
    {kOtpMethodFailed, "kOtpMethodFailed"},
    {kOtpUnknownChip, "kOtpUnknownChip"},
    {kOtpNotBlankAsk, "kOtpNotBlankAsk"},
    {kOtpProgramFailed, "kOtpProgramFailed"},
    {kOtpLockDone, "kOtpLockDone"},
    {kOtpLockFailed, "kOtpLockFailed"},
    {kOtpProgramDone, "kOtpProgramDone"},
    {kOtpVerifyFailed, "kOtpVerifyFailed"},
    {kOtpFileWord, "kOtpFileWord"},
    {kOtpChipWord, "kOtpChipWord"},
    {kOtpBlankFailed, "kOtpBlankFailed"},
    {kOtpBlank, "kOtpBlank"},
    {kOtpNoProgramFile, "kOtpNoProgramFile"},
    {kOtpNoVerifyFile, "kOtpNoVerifyFile"},
    {kOtpSaved, "kOtpSaved"},
    {kOtpFileLargerAsk, "kOtpFileLargerAsk"},
    {kOtpLockBytesLeft, "kOtpLockBytesLeft"},
    {kMergeNoFolder, "kMergeNoFolder"},
    {kMergeNoName, "kMergeNoName"},
    {kMergeDone, "kMergeDone"},
    {kMergeCannotCreate, "kMergeCannotCreate"},
    {kMergeFolderPrompt, "kMergeFolderPrompt"},
    {kAlreadyRunning, "kAlreadyRunning"},
    {kNoOpener, "kNoOpener"},
    {kSplitBadPoints, "kSplitBadPoints"},
    {kSplitCannotCreate, "kSplitCannotCreate"},
    {kSplitDone, "kSplitDone"},
    {kSplitNoPoints, "kSplitNoPoints"},
    {kFindEmpty, "kFindEmpty"},
    {kFindNotHex, "kFindNotHex"},
    {kFindNext, "kFindNext"},
    {kFindFinished, "kFindFinished"},
    {kFindNothing, "kFindNothing"},
    {kDataViewNoAddress, "kDataViewNoAddress"},
    {kFileValueRead, "kFileValueRead"},
    {kOutOfRange, "kOutOfRange"},
    {kNotAvailable, "kNotAvailable"},
    {kChipValueRead, "kChipValueRead"},
    {kBeyondFileEnd, "kBeyondFileEnd"},
    {kBeyondChipSize, "kBeyondChipSize"},
    {kDataViewDone, "kDataViewDone"},
    {kEnterAddress, "kEnterAddress"},
    {kEnterLength, "kEnterLength"},
    {kEnterData, "kEnterData"},
    {kFileFillNeedsEditMode, "kFileFillNeedsEditMode"},
    {kFileFilling, "kFileFilling"},
    {kFileFillDone, "kFileFillDone"},
    {kFillNoSector, "kFillNoSector"},
    {kFillFailed, "kFillFailed"},
    {kFillBeyondChip, "kFillBeyondChip"},
    {kFilling, "kFilling"},
    {kFillDone, "kFillDone"},
    {kGoToNoAddress, "kGoToNoAddress"},
};

}  // namespace itext

namespace ftext {

// Menu titles and items, in menu order.
inline constexpr int kMenuFile = 1;
inline constexpr int kMenuOpenFile = 2;
inline constexpr int kMenuSaveFile = 3;
inline constexpr int kMenuSaveFileAs = 4;
inline constexpr int kEditMode = 5;  // the menu item and the window's check box
inline constexpr int kMenuExit = 6;
inline constexpr int kMenuProgramming = 7;
inline constexpr int kMenuAutoProgram = 8;
inline constexpr int kMenuErase = 9;
inline constexpr int kMenuProgram = 10;
inline constexpr int kMenuVerify = 11;
inline constexpr int kMenuBlankCheck = 12;
inline constexpr int kMenuRead = 13;
inline constexpr int kMenuAddress = 14;
inline constexpr int kMenuGoTo = 15;
inline constexpr int kMenuDataView = 16;
inline constexpr int kMenuFind = 17;
inline constexpr int kMenuFileFill = 18;
inline constexpr int kMenuChipFill = 19;
inline constexpr int kMenuOffsetProgramming = 20;
inline constexpr int kMenuTools = 21;
inline constexpr int kMenuMerge = 22;
inline constexpr int kMenuSplit = 23;
inline constexpr int kMenuOtp = 24;
inline constexpr int kMenuFirmware = 25;
inline constexpr int kMenuDetect = 26;
inline constexpr int kMenuFirmwareVersion = 27;
inline constexpr int kMenuFirmwareUpgrade = 28;
inline constexpr int kMenuSettings = 29;
inline constexpr int kMenuSound = 30;
inline constexpr int kMenuAutoIdentify = 31;
inline constexpr int kMenuBatchSteps = 32;
inline constexpr int kMenuBatchErase = 33;
inline constexpr int kMenuBatchProgram = 34;
inline constexpr int kMenuBatchVerify = 35;
inline constexpr int kMenuHelp = 36;
inline constexpr int kMenuManual = 37;
inline constexpr int kMenuCheckUpdate = 38;
inline constexpr int kMenuModificationLog = 39;
inline constexpr int kMenuFeedback = 40;
inline constexpr int kMenuAbout = 41;

// Main window: group boxes, labels and buttons; the labels 43-45 also
// name the chip in the detection's box.
inline constexpr int kChipGroup = 42;
inline constexpr int kTypeLabel = 43;
inline constexpr int kMakerLabel = 44;
inline constexpr int kModelLabel = 45;
inline constexpr int kSizeLabel = 46;
inline constexpr int kOperationGroup = 47;
inline constexpr int kDataGroup = 48;
inline constexpr int kNoticeGroup = 49;
inline constexpr int kFileNameLabel = 50;
inline constexpr int kFileChecksumLabel = 51;
inline constexpr int kChipChecksumLabel = 52;
inline constexpr int kAutoProgramButton = 53;
inline constexpr int kEraseButton = 54;
inline constexpr int kProgramButton = 55;
inline constexpr int kVerifyButton = 56;
inline constexpr int kReadButton = 57;
inline constexpr int kBlankCheckButton = 58;
inline constexpr int kDetectButton = 59;
inline constexpr int kBatchButton = 60;
inline constexpr int kBrowseButton = 73;
inline constexpr int kConfigButton = 136;

// Offset programming dialog.
inline constexpr int kOffsetTitle = 69;
inline constexpr int kOffsetStartAddress = 70;
inline constexpr int kOffsetNote = 71;
inline constexpr int kOffsetFileLabel = 72;

// Batch dialog; the four mode names follow batch::Mode's order.
inline constexpr int kBatchTitle = 111;
inline constexpr int kBatchMasterFile = 112;
inline constexpr int kBatchFillAddress = 113;
inline constexpr int kBatchStartId = 114;
inline constexpr int kBatchIncrement = 115;
inline constexpr int kBatchCount = 116;
inline constexpr int kBatchIdLength = 117;
inline constexpr int kBatchByteOrder = 118;
inline constexpr int kBatchAddFiles = 119;
inline constexpr int kBatchMoveUp = 120;
inline constexpr int kBatchMoveDown = 121;
inline constexpr int kBatchDelete = 122;
inline constexpr int kBatchSelectAll = 123;
inline constexpr int kBatchSelectNone = 124;
inline constexpr int kBatchStart = 125;
inline constexpr int kBatchStop = 126;
inline constexpr int kBatchExit = 127;
inline constexpr int kBatchAutoStart = 128;
inline constexpr int kBatchModeRepeat = 129;
inline constexpr int kBatchModeList = 130;
inline constexpr int kBatchModeSerial = 131;
inline constexpr int kBatchModeAppend = 132;
inline constexpr int kBatchLittleEndian = 133;
inline constexpr int kBatchBigEndian = 134;

// OTP dialog; its program and verify buttons and its title share the
// entries of the menus.
inline constexpr int kOtpLockCheck = 68;
inline constexpr int kOtpDetect = 86;
inline constexpr int kOtpBlankCheck = 87;
inline constexpr int kOtpRead = 88;
inline constexpr int kOtpSave = 89;
inline constexpr int kOtpOpen = 98;
inline constexpr int kOtpTitle = kMenuOtp;
inline constexpr int kOtpProgram = kMenuBatchProgram;
inline constexpr int kOtpVerify = kMenuBatchVerify;

// The buffer tools' dialogs: go to, data view, file fill, find. The
// address, length, data and state labels are shared with chip fill.
inline constexpr int kGoToTitle = 110;
inline constexpr int kAddressHexLabel = 97;
inline constexpr int kLengthDecLabel = 103;
inline constexpr int kDataHexLabel = 104;
inline constexpr int kStateLabel = 96;
inline constexpr int kDataViewTitle = 138;  // the menu item's words without its access key
inline constexpr int kDataViewAddressLabel = 93;
inline constexpr int kDataViewFileValue = 94;
inline constexpr int kDataViewChipValue = 95;
inline constexpr int kFileFillTitle = 106;
inline constexpr int kFileFillFromEnd = 107;
inline constexpr int kChipFillTitle = 102;
inline constexpr int kChipFillNote = 105;
inline constexpr int kChipFillFileMode = 135;
inline constexpr int kChipFillBrowse = kOtpOpen;
inline constexpr int kFindTitle = 90;
inline constexpr int kFindHexMode = 108;
inline constexpr int kFindTextMode = 109;

// Firmware upgrade dialog; its "打开" is the OTP dialog's.
inline constexpr int kFwTitle = 64;
inline constexpr int kFwFileLabel = 65;
inline constexpr int kFwUpgrade = 74;
inline constexpr int kFwOpen = kOtpOpen;

// File merge and split dialogs; their titles are the menu items'.
inline constexpr int kMergeTitle = kMenuMerge;
inline constexpr int kMergeFolder = 99;
inline constexpr int kMergeAdd = 100;
inline constexpr int kMergeDelete = 101;
inline constexpr int kSplitTitle = kMenuSplit;
inline constexpr int kSplitOpen = kOtpOpen;
inline constexpr int kSplitPoints = 66;
inline constexpr int kSplitExample = 67;

// Buttons the smaller dialogs share.
inline constexpr int kClose = 76;  // also the offset dialog's Cancel
inline constexpr int kOk = 77;

// The feedback dialog and the about box.
inline constexpr int kFeedbackTitle = 78;
inline constexpr int kFeedbackSubject = 79;
inline constexpr int kFeedbackContent = 80;
inline constexpr int kFeedbackContact = 81;
inline constexpr int kFeedbackNote = 82;
inline constexpr int kFeedbackSubmit = 75;
inline constexpr int kAboutTitle = 61;
inline constexpr int kVersionTitle = 137;  // the update check's version dialog

inline constexpr TextId kAll[] = {
    {kFeedbackTitle, "kFeedbackTitle"},
    {kFeedbackSubject, "kFeedbackSubject"},
    {kFeedbackContent, "kFeedbackContent"},
    {kFeedbackContact, "kFeedbackContact"},
    {kFeedbackNote, "kFeedbackNote"},
    {kFeedbackSubmit, "kFeedbackSubmit"},
    {kAboutTitle, "kAboutTitle"},
    {kVersionTitle, "kVersionTitle"},
    {kDataViewTitle, "kDataViewTitle"},
    {kMenuFile, "kMenuFile"},
    {kMenuOpenFile, "kMenuOpenFile"},
    {kMenuSaveFile, "kMenuSaveFile"},
    {kMenuSaveFileAs, "kMenuSaveFileAs"},
    {kEditMode, "kEditMode"},
    {kMenuExit, "kMenuExit"},
    {kMenuProgramming, "kMenuProgramming"},
    {kMenuAutoProgram, "kMenuAutoProgram"},
    {kMenuErase, "kMenuErase"},
    {kMenuProgram, "kMenuProgram"},
    {kMenuVerify, "kMenuVerify"},
    {kMenuBlankCheck, "kMenuBlankCheck"},
    {kMenuRead, "kMenuRead"},
    {kMenuAddress, "kMenuAddress"},
    {kMenuGoTo, "kMenuGoTo"},
    {kMenuDataView, "kMenuDataView"},
    {kMenuFind, "kMenuFind"},
    {kMenuFileFill, "kMenuFileFill"},
    {kMenuChipFill, "kMenuChipFill"},
    {kMenuOffsetProgramming, "kMenuOffsetProgramming"},
    {kMenuTools, "kMenuTools"},
    {kMenuMerge, "kMenuMerge"},
    {kMenuSplit, "kMenuSplit"},
    {kMenuOtp, "kMenuOtp"},
    {kMenuFirmware, "kMenuFirmware"},
    {kMenuDetect, "kMenuDetect"},
    {kMenuFirmwareVersion, "kMenuFirmwareVersion"},
    {kMenuFirmwareUpgrade, "kMenuFirmwareUpgrade"},
    {kMenuSettings, "kMenuSettings"},
    {kMenuSound, "kMenuSound"},
    {kMenuAutoIdentify, "kMenuAutoIdentify"},
    {kMenuBatchSteps, "kMenuBatchSteps"},
    {kMenuBatchErase, "kMenuBatchErase"},
    {kMenuBatchProgram, "kMenuBatchProgram"},
    {kMenuBatchVerify, "kMenuBatchVerify"},
    {kMenuHelp, "kMenuHelp"},
    {kMenuManual, "kMenuManual"},
    {kMenuCheckUpdate, "kMenuCheckUpdate"},
    {kMenuModificationLog, "kMenuModificationLog"},
    {kMenuFeedback, "kMenuFeedback"},
    {kMenuAbout, "kMenuAbout"},
    {kChipGroup, "kChipGroup"},
    {kTypeLabel, "kTypeLabel"},
    {kMakerLabel, "kMakerLabel"},
    {kModelLabel, "kModelLabel"},
    {kSizeLabel, "kSizeLabel"},
    {kOperationGroup, "kOperationGroup"},
    {kDataGroup, "kDataGroup"},
    {kNoticeGroup, "kNoticeGroup"},
    {kFileNameLabel, "kFileNameLabel"},
    {kFileChecksumLabel, "kFileChecksumLabel"},
    {kChipChecksumLabel, "kChipChecksumLabel"},
    {kAutoProgramButton, "kAutoProgramButton"},
    {kEraseButton, "kEraseButton"},
    {kProgramButton, "kProgramButton"},
    {kVerifyButton, "kVerifyButton"},
    {kReadButton, "kReadButton"},
    {kBlankCheckButton, "kBlankCheckButton"},
    {kDetectButton, "kDetectButton"},
    {kBatchButton, "kBatchButton"},
    {kBrowseButton, "kBrowseButton"},
    {kConfigButton, "kConfigButton"},
    {kOffsetTitle, "kOffsetTitle"},
    {kOffsetStartAddress, "kOffsetStartAddress"},
    {kOffsetNote, "kOffsetNote"},
    {kOffsetFileLabel, "kOffsetFileLabel"},
    {kBatchTitle, "kBatchTitle"},
    {kBatchMasterFile, "kBatchMasterFile"},
    {kBatchFillAddress, "kBatchFillAddress"},
    {kBatchStartId, "kBatchStartId"},
    {kBatchIncrement, "kBatchIncrement"},
    {kBatchCount, "kBatchCount"},
    {kBatchIdLength, "kBatchIdLength"},
    {kBatchByteOrder, "kBatchByteOrder"},
    {kBatchAddFiles, "kBatchAddFiles"},
    {kBatchMoveUp, "kBatchMoveUp"},
    {kBatchMoveDown, "kBatchMoveDown"},
    {kBatchDelete, "kBatchDelete"},
    {kBatchSelectAll, "kBatchSelectAll"},
    {kBatchSelectNone, "kBatchSelectNone"},
    {kBatchStart, "kBatchStart"},
    {kBatchStop, "kBatchStop"},
    {kBatchExit, "kBatchExit"},
    {kBatchAutoStart, "kBatchAutoStart"},
    {kBatchModeRepeat, "kBatchModeRepeat"},
    {kBatchModeList, "kBatchModeList"},
    {kBatchModeSerial, "kBatchModeSerial"},
    {kBatchModeAppend, "kBatchModeAppend"},
    {kBatchLittleEndian, "kBatchLittleEndian"},
    {kBatchBigEndian, "kBatchBigEndian"},
    {kOtpLockCheck, "kOtpLockCheck"},
    {kOtpDetect, "kOtpDetect"},
    {kOtpBlankCheck, "kOtpBlankCheck"},
    {kOtpRead, "kOtpRead"},
    {kOtpSave, "kOtpSave"},
    {kOtpOpen, "kOtpOpen"},
    {kGoToTitle, "kGoToTitle"},
    {kAddressHexLabel, "kAddressHexLabel"},
    {kLengthDecLabel, "kLengthDecLabel"},
    {kDataHexLabel, "kDataHexLabel"},
    {kStateLabel, "kStateLabel"},
    {kDataViewAddressLabel, "kDataViewAddressLabel"},
    {kDataViewFileValue, "kDataViewFileValue"},
    {kDataViewChipValue, "kDataViewChipValue"},
    {kFileFillTitle, "kFileFillTitle"},
    {kFileFillFromEnd, "kFileFillFromEnd"},
    {kChipFillTitle, "kChipFillTitle"},
    {kChipFillNote, "kChipFillNote"},
    {kChipFillFileMode, "kChipFillFileMode"},
    {kFindTitle, "kFindTitle"},
    {kFindHexMode, "kFindHexMode"},
    {kFindTextMode, "kFindTextMode"},
    {kFwTitle, "kFwTitle"},
    {kFwFileLabel, "kFwFileLabel"},
    {kFwUpgrade, "kFwUpgrade"},
    {kMergeFolder, "kMergeFolder"},
    {kMergeAdd, "kMergeAdd"},
    {kMergeDelete, "kMergeDelete"},
    {kSplitPoints, "kSplitPoints"},
    {kSplitExample, "kSplitExample"},
    {kClose, "kClose"},
    {kOk, "kOk"},
};

}  // namespace ftext

}  // namespace tarnwick
