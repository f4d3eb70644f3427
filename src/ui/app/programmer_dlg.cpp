#include "ui/app/programmer_dlg.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDesktopServices>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QFrame>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTimer>
#include <QUrl>
#include <QWheelEvent>
#include <QWindow>
#include <algorithm>
#include <optional>

#include "core/app/close_texts.h"
#include "core/app/text_ids.h"
#include "core/app/text_table.h"
#include "core/buffers/file_image.h"
#include "core/buffers/hex_view.h"
#include "core/buffers/modification_log.h"
#include "core/services/links/link_errors.h"
#include "core/services/update/update_checker.h"
#include "resources/ids.h"
#include "ui/app/file_dialogs.h"
#include "ui/app/gui_poster.h"
#include "ui/app/icons.h"
#include "ui/app/key_routing.h"
#include "ui/app/main_menu.h"
#include "ui/app/message_box.h"
#include "ui/app/qt_text.h"
#include "ui/app/qt_window_surface.h"
#include "ui/app/sound_player.h"
#include "ui/app/text_progress_bar.h"
#include "ui/app/window_fit.h"
#include "ui/buffers/buffer_tool_dialogs.h"
#include "ui/buffers/hex_column_fit.h"
#include "ui/buffers/hex_view_panel.h"
#include "ui/grid/grid_ctrl.h"
#include "ui/operations/batch_dialog.h"
#include "ui/operations/chip_fill_dialog.h"
#include "ui/operations/firmware_dialog.h"
#include "ui/operations/offset_dialog.h"
#include "ui/operations/otp_dialog.h"
#include "ui/services/link_opener.h"
#include "ui/services/service_dialogs.h"
#include "ui/services/version_dialog.h"

