#pragma once
// A desktop of its own for tests that run the real program: an X server
// (Xvfb on the first free display) with, unless told otherwise, the openbox
// window manager on it. What shows in front and what holds the keyboard is
// read from the window manager's root properties; keys go in through xdotool.
#include <QProcess>
#include <QRect>
#include <QSize>
#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

class TDesktop {
public:
  TDesktop() = default;
  TDesktop(const TDesktop&) = delete;
  TDesktop& operator=(const TDesktop&) = delete;
  ~TDesktop();

  // Starts the server with this screen and, when windowManager, openbox.
  // On failure, why says what went wrong; it starts with "no " when a tool
  // is not installed (the test skips) and otherwise the test fails.
  bool Start(QSize screen, QString& why, bool windowManager = true);

  // The environment for a program on this display: the xcb platform, no
  // scale factor, and its home with the desktop's data, configuration,
  // state, cache and runtime folders under it (home/data, home/config ...).
  QProcessEnvironment ProgramEnvironment(const QString& home) const;
  // Starts the program on this display with ProgramEnvironment(home).
  bool Launch(QProcess& process, const QString& program, const QStringList& args, const QString& home) const;

  // Runs a tool on this display and returns what it printed, trimmed.
  QString Run(const char* tool, const QStringList& args) const;

  // The managed windows, bottom first (the last is on top).
  std::vector<qulonglong> Stacking() const;
  // The window that holds the keyboard, 0 when none.
  qulonglong Active() const;
  QString Title(qulonglong window) const;
  qint64 Pid(qulonglong window) const;
  // One property of a window as xprop prints it.
  QString Property(qulonglong window, const char* name) const;
  // Where the window shows on the screen; empty when it is not viewable.
  QRect Geometry(qulonglong window) const;
  // The process's viewable window with exactly this title (the newest when
  // there are more), 0 when none. Needs no window manager.
  qulonglong Window(qint64 pid, const QString& title) const;

  // Keys as xdotool names them ("Return", "ctrl+F4"; several separated by
  // blanks), to the active window.
  void Key(const QString& keys) const;
  void Type(const QString& text, int delayMs) const;
  // A picture of the whole screen as name.png in the screenshot folder.
  void Shot(const QString& name) const;

  // Waits for the keyboard to go to a window whose title starts with title
  // (and, when given, of that process); returns it or 0.
  qulonglong WaitForActive(const QString& title, qint64 pid = 0, int timeoutMs = 15000) const;
  // Waits for Window(pid, title); returns it or 0.
  qulonglong WaitForWindow(qint64 pid, const QString& title, int timeoutMs = 15000) const;
  // Whether holds stays true, looked at again and again for ms (for what
  // must not change, such as a box waiting for its answer).
  static bool Stays(const std::function<bool()>& holds, int ms);

  QSize Screen;
  QString Display;
  // The system's environment with this display.
  QProcessEnvironment Env;

private:
  QProcess X, Wm;
};
