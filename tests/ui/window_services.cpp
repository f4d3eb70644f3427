// The Help menu's services in the whole window: quick feedback mails a real
// SMTP server on 127.0.0.1 while the window goes on answering, the about box
// shows the links of services.ini, a link underlines and colours itself as
// the mouse and the opener say, and the manual opens or is missed with its
// text.
#include <QClipboard>
#include <QDir>
#include <QEnterEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QUrl>

#include "core/app/text_ids.h"
#include "core/services/links/link_errors.h"
#include "core/services/links/link_target.h"
#include "support/smtp_test_server.h"
#include "ui/app/main_menu.h"
#include "ui/services/about_dialog.h"
#include "ui/services/feedback_dialog.h"
#include "ui/services/hyperlink.h"
#include "ui/services/link_opener.h"
#include "ui/services/service_dialogs.h"
#include "window_flow_support.h"

using namespace tarnwick;
using namespace tarnwick::test;

namespace {

// The desktop's opener for one test: records what it was given and answers
// `opens`; the registered browser is looked for in an empty tree.
class ScriptedOpener {
 public:
  explicit ScriptedOpener(bool opens) {
    for (const char* v : {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CONFIG_DIRS", "XDG_DATA_DIRS"})
      qputenv(v, empty_.path().toLocal8Bit());
    SetDesktopOpener([this, opens](const QUrl& url) {
      urls.push_back(url);
      return opens;
    });
  }
  ~ScriptedOpener() { SetDesktopOpener({}); }
  std::vector<QUrl> urls;

 private:
  QTemporaryDir empty_;
};

void Hover(QWidget& w) {
  QEnterEvent enter(QPointF(2, 2), QPointF(2, 2), QPointF(2, 2));
  QApplication::sendEvent(&w, &enter);
}
void Leave(QWidget& w) {
  QEvent leave(QEvent::Leave);
  QApplication::sendEvent(&w, &leave);
}

}  // namespace

class WindowServicesTest : public QObject {
  Q_OBJECT

