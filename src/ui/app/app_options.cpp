#include "ui/app/app_options.h"

#include <QDir>
#include <QtGlobal>
#include <span>

#include "core/app/text_languages.h"
#include "version.h"

namespace tarnwick {

namespace {

// QGuiApplication's and the xcb platform's own options: those that take the
// next word as their value, and those that stand alone.
constexpr const char* kQtOptionsWithValue[] = {
    "-platform",
    "-platformpluginpath",
    "-platformtheme",
    "-plugin",
    "-qwindowgeometry",
    "-qwindowicon",
    "-qwindowtitle",
    "-style",
    "-stylesheet",
    "-display",
    "-geometry",
    "-session",
    "-name",
    "-title",
    "-visual",
};
constexpr const char* kQtFlags[] = {"-reverse", "-widgetcount", "-nograb",
                                    "-dograb",  "-sync",        "-testability"};

bool IsOneOf(const QString& word, std::span<const char* const> names) {
  for (const char* n : names) {
    // Qt takes its options with one dash or two.
    if (word == QLatin1String(n) || word == QLatin1String("-") + QLatin1String(n)) return true;
  }
  return false;
}

bool IsQtOptionWithValue(const QString& word) {
  if (IsOneOf(word, kQtOptionsWithValue)) return true;
  const qsizetype eq = word.indexOf(QLatin1Char('='));
  return eq > 0 && IsOneOf(word.left(eq), kQtOptionsWithValue);
}

}  // namespace

AppOptions ParseAppOptions(const QStringList& arguments) {
  AppOptions o;
  const QString baseOpt = QStringLiteral("--base-dir");
  const QString simOpt = QStringLiteral("--simulate");
  const QString langOpt = QStringLiteral("--lang");
  const QString deviceOpt = QStringLiteral("--device");
  bool langGiven = false;
  for (qsizetype i = 1; i < arguments.size(); ++i) {
    const QString& a = arguments[i];
    if (a == baseOpt) {
      if (i + 1 >= arguments.size()) {
        o.error = QStringLiteral("--base-dir needs a directory");
        return o;
      }
      o.baseDir = arguments[++i];
    } else if (a.startsWith(baseOpt + QLatin1Char('='))) {
      o.baseDir = a.mid(baseOpt.size() + 1);
      if (o.baseDir.isEmpty()) o.error = QStringLiteral("--base-dir needs a directory");
    } else if (a == langOpt) {
      if (i + 1 >= arguments.size()) {
        o.error = QStringLiteral("--lang needs a language");
        return o;
      }
      o.lang = arguments[++i];
      langGiven = true;
    } else if (a.startsWith(langOpt + QLatin1Char('='))) {
      o.lang = a.mid(langOpt.size() + 1);
      langGiven = true;
    } else if (a == QLatin1String("--help") || a == QLatin1String("-h")) {
      o.help = true;
    } else if (a == simOpt) {
      o.simulate = true;
    } else if (a.startsWith(simOpt + QLatin1Char('='))) {
      o.simulate = true;
      o.simulationFile = a.mid(simOpt.size() + 1);
    } else if (a == deviceOpt) {
      if (i + 1 >= arguments.size()) {
        o.error = QStringLiteral("--device needs BUS:DEVICE or a serial number");
        return o;
      }
      o.device = arguments[++i];
    } else if (a.startsWith(deviceOpt + QLatin1Char('='))) {
      o.device = a.mid(deviceOpt.size() + 1);
      if (o.device.isEmpty()) o.error = QStringLiteral("--device needs BUS:DEVICE or a serial number");
    } else if (a == QLatin1String("--version")) {
      o.version = true;
    } else if (IsQtOptionWithValue(a)) {
      if (!a.contains(QLatin1Char('='))) ++i;  // Qt's option and its value
    } else if (IsOneOf(a, kQtFlags)) {
      continue;
    } else if (a.startsWith(QLatin1Char('-'))) {
      o.error = QStringLiteral("unknown option: %1").arg(a);
      return o;
    } else {
      o.error = QStringLiteral("unexpected argument: %1").arg(a);
      o.strayArgument = true;
      return o;
    }
  }
  if (langGiven && !IsTextLanguage(o.lang.toStdString())) {
    o.error = QStringLiteral("unknown language %1 for --lang (allowed: %2)")
                  .arg(o.lang, QString::fromStdString(TextLanguageList()));
  }
  return o;
}

QString AppUsageText() {
  return QStringLiteral(
      "usage: tarnwick [--base-dir DIR] [--simulate[=FILE[,FILE...]]] [--device BUS:DEVICE|SERIAL]\n"
      "                [--lang en|zh_CN]\n"
      "  --base-dir DIR     keep settings, catalogue and log in DIR (default: the program's "
      "folder,\n"
      "                     or, installed, the XDG folders below ~/.config, ~/.local/state\n"
      "                     and ~/.cache)\n"
      "  --simulate[=FILE]  drive the virtual programmer box (FILE: its description;\n"
      "                     several files, comma-separated: several boxes)\n"
      "  --device BOX       with several boxes connected, open the one at BUS:DEVICE or with\n"
      "                     this serial number (tarnwick-cli devices lists them)\n"
      "  --lang LANG        read the texts from lang/LANG/ in the program's folder\n"
      "  --help             print this text\n"
      "  --version          print the name and version\n");
}

QString AppVersionText() {
  return QStringLiteral("tarnwick %1\n").arg(QString::fromLatin1(kProgramVersion));
}

QString WithTrailingSlash(const QString& dir) {
  QString d = QDir::cleanPath(dir);
  if (!d.endsWith(QLatin1Char('/'))) d += QLatin1Char('/');
  return d;
}

QString MissingDisplayHint(const QStringList& arguments) {
  QString platform = qEnvironmentVariable("QT_QPA_PLATFORM");
  const qsizetype p = arguments.indexOf(QStringLiteral("-platform"));
  if (p >= 0 && p + 1 < arguments.size()) platform = arguments[p + 1];
  // Only the desktop platforms need a display server; offscreen, minimal,
  // vnc, eglfs and linuxfb draw without one.
  if (!platform.isEmpty() && !platform.startsWith(QLatin1String("xcb")) &&
      !platform.startsWith(QLatin1String("wayland"))) {
    return {};
  }
  if (!qEnvironmentVariableIsEmpty("DISPLAY") || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")) {
    return {};
  }
  return QStringLiteral(
      "tarnwick: no display found (neither DISPLAY nor WAYLAND_DISPLAY is set); run it in a "
      "desktop session, under xvfb-run, or with QT_QPA_PLATFORM=offscreen");
}

}  // namespace tarnwick
