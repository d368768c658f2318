#include "mainwindow.h"

#include <QAction>
#include <QApplication>
#include <QPushButton>
#include <QCloseEvent>
#include <QDate>
#include <QGuiApplication>
#include <QLabel>
#include <QLocale>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMessageBox>
#include <QPainter>
#include <QPointer>
#include <QScreen>
#include <QShortcut>
#include <QStatusBar>
#include <QStyle>
#include <QSvgRenderer>
#include <QTime>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <ctime>

#include "app/mdichild.h"
#include "app/paths.h"
#include "core/units.h"
#include "messagesink.h"
#include "preferences.h"
#include "programimages.h"
#include "qtext.h"
#include "qtservices.h"
#include "splash.h"
#include "store/changes.h"
#include "store/config.h"
#include "store/datafile.h"
#include "store/settings.h"
#include "store/tables.h"
#include "username.h"

namespace {

TfrmMain* TheFrame = nullptr;

// The client area: grey with the logo in the middle, or plain pale green in
// a test build.
class TMdiArea : public QMdiArea {
public:
  TMdiArea(bool testBuild, QWidget* parent) : QMdiArea(parent), ShowLogo(!testBuild) {
    setBackground(testBuild ? QColor(240, 255, 240) : QColor(171, 171, 171));
    if (ShowLogo) Logo.load(QStringLiteral(":/images/logo.svg"));
  }

protected:
  void paintEvent(QPaintEvent* event) override {
    QMdiArea::paintEvent(event);
    if (!ShowLogo || !Logo.isValid()) return;
    QPainter painter(viewport());
    const QSize size(192, 192);
    const QRect target(QPoint((viewport()->width() - size.width()) / 2, (viewport()->height() - size.height()) / 2),
                       size);
    Logo.render(&painter, QRectF(target));
  }

private:
  bool ShowLogo;
  QSvgRenderer Logo;
};

const QList<QKeySequence>& CloseChildKeys() {
  static const QList<QKeySequence> keys{QKeySequence(Qt::CTRL | Qt::Key_W), QKeySequence(Qt::CTRL | Qt::Key_F4)};
  return keys;
}

TfrmMDIchild* ChildOf(QMdiSubWindow* sub) { return sub ? dynamic_cast<TfrmMDIchild*>(sub->widget()) : nullptr; }

}  // namespace

TfrmMain* MainFrame() { return TheFrame; }

