#include "ui/app/programmer_dlg.h"


#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QFileDialog>
#include <QComboBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFrame>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTimer>
#include <QUrl>
#include <QWheelEvent>
#include <algorithm>
#include <optional>

#include "core/app/text_table.h"
#include "core/buffers/hex_view.h"
#include "core/buffers/modification_log.h"
#include "core/buffers/file_image.h"
#include "resources/ids.h"
#include "ui/app/file_dialogs.h"
#include "ui/app/icons.h"
#include "ui/buffers/hex_view_panel.h"
#include "ui/operations/offset_dialog.h"
#include "ui/app/key_routing.h"
#include "ui/app/main_menu.h"
#include "ui/app/message_box.h"
#include "ui/app/qt_window_surface.h"
#include "ui/app/sound_player.h"
#include "ui/app/text_progress_bar.h"
#include "ui/grid/grid_ctrl.h"

namespace tarnwick {

namespace {

constexpr const char* kTemplateTitle = "Tarnwick V2.3";
const QColor kPaneTextColour(0, 83, 242);
const QColor kBarGreen(0, 255, 0);
constexpr const char* kErrorStatusStyle = "QLabel { color: white; background-color: red; }";

// Captions applied from the form texts at start-up.
struct Caption {
  int id;
  int ftext;
};
constexpr Caption kCaptions[] = {
    {ids::kTypeLabel, 43},         {ids::kMakerLabel, 44},       {ids::kModelLabel, 45},
    {ids::kCapacityLabel, 46},     {ids::kFileNameLabel, 50},    {ids::kFileChecksumLabel, 51},
    {ids::kChipChecksumLabel, 52}, {ids::kChipGroup, 42},        {ids::kOperationGroup, 47},
    {ids::kDataGroup, 48},         {ids::kNoticeGroup, 49},      {ids::kAutoProgramButton, 53},
    {ids::kEraseButton, 54},       {ids::kProgramButton, 55},    {ids::kVerifyButton, 56},
    {ids::kReadButton, 57},        {ids::kBlankCheckButton, 58}, {ids::kDetectButton, 59},
    {ids::kBatchButton, 60},       {ids::kBrowseButton, 73},     {ids::kEditModeCheck, 5},
    {ids::kQeConfigButton, 136},
};

// How often a closing window looks whether the worker has left.
constexpr int kWorkerPollMs = 10;

// The buttons that send a command when clicked.
constexpr int kCommandButtons[] = {
    ids::kAutoProgramButton, ids::kEraseButton,      ids::kProgramButton, ids::kReadButton,
    ids::kVerifyButton,      ids::kDetectButton,     ids::kBlankCheckButton, ids::kBatchButton,
    ids::kBrowseButton,      ids::kQeConfigButton,   ids::kWebPicture};

// The file-name box hint until a file is loaded.
constexpr int kFileNameHintItext = 0;

// The hex view's grid in pixels.
constexpr int kHexGridRows = 21;
constexpr int kHexGridColumns = 18;
constexpr int kHexRowHeight = 18;
constexpr int kHexByteWidth = 25;
constexpr int kHexAddressWidth = 85;
constexpr int kHexAsciiWidth = 132;

// Main-window picture sizes in pixels.
const QSize kWebIconSize(175, 170);

QString Q(const std::string& s) { return QString::fromStdString(s); }

// The rectangles come from a Windows dialog font; a wider desktop font would
// cut the last digits of a checksum. Shrink the label's font until it fits.
void FitLabelFont(QLabel* label) {
  QFont font = label->parentWidget() ? label->parentWidget()->font() : label->font();
  const int width = label->width() - 2;
  for (int i = 0; i < 6 && QFontMetrics(font).horizontalAdvance(label->text()) > width; ++i) {
    if (font.pixelSize() > 0) {
      font.setPixelSize(font.pixelSize() - 1);
    } else {
      font.setPointSizeF(font.pointSizeF() - 0.5);
    }
  }
  label->setFont(font);
}

}  // namespace

ProgrammerDlg::ProgrammerDlg(Options options, UsbApi& usb, QWidget* parent)
    : QMainWindow(parent), options_(std::move(options)), usb_(usb), units_(QApplication::font()) {
  setObjectName(QStringLiteral("ProgrammerDlg"));
  setWindowTitle(QString::fromUtf8(kTemplateTitle));
  setWindowIcon(AppIcon());
  setAcceptDrops(true);
  menu_ = std::make_unique<MainMenu>(menuBar());
  BuildControls();
  sounds_ = new SoundPlayer(this);

  surface_ = std::make_unique<QtWindowSurface>(this, *this);
  SeedSurface();
  session_ = std::make_unique<Session>(Session::Options{options_.baseDir, options_.startWorker},
                                       *surface_, usb_);
  session_->LoadTexts();
  ApplyTexts();
  RegisterWindowCommands();
  ConnectControls();
  ConnectImage();
  GreyUnhandledCommands();
  qApp->installEventFilter(this);
}

ProgrammerDlg::~ProgrammerDlg() {
  qApp->removeEventFilter(this);
  // Nothing reaches the widgets any more; a worker question gets its
  // cancelling answer instead of waiting for a GUI that is going away. Only
  // then may the session wait for the worker to leave.
  surface_->Shutdown();
  session_.reset();
}

void ProgrammerDlg::Start() { session_->Start(); }

QWidget* ProgrammerDlg::Control(int id) const {
  const auto it = controls_.find(id);
  return it == controls_.end() ? nullptr : it->second;
}

void ProgrammerDlg::BuildControls() {
  auto* client = new QWidget(this);
  client->setObjectName(QStringLiteral("client"));
  client->setFixedSize(units_.X(kDialogWidthDu), units_.Y(kDialogHeightDu));
  setCentralWidget(client);
  for (const ControlSpec& spec : MainWindowControls()) {
    QWidget* w = MakeControl(spec, client);
    w->setObjectName(spec.id < 0 ? QStringLiteral("etchedLine")
                                 : QStringLiteral("ctl%1").arg(spec.id));
    if (spec.id >= 0) controls_[spec.id] = w;
  }
  // Start states the template gives.
  Control(ids::kQeCheck)->hide();
  Control(ids::kQeConfigButton)->hide();
  Control(ids::kHexInput)->hide();
  progress_->hide();
  setFixedSize(sizeHint());
}

QWidget* ProgrammerDlg::MakeControl(const ControlSpec& spec, QWidget* parent) {
  const QString caption = QString::fromUtf8(spec.templateCaption);
  const QRect r = units_.ToPixels(spec.dialogUnits);
  QWidget* w = nullptr;
  switch (spec.kind) {
    case ControlKind::EtchedLine: {
      auto* line = new QFrame(parent);
      line->setFrameShape(QFrame::HLine);
      line->setFrameShadow(QFrame::Sunken);
      line->setGeometry(r.x(), r.y(), r.width(), std::max(2, r.height()));
      return line;
    }
    case ControlKind::GroupBox:
      w = new QGroupBox(caption, parent);
      break;
    case ControlKind::Label:
    case ControlKind::LabelCentred:
    case ControlKind::LabelRight:
    case ControlKind::StatusLine: {
      auto* label = new QLabel(caption, parent);
      label->setTextFormat(Qt::PlainText);
      Qt::Alignment a = Qt::AlignLeft | Qt::AlignTop;
      if (spec.kind == ControlKind::LabelCentred) a = Qt::AlignHCenter | Qt::AlignTop;
      if (spec.kind == ControlKind::LabelRight) a = Qt::AlignRight | Qt::AlignTop;
      if (spec.kind == ControlKind::StatusLine) {
        a = Qt::AlignLeft | Qt::AlignVCenter;
        status_ = label;
      }
      label->setAlignment(a);
      w = label;
      break;
    }
    case ControlKind::ComboBox: {
      auto* combo = new QComboBox(parent);
      combo->setInsertPolicy(QComboBox::NoInsert);
      const int itemHeight = combo->fontMetrics().height() + 4;
      combo->setMaxVisibleItems(std::max(1, units_.Y(spec.listHeight) / itemHeight - 1));
      // The field keeps the font's natural height; the template's height is
      // the dropped-down list's.
      combo->setGeometry(r.x(), r.y(), r.width(), combo->sizeHint().height());
      return combo;
    }
    case ControlKind::PushButton:
    case ControlKind::DefaultButton: {
      auto* button = new QPushButton(caption, parent);
      button->setAutoDefault(false);
      button->setDefault(spec.kind == ControlKind::DefaultButton);
      w = button;
      break;
    }
    case ControlKind::CheckBox:
      w = new QCheckBox(caption, parent);
      break;
    case ControlKind::ProgressBar: {
      progress_ = new TextProgressBar(parent);
      progress_->SetRange(0, 100);
      progress_->SetStep(100);
      progress_->SetPos(0);
      progress_->SetTextFont(QStringLiteral("宋体"), 14, Qt::black, false, false, false, false);
      progress_->SetBarColour(kBarGreen);
      w = progress_;
      break;
    }
    case ControlKind::Grid: {
      // The hex view's shape: a header row, an address column, sixteen byte
      // columns and a trailing ASCII column.
      auto* grid = new CGridCtrl(kHexGridRows, kHexGridColumns, 1, 1, parent);
      grid->SetTrailingFixedColumnCount(1);
      for (int row = 0; row < kHexGridRows; ++row) grid->SetRowHeight(row, kHexRowHeight);
      for (int col = 0; col < kHexGridColumns; ++col) grid->SetColumnWidth(col, kHexByteWidth);
      grid->SetColumnWidth(0, kHexAddressWidth);
      grid->SetColumnWidth(kHexGridColumns - 1, kHexAsciiWidth);
      w = grid;
      break;
    }
    case ControlKind::VScrollBar:
      w = new QScrollBar(Qt::Vertical, parent);
      break;
    case ControlKind::LogPane: {
      pane_ = new QPlainTextEdit(parent);
      pane_->setReadOnly(true);
      pane_->setAcceptDrops(false);
      pane_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
      QPalette p = pane_->palette();
      p.setColor(QPalette::Text, kPaneTextColour);
      pane_->setPalette(p);
      w = pane_;
      break;
    }
    case ControlKind::FileNameEdit: {
      auto* edit = new QLineEdit(parent);
      edit->setReadOnly(true);
      edit->setAcceptDrops(false);  // a dropped file goes to the window
      w = edit;
      break;
    }
    case ControlKind::HiddenEdit: {
      auto* edit = new QLineEdit(parent);
      edit->setAlignment(Qt::AlignCenter);
      edit->setFrame(false);
      w = edit;
      break;
    }
    case ControlKind::IconButton: {
      auto* button = new QPushButton(parent);
      button->setAutoDefault(false);
      button->setFlat(true);
      button->setIconSize(r.size() - QSize(6, 6));
      if (spec.id == ids::kWebPicture) {
        button->setFocusPolicy(Qt::NoFocus);
        button->setIcon(IconForResource(ids::kWebIcon));
        button->setIconSize(kWebIconSize.scaled(r.size() - QSize(6, 6), Qt::KeepAspectRatio));
      }
      if (spec.id == ids::kAdapterPicture) button->setIcon(IconForResource(ids::kAdapterIcon));
      w = button;
      break;
    }
  }
  w->setGeometry(r);
  return w;
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
    connect(combo, &QComboBox::currentIndexChanged, this,
            [this, id, combo](int index) {
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
  for (const Caption& c : kCaptions) ViewControlText(c.id, Q(t.ftext(c.ftext)));
  ViewControlText(ids::kFileNameBox, Q(t.itext(kFileNameHintItext)));
  menu_->ApplyTexts(t);
  menuBar()->update();
  SeedSurface();
}

void ProgrammerDlg::SeedSurface() {
  if (!surface_) return;
  for (const auto& [id, w] : controls_) {
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
    if (!controls_.contains(id)) surface_->SeedEnabled(id, a->isEnabled());
    surface_->SeedMenuChecked(id, a->isChecked());
  }
  surface_->SeedText(ids::kWindowTitle, windowTitle().toStdString());
}

void ProgrammerDlg::RegisterWindowCommands() {
  windowCommands_.Register(ids::kBrowseButton, [this] { BrowseForFile(); });
  windowCommands_.Register(ids::kOffsetProgramming, [this] { OpenOffsetDialog({}); });
  windowCommands_.Register(ids::kViewModificationLog, [this] { ViewModificationLog(); });
  windowCommands_.Register(ids::kExitCommand, [this] {
    // The exit item ends the run without the close questions; a question the
    // worker may be waiting on gets its cancelling answer.
    exiting_ = true;
    surface_->Shutdown();
    session_->BeginExit();
    close();
  });
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
  hexPanel_ = new HexViewPanel(session_->hexView(), qobject_cast<CGridCtrl*>(Control(ids::kHexGrid)),
                               qobject_cast<QScrollBar*>(Control(ids::kHexScrollBar)),
                               qobject_cast<QLineEdit*>(Control(ids::kHexInput)), centralWidget());
  connect(this, &ProgrammerDlg::hexViewChanged, hexPanel_, &HexViewPanel::Refresh);
  connect(this, &ProgrammerDlg::commitCellEditRequested, hexPanel_, &HexViewPanel::CommitCellEdit);
  session_->image().SetSaveNameChooser([this](const buffers::SaveDialogRequest& request) -> std::optional<std::string> {
    const QString path = QFileDialog::getSaveFileName(this, QString(), QString(),
                                                      QtFilterFromPairs(request.filter.c_str()));
    if (path.isEmpty()) return std::nullopt;
    return path.toStdString();
  });
  session_->SetOffsetDialogOpener([this](const std::string& path) { OpenOffsetDialog(path); });
}

void ProgrammerDlg::OpenOffsetDialog(const std::string& path) {
  OffsetDialog dialog(session_->image(), session_->services(), session_->texts(), path, this);
  dialog.exec();
}

void ProgrammerDlg::ViewModificationLog() {
  const buffers::ViewLogAction action = buffers::ViewLog(session_->services());
  if (action.open) QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(action.path)));
}

bool ProgrammerDlg::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::Wheel && hexPanel_) {
    // The wheel scrolls the hex view wherever it turns over the window.
    auto* w = qobject_cast<QWidget*>(watched);
    if (w != nullptr && w->window() == this && !qobject_cast<QComboBox*>(w) &&
        !qobject_cast<QPlainTextEdit*>(w) && !(w->parentWidget() && qobject_cast<QPlainTextEdit*>(w->parentWidget()))) {
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
  if (!exiting_ && !session_->BeginClose()) return;
  closing_ = true;
  // A question or box the worker raises from now on gets its cancelling
  // answer at once: nobody is there to answer it.
  surface_->Shutdown();
  // Looked at from the event loop: a close() from inside this close event
  // would be ignored.
  QTimer::singleShot(0, this, &ProgrammerDlg::CloseOnceWorkerLeft);
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
  QWidget* w = Control(id);
  if (auto* b = qobject_cast<QAbstractButton*>(w)) {
    b->setText(text);
  } else if (auto* l = qobject_cast<QLabel*>(w)) {
    l->setText(text);
    FitLabelFont(l);
  } else if (auto* e = qobject_cast<QLineEdit*>(w)) {
    const QSignalBlocker block(e);
    e->setText(text);
    e->setCursorPosition(0);
  } else if (auto* g = qobject_cast<QGroupBox*>(w)) {
    g->setTitle(text);
  }
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
