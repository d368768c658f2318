#include "app/gui/mainwindow.h"

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
#include <cstdio>
#include <ctime>
#include <vector>

#include "app/lists.h"
#include "platform/mdichild.h"
#include "platform/paths.h"
#include "core/units.h"
#include "editor/recovery.h"
#include "app/gui/messagesink.h"
#include "app/gui/preferences.h"
#include "app/gui/programimages.h"
#include "platform/gui/qtext.h"
#include "platform/gui/qtservices.h"
#include "app/gui/splash.h"
#include "store/changes.h"
#include "store/config.h"
#include "store/datafile.h"
#include "store/recordcommands.h"
#include "store/settings.h"
#include "store/tables.h"
#include "app/gui/username.h"

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
  // The notice bar: failures of background saves and other notices that
  // must not take the keyboard.
  lblNotice = pane("lblNotice");
  lblNotice->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
  lblNotice->setAutoFillBackground(true);
  btnNotice = new QToolButton(this);
  btnNotice->setObjectName(QStringLiteral("btnNotice"));
  btnNotice->setFocusPolicy(Qt::NoFocus);
  connect(btnNotice, &QToolButton::clicked, this, [this] {
    if (FailedSave.empty()) ClearNotice();
    else SaveNow();
  });
  statusBar()->addWidget(lblUser);
  statusBar()->addWidget(lblEmpty, 1);
  statusBar()->addWidget(lblNotice, 4);
  statusBar()->addWidget(btnNotice);
  lblNotice->hide();
  btnNotice->hide();
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

  // After a failed background save, another try every ten seconds until one
  // succeeds.
  tmrRetrySave = new QTimer(this);
  tmrRetrySave->setObjectName(QStringLiteral("tmrRetrySave"));
  tmrRetrySave->setInterval(10000);
  connect(tmrRetrySave, &QTimer::timeout, this, &TfrmMain::SaveNow);

  // The editors' recovery copies are written a moment after a change.
  tmrRecovery = new QTimer(this);
  tmrRecovery->setObjectName(QStringLiteral("tmrRecovery"));
  tmrRecovery->setInterval(1000);
  connect(tmrRecovery, &QTimer::timeout, this, [] { FlushRecoveryCopies(); });
  tmrRecovery->start();

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
  if (data && !FailedSave.empty()) ClearNotice();
  return data && config;
}

bool TfrmMain::SaveEverything() {
  Settings.WindowLayout = BuildWindowLayout(true);
  return SaveFiles();
}

void TfrmMain::SaveQuietly() {
  // Only standard error: no box, no question.
  TUserDialogs* previous = SetUserDialogs(nullptr);
  Settings.WindowLayout = BuildWindowLayout(false);
  SaveFiles();
  SetUserDialogs(previous);
}

void TfrmMain::EndWithoutQuestions() {
  Ending = true;
  tmrFinishInitializing->stop();
  // Only standard error: no box, no question.
  TUserDialogs* previous = SetUserDialogs(nullptr);
  const std::string layout = BuildWindowLayout(true);
  // New transits that were never saved go, as "No" to the close question
  // would have them go; their work stays in the recovery copies.
  std::vector<int32_t> newTransits;
  for (TRecoveryKeeper* keeper : RecoveryKeepers())
    if (keeper->IsNewTransit()) newTransits.push_back(keeper->TransitID());
  // Transit editors are deleted, not closed: they ask nothing and write
  // nothing back (their unsaved work goes to their recovery copies). The
  // other windows close as usual (the lists keep their column widths); one
  // that would still stay open is deleted too.
  for (QMdiSubWindow* sub : MdiArea->subWindowList()) {
    TfrmMDIchild* child = ChildOf(sub);
    if (!child || child->ClassName() != "TfrmTransitDetail") sub->close();
  }
  for (QMdiSubWindow* sub : MdiArea->subWindowList()) delete sub;
  FlushRecoveryCopies();
  for (int32_t id : newTransits) {
    const int index = Transits.IndexOfID(id);
    if (index < 0) continue;
    Conduits.DeleteOfTransit(id);
    Transits.Delete(index);
  }
  Settings.WindowLayout = layout;
  SaveFiles();
  SetUserDialogs(previous);
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
  // A background save never shows a box: what it has to say goes to the
  // notice bar.
  TCollectingDialogs collected;
  bool saved = false;
  {
    TUserDialogsScope scope(collected);
    Saving = true;
    saved = SaveDataFile(path);
    Saving = false;
  }
  if (!collected.Messages.empty() || !collected.Errors.empty() || !collected.Notices.empty()) {
    std::string text = collected.Errors;
    for (const std::string* more : {&collected.Messages, &collected.Notices})
      if (!more->empty()) text += (text.empty() ? "" : "\r\r") + *more;
    std::fprintf(stderr, "trellane: %s\n", text.c_str());
  }
  if (!saved) {
    ShowNotice(collected.Errors.empty() ? "Error writing datafile (current changes will not be saved)" : collected.Errors,
               true);
    return;
  }
  if (!FailedSave.empty()) ClearNotice();
  if (!collected.Notices.empty()) ShowNotice(collected.Notices, false);
}

