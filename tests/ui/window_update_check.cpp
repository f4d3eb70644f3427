// The update check from the help menu against a real HTTP server on
// 127.0.0.1: the version dialog with its two rows, the messages and no
// dialog for a refused document, and the menu item grey while a job runs.
#include <QHeaderView>
#include <QSignalSpy>
#include <QTest>
#include <QTreeWidget>
#include <fstream>

#include "../support/http_test_server.h"
#include "core/app/text_ids.h"
#include "core/services/update/update_checker.h"
#include "core/session/session.h"
#include "ui/app/main_menu.h"
#include "ui/services/version_dialog.h"
#include "window_flow_support.h"

using namespace tarnwick;
using namespace tarnwick::test;

class WindowUpdateCheckTest : public QObject {
  Q_OBJECT

 private slots:
  void theMenuItemShowsBothRowsFromTheServer();
  void aRefusedDocumentShowsItsMessagesAndNoDialog();
  void theItemIsGreyWhileAJobRuns();
};

namespace {

struct Served {
  explicit Served(WindowHarness& h)
      : server(std::filesystem::path(h.base().toStdString()) / "http") {}
  HttpTestServer server;
};

std::unique_ptr<Served> ServeFor(WindowHarness& h, const std::vector<unsigned char>& body,
                                 int status) {
  std::filesystem::create_directory(h.base().toStdString() + "http");
  auto s = std::make_unique<Served>(h);
  s->server.Serve(body, status);
  std::ofstream(h.base().toStdString() + "services.ini")
      << "[update]\nhost=" << s->server.host() << "\n[links]\nweb=http://www.example.org/\n";
  return s;
}

void Firmware15(sim::BoxDescription& d) { d.firmwareVersion = 0x15; }

}  // namespace

void WindowUpdateCheckTest::theMenuItemShowsBothRowsFromTheServer() {
  WindowHarness h({}, sim::SpeedKind::Instant, Firmware15);
  const auto served = ServeFor(h, {0x24, 0x25}, 200);
  QVERIFY(served->server.port() != 0);
  QVERIFY(ShowAndStart(h));
  ProgrammerDlg& w = h.window();
  QSignalSpy shown(&w, &ProgrammerDlg::updateCheckShown);
  QAction* item = w.menu().Action(ids::kCheckUpdate);
  QVERIFY(item->isEnabled());
  item->trigger();
  QVERIFY(shown.wait(10000));
  VersionDlg* d = w.versionDialog();
  QVERIFY(d != nullptr);
  QVERIFY(d->isVisible());
  QVERIFY(d->isModal());
  QCOMPARE(d->windowTitle(), QStringLiteral("Version information"));
  QTreeWidget* list = d->list();
  QCOMPARE(list->columnCount(), 4);
  QCOMPARE(list->headerItem()->text(0), QStringLiteral(" "));
  QCOMPARE(list->headerItem()->text(3), Itext(w, itext::kVersionVerdictColumn));
  QVERIFY(list->columnWidth(3) >= 120);
  QCOMPARE(list->topLevelItemCount(), 2);
  const QStringList program = {Itext(w, itext::kVersionSoftwareRow), "2.3", "2.4",
                               Itext(w, itext::kNewerProgram)};
  const QStringList firmware = {Itext(w, itext::kVersionFirmwareRow), "2.5", "2.5",
                                Itext(w, itext::kFirmwareCurrent)};
  for (int c = 0; c < 4; ++c) {
    QCOMPARE(list->topLevelItem(0)->text(c), program[c]);
    QCOMPARE(list->topLevelItem(1)->text(c), firmware[c]);
  }
  auto* link = qobject_cast<QLabel*>(d->Control(ids::kVersionWebLink));
  QVERIFY(link->text().contains(QStringLiteral("http://www.example.org/")));
  qobject_cast<QPushButton*>(d->Control(ids::kDialogOk))->click();
  QTRY_VERIFY(w.versionDialog() == nullptr);
  // The box link is the worker's again.
  QVERIFY(WorkerIdle(w));
}

void WindowUpdateCheckTest::aRefusedDocumentShowsItsMessagesAndNoDialog() {
  BoxWatcher boxes;
  WindowHarness h;
  const auto served = ServeFor(h, {0x24, 0x25}, 404);
  QVERIFY(ShowAndStart(h));
  ProgrammerDlg& w = h.window();
  QSignalSpy shown(&w, &ProgrammerDlg::updateCheckShown);
  w.SendCommand(ids::kCheckUpdate);
  QVERIFY(shown.wait(10000));
  QCOMPARE(int(boxes.texts().size()), 2);
  QCOMPARE(boxes.texts()[0], QStringLiteral("请求地址不存在:#404"));
  QCOMPARE(boxes.texts()[1], Itext(w, itext::kUpdateCheckFailed));
  QCOMPARE(boxes.captions()[1], Itext(w, itext::kError));
  QVERIFY(w.versionDialog() == nullptr);
}

void WindowUpdateCheckTest::theItemIsGreyWhileAJobRuns() {
  BoxWatcher boxes(QMessageBox::Ok);
  WindowHarness h({}, sim::SpeedKind::Realistic);
  const auto served = ServeFor(h, {0x23, 0x23}, 200);
  QVERIFY(ShowAndStart(h));
  ProgrammerDlg& w = h.window();
  QTRY_VERIFY_WITH_TIMEOUT(w.Control(ids::kReadButton)->isEnabled(), 30000);
  QAction* item = w.menu().Action(ids::kCheckUpdate);
  Button(w, ids::kReadButton)->click();
  QTRY_VERIFY_WITH_TIMEOUT(!WorkerIdle(w), 10000);
  QTRY_VERIFY(!item->isEnabled());
  // Sent anyway (a key, a script): refused, nothing shows.
  QSignalSpy shown(&w, &ProgrammerDlg::updateCheckShown);
  w.SendCommand(ids::kCheckUpdate);
  QTest::qWait(300);
  QCOMPARE(shown.count(), 0);
  QVERIFY(!w.session().updateCheck().Running());
  // Stop the read; the item comes back once the worker rests.
  Button(w, ids::kReadButton)->click();
  QVERIFY(WaitForJob(w));
  QTRY_VERIFY(item->isEnabled());
}

QTEST_MAIN(WindowUpdateCheckTest)
#include "window_update_check.moc"