TfrmMain::TfrmMain(bool testBuild) : IsTest(testBuild) {
  InitProgramImages();
  setObjectName(QStringLiteral("frmMain"));
  setWindowTitle(QString::fromUtf8(testBuild ? TestBuildCaption : ProgramTitle));
  setWindowIcon(ProgramIcon(QStringLiteral("logo.svg")));
  setMinimumSize(800, 580);
  resize(800, 580);
  if (QScreen* screen = QGuiApplication::primaryScreen())
    move(screen->availableGeometry().center() - QPoint(400, 290));

  MdiArea = new TMdiArea(testBuild, this);
  MdiArea->setObjectName(QStringLiteral("MdiArea"));
  MdiArea->setActivationOrder(QMdiArea::ActivationHistoryOrder);
  setCentralWidget(MdiArea);
  connect(MdiArea, &QMdiArea::subWindowActivated, this, [this](QMdiSubWindow* sub) { ChildUsed(sub); });
  // Ctrl+W and Ctrl+F4 close the active child window. The frame holds the
  // keys itself: each child's own window menu has them too, and with two
  // children open they would be ambiguous and do nothing.
  for (const QKeySequence& keys : CloseChildKeys()) {
    auto* closeChild = new QShortcut(keys, this);
    connect(closeChild, &QShortcut::activated, this, [this] {
      if (QMdiSubWindow* sub = MdiArea->activeSubWindow()) sub->close();
    });
  }
  qApp->installEventFilter(&DialogKeys);

  ToolBar = addToolBar(QStringLiteral("Toolbar"));
  ToolBar->setObjectName(QStringLiteral("ToolBar"));
  ToolBar->setMovable(false);
  ToolBar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
  ToolBar->setIconSize(QSize(24, 24));
  struct TButton {
    const char* name;
    const char* caption;
    const char* image;
    void (TfrmMain::*action)();
  };
  // Each caption has its Alt letter (underlined).
  const TButton buttons[] = {
      {"btnShowProjects", "&Projects   ", "projects.svg", nullptr},
      {"btnCustomers", "&Customers   ", "customers.svg", nullptr},
      {"btnTemplates", "&Templates   ", "templates.svg", nullptr},
      {"btnUnitChange", "&mm<>inch   ", "unitchange.svg", &TfrmMain::SwitchUnit},
      {"btnPreferences", "Pre&ferences   ", "preferences.svg", &TfrmMain::ShowPreferences},
      {"btnVersion", "&Version   ", "version.svg", &TfrmMain::ShowAbout},
  };
  for (const TButton& b : buttons) {
    QAction* action = ToolBar->addAction(ProgramIcon(QString::fromLatin1(b.image)), QString::fromLatin1(b.caption));
    action->setObjectName(QString::fromLatin1(b.name));
    action->setIconText(QString::fromLatin1(b.caption));  // the blanks after the caption stay
    if (QWidget* button = ToolBar->widgetForAction(action)) {
      button->setObjectName(QString::fromLatin1(b.name));
      button->setToolTipDuration(3600000);  // hints stay for an hour
      button->setFocusPolicy(Qt::TabFocus);   // in the Tab chain, for the keyboard
    }
    const std::string name = b.name;
    const auto member = b.action;
    connect(action, &QAction::triggered, this, [this, name, member] {
      if (member) (this->*member)();
      else if (name == "btnShowProjects") ShowProjectList();
      else if (name == "btnCustomers") ShowCustomerList();
      else ShowTemplateList();
    });
  }

  auto pane = [this](const char* name) {
    auto* label = new QLabel(this);
    label->setObjectName(QString::fromLatin1(name));
    label->setContentsMargins(4, 0, 4, 0);
    return label;
  };
  lblUser = pane("lblUser");
  lblEmpty = pane("lblEmpty");
  lblUnit = pane("lblUnit");
  lblDate = pane("lblDate");
  lblTime = pane("lblTime");
  lblUser->setMinimumWidth(160);
  statusBar()->addWidget(lblUser);
  statusBar()->addWidget(lblEmpty, 1);
  statusBar()->addPermanentWidget(lblUnit);
  statusBar()->addPermanentWidget(lblDate);
  statusBar()->addPermanentWidget(lblTime);
  ShowUnit();
  ShowClock();

  tmrClock = new QTimer(this);
  tmrClock->setObjectName(QStringLiteral("tmrClock"));
  tmrClock->setInterval(1000);
  connect(tmrClock, &QTimer::timeout, this, &TfrmMain::ShowClock);
  tmrClock->start();

  tmrSaveSoon = new QTimer(this);
  tmrSaveSoon->setObjectName(QStringLiteral("tmrSaveSoon"));
  tmrSaveSoon->setSingleShot(true);
  tmrSaveSoon->setTimerType(Qt::PreciseTimer);
  tmrSaveSoon->setInterval(1000);
  connect(tmrSaveSoon, &QTimer::timeout, this, &TfrmMain::SaveNow);

  tmrFinishInitializing = new QTimer(this);
  tmrFinishInitializing->setObjectName(QStringLiteral("tmrFinishInitializing"));
  tmrFinishInitializing->setSingleShot(true);
  tmrFinishInitializing->setInterval(200);
  connect(tmrFinishInitializing, &QTimer::timeout, this, &TfrmMain::FinishInitializing);
  tmrFinishInitializing->start();

  TheFrame = this;
  SetMdiHost(this);
  SetChildOrder([this] {
    std::vector<TfrmMDIchild*> order;
    const auto windows = MdiArea->subWindowList(QMdiArea::StackingOrder);
    for (auto it = windows.rbegin(); it != windows.rend(); ++it)
      if (TfrmMDIchild* child = ChildOf(*it)) order.push_back(child);
    return order;
  });
  SetFrameListener([this](uint8_t code, int32_t) {
    if (code == nkUnitChanged) ShowUnit();
  });
  SetTablesChangedListener([this] { SaveSoon(); });
}

TfrmMain::~TfrmMain() {
  qApp->removeEventFilter(&DialogKeys);
  SetTablesChangedListener({});
  SetFrameListener({});
  SetChildOrder({});
  if (MdiHost() == this) SetMdiHost(nullptr);
  // Children first, while the registry and the host still stand.
  for (QMdiSubWindow* sub : MdiArea->subWindowList()) delete sub;
  if (TheFrame == this) TheFrame = nullptr;
}

QMdiSubWindow* TfrmMain::SubWindowOf(QWidget* child) {
  return child ? qobject_cast<QMdiSubWindow*>(child->parentWidget()) : nullptr;
}