 private slots:
  void feedbackIsMailedBesideTheWindowWithItsOutcomeInABox();
  void pastedLinesGoAsOneLineAReadablePasswordIsLoggedOnceABrokenServicesIniIsShown();
  void theAboutBoxShowsTheConfiguredLinksAlwaysUnderlined();
  void aLinkFollowsTheMouseAndTurnsVisitedOnlyWhenOpened();
  void theManualOpensOrItsAbsenceOrAMissingOpenerIsTold();
  void aLinkThatIsNoWebAddressIsRefusedUnopened();
};

void WindowServicesTest::feedbackIsMailedBesideTheWindowWithItsOutcomeInABox() {
  SmtpTestServer server;
  QVERIFY(server.port() != 0);
  BoxWatcher boxes;
  WindowHarness h;
  QVERIFY(WriteAll(h.base() + "services.ini",
                   QStringLiteral("[mail]\nserver = 127.0.0.1\nport = %1\nlogin = %2\npassword = "
                                  "%3\nsupport = support@example.org\nx_mailer = TWK\n")
                       .arg(server.port())
                       .arg(SmtpTestServer::kLogin, SmtpTestServer::kPassword)
                       .toUtf8()));
  QVERIFY(ShowAndStart(h));
  ProgrammerDlg& w = h.window();
  FeedbackDialog& d = w.serviceDialogs().feedback();
  w.menu().Action(ids::kFeedback)->trigger();
  QTRY_VERIFY(d.isVisible());
  QCOMPARE(d.windowTitle(), Ftext(w, ftext::kFeedbackTitle));
  QCOMPARE(DialogControl<QPushButton>(d, ids::kFeedbackSubmitButton)->text(),
           Ftext(w, ftext::kFeedbackSubmit));

  // Nothing written: nothing is sent.
  QVERIFY(!d.SubmitClicked());
  QCOMPARE(boxes.texts().back(), Itext(w, itext::kFeedbackNoContent));

  DialogControl<QLineEdit>(d, ids::kFeedbackSubjectEdit)->setText("blank check");
  auto* content = DialogControl<QPlainTextEdit>(d, ids::kFeedbackContentEdit);
  content->setFocus();
  QTest::keyClicks(content, "first line");
  QTest::keyClick(content, Qt::Key_Return);  // a new line, not the submit button
  QTest::keyClicks(content, "second line");
  QVERIFY(d.isVisible());
  QSignalSpy outcome(&d, &FeedbackDialog::outcomeShown);
  QVERIFY(d.SubmitClicked());
  // Sending: the button is off and the window is not held up meanwhile.
  QVERIFY(d.sending());
  QVERIFY(!DialogControl<QPushButton>(d, ids::kFeedbackSubmitButton)->isEnabled());
  QVERIFY(outcome.isEmpty());
  QTRY_COMPARE_WITH_TIMEOUT(outcome.size(), 1, 20000);
  QCOMPARE(outcome.front().front().toString(), Itext(w, itext::kFeedbackSent));
  QTRY_COMPARE(boxes.texts().back(), Itext(w, itext::kFeedbackSent));
  QVERIFY(DialogControl<QPushButton>(d, ids::kFeedbackSubmitButton)->isEnabled());
  QVERIFY(d.isVisible());  // only cancel closes it

  const std::string shown = server.Shown();
  QVERIFY(shown.rfind("Subject: Tarnwick 反馈主题:blank check\n", 0) == 0);
  const std::string notGiven = w.session().texts().itext(itext::kFeedbackNotGiven);
  QVERIFY(shown.find("Tarnwick:\r\nfirst line\r\nsecond line\r\n-") != std::string::npos);
  QVERIFY(shown.find("-\r\n" + notGiven) != std::string::npos);
}

void WindowServicesTest::
    pastedLinesGoAsOneLineAReadablePasswordIsLoggedOnceABrokenServicesIniIsShown() {
  SmtpTestServer server;
  QVERIFY(server.port() != 0);
  BoxWatcher boxes;
  WindowHarness h;
  const QByteArray account = QStringLiteral(
                                 "[mail]\nserver = 127.0.0.1\nport = %1\nlogin = %2\npassword = "
                                 "%3\nsupport = support@example.org\n")
                                 .arg(server.port())
                                 .arg(SmtpTestServer::kLogin, SmtpTestServer::kPassword)
                                 .toUtf8();
  QVERIFY(WriteAll(h.base() + "services.ini", account));
  QVERIFY(QFile::setPermissions(h.base() + "services.ini",
                                QFile::ReadOwner | QFile::WriteOwner | QFile::ReadOther));
  QVERIFY(ShowAndStart(h));
  ProgrammerDlg& w = h.window();
  FeedbackDialog& d = w.serviceDialogs().feedback();
  w.menu().Action(ids::kFeedback)->trigger();
  QTRY_VERIFY(d.isVisible());

  // Three lines pasted into the one-line subject, one of them a header.
  auto* subject = DialogControl<QLineEdit>(d, ids::kFeedbackSubjectEdit);
  QApplication::clipboard()->setText("verify\r\nBcc: victim@example.org\nfails");
  subject->setFocus();
  subject->paste();
  DialogControl<QLineEdit>(d, ids::kFeedbackContactEdit)->setText("ann\n@x.org");
  DialogControl<QPlainTextEdit>(d, ids::kFeedbackContentEdit)->setPlainText("report");
  QSignalSpy outcome(&d, &FeedbackDialog::outcomeShown);
  QVERIFY(d.SubmitClicked());
  QCOMPARE(subject->text(), QStringLiteral("verify Bcc: victim@example.org fails"));
  QTRY_COMPARE_WITH_TIMEOUT(outcome.size(), 1, 20000);
  QCOMPARE(outcome.front().front().toString(), Itext(w, itext::kFeedbackSent));
  const std::string shown = server.Shown();
  QVERIFY2(shown.rfind("Subject: Tarnwick 反馈主题:verify Bcc: victim@example.org fails\n", 0) == 0,
           shown.c_str());
  QVERIFY(shown.find("\r\nann @x.org") != std::string::npos);
  QCOMPARE(server.Envelope(), std::string("from sender@example.org\nto support@example.org\n"));

  // The password file others can read is logged, once however often is sent.
  QVERIFY(d.SubmitClicked());
  QTRY_COMPARE_WITH_TIMEOUT(outcome.size(), 2, 20000);
  QVERIFY(server.MailArrived(2));
  QCOMPARE(PaneText(w).count("holds the mail password and other users can read it"), 1);

  // A line services.ini does not understand is shown, and nothing is sent.
  QVERIFY(WriteAll(h.base() + "services.ini", account + "tls = sometimes\n"));
  QVERIFY(!d.SubmitClicked());
  QTRY_COMPARE(boxes.texts().size(), std::size_t{3});
  QVERIFY2(boxes.texts().back().contains("services.ini: line 7: tls is auto, starttls"),
           qPrintable(boxes.texts().back()));
  QCOMPARE(boxes.captions().back(), Itext(w, itext::kError));
  QVERIFY(PaneText(w).contains("services.ini: line 7: tls is auto, starttls"));
  QVERIFY(DialogControl<QPushButton>(d, ids::kFeedbackSubmitButton)->isEnabled());
  QVERIFY(!server.MailArrived(3));
}

void WindowServicesTest::theAboutBoxShowsTheConfiguredLinksAlwaysUnderlined() {
  BoxWatcher boxes;
  WindowHarness h;
  QVERIFY(WriteAll(h.base() + "services.ini",
                   "[links]\nweb = http://www.example.org/\ncontact = contact@example.org\n"));
  QVERIFY(ShowAndStart(h));
  ProgrammerDlg& w = h.window();
  AboutDialog& d = w.serviceDialogs().about();
  w.menu().Action(ids::kAboutCommand)->trigger();
  QTRY_VERIFY(d.isVisible());
  QVERIFY(d.isModal());
  QCOMPARE(d.windowTitle(), Ftext(w, ftext::kAboutTitle));
  QCOMPARE(d.webLink().text(), QStringLiteral("http://www.example.org/"));
  QCOMPARE(d.webLink().url(), QStringLiteral("http://www.example.org/"));
  QCOMPARE(d.contactLink().text(), QStringLiteral("Contact Us"));
  QCOMPARE(d.contactLink().url(), QStringLiteral("mailto:contact@example.org"));
  QCOMPARE(d.contactLink().toolTip(), QStringLiteral("mailto:contact@example.org"));
  for (HyperLink* link : {&d.webLink(), &d.contactLink()}) {
    QVERIFY(link->Underlined());
    Hover(*link);
    Leave(*link);
    QVERIFY(link->Underlined());
  }

  // The web picture opens the same site.
  ScriptedOpener opener(true);
  DialogControl<QPushButton>(d, ids::kDialogOk)->click();
  QVERIFY(!d.isVisible());
  w.SendCommand(ids::kWebPicture);
  QCOMPARE(opener.urls.size(), std::size_t{1});
  QCOMPARE(opener.urls.front(), QUrl("http://www.example.org/"));
  QVERIFY(boxes.texts().empty());
}

void WindowServicesTest::aLinkFollowsTheMouseAndTurnsVisitedOnlyWhenOpened() {
  BoxWatcher boxes;
  QWidget page;
  auto* link = new HyperLink(&page);
  link->setText("http://a.example/");
  link->Attach();  // no url given: the text is the url
  page.show();
  QCOMPARE(link->url(), QStringLiteral("http://a.example/"));
  QCOMPARE(link->underline(), int(HyperLink::kHoverOnly));
  QCOMPARE(link->cursor().shape(), Qt::PointingHandCursor);
  QVERIFY(!link->Underlined());
  QCOMPARE(link->TextColour(), HyperLink::kLinkColour);
  Hover(*link);
  QVERIFY(link->Underlined());
  QCOMPARE(link->TextColour(), HyperLink::kHoverColour);
  Leave(*link);
  QVERIFY(!link->Underlined());
  link->SetUnderline(HyperLink::kNever);
  Hover(*link);
  QVERIFY(!link->Underlined());
  Leave(*link);

  {
    // Nothing opens it, and no browser is registered: the box, still unvisited.
    ScriptedOpener opener(false);
    QSignalSpy clicked(link, &HyperLink::clicked);
    QTest::mouseClick(link, Qt::LeftButton);
    QCOMPARE(clicked.size(), 1);
    QCOMPARE(clicked.front().front().toInt(), links::kNoAssociation);
    QTRY_COMPARE(boxes.texts().size(), std::size_t{1});
    QCOMPARE(boxes.texts().back(),
             QString::fromStdString(links::LinkFailureText(links::kNoAssociation)));
    QVERIFY(!link->visited());
    QCOMPARE(link->TextColour(), HyperLink::kLinkColour);
  }
  ScriptedOpener opener(true);
  QTest::mouseClick(link, Qt::LeftButton);
  QCOMPARE(opener.urls.front(), QUrl("http://a.example/"));
  QVERIFY(link->visited());
  QCOMPARE(link->TextColour(), HyperLink::kVisitedColour);

  // An empty text shows the url.
  auto* bare = new HyperLink(&page);
  bare->SetURL("mailto:x@example.org");
  bare->Attach();
  QCOMPARE(bare->text(), QStringLiteral("mailto:x@example.org"));
  QVERIFY(bare->width() > 0);
}

void WindowServicesTest::theManualOpensOrItsAbsenceOrAMissingOpenerIsTold() {
  BoxWatcher boxes;
  WindowHarness h;
  QVERIFY(ShowAndStart(h));
  ProgrammerDlg& w = h.window();
  ScriptedOpener opener(true);
  QTemporaryDir programDir;
  w.serviceDialogs().SetProgramDir(programDir.path());
  w.menu().Action(ids::kHelp)->trigger();
  QTRY_COMPARE(boxes.texts().size(), std::size_t{1});
  QCOMPARE(boxes.texts().back(), Itext(w, itext::kFileNotFound));
  QCOMPARE(boxes.captions().back(), Itext(w, itext::kNoticeCaption));
  QVERIFY(opener.urls.empty());

  const QString manual = programDir.path() + "/" + kManualFile;
  QVERIFY(WriteAll(manual, "<html><body>Tarnwick</body></html>"));
  w.menu().Action(ids::kHelp)->trigger();
  QCOMPARE(opener.urls.size(), std::size_t{1});
  QCOMPARE(opener.urls.front(), QUrl::fromLocalFile(manual));
  QCOMPARE(boxes.texts().size(), std::size_t{1});

  // The manual is there but nothing opens it: that is what the box says.
  ScriptedOpener none(false);
  w.menu().Action(ids::kHelp)->trigger();
  QTRY_COMPARE(boxes.texts().size(), std::size_t{2});
  QVERIFY2(boxes.texts().back().startsWith(Itext(w, itext::kNoOpener)),
           qPrintable(boxes.texts().back()));
  QVERIFY(boxes.texts().back().contains(manual));
  QVERIFY(boxes.texts().back().contains("xdg-open"));
}

void WindowServicesTest::aLinkThatIsNoWebAddressIsRefusedUnopened() {
  BoxWatcher boxes;
  WindowHarness h;
  QVERIFY(WriteAll(h.base() + "services.ini",
                   "[links]\nweb = --gpu-launcher=/path/evil\ncontact = contact@example.org\n"));
  QVERIFY(ShowAndStart(h));
  ProgrammerDlg& w = h.window();
  ScriptedOpener opener(true);
  // The web picture reports nothing, and opens nothing.
  w.SendCommand(ids::kWebPicture);
  QVERIFY(opener.urls.empty());
  QVERIFY(boxes.texts().empty());

  AboutDialog& d = w.serviceDialogs().about();
  w.menu().Action(ids::kAboutCommand)->trigger();
  QTRY_VERIFY(d.isVisible());
  QSignalSpy clicked(&d.webLink(), &HyperLink::clicked);
  QTest::mouseClick(&d.webLink(), Qt::LeftButton);
  QCOMPARE(clicked.size(), 1);
  QCOMPARE(clicked.front().front().toInt(), links::kRefusedTarget);
  QTRY_COMPARE(boxes.texts().size(), std::size_t{1});
  QCOMPARE(boxes.texts().back(),
           QString::fromStdString(links::LinkFailureText(links::kRefusedTarget)));
  QVERIFY(!d.webLink().visited());
  QVERIFY(opener.urls.empty());

  // The contact link next to it opens as a mail address.
  QTest::mouseClick(&d.contactLink(), Qt::LeftButton);
  QCOMPARE(opener.urls.size(), std::size_t{1});
  QCOMPARE(opener.urls.front(), QUrl("mailto:contact@example.org"));
  DialogControl<QPushButton>(d, ids::kDialogOk)->click();
}

QTEST_MAIN(WindowServicesTest)
#include "window_services.moc"