namespace tarnwick {

namespace {

const QColor kPaneTextColour(0, 83, 242);
const QColor kBarGreen(0, 255, 0);
constexpr const char* kErrorStatusStyle = "QLabel { color: white; background-color: red; }";

// How often a closing window looks whether the worker has left.
constexpr int kWorkerPollMs = 10;

// The buttons that send a command when clicked.
constexpr int kCommandButtons[] = {ids::kAutoProgramButton, ids::kEraseButton,  ids::kProgramButton,
                                   ids::kReadButton,        ids::kVerifyButton, ids::kDetectButton,
                                   ids::kBlankCheckButton,  ids::kBatchButton,  ids::kBrowseButton,
                                   ids::kQeConfigButton,    ids::kWebPicture};

// The hex view's grid in pixels.
constexpr int kHexGridRows = 21;
constexpr int kHexGridColumns = 18;
constexpr int kHexRowHeight = 18;
constexpr int kHexByteWidth = 25;
constexpr int kHexAddressWidth = 85;
constexpr int kHexAsciiWidth = 132;

// How far the window's font may shrink, in half points, for the template to
// fit a small screen.
constexpr int kScreenFitFontSteps = 8;

// Main-window picture sizes in pixels.
const QSize kWebIconSize(175, 170);

}  // namespace

ProgrammerDlg::ProgrammerDlg(Options options, UsbApi& usb, QWidget* parent)
    : QMainWindow(parent),
      options_(std::move(options)),
      usb_(usb),
      units_(QApplication::font()),
      builder_(units_) {
  setObjectName(QStringLiteral("ProgrammerDlg"));
  setWindowIcon(AppIcon());
  setAcceptDrops(true);
  menu_ = std::make_unique<MainMenu>(menuBar());
  BuildControls();
  sounds_ = new SoundPlayer(this);

  surface_ = std::make_unique<QtWindowSurface>(this, *this);
  SeedSurface();
  session_ = std::make_unique<Session>(
      Session::Options{options_.layout, options_.startWorker, options_.simulatedBootTable},
      *surface_, usb_);
  session_->LoadTexts();
  ApplyTexts();
  RegisterWindowCommands();
  ConnectControls();
  ConnectImage();
  ConnectBatch();
  ConnectOtp();
  bufferTools_ = new BufferToolDialogs(*session_, *hexPanel_, this);
  bufferTools_->Register(windowCommands_);
  ConnectFirmware();
  ConnectChipFill();
  serviceDialogs_ = new ServiceDialogs(*session_, this);
  serviceDialogs_->Register(windowCommands_);
  ConnectUpdateCheck();
  GreyUnhandledCommands();
  qApp->installEventFilter(this);
}

ProgrammerDlg::~ProgrammerDlg() {
  qApp->removeEventFilter(this);
  // The batch and OTP dialogs are deleted with the window's children, after
  // the session has ended the batch thread and the worker; until then their
  // reports are dropped.
  DetachBatchDialog();
  DetachOtpDialog();
  bufferTools_->Detach();
  DetachFirmwareDialog();
  DetachChipFillDialog();
  serviceDialogs_->Detach();
  if (updatePoster_) updatePoster_->Shutdown();
  // Nothing reaches the widgets any more; a worker question gets its
  // cancelling answer instead of waiting for a GUI that is going away. Only
  // then may the session wait for the worker to leave.
  surface_->Shutdown();
  session_.reset();
}

void ProgrammerDlg::Start() { session_->Start(); }

QWidget* ProgrammerDlg::Control(int id) const { return builder_.Control(id); }

void ProgrammerDlg::BuildControls() {
  auto* client = new QWidget(this);
  client->setObjectName(QStringLiteral("client"));
  setCentralWidget(client);
  builder_.Build(MainWindowTemplate(), client);
  SetUpOwnControls();
  // The template's size is where the window starts and the least it may be.
  resize(sizeHint());
}

void ProgrammerDlg::FitToScreen() {
  const QScreen* where = screen();
  if (where == nullptr) return;
  const QRect available = where->availableGeometry();
  // The frame's margins are known once the platform window exists.
  winId();
  const QMargins frame = windowHandle()->frameMargins();
  const QSize border(frame.left() + frame.right(), frame.top() + frame.bottom());
  const QSize menu = size() - centralWidget()->size();
  const QSize room = available.size() - menu - border;
  const QSize templateDu(kDialogWidthDu, kDialogHeightDu);
  const auto fits = [&](const DialogUnits& u) {
    return u.X(templateDu.width()) <= room.width() && u.Y(templateDu.height()) <= room.height();
  };
  if (!fits(units_)) {
    // The whole layout smaller: a smaller font gives smaller dialog units.
    QFont font = centralWidget()->font();
    for (int step = 0; step < kScreenFitFontSteps && !fits(DialogUnits(font)); ++step) {
      if (font.pixelSize() > 0) {
        font.setPixelSize(font.pixelSize() - 1);
      } else {
        font.setPointSizeF(font.pointSizeF() - 0.5);
      }
    }
    centralWidget()->setFont(font);
    units_ = DialogUnits(font);
    builder_.Rescale(units_);
    FitWebPicture();
  }
  // What the smallest font still cannot hold, the grown parts give back.
  const QSize least = FitClientSize(builder_.leastSize(), menu + border, available.size());
  centralWidget()->setMinimumSize(least);
  resize(least + menu);
  // pos() is where the frame starts.
  move(PlaceWithin(QRect(pos(), size() + border), available).topLeft());
}

void ProgrammerDlg::FitWebPicture() {
  auto* web = builder_.Get<QPushButton>(ids::kWebPicture);
  web->setIconSize(kWebIconSize.scaled(web->size() - QSize(6, 6), Qt::KeepAspectRatio));
}

void ProgrammerDlg::SetUpOwnControls() {
  status_ = builder_.Get<QLabel>(ids::kStatusLine);

  progress_ = builder_.Get<TextProgressBar>(ids::kProgressBar);
  progress_->SetRange(0, 100);
  progress_->SetStep(100);
  progress_->SetPos(0);
  progress_->SetTextFont(QStringLiteral("宋体"), 14, Qt::black, false, false, false, false);
  progress_->SetBarColour(kBarGreen);
  progress_->hide();

  pane_ = builder_.Get<QPlainTextEdit>(ids::kLogPane);
  QPalette p = pane_->palette();
  p.setColor(QPalette::Text, kPaneTextColour);
  pane_->setPalette(p);

  // The hex view's shape: a header row, an address column, sixteen byte
  // columns and a trailing ASCII column.
  auto* grid = builder_.Get<CGridCtrl>(ids::kHexGrid);
  grid->SetRowCount(kHexGridRows);
  grid->SetColumnCount(kHexGridColumns);
  grid->SetFixedRowCount(1);
  grid->SetFixedColumnCount(1);
  grid->SetTrailingFixedColumnCount(1);
  for (int row = 0; row < kHexGridRows; ++row) grid->SetRowHeight(row, kHexRowHeight);
  for (int col = 0; col < kHexGridColumns; ++col) grid->SetColumnWidth(col, kHexByteWidth);
  grid->SetColumnWidth(0, kHexAddressWidth);
  grid->SetColumnWidth(kHexGridColumns - 1, kHexAsciiWidth);

  auto* web = builder_.Get<QPushButton>(ids::kWebPicture);
  web->setFocusPolicy(Qt::NoFocus);
  web->setIcon(IconForResource(ids::kWebIcon));
  FitWebPicture();
  builder_.Get<QPushButton>(ids::kAdapterPicture)->setIcon(IconForResource(ids::kAdapterIcon));
  // Greyed until detection finds an adapter fitted.
  Control(ids::kAdapterPicture)->setEnabled(false);

  // Shown only for chips with a QE method.
  Control(ids::kQeCheck)->hide();
  Control(ids::kQeConfigButton)->hide();
}

void ProgrammerDlg::ConnectControls() {
  // Buttons that are commands (the socket and adapter pictures only show).
  for (int id : kCommandButtons) {
    auto* b = qobject_cast<QPushButton*>(Control(id));
    connect(b, &QPushButton::clicked, this, [this, id] { SendCommand(id); });
  }
  // Check boxes toggle themselves before their command, as the core expects.
  for (int id : {ids::kEditModeCheck, ids::kQeCheck}) {
    auto* c = qobject_cast<QCheckBox*>(Control(id));
    connect(c, &QCheckBox::clicked, this, [this, id](bool checked) {
      surface_->SeedCheckBox(id, checked);
      if (id == ids::kEditModeCheck) SendCommand(id);
    });
  }
  for (int id : {ids::kTypeList, ids::kMakerList, ids::kModelList}) {
    auto* combo = qobject_cast<QComboBox*>(Control(id));
    connect(combo, &QComboBox::currentIndexChanged, this, [this, id, combo](int index) {
      session_->OnListChanged(id, index, combo->itemText(index).toStdString());
    });
  }
  // The grid hands dropped files on to the window.
  connect(qobject_cast<CGridCtrl*>(Control(ids::kHexGrid)), &CGridCtrl::FilesDropped, this,
          &ProgrammerDlg::OnFilesDropped);
  for (const auto& [id, action] : menu_->actions()) {
    connect(action, &QAction::triggered, this, [this, a = action] { OnMenuAction(a); });
  }
}

void ProgrammerDlg::ApplyTexts() {
  const TextTable& t = session_->texts();
  builder_.ApplyTexts(t);
  ViewControlText(ids::kFileNameBox, Q(t.itext(itext::kFileNameHint)));
  menu_->ApplyTexts(t);
  menuBar()->update();
  SeedSurface();
}

void ProgrammerDlg::SeedSurface() {
  if (!surface_) return;
  for (const auto& [id, w] : builder_.controls()) {
    surface_->SeedEnabled(id, w->isEnabled());
    if (auto* b = qobject_cast<QAbstractButton*>(w)) {
      surface_->SeedText(id, b->text().toStdString());
      if (b->isCheckable()) surface_->SeedCheckBox(id, b->isChecked());
    } else if (auto* l = qobject_cast<QLabel*>(w)) {
      surface_->SeedText(id, l->text().toStdString());
    } else if (auto* e = qobject_cast<QLineEdit*>(w)) {
      surface_->SeedText(id, e->text().toStdString());
    } else if (auto* g = qobject_cast<QGroupBox*>(w)) {
      surface_->SeedText(id, g->title().toStdString());
    }
  }
  for (const auto& [id, a] : menu_->actions()) {
    // A command that is also a button counts as enabled while either is.
    if (!builder_.controls().contains(id)) surface_->SeedEnabled(id, a->isEnabled());
    surface_->SeedMenuChecked(id, a->isChecked());
  }
  surface_->SeedText(ids::kWindowTitle, windowTitle().toStdString());
}

void ProgrammerDlg::RegisterWindowCommands() {
  windowCommands_.Register(ids::kBrowseButton, [this] { BrowseForFile(); });
  windowCommands_.Register(ids::kOffsetProgramming, [this] { OpenOffsetDialog({}); });
  windowCommands_.Register(ids::kViewModificationLog, [this] { ViewModificationLog(); });
  windowCommands_.Register(ids::kExitCommand, [this] { ExitItem(); });
}

std::vector<int> ProgrammerDlg::CommandIds() const {
  std::vector<int> out(std::begin(kCommandButtons), std::end(kCommandButtons));
  out.push_back(ids::kEditModeCheck);  // the one check box that is a command
  for (const auto& [id, action] : menu_->actions()) {
    out.push_back(id);
  }
  std::sort(out.begin(), out.end());
  out.erase(std::unique(out.begin(), out.end()), out.end());
  return out;
}

std::vector<int> ProgrammerDlg::UnhandledCommands() const {
  std::vector<int> out;
  for (int id : CommandIds()) {
    if (!windowCommands_.Handles(id) && !session_->commands().Handles(id)) out.push_back(id);
  }
  return out;
}

void ProgrammerDlg::GreyUnhandledCommands() {
  // A command nothing handles yet stays grey, whatever an operation enables
  // when it ends: a click on it would do nothing.
  for (int id : UnhandledCommands()) {
    unhandled_.insert(id);
    ViewCommandEnabled(id, false);
  }
}

void ProgrammerDlg::SendCommand(int id) {
  if (closed_ || closing_ || unhandled_.contains(id)) return;
  emit commandSent(id);
  if (!windowCommands_.Dispatch(id)) session_->OnCommand(id);
}

void ProgrammerDlg::OnMenuAction(QAction* action) {
  // Menu check marks belong to the core: undo Qt's own toggle and let the
  // command set the mark.
  if (action->isCheckable()) {
    const QSignalBlocker block(action);
    action->setChecked(!action->isChecked());
  }
  SendCommand(action->data().toInt());
}

void ProgrammerDlg::BrowseForFile() {
  const QString path = ChooseFileToOpen(this, kBrowseFilter);
  if (path.isEmpty()) return;
  session_->LoadUserFile(path.toStdString());
}

void ProgrammerDlg::OnFilesDropped(const QStringList& paths) {
  if (paths.isEmpty() || closed_) return;
  session_->OnFileDropped(paths.front().toStdString());
}

void ProgrammerDlg::ConnectImage() {
  hexPanel_ =
      new HexViewPanel(session_->hexView(), qobject_cast<CGridCtrl*>(Control(ids::kHexGrid)),
                       qobject_cast<QScrollBar*>(Control(ids::kHexScrollBar)),
                       qobject_cast<QLineEdit*>(Control(ids::kHexInput)), centralWidget());
  // Wider columns in a wider window; the overlay editor follows its cell.
  new HexColumnFit(qobject_cast<CGridCtrl*>(Control(ids::kHexGrid)), [this] { hexPanel_->Show(); });
  connect(this, &ProgrammerDlg::hexViewChanged, hexPanel_, &HexViewPanel::Refresh);
  connect(this, &ProgrammerDlg::commitCellEditRequested, hexPanel_, &HexViewPanel::CommitCellEdit);
  session_->image().SetSaveNameChooser(
      [this](const buffers::SaveDialogRequest& request) -> std::optional<std::string> {
        const QString path = QFileDialog::getSaveFileName(
            this, QString(), QString(), QtFilterFromPairs(request.filter.c_str()));
        if (path.isEmpty()) return std::nullopt;
        return path.toStdString();
      });
  session_->SetOffsetDialogOpener([this](const std::string& path) { OpenOffsetDialog(path); });
}

void ProgrammerDlg::OpenOffsetDialog(const std::string& path) {
  OffsetDialog dialog(session_->image(), session_->services(), session_->texts(), path, this);
  dialog.exec();
}

void ProgrammerDlg::ConnectBatch() {
  batchDialog_ = new BatchDialog(session_->batch(), session_->texts(), this);
  session_->SetBatchDialogOpener([this] { batchDialog_->ShowFromMenu(); });
}

void ProgrammerDlg::DetachBatchDialog() {
  if (batchDialog_ == nullptr) return;
  batchDialog_->Detach();
  batchDialog_->hide();
}

void ProgrammerDlg::ConnectOtp() {
  otpDialog_ = new OtpDialog(session_->otp(), session_->texts(), this);
  session_->SetOtpDialogOpener([this] { otpDialog_->ShowFromMenu(); });
}

void ProgrammerDlg::DetachOtpDialog() {
  if (otpDialog_ == nullptr) return;
  otpDialog_->Detach();
  otpDialog_->hide();
}

void ProgrammerDlg::ConnectFirmware() {
  firmwareDialog_ = new FirmwareDialog(session_->firmware(), session_->texts(), this);
  session_->SetFirmwareDialogOpener([this] { firmwareDialog_->ShowFromMenu(); });
}

void ProgrammerDlg::DetachFirmwareDialog() {
  if (firmwareDialog_ != nullptr) firmwareDialog_->Detach();
}

void ProgrammerDlg::ConnectChipFill() {
  chipFillDialog_ = new ChipFillDialog(*session_, this);
  session_->SetChipFillDialogOpener([this] { chipFillDialog_->ShowFromMenu(); });
}

void ProgrammerDlg::DetachChipFillDialog() {
  if (chipFillDialog_ != nullptr) chipFillDialog_->Detach();
}

void ProgrammerDlg::ConnectUpdateCheck() {
  updatePoster_ = std::make_unique<GuiPoster>(this);
  session_->updateCheck().SetOpener([this] { StartUpdateCheck(); });
}

void ProgrammerDlg::StartUpdateCheck() {
  // The check runs beside the window; its result is shown on this thread.
  // Refused while a job runs or a check is under way (the item is grey then).
  GuiPoster* poster = updatePoster_.get();
  session_->updateCheck().Start([this, poster](const update::UpdateCheckResult& result) {
    poster->Post([this, result] {
      if (closing_ || closed_) return;
      versionDialog_ = ShowUpdateCheckResult(result, session_->texts(), session_->baseDir(), this);
      emit updateCheckShown();
    });
  });
}

void ProgrammerDlg::ViewModificationLog() {
  const buffers::ViewLogAction action = buffers::ViewLog(session_->services());
  if (!action.open) return;
  const QString path = QString::fromStdString(action.path);
  if (!links::Opened(OpenProgramFile(path))) ShowNoOpenerBox(this, session_->texts(), path);
}

bool ProgrammerDlg::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::Wheel && hexPanel_) {
    // The wheel scrolls the hex view wherever it turns over the window.
    auto* w = qobject_cast<QWidget*>(watched);
    if (w != nullptr && w->window() == this && !qobject_cast<QComboBox*>(w) &&
        !qobject_cast<QPlainTextEdit*>(w) &&
        !(w->parentWidget() && qobject_cast<QPlainTextEdit*>(w->parentWidget()))) {
      const int delta = static_cast<QWheelEvent*>(event)->angleDelta().y();
      if (delta != 0) hexPanel_->Wheel(delta);
      return true;
    }
    return false;
  }
  if (event->type() != QEvent::KeyPress) return false;
  auto* w = qobject_cast<QWidget*>(watched);
  if (w == nullptr || w->window() != this) return false;
  const auto* key = static_cast<QKeyEvent*>(event);
  const KeyRoute route = RouteKey(key->key(), key->modifiers());
  switch (route.kind) {
    case KeyRoute::Kind::PassOn:
      return false;
    case KeyRoute::Kind::Swallow:
      return true;
    case KeyRoute::Kind::Close:
      close();
      return true;
    case KeyRoute::Kind::MenuBar:
      if (!menuBar()->actions().isEmpty()) menuBar()->setActiveAction(menuBar()->actions().first());
      return true;
    case KeyRoute::Kind::CommitEdit:
      // The key never reaches a default button; the hex view commits its edit.
      emit commitCellEditRequested();
      return true;
    case KeyRoute::Kind::Command: {
      // A disabled button's key is eaten without effect.
      QWidget* button = route.button != 0 ? Control(route.button) : nullptr;
      if (button == nullptr || button->isEnabled()) SendCommand(route.command);
      return true;
    }
  }
  return false;
}

