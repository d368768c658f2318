#pragma once
// Shared pieces of the main window tests: a temporary home for the files,
// stand-in child windows, and an answerer for a row of modal dialogs.
#include <gtest/gtest.h>

#include <QCloseEvent>
#include <QPointer>
#include <QTemporaryDir>
#include <QTimer>
#include <QWidget>
#include <deque>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "platform/mdichild.h"
#include "platform/paths.h"

// A child window of a given class that records what it is told.
class TDummyChild : public QWidget, public TfrmMDIchild {
public:
  explicit TDummyChild(std::string className) : Name(std::move(className)) {
    setMinimumSize(160, 120);
    resize(300, 200);
  }
  std::string ClassName() const override { return Name; }
  void Init(int32_t id) override {
    ViewID = id;
    ++Inits;
  }
  void Notify(uint8_t code, int32_t id) override { Notes.emplace_back(code, id); }
  std::string Name;
  int Inits = 0;
  bool Refuse = false;
  int CloseQuestions = 0;
  int* CloseCount = nullptr;  // counts on after the window is gone
  std::vector<std::pair<int, int>> Notes;

protected:
  void closeEvent(QCloseEvent* event) override {
    ++CloseQuestions;
    if (CloseCount) ++*CloseCount;
    if (Refuse) event->ignore();
  }
};

// Registers a stand-in for every restorable class.
void RegisterDummyChildren();

// Answers modal dialogs one after the other as they show: each answer gets
// the dialog; the texts of answered message boxes are kept.
class TModalAnswers {
public:
  explicit TModalAnswers(std::vector<std::function<void(QWidget*)>> answers);
  // Answers every message box with OK.
  static std::function<void(QWidget*)> Ok();
  static std::function<void(QWidget*)> Button(const char* text);
  bool AllRan() const { return Left.empty(); }
  std::vector<std::string> Texts;

private:
  std::deque<std::function<void(QWidget*)>> Left;
  QTimer Timer;
  QPointer<QWidget> Last;  // null again once that dialog is gone
};

// A temporary folder holding the data file and the configuration, installed
// as the program's places; the tables and settings start empty.
class TProgramFilesTest : public ::testing::Test {
protected:
  void SetUp() override;
  void TearDown() override;
  QTemporaryDir Dir;
  TFilePlaces Places;
};

// ---- definitions

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QMessageBox>

#include "guitest.h"
#include "platform/gui/host.h"
#include "store/datafile.h"
#include "platform/dialogs.h"
#include "store/settings.h"
#include "store/tables.h"

inline void RegisterDummyChildren() {
  for (const char* name : {"TfrmProjectList", "TfrmCustomerList", "TfrmTemplateList", "TfrmProjectDetail",
                           "TfrmTransitList", "TfrmTransitDetail", "TfrmRTFviewer"}) {
    const std::string className = name;
    RegisterChildWindow(className, [className] { return new TDummyChild(className); });
  }
}

inline TModalAnswers::TModalAnswers(std::vector<std::function<void(QWidget*)>> answers)
    : Left(answers.begin(), answers.end()) {
  Timer.setInterval(10);
  QObject::connect(&Timer, &QTimer::timeout, [this] {
    QWidget* modal = QApplication::activeModalWidget();
    if (!modal || !modal->isVisible() || (Last && modal == Last.data()) || Left.empty()) return;
    Last = modal;
    if (auto* box = qobject_cast<QMessageBox*>(modal)) Texts.push_back(box->text().toStdString());
    auto answer = std::move(Left.front());
    Left.pop_front();
    answer(modal);
    if (Left.empty()) Timer.stop();
  });
  Timer.start();
}

inline std::function<void(QWidget*)> TModalAnswers::Ok() {
  return [](QWidget* box) { guitest::ClickMessageBoxButton(box, QMessageBox::Ok); };
}

inline std::function<void(QWidget*)> TModalAnswers::Button(const char* text) {
  const QString caption = QString::fromUtf8(text);
  return [caption](QWidget* dialog) { guitest::ClickButtonWithText(dialog, caption); };
}

inline void TProgramFilesTest::SetUp() {
  ASSERT_TRUE(Dir.isValid());
  Places.ProgramFolder = Dir.filePath(QStringLiteral("bin")).toStdString();
  Places.DataFile = Dir.filePath(QStringLiteral("data/trellane/Trellane.tbs")).toStdString();
  Places.ConfigFile = Dir.filePath(QStringLiteral("config/trellane/Trellane.ini")).toStdString();
  std::string error;
  ASSERT_TRUE(CreateFileFolders(Places, error)) << error;
  SetProgramFiles(Places);
  CloseDataFile();
  Customers.Clear();
  Projects.Clear();
  Transits.Clear();
  Conduits.Clear();
  SetDefaultSettings();
  CurrentUserName = "tester";
  RegisterDummyChildren();
}

inline void TProgramFilesTest::TearDown() {
  CloseDataFile();
  SetProgramFiles({});
  SetUserDialogs(nullptr);
}
