// The main window: every control of dialog 102 and menu 154, routed to one
// Session. The window only translates: user actions become Session calls,
// and the Session's reports reach the widgets through QtWindowSurface.
#pragma once

#include <QMainWindow>
#include <QPointer>
#include <QString>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "core/app/command_router.h"
#include "core/session/session.h"
#include "protocol/usb_api.h"
#include "ui/app/dialog_builder.h"
#include "ui/app/main_window_layout.h"
#include "ui/app/surface_view.h"
#include "ui/services/version_dialog.h"

class QComboBox;
class QLabel;
class QPlainTextEdit;

namespace tarnwick {

class BatchDialog;
class BufferToolDialogs;
class ChipFillDialog;
class ServiceDialogs;
class FirmwareDialog;
class GuiPoster;
class HexViewPanel;
class MainMenu;
class OtpDialog;
class QtWindowSurface;
class SoundPlayer;
class TextProgressBar;

class ProgrammerDlg : public QMainWindow, public SurfaceView {
  Q_OBJECT

 public:
  struct Options {
    DataLayout layout;  // where every file is
    bool startWorker = true;
    std::string simulatedBootTable{};  // the virtual box's boot table; empty: a real box
  };

  ProgrammerDlg(Options options, UsbApi& usb, QWidget* parent = nullptr);
  ~ProgrammerDlg() override;

  // The rest of the start-up (settings, catalogue, worker); its boxes need a
  // window to sit on, so it runs once the window is shown.
  void Start();
  // Before the window shows: where the screen's free area is smaller than the
  // template, the whole layout is made smaller with a smaller font (the
  // least size shrinks with it) and the window starts on the screen.
  void FitToScreen();

  Session& session() { return *session_; }
  QtWindowSurface& surface() { return *surface_; }
  MainMenu& menu() { return *menu_; }
  QWidget* Control(int id) const;
  HexViewPanel& hexPanel() { return *hexPanel_; }
  BatchDialog& batchDialog() { return *batchDialog_; }
  OtpDialog& otpDialog() { return *otpDialog_; }
  BufferToolDialogs& bufferTools() { return *bufferTools_; }
  FirmwareDialog& firmwareDialog() { return *firmwareDialog_; }
  ChipFillDialog& chipFillDialog() { return *chipFillDialog_; }
  ServiceDialogs& serviceDialogs() { return *serviceDialogs_; }
  // The version dialog of the last update check while it is open, else nullptr.
  VersionDlg* versionDialog() const { return versionDialog_; }
  const DialogUnits& units() const { return units_; }
  bool statusError() const { return statusError_; }

  // Sends a command as a click or a menu item would. A command nothing
  // handles yet does nothing (its controls are grey).
  void SendCommand(int id);
  // Every command id of the window's buttons and menu items, and those of
  // them that neither the window nor a feature of the core handles yet.
  std::vector<int> CommandIds() const;
  std::vector<int> UnhandledCommands() const;