void ProgrammerDlg::closeEvent(QCloseEvent* event) {
  if (closed_) {
    event->accept();
    return;
  }
  // The window goes once the worker has left; this thread never waits for it.
  event->ignore();
  if (closing_) return;
  if (!exiting_ && DeferCloseWhileUncuttable(false)) return;
  if (!exiting_ && !session_->BeginClose()) return;
  closing_ = true;
  // The session stops a running batch; the dialog has nothing left to show.
  DetachBatchDialog();
  // An OTP job ends with the worker; what it still reports goes nowhere.
  DetachOtpDialog();
  // A search waiting at a hit is abandoned; a data view still running is
  // waited for below, like the worker.
  bufferTools_->Detach();
  // An upgrade stops with the worker; its dialog goes now, running or not.
  DetachFirmwareDialog();
  // A fill stops with the worker; what it still reports goes nowhere.
  DetachChipFillDialog();
  // A mail on its way goes on alone; its outcome is dropped.
  serviceDialogs_->Detach();
  // A question or box the worker raises from now on gets its cancelling
  // answer at once: nobody is there to answer it.
  surface_->Shutdown();
  // Looked at from the event loop: a close() from inside this close event
  // would be ignored.
  QTimer::singleShot(0, this, &ProgrammerDlg::CloseOnceWorkerLeft);
}