void TfrmMain::AddChild(QWidget* window) {
  const QSize own = window->testAttribute(Qt::WA_Resized) ? window->size() : window->sizeHint();
  QMdiSubWindow* sub = MdiArea->addSubWindow(window);
  sub->setAttribute(Qt::WA_DeleteOnClose);
  // The child keeps its own size, within the frame's client area (but never
  // below its minimum); the frame adds its border and title.
  const int border = sub->style()->pixelMetric(QStyle::PM_MdiSubWindowFrameWidth, nullptr, sub);
  const int title = sub->style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, sub);
  QSize inner = own;
  const QSize room = MdiArea->viewport()->size() - QSize(2 * border, title + border);
  if (room.width() > 200 && room.height() > 200) inner = inner.boundedTo(room);
  inner = inner.expandedTo(window->minimumSize());
  window->resize(inner);
  sub->resize(inner + QSize(2 * border, title + border));
  int left = 0, top = 0;
  Cascade.Place(MdiArea->subWindowList().size() == 1, sub->width(), sub->height(), MdiArea->viewport()->width(),
                MdiArea->viewport()->height(), left, top);
  sub->move(left, top);
  sub->installEventFilter(this);
  // Its window menu's close entry keeps no keys: the frame's own do it.
  if (QMenu* menu = sub->systemMenu())
    for (QAction* action : menu->actions()) {
      QList<QKeySequence> keys = action->shortcuts();
      const auto taken = std::remove_if(keys.begin(), keys.end(), [](const QKeySequence& k) {
        return CloseChildKeys().contains(k);
      });
      if (taken != keys.end()) {
        keys.erase(taken, keys.end());
        action->setShortcuts(keys);
      }
    }
  sub->show();
  MdiArea->setActiveSubWindow(sub);
}

void TfrmMain::ChildUsed(QMdiSubWindow* sub) {
  if (!sub || sub == Leaving || sub->isHidden()) return;
  std::erase_if(UsedChildren, [sub](const QPointer<QMdiSubWindow>& p) { return !p || p == sub; });
  UsedChildren.emplace_back(sub);
}

QMdiSubWindow* TfrmMain::LastUsedChild() const {
  for (auto it = UsedChildren.rbegin(); it != UsedChildren.rend(); ++it)
    if (*it && *it != Leaving && !(*it)->isHidden()) return *it;
  return nullptr;
}

bool TfrmMain::eventFilter(QObject* watched, QEvent* event) {
  // A child window closing: the one used before it comes forward, not the
  // frame's oldest. The frame moves the focus on as the window hides; that
  // is put right once the close is done.
  if (event->type() == QEvent::Hide && !Ending) {
    auto* sub = qobject_cast<QMdiSubWindow*>(watched);
    if (sub && sub->mdiArea() == MdiArea && sub->isHidden()) {  // closed, not just the frame hidden
      Leaving = sub;
      QTimer::singleShot(0, this, &TfrmMain::ActivateLastUsed);
    }
  }
  return QMainWindow::eventFilter(watched, event);
}

void TfrmMain::ActivateLastUsed() {
  QMdiSubWindow* next = LastUsedChild();
  Leaving = nullptr;
  if (Ending) return;
  std::erase_if(UsedChildren, [](const QPointer<QMdiSubWindow>& p) { return !p || p->isHidden(); });
  if (next) {
    MdiArea->setActiveSubWindow(next);
    ChildUsed(next);
  } else if (MdiArea->subWindowList().isEmpty() || !MdiArea->activeSubWindow()) {
    // Nothing open: the keyboard goes to the toolbar, where everything starts.
    if (QWidget* first = ToolBar->widgetForAction(ToolBar->actions().value(0))) first->setFocus(Qt::OtherFocusReason);
  }
}

QWidget* TfrmMain::ShowChild(const std::string& className, int32_t id, bool perRecord) {
  const auto windows = MdiArea->subWindowList(QMdiArea::StackingOrder);
  for (auto it = windows.rbegin(); it != windows.rend(); ++it) {
    TfrmMDIchild* child = ChildOf(*it);
    if (!child || child->ClassName() != className || (perRecord && child->ViewID != id)) continue;
    QMdiSubWindow* sub = *it;
    if (sub->isMinimized()) sub->showNormal();
    sub->show();
    MdiArea->setActiveSubWindow(sub);
    return sub->widget();
  }
  QWidget* widget = CreateChildWindow(className);
  if (!widget) return nullptr;
  TfrmMDIchild* child = dynamic_cast<TfrmMDIchild*>(widget);
  if (!child) {
    delete widget;
    return nullptr;
  }
  child->Init(perRecord ? id : 0);
  if (perRecord && child->ViewID == 0) child->ViewID = id;
  AddChild(widget);
  return widget;
}