 signals:
  // The core changed the file image or the page; the hex view re-reads it.
  void hexViewChanged();
  // A command left the window for the session (or the window's own handling).
  void commandSent(int id);
  // Enter was pressed in the window: the hex view commits its cell edit.
  void commitCellEditRequested();
  // An update check ended and its dialog or messages were shown.
  void updateCheckShown();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  void BuildControls();
  // What the table alone does not give: the hex grid's shape, the progress
  // bar's look, the pane colour, the pictures and the template's hidden ones.
  void SetUpOwnControls();
  // The maker's picture as large as its button.
  void FitWebPicture();
  void RegisterWindowCommands();
  void CloseOnceWorkerLeft();
  // A job that must not be cut runs (a firmware upgrade): says so once and
  // closes (or exits, for the exit item) when it has ended. False when the
  // close may go on now.
  bool DeferCloseWhileUncuttable(bool exit);
  void CloseAfterUncuttableJob();
  // The exit item: the question about a chip being changed, then the end of
  // the run without the rest of the close sequence.
  void ExitItem();
  void GreyUnhandledCommands();
  void ConnectControls();
  void ApplyTexts();
  void SeedSurface();
  void OnMenuAction(QAction* action);
  void BrowseForFile();
  void OnFilesDropped(const QStringList& paths);
  // The parts of the window that talk to the core's file image: the hex
  // view, the save dialogs, offset programming and the modification log.
  void ConnectImage();
  void OpenOffsetDialog(const std::string& path);
  // The batch dialog, hidden until the batch button shows it.
  void ConnectBatch();
  // The window goes: the batch dialog hides and hears no more reports.
  void DetachBatchDialog();
  // The OTP dialog, hidden until its menu item shows it; the OTP jobs
  // report to it.
  void ConnectOtp();
  // The window goes: the OTP dialog hides, and the jobs report nowhere.
  void DetachOtpDialog();
  // The firmware upgrade dialog, hidden until its menu item shows it.
  void ConnectFirmware();
  void DetachFirmwareDialog();
  void ConnectChipFill();
  void DetachChipFillDialog();
  void ConnectUpdateCheck();
  void StartUpdateCheck();
  void ViewModificationLog();

  // SurfaceView: the widget side of the surface, GUI thread only.
  void ViewStatusLine(const QString& text, bool error) override;
  void ViewPaneLine(const QString& line, bool replaceLast) override;
  void ViewClearPane() override;
  void ViewProgressVisible(bool visible) override;
  void ViewProgress(int position, const QString& text) override;
  void ViewCommandEnabled(int id, bool enabled) override;
  void ViewMenuChecked(int id, bool checked) override;
  void ViewControlText(int id, const QString& text) override;
  void ViewControlVisible(int id, bool visible) override;
  void ViewCheckBox(int id, bool checked) override;
  void ViewListItems(int id, const QStringList& items) override;
  void ViewListSelection(int id, int index) override;
  void ViewPicture(int id, int iconResource) override;
  void ViewHexChanged() override;
  void ViewPlaySound(const QString& absolutePath) override;
  BoxAnswer ViewAsk(const QString& text, const QString& caption, BoxIcon icon,
                    BoxButtons buttons) override;

  Options options_;
  UsbApi& usb_;
  DialogUnits units_;
  DialogBuilder builder_;
  CommandRouter windowCommands_;  // what the window handles itself: dialogs, exit
  std::set<int> unhandled_;
  QLabel* status_ = nullptr;
  QPlainTextEdit* pane_ = nullptr;
  TextProgressBar* progress_ = nullptr;
  SoundPlayer* sounds_ = nullptr;
  HexViewPanel* hexPanel_ = nullptr;
  BatchDialog* batchDialog_ = nullptr;  // a child: deleted after the session
  OtpDialog* otpDialog_ = nullptr;      // likewise
  // Go to, data view, file fill and find: children, like the two above.
  BufferToolDialogs* bufferTools_ = nullptr;
  // Likewise.
  FirmwareDialog* firmwareDialog_ = nullptr;
  ChipFillDialog* chipFillDialog_ = nullptr;
  ServiceDialogs* serviceDialogs_ = nullptr;
  QPointer<VersionDlg> versionDialog_;
  std::unique_ptr<MainMenu> menu_;
  bool statusError_ = false;
  bool exiting_ = false;  // the exit item skips the close questions
  bool closing_ = false;  // the close began; waiting for the worker to leave
  bool closed_ = false;   // the close sequence has run
  // A close or exit waits for the end of a firmware upgrade.
  bool closePending_ = false;
  bool exitPending_ = false;
  // The update check's result comes through this; it outlives the session.
  std::unique_ptr<GuiPoster> updatePoster_;
  // Declared last: the session reports into the surface until it is gone.
  std::unique_ptr<QtWindowSurface> surface_;
  std::unique_ptr<Session> session_;
};

}  // namespace tarnwick