void ProgrammerDlg::ExitItem() {
  if (closing_ || exiting_) return;
  if (DeferCloseWhileUncuttable(true)) return;
  // The exit item skips the rest of the close sequence, but a chip being
  // changed is not cut without the question.
  const int question = session_->CloseQuestion();
  if (question != 0 &&
      session_->services().Box(session_->texts().itext(question), BoxIcon::Question,
                               BoxButtons::OkCancel) != BoxAnswer::Ok) {
    return;
  }
  // A question the worker may be waiting on gets its cancelling answer.
  exiting_ = true;
  surface_->Shutdown();
  session_->BeginExit();
  close();
}

bool ProgrammerDlg::DeferCloseWhileUncuttable(bool exit) {
  if (!session_->CloseMustWait()) return false;
  exitPending_ = exitPending_ || exit;
  if (closePending_) return true;
  closePending_ = true;
  QTimer::singleShot(kWorkerPollMs, this, &ProgrammerDlg::CloseAfterUncuttableJob);
  RunMessageBox(this, QString::fromUtf8(close_texts::kWaitsForUpgrade),
                Q(session_->texts().itext(itext::kNoticeCaption)), BoxIcon::Warning,
                BoxButtons::Ok);
  return true;
}

void ProgrammerDlg::CloseAfterUncuttableJob() {
  // The message may still be open: the window goes once it is answered.
  if (session_->CloseMustWait() || QApplication::activeModalWidget() != nullptr) {
    QTimer::singleShot(kWorkerPollMs, this, &ProgrammerDlg::CloseAfterUncuttableJob);
    return;
  }
  closePending_ = false;
  if (exitPending_) {
    ExitItem();
  } else {
    close();
  }
}

