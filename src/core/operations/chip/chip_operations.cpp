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
            ids::kProgramButton, itext::kStopProgram, &st.cancelProgram, true,
            CloseRule{itext::kCloseWhileProgramming}});
  jobs.Add({Job::Erase, [&c, &st] { return EraseChip(c, st, true); }, LampRule::Outcome,
            ids::kEraseButton, itext::kStopErase, &st.cancelErase, false,
            CloseRule{itext::kCloseWhileErasing}});
  jobs.Add({Job::DetectQuiet, [this] { return Detect(true); }, LampRule::Neutral});
  jobs.Add({Job::Verify, [&c, &st] { return VerifyChip(c, st, true); }, LampRule::Outcome,
            ids::kVerifyButton, itext::kStopVerify, &st.cancelVerify, true,
            CloseRule{itext::kCloseWhileVerifying}});
  jobs.Add({Job::Read, [&c, &st] { return ReadChip(c, st); }, LampRule::Outcome, ids::kReadButton,
            itext::kStopRead, &st.cancelRead, false, CloseRule{itext::kCloseWhileReading}});
  // Between its steps the automatic sequence has no busy step: it is asked
  // about as programming, what it is there for.
  jobs.Add({Job::AutoProgram, [&c, &st] { return AutoProgram(c, st); }, LampRule::Outcome, 0, 0,
            nullptr, false, CloseRule{itext::kCloseWhileProgramming}});
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

int ChipOperations::BusyStepQuestion() const {
  if (state_.busyErase) return itext::kCloseWhileErasing;
  if (state_.busyProgram) return itext::kCloseWhileProgramming;
  if (state_.busyVerify) return itext::kCloseWhileVerifying;
  if (state_.busyRead) return itext::kCloseWhileReading;
  return 0;
}

// Runs on the window's thread while a job may be using the shared frame, so
// its idle commands go out in frames of their own. Every request is set, not
// only the busy step's: a step that starts after the answer must not run.
void ChipOperations::StopForClose() {
  const bool waitsOnBox = state_.busyErase || state_.busyVerify || state_.busyRead;
  CancelAll();
  // The erase poll, the verify and the read wait on the box: the idle
  // command ends their wait at once.
  if (waitsOnBox) SendCommandInOwnFrame(ctx_.link, protocol::CMD_IDLE, 100);
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
