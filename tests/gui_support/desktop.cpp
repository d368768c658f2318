#include "desktop.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTest>

namespace {

std::vector<qulonglong> Ids(const QString& text) {
  std::vector<qulonglong> ids;
  const int hash = text.indexOf(QLatin1Char('#'));
  if (hash < 0) return ids;
  for (const QString& part : text.mid(hash + 1).split(QLatin1Char(','), Qt::SkipEmptyParts)) {
    bool ok = false;
    const qulonglong id = part.trimmed().toULongLong(&ok, 16);
    if (ok && id) ids.push_back(id);
  }
  return ids;
}

}  // namespace

TDesktop::~TDesktop() {
  for (QProcess* p : {&Wm, &X}) {
    if (p->state() == QProcess::NotRunning) continue;
    p->terminate();
    if (!p->waitForFinished(3000)) p->kill();
    p->waitForFinished(3000);
  }
}

bool TDesktop::Start(QSize screen, QString& why, bool windowManager) {
  QStringList tools{QStringLiteral("Xvfb"), QStringLiteral("xdotool"), QStringLiteral("xprop"),
                    QStringLiteral("xwininfo"), QStringLiteral("import")};
  if (windowManager) tools << QStringLiteral("openbox");
  for (const QString& tool : tools)
    if (QStandardPaths::findExecutable(tool).isEmpty()) {
      why = QStringLiteral("no ") + tool;
      return false;
    }
  Screen = screen;
  X.start(QStringLiteral("Xvfb"), {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-nolisten"),
                                   QStringLiteral("tcp"), QStringLiteral("-screen"), QStringLiteral("0"),
                                   QStringLiteral("%1x%2x24").arg(screen.width()).arg(screen.height())});
  if (!X.waitForStarted() || !QTest::qWaitFor([&] { return X.canReadLine(); }, 10000)) {
    why = QStringLiteral("Xvfb did not start: ") + QString::fromLocal8Bit(X.readAllStandardError());
    return false;
  }
  Display = QLatin1Char(':') + QString::fromLatin1(X.readLine()).trimmed();
  Env = QProcessEnvironment::systemEnvironment();
  Env.insert(QStringLiteral("DISPLAY"), Display);
  if (!windowManager) return true;
  Wm.setProcessEnvironment(Env);
  // On a loaded machine openbox may come up slowly or, now and then, end at
  // once with status 1 and no word: it is started again then, a few times,
  // before the test fails with what it said.
  auto isManaged = [&] {
    return Run("xprop", {QStringLiteral("-root"), QStringLiteral("_NET_SUPPORTING_WM_CHECK")})
        .contains(QStringLiteral("window id"));
  };
  bool managed = false;
  for (int attempt = 0; attempt < 3 && !managed; ++attempt) {
    if (Wm.state() == QProcess::NotRunning) Wm.start(QStringLiteral("openbox"), {});
    if (!Wm.waitForStarted()) break;
    (void)QTest::qWaitFor([&] { return (managed = isManaged()) || Wm.state() == QProcess::NotRunning; }, 20000);
  }
  if (!managed) {
    why = QStringLiteral("openbox did not start (status %1): ").arg(Wm.exitCode()) +
          QString::fromLocal8Bit(Wm.readAllStandardError());
    return false;
  }
  return true;
}

QProcessEnvironment TDesktop::ProgramEnvironment(const QString& home) const {
  QProcessEnvironment env = Env;
  env.insert(QStringLiteral("HOME"), home);
  env.insert(QStringLiteral("XDG_DATA_HOME"), home + QStringLiteral("/data"));
  env.insert(QStringLiteral("XDG_CONFIG_HOME"), home + QStringLiteral("/config"));
  env.insert(QStringLiteral("XDG_STATE_HOME"), home + QStringLiteral("/state"));
  env.insert(QStringLiteral("XDG_CACHE_HOME"), home + QStringLiteral("/cache"));
  const QString runtime = home + QStringLiteral("/runtime");
  QDir().mkpath(runtime);
  QFile::setPermissions(runtime, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
  env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime);
  env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
  env.remove(QStringLiteral("QT_SCALE_FACTOR"));
  return env;
}

bool TDesktop::Launch(QProcess& process, const QString& program, const QStringList& args, const QString& home) const {
  process.setProcessEnvironment(ProgramEnvironment(home));
  process.start(program, args);
  return process.waitForStarted();
}

