#include "ui/buffers/buffer_tool_dialogs.h"

#include "core/app/command_router.h"
#include "core/session/session.h"
#include "resources/ids.h"
#include "ui/buffers/data_view_dialog.h"
#include "ui/buffers/file_fill_dialog.h"
#include "ui/buffers/find_dialog.h"
#include "ui/buffers/go_to_dialog.h"
#include "ui/buffers/merge_dialog.h"
#include "ui/buffers/split_dialog.h"

namespace tarnwick {

BufferToolDialogs::BufferToolDialogs(Session& session, HexViewPanel& panel, QWidget* window)
    : QObject(window),
      session_(session),
      goTo_(new GoToDialog(session, panel, window)),
      dataView_(new DataViewDialog(session, panel, window)),
      fileFill_(new FileFillDialog(session, panel, window)),
      find_(new FindDialog(session, panel, window)),
      merge_(new MergeDialog(session.texts(), session.layout(), window)),
      split_(new SplitDialog(session.texts(), window)) {}

void BufferToolDialogs::Register(CommandRouter& windowCommands) {
  windowCommands.Register(ids::kGoToAddress, [this] { goTo_->ShowFromMenu(); });
  windowCommands.Register(ids::kDataView, [this] { dataView_->ShowFromMenu(); });
  windowCommands.Register(ids::kFileFill, [this] { fileFill_->ShowFromMenu(); });
  windowCommands.Register(ids::kMergeFiles, [this] { merge_->ShowFromMenu(); });
  windowCommands.Register(ids::kSplitFile, [this] { split_->ShowFromMenu(); });
  session_.SetFindDialogOpener([this] { find_->ShowFromMenu(); });
}

void BufferToolDialogs::Detach() {
  session_.SetFindDialogOpener({});
  find_->Detach();
  dataView_->Detach();
  for (QWidget* d : {static_cast<QWidget*>(goTo_), static_cast<QWidget*>(dataView_),
                     static_cast<QWidget*>(fileFill_), static_cast<QWidget*>(find_),
                     static_cast<QWidget*>(merge_), static_cast<QWidget*>(split_)})
    d->hide();
}

}  // namespace tarnwick
