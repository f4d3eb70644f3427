#include "ui/app/app_options.h"

#include <QDir>
#include <QtGlobal>

namespace tarnwick {

AppOptions ParseAppOptions(const QStringList& arguments) {
  AppOptions o;
  const QString baseOpt = QStringLiteral("--base-dir");
  const QString simOpt = QStringLiteral("--simulate");
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
    } else if (a == simOpt) {
      o.simulate = true;
    } else if (a.startsWith(simOpt + QLatin1Char('='))) {
      o.simulate = true;
      o.simulationFile = a.mid(simOpt.size() + 1);
    } else if (a == QLatin1String("-platform") || a == QLatin1String("-style") ||
               a == QLatin1String("-display")) {
      ++i;  // Qt's option and its value
    } else if (!a.startsWith(QLatin1Char('-'))) {
      o.error = QStringLiteral("unexpected argument: %1").arg(a);
      return o;
    }
  }
  return o;
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
  if (platform.startsWith(QLatin1String("offscreen")) ||
      platform.startsWith(QLatin1String("minimal")) || platform.startsWith(QLatin1String("vnc"))) {
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
