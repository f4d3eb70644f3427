#include "ui/app/key_routing.h"

#include "resources/ids.h"

namespace tarnwick {

KeyRoute RouteKey(int key, Qt::KeyboardModifiers modifiers) {
  using K = KeyRoute::Kind;
  const Qt::KeyboardModifiers relevant =
      modifiers & (Qt::ControlModifier | Qt::AltModifier | Qt::ShiftModifier | Qt::MetaModifier);
  if (key == Qt::Key_O && relevant == Qt::ControlModifier) {
    return {K::Command, ids::kBrowseButton, ids::kBrowseButton};
  }
  if (key == Qt::Key_F4 && relevant == Qt::AltModifier) return {K::Close, 0, 0};
  const bool functionKey = key >= Qt::Key_F1 && key <= Qt::Key_F35;
  if (functionKey && relevant != Qt::NoModifier) return {};
  switch (key) {
    case Qt::Key_F1:
      return {K::Command, ids::kHelp, 0};  // the manual: never greyed
    case Qt::Key_F2:
      return {K::Command, ids::kBatchButton, 0};  // batch mode works even while busy
    case Qt::Key_F3:
      return {K::Command, ids::kBlankCheckButton, ids::kBlankCheckButton};
    case Qt::Key_F4:
      return {K::Command, ids::kEraseButton, ids::kEraseButton};
    case Qt::Key_F5:
      return {K::Command, ids::kDetectButton, ids::kDetectButton};
    case Qt::Key_F6:
      return {K::Command, ids::kProgramButton, ids::kProgramButton};
    case Qt::Key_F7:
      return {K::Command, ids::kReadButton, ids::kReadButton};
    case Qt::Key_F8:
      return {K::Command, ids::kVerifyButton, ids::kVerifyButton};
    case Qt::Key_F9:
      return {K::Command, ids::kAutoProgramButton, ids::kAutoProgramButton};
    case Qt::Key_F10:
      return {K::MenuBar, 0, 0};
    case Qt::Key_Return:
    case Qt::Key_Enter:
      return {K::CommitEdit, 0, 0};
    case Qt::Key_Escape:
      return {K::Swallow, 0, 0};
    default:
      return {};
  }
}

}  // namespace tarnwick