bool TfrmMain::ShowNotice(const std::string& text, bool saveFailure) {
  if (Closing || Ending) return false;
  std::string line = text;
  for (char& c : line)
    if (c == '\r' || c == '\n') c = ' ';
  while (line.find("  ") != std::string::npos) line.erase(line.find("  "), 1);
  if (saveFailure) {
    FailedSave = text;
    if (!tmrRetrySave->isActive()) tmrRetrySave->start();
  } else if (!FailedSave.empty()) {
    return true;  // the failure stays in view; the notice went to standard error
  }
  QPalette palette = lblNotice->palette();
  palette.setColor(QPalette::Window, saveFailure ? QColor(200, 30, 30) : QColor(255, 236, 160));
  palette.setColor(QPalette::WindowText, saveFailure ? Qt::white : Qt::black);
  lblNotice->setPalette(palette);
  lblNotice->setText(Q(line));
  lblNotice->setToolTip(MessageText(text));
  btnNotice->setText(saveFailure ? QStringLiteral("Try again") : QStringLiteral("OK"));
  lblNotice->show();
  btnNotice->show();
  return true;
}

void TfrmMain::ClearNotice() {
  FailedSave.clear();
  tmrRetrySave->stop();
  lblNotice->clear();
  lblNotice->setToolTip(QString());
  lblNotice->hide();
  btnNotice->hide();
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
  if (!Ending) OfferRecoveredWork();
}

void TfrmMain::OfferRecoveredWork() {
  for (const TRecoveryCopy& copy : ReadRecoveryCopies(RecoveryFolder())) {
    if (Ending) return;
    // The record of a new transit may still be there (the program was
    // killed after a background save): it is the one the copy belongs to.
    const int index = Transits.IndexOfID(copy.TransitID);
    const bool recordThere =
        index >= 0 && (!copy.IsNew || Transits.Items(index)->ProjectID == copy.ProjectID);
    const bool home = copy.ProjectID == TemplateProjectID || Projects.IndexOfID(copy.ProjectID) >= 0;
    if (!recordThere && !home) continue;  // nowhere to put it back: kept for later
    const std::string name = TrimBlanks(copy.Model.Name).empty() ? std::string("<no name>") : copy.Model.Name;
    const std::string text = std::string(copy.IsNew ? "The new transit \"" : "The transit \"") + name +
                             "\" had unsaved changes when Trellane last ended.\r\r"
                             "Restore them into its editor, or discard them?";
    QMessageBox box(QMessageBox::Question, QApplication::applicationDisplayName(), MessageText(text),
                    QMessageBox::NoButton, this);
    box.setObjectName(QStringLiteral("msgRecovery"));
    box.setTextFormat(Qt::PlainText);
    QPushButton* restore = box.addButton(QStringLiteral("Restore"), QMessageBox::AcceptRole);
    QPushButton* discard = box.addButton(QStringLiteral("Discard"), QMessageBox::DestructiveRole);
    box.setDefaultButton(restore);
    GuardAnswerKeys(&box);
    box.exec();
    if (Ending) return;
    if (box.clickedButton() == discard) {
      // As "No" to the close question: the work goes, and a new transit with it.
      std::remove(copy.Path.c_str());
      if (copy.IsNew && recordThere) ::DeleteTransit(copy.TransitID);
      continue;
    }
    if (box.clickedButton() != restore) continue;  // no answer: asked again next time
    int32_t id = copy.TransitID;
    if (!recordThere) {
      // A new transit comes back as a new one, in its project.
      id = ::AddTransit(copy.ProjectID);
      NotifyAll(nkTransitChanged, id);
    }
    ShowTransitDetail(id);
    if (copy.IsNew || !recordThere) NotifyAll(nkTransitCreated, id);
    if (TRecoveryKeeper* keeper = RecoveryKeeperOf(id); keeper && keeper->Restore) keeper->Restore(copy.Model);
    if (id != copy.TransitID) std::remove(copy.Path.c_str());
  }
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
  Closing = true;
  struct TClosingGuard {
    bool& Flag;
    ~TClosingGuard() { Flag = false; }
  } closingGuard{Closing};
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
