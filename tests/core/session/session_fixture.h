// A whole session on a fresh base directory, talking to a virtual box through
// a recording tap, with a recording surface in place of the window: for the
// flows that cross features (start-up, hot plug, the close sequence).
#pragma once

#include <memory>
#include <string>
#include <thread>

#include "core/catalogue/catalogue.h"
#include "core/catalogue/chip_selection.h"
#include "core/device/worker.h"
#include "core/session/session.h"
#include "support/box_test.h"

namespace tarnwick::test {

class SessionTest : public BoxTest {
 protected:
  void TearDown() override {
    if (session) session->Exit();
  }

  const TextTable& Texts() override { return session->texts(); }

  // Builds the box and the session; `startWorker` runs the quiet start-up
  // detection as the window does.
  void Boot(const sim::BoxDescription& description, bool startWorker = false) {
    MakeBox(description);
    if (!box) return;
    session = std::make_unique<Session>(Session::Options{OneFolderLayout(dir.base()), startWorker},
                                        surface, *tap);
    session->services().SetClock(FixedClock);
    session->LoadTexts();
    session->Start();
    if (startWorker) WaitIdle();
  }

  // Waits until the worker waits for its next job.
  void WaitIdle() {
    const Worker& w = session->worker();
    WaitUntilIdle([&w] { return w.AtRest(); });
  }

  // A click on a button or menu item, then wait for the job it started.
  void Press(int id) {
    session->OnCommand(id);
    WaitIdle();
  }

  bool Run(Job job) { return session->RunJobAndWait(job); }

  // Selects a catalogue record by its three texts, as the user would.
  void Choose(const std::string& type, const std::string& maker, const std::string& model) {
    const std::int32_t index = session->catalogue().FindRecord(type, maker, model);
    ASSERT_GE(index, 0) << model;
    ASSERT_TRUE(session->selection().SelectRecord(index));
  }

  std::string LoadFile(const std::string& name, const Bytes& bytes) {
    dir.Write(name, bytes);
    EXPECT_TRUE(session->LoadUserFile(dir.file(name)));
    return dir.file(name);
  }

  std::unique_ptr<Session> session;
};

}  // namespace tarnwick::test