QString TDesktop::Run(const char* tool, const QStringList& args) const {
  QProcess p;
  p.setProcessEnvironment(Env);
  p.start(QString::fromLatin1(tool), args);
  if (!p.waitForFinished(10000)) {
    p.kill();
    p.waitForFinished(1000);
  }
  return QString::fromUtf8(p.readAllStandardOutput()).trimmed();
}

std::vector<qulonglong> TDesktop::Stacking() const {
  return Ids(Run("xprop", {QStringLiteral("-root"), QStringLiteral("_NET_CLIENT_LIST_STACKING")}));
}

qulonglong TDesktop::Active() const {
  const auto ids = Ids(Run("xprop", {QStringLiteral("-root"), QStringLiteral("_NET_ACTIVE_WINDOW")}));
  return ids.empty() ? 0 : ids.front();
}

QString TDesktop::Title(qulonglong window) const {
  return window ? Run("xdotool", {QStringLiteral("getwindowname"), QString::number(window)}) : QString();
}

qint64 TDesktop::Pid(qulonglong window) const {
  return window ? Run("xdotool", {QStringLiteral("getwindowpid"), QString::number(window)}).toLongLong() : 0;
}

QString TDesktop::Property(qulonglong window, const char* name) const {
  return Run("xprop", {QStringLiteral("-id"), QString::number(window), QString::fromLatin1(name)});
}

QRect TDesktop::Geometry(qulonglong window) const {
  const QString info = Run("xwininfo", {QStringLiteral("-id"), QString::number(window)});
  if (!info.contains(QStringLiteral("IsViewable"))) return {};
  auto field = [&](const QString& name) {
    const int at = info.indexOf(name);
    return at < 0 ? 0 : info.mid(at + name.size()).section(QLatin1Char('\n'), 0, 0).trimmed().toInt();
  };
  return {field(QStringLiteral("Absolute upper-left X:")), field(QStringLiteral("Absolute upper-left Y:")),
          field(QStringLiteral("Width:")), field(QStringLiteral("Height:"))};
}

namespace {
// xdotool's pattern (a POSIX extended expression) of exactly this title: only
// its special characters escaped, as GNU reads "\'" as the text's end.
QString ExactName(const QString& title) {
  QString pattern = QStringLiteral("^");
  for (QChar c : title) {
    if (QStringLiteral(".[]{}()*+?^$|\\").contains(c)) pattern += QLatin1Char('\\');
    pattern += c;
  }
  return pattern + QLatin1Char('$');
}
}  // namespace

qulonglong TDesktop::Window(qint64 pid, const QString& title) const {
  const QStringList ids =
      Run("xdotool", {QStringLiteral("search"), QStringLiteral("--all"), QStringLiteral("--onlyvisible"),
                      QStringLiteral("--pid"), QString::number(pid), QStringLiteral("--name"),
                      ExactName(title)})
          .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
  return ids.isEmpty() ? 0 : ids.last().toULongLong();
}

void TDesktop::Key(const QString& keys) const {
  // Several keys, separated by blanks, go one after another as typed.
  QStringList args{QStringLiteral("key"), QStringLiteral("--clearmodifiers"), QStringLiteral("--delay"),
                   QStringLiteral("80")};
  args += keys.split(QLatin1Char(' '), Qt::SkipEmptyParts);
  Run("xdotool", args);
}

void TDesktop::Type(const QString& text, int delayMs) const {
  Run("xdotool", {QStringLiteral("type"), QStringLiteral("--delay"), QString::number(delayMs), text});
}

void TDesktop::Shot(const QString& name) const {
  const QString dir = qEnvironmentVariable("TRELLANE_SCREENSHOTS", QStringLiteral(TRELLANE_SCREENSHOT_DIR));
  QDir().mkpath(dir);
  Run("import",
      {QStringLiteral("-window"), QStringLiteral("root"), dir + QLatin1Char('/') + name + QStringLiteral(".png")});
}

qulonglong TDesktop::WaitForActive(const QString& title, qint64 pid, int timeoutMs) const {
  qulonglong found = 0;
  (void)QTest::qWaitFor(
      [&] {
        const qulonglong w = Active();
        if (w && Title(w).startsWith(title) && (!pid || Pid(w) == pid)) found = w;
        return found != 0;
      },
      timeoutMs);
  return found;
}

qulonglong TDesktop::WaitForWindow(qint64 pid, const QString& title, int timeoutMs) const {
  qulonglong found = 0;
  (void)QTest::qWaitFor([&] { return (found = Window(pid, title)) != 0; }, timeoutMs);
  return found;
}

bool TDesktop::Stays(const std::function<bool()>& holds, int ms) {
  return !QTest::qWaitFor([&] { return !holds(); }, ms);
}
