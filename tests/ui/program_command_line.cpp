// The `tarnwick` program itself, started as a user starts it: what it says
// and how it ends for --version, a wrong option and a missing display.
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include "version.h"

namespace {

struct Run {
  int exitCode = -1;
  QProcess::ExitStatus status = QProcess::CrashExit;
  QString out;
  QString err;
};

Run Start(const QStringList& args, const QProcessEnvironment& env) {
  Run r;
  QProcess p;
  p.setProcessEnvironment(env);
  p.start(QStringLiteral(TARNWICK_PORTABLE_DIR "/tarnwick"), args);
  if (!p.waitForFinished(30000)) {
    p.kill();
    p.waitForFinished(5000);
    return r;
  }
  r.exitCode = p.exitCode();
  r.status = p.exitStatus();
  r.out = QString::fromLocal8Bit(p.readAllStandardOutput());
  r.err = QString::fromLocal8Bit(p.readAllStandardError());
  return r;
}

}  // namespace

class ProgramCommandLineTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase();
  void versionPrintsNameAndVersion();
  void unknownOptionPrintsUsageAndExitsTwoWithoutAWindow();
  void withoutADisplayTheMessageIsSaidAndTheExitIsOne();

 private:
  QProcessEnvironment Offscreen() const;
  QTemporaryDir runtime_;
};

void ProgramCommandLineTest::initTestCase() {
  QVERIFY2(QFile::exists(TARNWICK_PORTABLE_DIR "/tarnwick"), "build the tarnwick target first");
}

QProcessEnvironment ProgramCommandLineTest::Offscreen() const {
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert("QT_QPA_PLATFORM", "offscreen");
  env.insert("XDG_RUNTIME_DIR", runtime_.path());
  return env;
}

void ProgramCommandLineTest::versionPrintsNameAndVersion() {
  const Run r = Start({"--version"}, Offscreen());
  QCOMPARE(r.status, QProcess::NormalExit);
  QCOMPARE(r.exitCode, 0);
  QCOMPARE(r.out, QStringLiteral("tarnwick %1\n").arg(tarnwick::kProgramVersion));
  QVERIFY2(r.err.isEmpty(), qPrintable(r.err));
}

void ProgramCommandLineTest::unknownOptionPrintsUsageAndExitsTwoWithoutAWindow() {
  QTemporaryDir base;
  const Run r = Start({"--base-dir", base.path(), "--simulate", "--frobnicate"}, Offscreen());
  QCOMPARE(r.status, QProcess::NormalExit);
  QCOMPARE(r.exitCode, 2);
  QVERIFY2(r.err.contains("--frobnicate"), qPrintable(r.err));
  QVERIFY2(r.err.contains("usage: tarnwick"), qPrintable(r.err));
  // No window ran: it would have taken the base directory's lock.
  QVERIFY(!QFile::exists(base.path() + "/Tarnwick.exe.lock"));
}

void ProgramCommandLineTest::withoutADisplayTheMessageIsSaidAndTheExitIsOne() {
  QProcessEnvironment env = Offscreen();
  for (const char* v : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"}) env.remove(v);
  const Run r = Start({"--simulate"}, env);
  QCOMPARE(r.status, QProcess::NormalExit);
  QCOMPARE(r.exitCode, 1);
  QVERIFY2(r.err.contains("no display found"), qPrintable(r.err));
}

QTEST_GUILESS_MAIN(ProgramCommandLineTest)
#include "program_command_line.moc"