QWidget* TfrmMain::ShowTransitDetail(int32_t id) {
  const bool existed = [&] {
    for (TfrmMDIchild* child : OpenChildWindows())
      if (child->ClassName() == "TfrmTransitDetail" && child->ViewID == id) return true;
    return false;
  }();
  QWidget* editor = ShowChild("TfrmTransitDetail", id, true);
  if (editor && !existed && Settings.FixedWindow) {
    if (QMdiSubWindow* sub = SubWindowOf(editor)) {
      // A single border: no maximise button, fixed at the smallest size.
      sub->setWindowFlags(sub->windowFlags() & ~Qt::WindowMaximizeButtonHint);
      editor->resize(editor->minimumSize().expandedTo(editor->minimumSizeHint()));
      sub->adjustSize();
      sub->setFixedSize(sub->size());
      sub->show();
    }
  }
  return editor;
}

void TfrmMain::StartUpdateCheck(bool silent) {
  if (WindowHooks().StartUpdateCheck) WindowHooks().StartUpdateCheck(silent);
}

std::string TfrmMain::BuildWindowLayout(bool normalise) {
  std::string layout;
  // Stacking order is back-most first: the last of the child order first.
  for (QMdiSubWindow* sub : MdiArea->subWindowList(QMdiArea::StackingOrder)) {
    TfrmMDIchild* child = ChildOf(sub);
    if (!child || child->ClassName().empty()) continue;
    if (normalise && (sub->isMaximized() || sub->isMinimized())) sub->showNormal();
    const QRect r = sub->isMaximized() || sub->isMinimized() ? sub->normalGeometry() : sub->geometry();
    TWindowLayoutEntry entry;
    entry.ViewID = child->ViewID;
    entry.Width = r.width();
    entry.Height = r.height();
    entry.Left = r.left();
    entry.Top = r.top();
    entry.ClassName = child->ClassName();
    layout += WindowLayoutRecord(entry);
  }
  return layout;
}

bool TfrmMain::SaveFiles() {
  tmrSaveSoon->stop();
  const TFilePlaces& places = ProgramFiles();
  Saving = true;
  const bool data = SaveDataFile(places.DataFile);
  const bool config = SaveConfiguration(places.ConfigFile);
  Saving = false;
  return data && config;
}

bool TfrmMain::SaveEverything() {
  Settings.WindowLayout = BuildWindowLayout(true);
  return SaveFiles();
}

void TfrmMain::SaveQuietly() {
  TStderrMessageSink quiet;
  TMessageSink* previous = SetMessageSink(&quiet);
  Settings.WindowLayout = BuildWindowLayout(false);
  SaveFiles();
  SetMessageSink(previous);
}

void TfrmMain::EndWithoutQuestions() {
  Ending = true;
  tmrFinishInitializing->stop();
  TStderrMessageSink quiet;
  TMessageSink* previous = SetMessageSink(&quiet);
  const std::string layout = BuildWindowLayout(true);
  // Transit editors are deleted, not closed: they ask nothing and write
  // nothing back. The other windows close as usual (the lists keep their
  // column widths); one that would still stay open is deleted too.
  for (QMdiSubWindow* sub : MdiArea->subWindowList()) {
    TfrmMDIchild* child = ChildOf(sub);
    if (!child || child->ClassName() != "TfrmTransitDetail") sub->close();
  }
  for (QMdiSubWindow* sub : MdiArea->subWindowList()) delete sub;
  Settings.WindowLayout = layout;
  SaveFiles();
  SetMessageSink(previous);
}

void TfrmMain::SaveSoon() {
  // The first change of a burst starts the clock; the rest ride along.
  if (!tmrSaveSoon->isActive()) tmrSaveSoon->start();
}

void TfrmMain::SaveNow() {
  if (Saving) {  // a save (with its message box) is still running
    tmrSaveSoon->start();
    return;
  }
  const std::string& path = ProgramFiles().DataFile;
  if (path.empty()) return;
  Saving = true;
  SaveDataFile(path);
  Saving = false;
}

void TfrmMain::ShowUnit() { lblUnit->setText(Q(LengthUnitName())); }

void TfrmMain::ShowClock() {
  // The date as the lists and the editor write theirs (the system's short date).
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  char date[64] = "";
  if (localtime_r(&now, &local)) std::strftime(date, sizeof date, "%x", &local);
  lblDate->setText(QString::fromLocal8Bit(date));
  lblTime->setText(QLocale().toString(QTime::currentTime(), QLocale::ShortFormat));
}

void TfrmMain::SwitchUnit() {
  CurrentLengthUnit = CurrentLengthUnit == luMillimetre ? luInch : luMillimetre;
  NotifyAll(nkUnitChanged, 0);
}

