#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QPainter>
#include <QSvgRenderer>
#include <QTest>
#include <filesystem>

#include "guitest.h"
#include "platform/gui/host.h"
#include "update/gui/installerdialog.h"
#include "update/signature.h"
#include "platform/gui/qtservices.h"
#include "update/gui/updateform.h"
#include "updateserver.h"
#include "update/gui/updatewindows.h"
#include "update/selfinstall.h"

using namespace updatetest;

namespace {

const char* Connect =
    "Can't connect to the update-server, please check that this\ncomputer is connected to the Internet or try again "
    "later.";
const char* DownloadError =
    "There was an error while downloading new updates.\nPlease try again later or contact your supplier.";

class UpdateDialog : public ::testing::Test {
protected:
  TTempFolder Folder;
  TTestKeys Keys{Folder.Path()};
  std::string Web = Folder / "www";
  std::string Program = Folder / "program";
  std::unique_ptr<TWebServer> Server;
  TUpdateConfig Config;
  std::vector<std::string> Started, Opened;
  // The real boxes; the opener and program starts recorded.
  struct TDialogs : TQtDialogs {
    UpdateDialog& Test;
    explicit TDialogs(UpdateDialog& test) : Test(test) {}
    bool OpenWithDesktop(const std::string& url) override {
      Test.Opened.push_back(url);
      return true;
    }
    bool StartProgram(const std::string& path, const std::vector<std::string>& = {}) override {
      Test.Started.push_back(path);
      return true;
    }
  } Dialogs{*this};
  int Closed = 0;
  int Terminated = 0;

