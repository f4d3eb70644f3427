#include "core/operations/operation_rig.h"

#include <thread>

#include "core/device/parameter_build.h"
#include "core/operations/command_sets.h"
#include "protocol/protocol.h"

namespace tarnwick::test {

OperationRig::OperationRig(const std::string& base, WindowSurface& s, UsbApi& u)
    : OperationParts(OneFolderLayout(base), s, u,
                     WorkerHooks{[this](std::uint8_t) { image.SetBusy(true); },
                                 [this](std::uint8_t, bool outcome) {
                                   image.SetBusy(false);
                                   lastOutcome = outcome;
                                 },
                                 [this](std::uint8_t v) {
                                   if (link.CheckLink(false) == kLinkUnusable) return;
                                   channel.SendCommand(protocol::CMD_STATUS_LAMP, 100, &v, 1);
                                 },
                                 [this] { return link.IsOpen(); },
                                 [this] { channel.SendCommand(protocol::CMD_IDLE, 1000); }},
                     [this] {
                       if (image.loaded())
                         services.AppendLog(image.fileName() + " " + image.sizeText());
                     }),
      chip(ctx) {
  services.SetClock(FixedClock);
  selection.SetParameterBuilder(
      [this](const ChipRecord& record, bool adapter) { BuildParameters(record, adapter, frame); });
  selection.SetAfterApply([this](const AppliedSelection& a) {
    image.SetChip(selection.ModelText(), a.chipSize);
    for (int id : command_sets::kChipOperations)
      surface.SetCommandEnabled(id, a.record != kNoRecord && a.chipSize > 0);
  });
  chip.AddJobs(jobs);
  chip.AddCommands(commands, launcher);
  usb.SetDeviceChangeHandler([this] { worker.DeviceChanged(); });
}

OperationRig::~OperationRig() {
  chip.CancelAll();
  worker.Exit();
  usb.SetDeviceChangeHandler({});
}

void OperationRig::Start() {
  texts.LoadFtext(layout.ftextFile);
  texts.LoadItext(layout.itextFile);
  StartParts();
  catalogue.LoadCatalogue(layout.catalogueFile, {});
  selection.Initialise();
}

void ChipRigTest::Boot(const sim::BoxDescription& description, bool startWorker) {
  MakeBox(description);
  if (!box) return;
  rig = std::make_unique<OperationRig>(dir.base(), surface, *tap);
  rig->Start();
  if (startWorker) {
    rig->worker.Start(Job::DetectQuiet);
    WaitIdle();
  }
}

void ChipRigTest::WaitIdle() {
  const Worker& w = rig->worker;
  WaitUntilIdle([&w] { return w.AtRest(); });
}

void ChipRigTest::Press(int id) {
  rig->commands.Dispatch(id);
  WaitIdle();
}

bool ChipRigTest::Run(Job job) {
  rig->launcher.LogFileFirst(job);
  if (!rig->worker.Running()) {
    rig->worker.Start(job);
  } else {
    WaitIdle();
    rig->worker.StartJob(job);
  }
  WaitIdle();
  return rig->lastOutcome.load();
}

void ChipRigTest::ClickFromWindow(int id) {
  std::thread ui([this, id] { rig->commands.Dispatch(id); });
  ui.join();
}

void ChipRigTest::Choose(const std::string& type, const std::string& maker,
                         const std::string& model) {
  const std::int32_t index = rig->catalogue.FindRecord(type, maker, model);
  ASSERT_GE(index, 0) << model;
  ASSERT_TRUE(rig->selection.SelectRecord(index));
}

std::string ChipRigTest::LoadFile(const std::string& name, const Bytes& bytes) {
  dir.Write(name, bytes);
  EXPECT_EQ(rig->image.LoadFile(dir.file(name), buffers::LoadOrigin::UserChosen),
            buffers::LoadResult::Loaded);
  return dir.file(name);
}

}  // namespace tarnwick::test
