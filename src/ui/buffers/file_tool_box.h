// The one way the merge and split dialogs tell an outcome: an information
// box with the notice caption.
#pragma once

class QWidget;

namespace tarnwick {

class TextTable;

void ShowFileToolMessage(QWidget* parent, const TextTable& texts, int itextNumber);

}  // namespace tarnwick
