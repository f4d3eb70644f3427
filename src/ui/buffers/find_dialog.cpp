#include "ui/buffers/find_dialog.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <array>

#include "core/app/text_ids.h"
#include "core/app/text_table.h"
#include "core/buffers/tools/pattern_search.h"
#include "core/device/worker.h"
#include "core/operations/find/image_finder.h"
#include "core/session/session.h"
#include "resources/ids.h"
#include "ui/app/message_box.h"
#include "ui/app/qt_text.h"
#include "ui/buffers/beside_data.h"
#include "ui/buffers/hex_view_panel.h"

namespace tarnwick {

namespace {

using K = ControlKind;

constexpr int kPatternLabel = 1209;  // a number of our own, for its caption
// How often a new pattern looks whether the abandoned search has ended.
constexpr int kRestartPollMs = 25;

constexpr std::array kControls = {
    ControlSpec{kPatternLabel, K::Label, QRect(7, 9, 50, 8), ftext::kFindTitle, "数据查找", 0},
    ControlSpec{ids::kFindPatternEdit, K::Edit, QRect(60, 7, 150, 12), kNoText, "", 0},
    ControlSpec{ids::kFindHexRadio, K::RadioButton, QRect(60, 25, 70, 10), ftext::kFindHexMode,
                "16进制方式", 0},
    ControlSpec{ids::kFindTextRadio, K::RadioButton, QRect(134, 25, 76, 10), ftext::kFindTextMode,
                "字符方式", 0},
    ControlSpec{ids::kDialogOk, K::DefaultButton, QRect(104, 42, 50, 14), ftext::kOk, "确定", 0},
    ControlSpec{ids::kDialogCancel, K::PushButton, QRect(160, 42, 50, 14), ftext::kClose, "取消",
                0},
};

constexpr DialogTemplate kTemplate{QSize(217, 63), ftext::kFindTitle, "数据查找", kControls};

}  // namespace

FindDialog::FindDialog(Session& session, HexViewPanel& panel, QWidget* parent)
    : QDialog(parent),
      session_(session),
      finder_(session.finder()),
      panel_(panel),
      builder_(DialogUnits(font())),
      poster_(this) {
  setObjectName("findDialog");
  setModal(true);
  builder_.Build(kTemplate, this);
  builder_.ApplyTexts(session_.texts());
  pattern_ = builder_.Get<QLineEdit>(ids::kFindPatternEdit);
  hexMode_ = builder_.Get<QRadioButton>(ids::kFindHexRadio);
  hexMode_->setChecked(true);
  ok_ = builder_.Get<QPushButton>(ids::kDialogOk);
  okCaption_ = ok_->text();
  connect(ok_, &QPushButton::clicked, this, &FindDialog::FindClicked);
  connect(builder_.Get<QPushButton>(ids::kDialogCancel), &QPushButton::clicked, this,
          &QDialog::reject);
  restart_.setInterval(kRestartPollMs);
  connect(&restart_, &QTimer::timeout, this, &FindDialog::RestartWhenIdle);
  finder_.SetView(this);
}

FindDialog::~FindDialog() { Detach(); }

void FindDialog::Detach() {
  if (detached_) return;
  detached_ = true;
  closed_ = true;
  restart_.stop();
  poster_.Shutdown();
  finder_.SetView(nullptr);
  finder_.Abandon();
}

void FindDialog::ShowFromMenu() {
  if (detached_) return;
  ok_->setText(okCaption_);
  findNext_ = false;
  previous_.clear();
  closed_ = false;
  open();
  PlaceBesideData(*this, panel_);
  pattern_->setFocus();
}

void FindDialog::done(int result) {
  // Cancel, Esc or the title bar: the search goes with the dialog.
  closed_ = true;
  restart_.stop();
  finder_.Abandon();
  QDialog::done(result);
}

std::string FindDialog::TypedKey() const {
  return (hexMode_->isChecked() ? "h:" : "t:") + pattern_->text().toStdString();
}

void FindDialog::Warn(int text) { ShowNoticeBox(this, session_.texts(), text); }

bool FindDialog::StartSearch() {
  const buffers::SearchPattern p =
      buffers::ParseSearchPattern(pattern_->text().toStdString(), hexMode_->isChecked());
  if (p.problem != 0) {
    Warn(p.problem);
    return false;
  }
  hits_ = 0;
  finder_.SetPattern(p.bytes);
  finder_.Start();
  previous_ = TypedKey();
  ok_->setText(Q(session_.texts().itext(itext::kFindNext)));
  findNext_ = true;
  return true;
}

bool FindDialog::FindClicked() {
  if (!findNext_) return StartSearch();
  const Worker& worker = session_.worker();
  if (TypedKey() != previous_) {
    const buffers::SearchPattern p =
        buffers::ParseSearchPattern(pattern_->text().toStdString(), hexMode_->isChecked());
    if (p.problem != 0) {
      Warn(p.problem);
      return false;
    }
    if (worker.AtRest()) return StartSearch();
    finder_.Abandon();
    previous_ = TypedKey();
    restart_.start();
    return true;
  }
  if (finder_.WaitingAtHit()) {
    finder_.Continue();
    return true;
  }
  // The last search has ended: this press starts the next one.
  if (worker.AtRest()) return StartSearch();
  return true;  // still scanning towards the next hit
}

void FindDialog::RestartWhenIdle() {
  // Scanning when abandoned: it is abandoned at the hit it reaches.
  if (finder_.WaitingAtHit()) finder_.Abandon();
  if (!session_.worker().AtRest()) return;
  restart_.stop();
  if (!closed_) StartSearch();
}

// ---- FindView: the worker thread ------------------------------------------

void FindDialog::ShowHit(std::uint64_t offset, std::size_t length) {
  if (closed_.load()) {
    finder_.Abandon();
    return;
  }
  poster_.Post([this, offset, length] {
    ++hits_;
    panel_.ShowSearchHit(offset, length);
    KeepOffShownRows(*this, panel_);
  });
}

void FindDialog::SearchEnded(int /*hits*/) {}

}  // namespace tarnwick