void TfrmMain::ShowPreferences() {
  TfrmPreferences dialog(this);
  dialog.exec();
}

void TfrmMain::ShowAbout() {
  SaveAll();
  TfrmSplash about(true, this);
  about.exec();
}

QSize TfrmMain::RestoreAreaSize() const {
  // The frame is maximised right after the windows are restored: fit them
  // into the client area it will have then.
  QSize area = MdiArea->viewport()->size();
  if (QScreen* screen = this->screen()) {
    const QSize decoration = size() - MdiArea->viewport()->size();
    area = area.expandedTo(screen->availableGeometry().size() - decoration);
  }
  return area;
}

void TfrmMain::RestoreWindows() {
  if (!Settings.SaveWindowPositionsOnExit) Settings.WindowLayout.clear();
  std::vector<TWindowLayoutEntry> entries;
  std::string failure;
  try {
    ParseWindowLayout(Settings.WindowLayout, entries);
  } catch (const std::exception& e) {
    failure = e.what();  // the records before the bad one still open
  }
  const QSize area = RestoreAreaSize();
  bool opened = false;
  for (const TWindowLayoutEntry& entry : entries) {
    QWidget* window = nullptr;
    const std::string& name = entry.ClassName;
    if (name == "TfrmProjectList") window = ShowProjectList();
    else if (name == "TfrmCustomerList") window = ShowCustomerList();
    else if (name == "TfrmTemplateList") window = ShowTemplateList();
    else if (name == "TfrmProjectDetail" && Projects.IndexOfID(entry.ViewID) >= 0)
      window = ShowProjectDetail(entry.ViewID);
    else if (name == "TfrmTransitList" && Projects.IndexOfID(entry.ViewID) >= 0)
      window = ShowTransitList(entry.ViewID);
    else if (name == "TfrmTransitDetail" && Transits.IndexOfID(entry.ViewID) >= 0)
      window = ShowTransitDetail(entry.ViewID);
    QMdiSubWindow* sub = SubWindowOf(window);
    if (!sub) continue;
    opened = true;
    TWindowRect rect{entry.Left, entry.Top, entry.Width, entry.Height};
    const QSize minimum = sub->minimumSize().expandedTo(sub->minimumSizeHint());
    if (FitRestoredRect(rect, area.width(), area.height(), minimum.width(), minimum.height()) &&
        !(sub->minimumSize() == sub->maximumSize()))
      sub->setGeometry(rect.Left, rect.Top, rect.Width, rect.Height);
    else if (sub->minimumSize() == sub->maximumSize() && FitRestoredRect(rect, area.width(), area.height(), 0, 0))
      sub->move(rect.Left, rect.Top);  // a fixed-size editor keeps its size
  }
  if (!failure.empty()) ShowFailure(this, failure);
  if (!opened) ShowProjectList();
}

void TfrmMain::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  if (Shown) return;
  Shown = true;
  ShowSplash(false);
  RestoreWindows();
}

void TfrmMain::FinishInitializing() {
  showMaximized();
  if (!IsTest && Settings.AutoUpdate) StartUpdateCheck(true);
  {
    TfrmUsername dialog(this, IsTest);
    dialog.exec();
  }
  if (!Ending) lblUser->setText(QStringLiteral("User: ") + Q(CurrentUserName));
}

void TfrmMain::closeEvent(QCloseEvent* event) {
  if (Ending) {
    event->accept();
    return;
  }
  // The layout first, while every child is still open.
  const std::string layout = BuildWindowLayout(true);
  MdiArea->closeAllSubWindows();
  for (QMdiSubWindow* sub : MdiArea->subWindowList())
    if (sub->isVisible()) {  // a child said no
      event->ignore();
      return;
    }
  Settings.WindowLayout = layout;
  while (!SaveFiles()) {
    QMessageBox box(QMessageBox::Critical, QApplication::applicationDisplayName(),
                    QStringLiteral("Trellane could not save everything, so it stays open.\n\n"
                                   "Try again, quit without saving, or cancel to go on working."),
                    QMessageBox::NoButton, this);
    box.setObjectName(QStringLiteral("msgSaveFailed"));
    QPushButton* retry = box.addButton(QStringLiteral("Try again"), QMessageBox::AcceptRole);
    QPushButton* quit = box.addButton(QStringLiteral("Quit without saving"), QMessageBox::DestructiveRole);
    box.addButton(QMessageBox::Cancel);
    box.setDefaultButton(retry);
    box.exec();
    if (box.clickedButton() == retry) continue;
    if (box.clickedButton() == quit) break;
    event->ignore();
    return;
  }
  Ending = true;
  event->accept();
}
