#include "core/operations/chip/chip_operations.h"

#include "core/app/text_ids.h"
#include "core/operations/chip/chip_jobs.h"
#include "core/operations/chip/detection.h"
#include "core/operations/op_support.h"
#include "protocol/protocol.h"
#include "resources/ids.h"

namespace tarnwick {

bool ChipOperations::Detect(bool quiet) {
  lastDetect_ = DetectChip(ctx_, true, quiet);
  return lastDetect_ == kDetectFound;
}

void ChipOperations::AddJobs(JobTable& jobs) {
  ChipJobState& st = state_;
  OperationContext& c = ctx_;
  jobs.Add({Job::Program, [&c, &st] { return ProgramChip(c, st, true); }, LampRule::Outcome,
            ids::kProgramButton, itext::kStopProgram, &st.cancelProgram, true});
  jobs.Add({Job::Erase, [&c, &st] { return EraseChip(c, st, true); }, LampRule::Outcome,
            ids::kEraseButton, itext::kStopErase, &st.cancelErase});
  jobs.Add({Job::DetectQuiet, [this] { return Detect(true); }, LampRule::Neutral});
  jobs.Add({Job::Verify, [&c, &st] { return VerifyChip(c, st, true); }, LampRule::Outcome,
            ids::kVerifyButton, itext::kStopVerify, &st.cancelVerify, true});
  jobs.Add({Job::Read, [&c, &st] { return ReadChip(c, st); }, LampRule::Outcome, ids::kReadButton,
            itext::kStopRead, &st.cancelRead});
  jobs.Add({Job::AutoProgram, [&c, &st] { return AutoProgram(c, st); }});
  jobs.Add({Job::BlankCheck, [&c, &st] { return BlankCheck(c, st); }, LampRule::Outcome,
            ids::kBlankCheckButton, itext::kStopBlankCheck, &st.cancelBlank});
  jobs.Add({Job::DetectUser, [this] { return Detect(false); }, LampRule::Neutral});
  jobs.Add({Job::QuadEnable, [&c] { return ConfigureQuadEnable(c); }});
}

void ChipOperations::AddCommands(CommandRouter& router, JobLauncher& launcher) {
  const std::pair<int, Job> commands[] = {
      {ids::kEraseButton, Job::Erase},           {ids::kProgramButton, Job::Program},
      {ids::kVerifyButton, Job::Verify},         {ids::kReadButton, Job::Read},
      {ids::kBlankCheckButton, Job::BlankCheck}, {ids::kAutoProgramButton, Job::AutoProgram},
      {ids::kDetectButton, Job::DetectUser},     {ids::kQeConfigButton, Job::QuadEnable},
  };
  for (const auto& [id, job] : commands) {
    router.Register(id, [&launcher, job = job] { launcher.Launch(job); });
  }
}

// Runs on the window's thread while a job may be using the shared frame, so
// its idle commands go out in frames of their own.
bool ChipOperations::ConfirmClose() {
  WindowServices& ui = ctx_.ui;
  auto ask = [&](int question) {
    return ui.Box(ctx_.I(question), BoxIcon::Question, BoxButtons::OkCancel) == BoxAnswer::Ok;
  };
  if (state_.busyErase) {
    if (!ask(itext::kCloseWhileErasing)) return false;
    // The erase poll listens to its own cancel request; without it the window
    // would wait for the box for up to ten minutes.
    state_.cancelErase = true;
    state_.cancelProgram = true;
    SendCommandInOwnFrame(ctx_.link, protocol::CMD_IDLE, 100);
  }
  if (state_.busyProgram) {
    if (!ask(itext::kCloseWhileProgramming)) return false;
    state_.cancelProgram = true;
  }
  if (state_.busyVerify) {
    if (!ask(itext::kCloseWhileVerifying)) return false;
    state_.cancelVerify = true;
    SendCommandInOwnFrame(ctx_.link, protocol::CMD_IDLE, 100);
  }
  if (state_.busyRead) {
    if (!ask(itext::kCloseWhileReading)) return false;
    state_.windowStopRead = true;
    SendCommandInOwnFrame(ctx_.link, protocol::CMD_IDLE, 100);
  }
  return true;
}

void ChipOperations::CancelAll() {
  state_.cancelErase = true;
  state_.cancelProgram = true;
  state_.cancelVerify = true;
  state_.cancelRead = true;
  state_.cancelBlank = true;
  state_.windowStopRead = true;
  ctx_.detection.stopRequested = true;
}

}  // namespace tarnwick
