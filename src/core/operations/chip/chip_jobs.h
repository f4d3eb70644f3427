// The box's operations on the whole chip. Each runs on the worker thread,
// reports through the window services and returns its outcome.
#pragma once

#include "core/operations/chip/chip_state.h"
#include "core/operations/op_context.h"

namespace tarnwick {

bool ReadChip(OperationContext& ctx, ChipJobState& st);
bool EraseChip(OperationContext& ctx, ChipJobState& st, bool identifyFirst);
bool BlankCheck(OperationContext& ctx, ChipJobState& st);
bool ProgramChip(OperationContext& ctx, ChipJobState& st, bool identifyFirst);
bool VerifyChip(OperationContext& ctx, ChipJobState& st, bool identifyFirst);
bool AutoProgram(OperationContext& ctx, ChipJobState& st);

// The steps a sequence runs, in the order erase, program, verify.
struct ChipSteps {
  bool erase = true;
  bool program = true;
  bool verify = true;
};
// Runs the chosen steps, stopping at the first failure. After an erase the
// chip is set up again before the next step. The caller has checked the
// refusal flag and the image, and shows the outcome.
bool RunChipSteps(OperationContext& ctx, ChipJobState& st, ChipSteps steps);

// Bytes programming sends: the chip size, or for "25 SPI FLASH" no more than
// the file holds. Bytes past the file's end go out as 0xFF.
std::uint64_t LengthToProgram(const std::string& type, std::uint64_t chipSize,
                              std::uint64_t fileSize);

// Shows "<prefix><n>%" when n grew past the last shown value.
class PercentProgress {
 public:
  PercentProgress(OperationContext& ctx, std::string prefix)
      : ctx_(ctx), prefix_(std::move(prefix)) {}
  void Start();
  void Update(std::uint64_t done, std::uint64_t total);

 private:
  OperationContext& ctx_;
  std::string prefix_;
  int shown_ = -1;
};

}  // namespace tarnwick
