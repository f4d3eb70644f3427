#include "ui/operations/firmware_dialog.h"

#include <QApplication>
#include <QCloseEvent>
#include <QLineEdit>
#include <QPushButton>
#include <array>

#include "core/app/text_ids.h"
#include "core/app/text_table.h"
#include "core/operations/firmware/firmware_updater.h"
#include "resources/ids.h"
#include "ui/app/file_dialogs.h"
#include "ui/app/message_box.h"
#include "ui/app/qt_text.h"
#include "ui/app/text_progress_bar.h"

namespace tarnwick {

namespace {

constexpr const char* kFirmwareFilter = "(*.tfw)|*.tfw||";

// The main window's bar colours, so both bars read alike.
const QColor kBarGreen(0, 255, 0);
constexpr int kBarTextHeight = 14;

using K = ControlKind;

// The file row on top, the bar under it across the dialog, the upgrade
// button under the bar's right end.
constexpr std::array kControls = {
    ControlSpec{ids::kFwFileLabel, K::Label, QRect(7, 9, 58, 8), ftext::kFwFileLabel,
                "固件文件:", 0},
    ControlSpec{ids::kFwFileEdit, K::ReadOnlyEdit, QRect(67, 7, 151, 12), kNoText, "", 0},
    ControlSpec{ids::kFwOpenButton, K::PushButton, QRect(222, 6, 50, 14), ftext::kFwOpen, "打开",
                0},
    ControlSpec{ids::kFwProgress, K::ProgressBar, QRect(7, 27, 265, 14), kNoText, "", 0},
    ControlSpec{ids::kFwUpgradeButton, K::PushButton, QRect(222, 48, 50, 14), ftext::kFwUpgrade,
                "升级", 0},
};

constexpr DialogTemplate kTemplate{QSize(279, 69), ftext::kFwTitle, "Tarnwick 固件升级", kControls};

}  // namespace

FirmwareDialog::FirmwareDialog(FirmwareUpdater& firmware, const TextTable& texts, QWidget* parent)
    : QDialog(parent),
      firmware_(firmware),
      texts_(texts),
      builder_(DialogUnits(font())),
      poster_(this) {
  setObjectName("firmwareDialog");
  setModal(false);
  builder_.Build(kTemplate, this);
  builder_.ApplyTexts(texts);
  file_ = builder_.Get<QLineEdit>(ids::kFwFileEdit);
  open_ = builder_.Get<QPushButton>(ids::kFwOpenButton);
  upgrade_ = builder_.Get<QPushButton>(ids::kFwUpgradeButton);
  progress_ = builder_.Get<TextProgressBar>(ids::kFwProgress);
  progress_->SetRange(0, 100);
  progress_->SetTextFont(QStringLiteral("宋体"), kBarTextHeight, Qt::black, false, false, false,
                         false);
  progress_->SetBarColour(kBarGreen);
  upgrade_->setEnabled(false);

  connect(open_, &QPushButton::clicked, this, &FirmwareDialog::OpenClicked);
  connect(upgrade_, &QPushButton::clicked, this, &FirmwareDialog::UpgradeClicked);
  firmware_.SetView(this);
}

FirmwareDialog::~FirmwareDialog() { Detach(); }

void FirmwareDialog::Detach() {
  if (detached_) return;
  detached_ = true;
  // The poster first: a report already on its way is dropped, and a box
  // the job waits on gets its answer at once.
  poster_.Shutdown();
  firmware_.SetView(nullptr);
  for (QDialog* d : findChildren<QDialog*>()) {
    if (d->isVisible()) d->reject();
  }
  hide();
}

void FirmwareDialog::ShowFromMenu() {
  if (detached_) return;
  if (!isVisible()) {
    // Every opening starts without a file, as a new dialog would.
    chosen_.clear();
    file_->clear();
    upgrade_->setEnabled(false);
    firmware_.DialogOpened();
  }
  show();
  raise();
  activateWindow();
}

void FirmwareDialog::OpenClicked() {
  const QString path = ChooseFileToOpen(this, kFirmwareFilter);
  if (path.isEmpty()) return;
  chosen_ = path;
  file_->setText(path);
  upgrade_->setEnabled(!running_);
  firmware_.FileChosen();
}

void FirmwareDialog::UpgradeClicked() {
  // The feature ignores a press while its upgrade runs.
  if (!chosen_.isEmpty()) firmware_.Request();
}

bool FirmwareDialog::MayClose() const {
  return detached_ || (!running_ && !firmware_.UpgradeRunning());
}

void FirmwareDialog::done(int result) {
  // Esc and the title bar end here too: nothing closes a running upgrade.
  if (MayClose()) QDialog::done(result);
}

void FirmwareDialog::closeEvent(QCloseEvent* event) {
  if (MayClose()) {
    QDialog::closeEvent(event);
  } else {
    event->ignore();
  }
}

void FirmwareDialog::ApplyRunning(bool running) {
  running_ = running;
  open_->setEnabled(!running);
  upgrade_->setEnabled(!running && !chosen_.isEmpty());
}

// ---- FirmwareView: the worker thread ----------------------------------------

void FirmwareDialog::SetProgress(int position, const std::string& text) {
  poster_.Post([this, position, t = Q(text)] {
    progress_->SetPosText(position, t, TextProgressBar::kCentre);
    emit progressShown(position, t);
  });
}

void FirmwareDialog::ShowRunning(bool running) {
  poster_.Post([this, running] { ApplyRunning(running); });
}

void FirmwareDialog::ShowBox(const std::string& text, BoxIcon icon) {
  // The job goes on once the box is answered, as it would after a modal box.
  poster_.Ask<BoxAnswer>(
      [this, t = Q(text), icon] {
        return RunMessageBox(this, t, Q(texts_.itext(itext::kNoticeCaption)), icon, BoxButtons::Ok);
      },
      BoxAnswer::Ok);
}

void FirmwareDialog::Beep() {
  poster_.Post([] { QApplication::beep(); });
}

std::string FirmwareDialog::ChosenFile() {
  return poster_.Ask<std::string>([this] { return chosen_.toStdString(); }, std::string());
}

}  // namespace tarnwick
