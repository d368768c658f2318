#pragma once
// Shared pieces of the list window tests: a frame with the list windows
// registered, a stand-in transit editor, a scripted answer to each modal
// dialog in turn, and export files chosen without a dialog.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAbstractItemModelTester>
#include <QLabel>
#include <QApplication>
#include <QHeaderView>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QTest>
#include <QTimer>
#include <QTreeView>
#include <QVBoxLayout>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>

#include "app/lists.h"
#include "platform/mdichild.h"
#include "core/units.h"
#include "guitest.h"
#include "platform/gui/host.h"
#include "app/gui/listwindow.h"
#include "app/gui/listwindows.h"
#include "store/changes.h"
#include "store/settings.h"
#include "store/tables.h"
#include "testframe.h"

namespace liststest {

// Stands in for the transit editor: records what it is told.
class TDummyEditor : public QWidget, public TfrmMDIchild {
public:
  TDummyEditor() {
    setObjectName(QStringLiteral("TfrmTransitDetail"));
    auto* layout = new QVBoxLayout(this);
    Name = new QLineEdit(QStringLiteral("New template 1"), this);
    Name->setObjectName(QStringLiteral("edtTransitName"));
    layout->addWidget(Name);
    resize(200, 80);
  }
  void Init(int32_t id) override { ViewID = id; }
  void Notify(uint8_t code, int32_t id) override { Told().emplace_back(code, id); }
  std::string ClassName() const override { return "TfrmTransitDetail"; }
  static std::vector<std::pair<int, int32_t>>& Told() {
    static std::vector<std::pair<int, int32_t>> told;
    return told;
  }
  QLineEdit* Name;
};

// Answers the modal dialogs that open, one step per dialog in order. A
// dialog beyond the script is rejected and fails the test, so that nothing hangs.
class TModalScript {
public:
  using Step = std::function<void(QWidget*)>;
  explicit TModalScript(std::vector<Step> steps) : Steps(std::move(steps)) {
    QObject::connect(&Timer, &QTimer::timeout, [this] { Poll(); });
    Timer.start(5);
  }
  ~TModalScript() { EXPECT_EQ(Next, Steps.size()) << "dialogs answered"; }
  QStringList Texts;  // the texts of the message boxes answered

private:
  void Poll() {
    QWidget* modal = QApplication::activeModalWidget();
    if (!modal || !modal->isVisible() || modal == Last) return;
    Last = modal;
    if (auto* box = qobject_cast<QMessageBox*>(modal)) Texts << box->text();
    if (Next >= Steps.size()) {
      ADD_FAILURE() << "unexpected dialog " << modal->windowTitle().toStdString() << ": "
                    << (Texts.isEmpty() ? std::string() : Texts.last().toStdString());
      QMetaObject::invokeMethod(modal, "reject", Qt::QueuedConnection);
      return;
    }
    Steps[Next++](modal);
  }
  std::vector<Step> Steps;
  size_t Next = 0;
  QTimer Timer;
  QPointer<QWidget> Last;
};

// Clicks a message box button.
inline TModalScript::Step Press(int button) {
  return [button](QWidget* box) { guitest::ClickMessageBoxButton(box, button); };
}

class TListsTest : public ::testing::Test {
protected:
  TListsTest() {
    ClearTables();
    SetDefaultSettings();
    CurrentUserName = "tester";
    RegisterListWindows();
    RegisterChildWindow("TfrmTransitDetail", [] { return new TDummyEditor; });
    TDummyEditor::Told().clear();
    SetTablesChangedListener([this] { ++Changes; });
    SetFileDialog([this](QWidget*, bool save, const QString& proposed, const QString& filter, const QString& suffix) {
      Asked.push_back({save, proposed, filter, suffix});
      return NextFile;
    });
    char pattern[] = "/tmp/trellane-listgui-XXXXXX";
    Dir = mkdtemp(pattern);
    Frame = std::make_unique<TTestFrame>();
    Frame->show();
  }
  ~TListsTest() override {
    Frame.reset();
    guitest::ProcessEvents();
    SetFileDialog({});
    SetTablesChangedListener({});
    ClearTables();
    SetDefaultSettings();
    CurrentUserName.clear();
    std::filesystem::remove_all(Dir);
  }
  static void ClearTables() {
    Customers.Clear();
    Projects.Clear();
    Transits.Clear();
    Conduits.Clear();
  }
  QString Path(const std::string& name) const { return QString::fromStdString((Dir / name).string()); }

  static int32_t NewProject(const std::string& name) {
    TRecProject* p = Projects.Items(Projects.Add());
    p->Name = name;
    p->Created = p->Modified = 45000;
    return p->ID;
  }
  static int32_t NewTransit(int32_t projectId, const std::string& name, double width = 100000, int conduits = 1) {
    const int index = Transits.Add();
    InitTransitRecord(index);
    TRecTransit* t = Transits.Items(index);
    t->ProjectID = projectId;
    t->Name = name;
    t->Width = width;
    for (int i = 0; i < conduits; ++i) {
      TRecConduit* c = Conduits.Items(Conduits.Add());
      c->TransitID = t->ID;
      c->OuterDiameter = 15000;
      c->Amount = 3;
    }
    return t->ID;
  }

  template <class W>
  W* Show(QWidget* widget) {
    W* window = dynamic_cast<W*>(widget);
    EXPECT_NE(window, nullptr);
    if (auto* list = dynamic_cast<TListWindow*>(widget))
      new QAbstractItemModelTester(list->Model, QAbstractItemModelTester::FailureReportingMode::Warning, list->Model);
    guitest::ProcessEvents();
    return window;
  }
  // The texts of one column, top to bottom.
  static QStringList ColumnTexts(TListWindow* list, int column) {
    QStringList texts;
    for (int row = 0; row < list->Model->rowCount(); ++row)
      texts << list->Model->index(row, column).data().toString();
    return texts;
  }
  static void Select(TListWindow* list, int32_t id) { list->SelectID(id); }
  static void Click(QWidget* window, const char* button) {
    auto* b = guitest::Child<QAbstractButton>(window, button);
    if (b) b->click();
  }
  static void ClickHeader(TListWindow* list, int column) {
    QHeaderView* header = list->List->header();
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                      QPoint(header->sectionViewportPosition(column) + 4, header->height() / 2));
  }

  struct TAsked {
    bool save;
    QString proposed, filter, suffix;
  };
  std::filesystem::path Dir;
  std::unique_ptr<TTestFrame> Frame;
  std::vector<TAsked> Asked;
  QString NextFile;
  int Changes = 0;
};

}  // namespace liststest