  void SetUp() override {
    std::filesystem::create_directory(Web);
    std::filesystem::create_directory(Program);
    Server = std::make_unique<TWebServer>(Keys, Web);
    Config.ServerURL = Server->URL();
    Config.PublicKey = Keys.PublicKey;
    Config.CaFile = Keys.CaFile;
    Config.ProgramDir = Program + "/";
    Config.VersionText = UpdateProgramVersionText;
    Config.WebPage = "https://trellane.example/";
    Config.ConnectTimeoutSeconds = 3;
    Config.StallTimeoutSeconds = 2;
    Config.Dialogs = &Dialogs;
    Config.CloseApplication = [this] {
      ++Closed;
      return true;
    };
    Config.TerminateApplication = [this] { ++Terminated; };
  }
  void Publish(const std::string& version, const std::string& content, const std::string& served,
               const std::string& base = {}) {
    WriteFile(Web + "/update", served);
    WriteFile(Web + "/update.txt", "#version=" + version +
                                       "\r\n#formcaption=Trellane update\r\n#message=[Version " + version +
                                       " is out.\r\nUpdate now?]\r\n#executefile=update\r\n"
                                       "#applicationterminate=true\r\n" +
                                       FileLines(1, base.empty() ? Server->URL() : base, "update", content));
    ASSERT_TRUE(Keys.Sign(Web + "/update.txt"));
  }
  // Waits until the check is over and its dialog gone.
  void WaitForEnd(int ms = 15000) {
    EXPECT_TRUE(QTest::qWaitFor([] { return TfrmUpdate::Running() == nullptr; }, ms));
    guitest::ProcessEvents();
  }
  static std::function<void(QWidget*)> Click(int button) {
    return [button](QWidget* box) { guitest::ClickMessageBoxButton(box, button); };
  }
};

TEST_F(UpdateDialog, NoUpdateIsToldOnlyWhenAskedAndClearsTheDownloadFolder) {
  Publish("3.16.1", "x", "x");
  guitest::ModalAnswer answer(Click(QMessageBox::Ok));
  ASSERT_NE(TfrmUpdate::StartUpdateCheck(false, Config, nullptr), nullptr);
  WaitForEnd();
  EXPECT_TRUE(answer.Ran());
  EXPECT_EQ(answer.Text(), QStringLiteral("No new updates available."));
  EXPECT_FALSE(Exists(Program + "/_NewVersion"));

  std::filesystem::create_directory(Program + "/_NewVersion");
  // A box would come up while the check still runs: it would be answered
  // and counted before the check ends.
  guitest::ModalAnswer none(Click(QMessageBox::Ok), 15000);
  TfrmUpdate::StartUpdateCheck(true, Config, nullptr);
  WaitForEnd();
  EXPECT_FALSE(none.Ran());
  EXPECT_FALSE(Exists(Program + "/_NewVersion"));
}

TEST_F(UpdateDialog, ServerDownGivesTheConnectionTextUnlessSilent) {
  Config.ServerURL = "https://127.0.0.1:9/";
  guitest::ModalAnswer answer(Click(QMessageBox::Ok));
  TfrmUpdate::StartUpdateCheck(false, Config, nullptr);
  WaitForEnd();
  EXPECT_EQ(answer.Text(), QString::fromLatin1(Connect));

  guitest::ModalAnswer none(Click(QMessageBox::Ok), 15000);
  TfrmUpdate::StartUpdateCheck(true, Config, nullptr);
  WaitForEnd();
  EXPECT_FALSE(none.Ran());
}

TEST_F(UpdateDialog, SilentCheckAsksShowsProgressThenRestarts) {
  const std::string program(200 * 1024, 'p');
  // The file comes slowly from a server of our own, so that the progress shows.
  TRawServer slow(Keys, [&](const std::string&, auto& c) {
    c.Send("HTTP/1.0 200 OK\r\nContent-Length: " + std::to_string(program.size()) + "\r\n\r\n");
    for (size_t at = 0; at < program.size(); at += 8192) {
      if (!c.Send(program.substr(at, 8192))) return;
      c.Wait(20);
    }
  });
  Publish("3.17.0", program, "", slow.URL());
  guitest::ModalAnswer question(Click(QMessageBox::Yes));
  TfrmUpdate* form = TfrmUpdate::StartUpdateCheck(true, Config, nullptr);
  EXPECT_EQ(TfrmUpdate::StartUpdateCheck(false, Config, nullptr), form);  // one check at a time
  ASSERT_TRUE(QTest::qWaitFor([&] { return question.Ran(); }, 10000));
  EXPECT_EQ(question.Text(), QStringLiteral("Version 3.17.0 is out.\nUpdate now?"));
  guitest::ModalAnswer finished(Click(QMessageBox::Ok), 15000);
  ASSERT_TRUE(QTest::qWaitFor([&] { return TfrmUpdate::Running() && TfrmUpdate::Running()->isVisible(); }, 10000));
  TfrmUpdate* shown = TfrmUpdate::Running();
  EXPECT_EQ(shown->windowTitle(), QStringLiteral("Downloading new version"));
  EXPECT_TRUE(shown->windowFlags() & Qt::WindowStaysOnTopHint);
  EXPECT_TRUE(QTest::qWaitFor([&] { return guitest::Child<QProgressBar>(shown, "pbProgress")->value() > 20; }, 5000));
  guitest::SaveScreenshot(shown, QStringLiteral("update_progress"));
  WaitForEnd();
  EXPECT_EQ(finished.Text(), QStringLiteral("Updates have been downloaded.\nPlease press OK to restart Trellane."));
  EXPECT_EQ(Closed, 1);
  EXPECT_EQ(Terminated, 1);
  EXPECT_EQ(Started, std::vector<std::string>{Program + "/_NewVersion/update"});
  EXPECT_EQ(ReadFile(Program + "/_NewVersion/update"), program);
}

TEST_F(UpdateDialog, ClosingTheProgressWindowAbortsTheDownload) {
  const std::string program(100 * 1024, 'p');
  TRawServer slow(Keys, [&](const std::string&, auto& c) {
    c.Send("HTTP/1.0 200 OK\r\nContent-Length: " + std::to_string(program.size()) + "\r\n\r\n");
    for (size_t at = 0; at < program.size(); at += 1024) {
      if (!c.Send(program.substr(at, 1024))) return;
      c.Wait(100);
    }
  });
  Publish("3.17.0", program, "", slow.URL());
  guitest::ModalAnswer question(Click(QMessageBox::Yes));
  guitest::ModalAnswer noMessage(Click(QMessageBox::Ok), 20000);
  TfrmUpdate::StartUpdateCheck(false, Config, nullptr);
  ASSERT_TRUE(QTest::qWaitFor([&] { return TfrmUpdate::Running() && TfrmUpdate::Running()->isVisible(); }, 10000));
  QTest::keyClick(TfrmUpdate::Running(), Qt::Key_Escape);
  WaitForEnd(5000);
  EXPECT_FALSE(noMessage.Ran());
  EXPECT_TRUE(Started.empty());
  EXPECT_FALSE(Exists(Program + "/_NewVersion/update"));
}

TEST_F(UpdateDialog, TamperedDownloadGivesTheDownloadText) {
  Publish("3.17.0", "new program", "evil program");
  {
    guitest::ModalAnswer question(Click(QMessageBox::Yes));
    TfrmUpdate::StartUpdateCheck(true, Config, nullptr);
    ASSERT_TRUE(QTest::qWaitFor([&] { return question.Ran(); }, 10000));
    guitest::ModalAnswer error(Click(QMessageBox::Ok), 10000);
    WaitForEnd();
    // Silent: the failure after the question is not told.
    EXPECT_FALSE(error.Ran());
  }

  guitest::ModalAnswer again(Click(QMessageBox::Yes));
  TfrmUpdate::StartUpdateCheck(false, Config, nullptr);
  ASSERT_TRUE(QTest::qWaitFor([&] { return again.Ran(); }, 10000));
  guitest::ModalAnswer told(Click(QMessageBox::Ok), 10000);
  WaitForEnd();
  EXPECT_EQ(told.Text(), QString::fromLatin1(DownloadError));
  EXPECT_TRUE(Started.empty());
}

TEST_F(UpdateDialog, SystemInstallOffersTheWebPageAndNeverDownloads) {
  Publish("3.17.0", "new program", "new program");
  Config.SystemInstall = true;
  QMessageBox* seen = nullptr;
  guitest::ModalAnswer offer([&](QWidget* box) {
    seen = qobject_cast<QMessageBox*>(box);
    guitest::SaveScreenshot(box, QStringLiteral("update_system_install"));
    guitest::ClickMessageBoxButton(box, QMessageBox::Yes);
  });
  TfrmUpdate::StartUpdateCheck(true, Config, nullptr);
  WaitForEnd();
  EXPECT_NE(seen, nullptr);
  EXPECT_TRUE(offer.Text().startsWith(QStringLiteral("Version 3.17.0 of Trellane is available.")));
  EXPECT_EQ(Opened, std::vector<std::string>{"https://trellane.example/"});
  EXPECT_FALSE(Exists(Program + "/_NewVersion"));
  EXPECT_TRUE(IsSystemInstall("/usr/bin/"));
  EXPECT_FALSE(IsSystemInstall(Program + "/"));
}

TEST(InstallerDialog, RetryOrCancel) {
  TQtInstallerDialog dialog;
  for (int button : {int(QMessageBox::Retry), int(QMessageBox::Cancel)}) {
    guitest::ModalAnswer answer([button](QWidget* box) {
      if (button == QMessageBox::Retry) guitest::SaveScreenshot(box, QStringLiteral("update_installer_retry"));
      guitest::ClickMessageBoxButton(box, button);
    });
    EXPECT_EQ(dialog.AskRetry(InstallAccessDeniedText), button == QMessageBox::Retry);
    EXPECT_EQ(answer.Text(), QStringLiteral("Access denied: can't install new version. Please close all instances "
                                            "of Trellane\nand click 'Retry', or click 'Cancel' to keep old version."));
  }
}

TEST(DesktopIcon, TheInstalledIconDraws) {
  QSvgRenderer icon(QStringLiteral(TRELLANE_PACKAGING_DIR "/example.trellane.Trellane.svg"));
  ASSERT_TRUE(icon.isValid());
  QLabel label;
  QPixmap picture(128, 128);
  picture.fill(Qt::transparent);
  QPainter painter(&picture);
  icon.render(&painter);
  painter.end();
  label.setPixmap(picture);
  label.resize(128, 128);
  guitest::SaveScreenshot(&label, QStringLiteral("update_desktop_icon"));
  EXPECT_EQ(picture.toImage().pixelColor(64, 8).alpha(), 255);
}

TEST(UpdateWindows, RegisteringSetsTheHook) {
  WindowHooks().StartUpdateCheck = nullptr;
  RegisterUpdateWindows();
  EXPECT_TRUE(bool(WindowHooks().StartUpdateCheck));
}

}  // namespace