void ProgrammerDlg::CloseOnceWorkerLeft() {
  if (!session_->WorkerGone()) {
    QTimer::singleShot(kWorkerPollMs, this, &ProgrammerDlg::CloseOnceWorkerLeft);
    return;
  }
  // The exit item skips the rest of the close sequence.
  if (!exiting_) session_->FinishClose();
  closed_ = true;
  close();
}

void ProgrammerDlg::dragEnterEvent(QDragEnterEvent* event) {
  if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void ProgrammerDlg::dropEvent(QDropEvent* event) {
  QStringList paths;
  for (const QUrl& url : event->mimeData()->urls()) {
    if (url.isLocalFile()) paths.append(url.toLocalFile());
  }
  if (paths.isEmpty()) return;
  event->acceptProposedAction();
  OnFilesDropped(paths);
}

// ---- SurfaceView ------------------------------------------------------------

void ProgrammerDlg::ViewStatusLine(const QString& text, bool error) {
  statusError_ = error;
  status_->setStyleSheet(error ? QString::fromLatin1(kErrorStatusStyle) : QString());
  status_->setText(text);
  // The line may be narrower than the text; its tooltip always has all of it.
  status_->setToolTip(text);
}

void ProgrammerDlg::ViewPaneLine(const QString& line, bool replaceLast) {
  QString text = line;
  text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  QTextCursor c(pane_->document());
  c.movePosition(QTextCursor::End);
  if (replaceLast) {
    // The refreshed line replaces the last one instead of adding a line.
    while (text.startsWith(QLatin1Char('\n'))) text.remove(0, 1);
    c.movePosition(QTextCursor::StartOfBlock, QTextCursor::KeepAnchor);
    c.removeSelectedText();
  }
  QTextCharFormat fmt;
  fmt.setForeground(kPaneTextColour);
  fmt.setFontWeight(QFont::Normal);
  c.insertText(text, fmt);
  pane_->verticalScrollBar()->setValue(pane_->verticalScrollBar()->maximum());
}

void ProgrammerDlg::ViewClearPane() {
  pane_->clear();
  pane_->moveCursor(QTextCursor::End);
}

void ProgrammerDlg::ViewProgressVisible(bool visible) {
  progress_->setVisible(visible);
  if (visible) progress_->raise();
}

void ProgrammerDlg::ViewProgress(int position, const QString& text) {
  progress_->SetPosText(position, text, TextProgressBar::kCentre);
}

void ProgrammerDlg::ViewCommandEnabled(int id, bool enabled) {
  enabled = enabled && !unhandled_.contains(id);
  if (QWidget* w = Control(id)) w->setEnabled(enabled);
  if (QAction* a = menu_->Action(id)) a->setEnabled(enabled);
}

void ProgrammerDlg::ViewMenuChecked(int id, bool checked) {
  if (QAction* a = menu_->Action(id)) {
    const QSignalBlocker block(a);
    a->setChecked(checked);
  }
}

void ProgrammerDlg::ViewControlText(int id, const QString& text) {
  if (id == ids::kWindowTitle) {
    setWindowTitle(text);
    return;
  }
  SetControlCaption(Control(id), text);
}

void ProgrammerDlg::ViewControlVisible(int id, bool visible) {
  if (id == ids::kProgressBar) {
    ViewProgressVisible(visible);
  } else if (QWidget* w = Control(id)) {
    w->setVisible(visible);
  }
}

void ProgrammerDlg::ViewCheckBox(int id, bool checked) {
  if (auto* c = qobject_cast<QCheckBox*>(Control(id))) {
    const QSignalBlocker block(c);
    c->setChecked(checked);
  }
}

void ProgrammerDlg::ViewListItems(int id, const QStringList& items) {
  if (auto* combo = qobject_cast<QComboBox*>(Control(id))) {
    const QSignalBlocker block(combo);  // filling is not a user's choice
    combo->clear();
    combo->addItems(items);
    combo->setCurrentIndex(-1);
  }
}

void ProgrammerDlg::ViewListSelection(int id, int index) {
  if (auto* combo = qobject_cast<QComboBox*>(Control(id))) {
    const QSignalBlocker block(combo);
    combo->setCurrentIndex(index);
  }
}

void ProgrammerDlg::ViewPicture(int id, int iconResource) {
  if (auto* b = qobject_cast<QPushButton*>(Control(id))) b->setIcon(IconForResource(iconResource));
}

void ProgrammerDlg::ViewHexChanged() { emit hexViewChanged(); }

void ProgrammerDlg::ViewPlaySound(const QString& absolutePath) { sounds_->Play(absolutePath); }

BoxAnswer ProgrammerDlg::ViewAsk(const QString& text, const QString& caption, BoxIcon icon,
                                 BoxButtons buttons) {
  return RunMessageBox(this, text, caption, icon, buttons);
}

}  // namespace tarnwick
