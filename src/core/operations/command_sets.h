// The commands each operation greys while it runs and gives back after it,
// in one place. An operation's own button is not in its set: while the
// operation runs it is the stop button.
#pragma once

#include <array>
#include <span>

#include "resources/ids.h"

namespace tarnwick {

using CommandSet = std::span<const int>;

namespace command_sets {

// The operations a selected catalogue record makes possible.
inline constexpr std::array kChipOperations = {ids::kAutoProgramButton, ids::kEraseButton,
                                               ids::kProgramButton,     ids::kVerifyButton,
                                               ids::kReadButton,        ids::kBlankCheckButton};

// The box's menu commands every chip operation greys.
inline constexpr std::array kBoxMenus = {ids::kChipFill, ids::kDataView, ids::kFirmwareVersion,
                                         ids::kMenu32790, ids::kFirmwareUpgrade};

inline constexpr std::array kEraseButtons = {ids::kReadButton,        ids::kVerifyButton,
                                             ids::kAutoProgramButton, ids::kDetectButton,
                                             ids::kProgramButton,     ids::kBlankCheckButton};
inline constexpr std::array kBlankButtons = {ids::kProgramButton, ids::kReadButton,
                                             ids::kVerifyButton,  ids::kEraseButton,
                                             ids::kDetectButton,  ids::kAutoProgramButton};
inline constexpr std::array kReadButtons = {ids::kVerifyButton,      ids::kEraseButton,
                                            ids::kAutoProgramButton, ids::kDetectButton,
                                            ids::kProgramButton,     ids::kBlankCheckButton};
// Program and verify stream the file image: whatever would replace it
// (browse, offset programming) waits until they end.
inline constexpr std::array kProgramButtons = {
    ids::kBrowseButton,      ids::kReadButton,   ids::kVerifyButton,     ids::kEraseButton,
    ids::kAutoProgramButton, ids::kDetectButton, ids::kBlankCheckButton, ids::kOffsetProgramming};
inline constexpr std::array kVerifyButtons = {
    ids::kReadButton,  ids::kAutoProgramButton, ids::kDetectButton,     ids::kProgramButton,
    ids::kEraseButton, ids::kBrowseButton,      ids::kBlankCheckButton, ids::kOffsetProgramming};

// What a batch greys in the main window from its start until its last step
// has left the worker, the wait for the next chip included: every other
// operation needs the worker the batch holds, and a file opened now (browsed
// or made by offset programming) would go into the next chip. The box menus
// (kBoxMenus) go with them.
inline constexpr std::array kBatchButtons = {
    ids::kAutoProgramButton, ids::kEraseButton,  ids::kProgramButton,
    ids::kVerifyButton,      ids::kReadButton,   ids::kBlankCheckButton,
    ids::kDetectButton,      ids::kBrowseButton, ids::kOffsetProgramming};

// The image commands a transfer greys: what would change or move the file
// image under it.
inline constexpr std::array kImageEditing = {ids::kFileFill, ids::kGoToAddress};
// The image menus given back after erase, blank check, read, program and
// verify (file fill only in edit mode, go to only after a transfer).
inline constexpr std::array kImageMenus = {ids::kSaveFileAs, ids::kFind};
// What program and verify grey on top of their buttons and the box menus.
inline constexpr std::array kTransferMenus = {ids::kSaveFileAs, ids::kFind, ids::kFileFill,
                                              ids::kGoToAddress};

}  // namespace command_sets
}  // namespace tarnwick
