#include "ui/buffers/file_tool_box.h"

#include "core/app/text_ids.h"
#include "core/app/text_table.h"
#include "ui/app/message_box.h"
#include "ui/app/qt_text.h"

namespace tarnwick {

void ShowFileToolMessage(QWidget* parent, const TextTable& texts, int itextNumber) {
  RunMessageBox(parent, Q(texts.itext(itextNumber)), Q(texts.itext(itext::kNoticeCaption)),
                BoxIcon::Information, BoxButtons::Ok);
}

}  // namespace tarnwick
