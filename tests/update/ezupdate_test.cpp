#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <filesystem>

#include "update/ezupdate.h"
#include "update/signature.h"
#include "updateserver.h"

using namespace updatetest;

namespace {

const char* OwnVersion = "3.16.1 (22 Aug 2012)";

class UpdateCheck : public ::testing::Test {
protected:
  TTempFolder Folder;
  TTestKeys Keys{Folder.Path()};
  std::string Web = Folder / "www";
  std::string Program = Folder / "program";
  std::unique_ptr<TWebServer> Server;
  std::unique_ptr<TEZUpdate> Update;
  std::vector<std::string> Log;
  std::string Question;
  bool Answer = true;
  std::vector<std::string> Started;
  TUpdateErrorKind ErrorKind = ekConnect;
  std::string ErrorReason;
  std::vector<int> Percentages;
  // The boxes, the opener and program starts of the update service.
  struct TDialogs : TCollectingDialogs {
    UpdateCheck& Test;
    explicit TDialogs(UpdateCheck& test) : Test(test) {}
    TModalResult AskYesNo(const std::string& text, const std::string& caption) override {
      const std::string lead = "The update server refers to this page:\r";
      if (caption == "Trellane" && text.rfind(lead, 0) == 0)
        Test.Log.push_back("ask " + text.substr(lead.size(), text.find('\r', lead.size()) - lead.size()));
      else
        Test.Question = caption + "|" + text;
      return Test.Answer ? mrYes : mrNo;
    }
    bool OpenWithDesktop(const std::string& url) override {
      Test.Log.push_back("open " + url);
      return true;
    }
    bool StartProgram(const std::string& path, const std::vector<std::string>& = {}) override {
      Test.Started.push_back(path);
      return true;
    }
  } Dialogs{*this};

  void SetUp() override {
    std::filesystem::create_directory(Web);
    std::filesystem::create_directory(Program);
    Update = std::make_unique<TEZUpdate>(Program);
    TEZUpdate& u = *Update;
    u.PublicKey = Keys.PublicKey;
    u.CaFile = Keys.CaFile;
    u.TempDir = "_NewVersion";
    u.VersionNumber = OwnVersion;
    u.ConnectTimeoutSeconds = 3;
    u.StallTimeoutSeconds = 1;
    u.OnDownload = [this](const TDownloadProgress& p) { Percentages.push_back(p.PercentageRead); };
    u.OnFinish = [this](int64_t size) { Log.push_back("finish " + std::to_string(size)); };
    u.OnAbort = [this] { Log.push_back("abort"); };
    u.OnUpdateFileMissing = [this] { Log.push_back("missing"); };
    u.OnCheckUpdateDone = [this] { Log.push_back("checked"); };
    u.OnRedirectToURL = [this] { Log.push_back("redirect"); };
    u.OnNoUpdate = [this] { Log.push_back("none"); };
    u.OnError = [this](TUpdateErrorKind kind, const std::string& reason) {
      Log.push_back("error");
      ErrorKind = kind;
      ErrorReason = reason;
    };
    u.OnNewVersionElsewhere = [this](const std::string& v, const std::string&, const std::string& page) {
      Log.push_back("elsewhere " + v + " " + page);
    };
    u.Dialogs = &Dialogs;
    u.CloseApplication = [this] {
      Log.push_back("close");
      return true;
    };
    u.TerminateApplication = [this] { Log.push_back("terminate"); };
  }

  void Serve() {
    Server = std::make_unique<TWebServer>(Keys, Web);
    Update->UpdateFileURL = Server->URL("update.txt");
  }
  std::string Base() const { return Server->URL(); }
  void Publish(const std::string& description) {
    WriteFile(Web + "/update.txt", description);
    ASSERT_TRUE(Keys.Sign(Web + "/update.txt"));
  }
  std::string Offer(const std::string& version, const std::string& files) {
    return "#version=" + version + "\r\n#formcaption=New Trellane\r\n#message=[Version " + version +
           " is out.\r\nDownload it now?]\r\n#executefile=update\r\n#applicationterminate=true\r\n" + files;
  }
  void Run(int ms = 10000) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (Update->Busy() && std::chrono::steady_clock::now() < end) Update->WaitAndProcessEvents(50);
    EXPECT_FALSE(Update->Busy());
  }
  std::string Downloaded(const std::string& name) const { return Program + "/_NewVersion/" + name; }
};

TEST_F(UpdateCheck, SameOrOlderVersionIsNoUpdate) {
  Serve();
  for (const char* version : {"3.16.1 (22 Aug 2012)", "3.15.9", "2.0"}) {
    Log.clear();
    Publish(Offer(version, FileLines(1, Base(), "update", "new")));
    ASSERT_TRUE(Update->CheckForUpdate());
    Run();
    EXPECT_EQ(Log, std::vector<std::string>{"none"}) << version;
    EXPECT_TRUE(Question.empty());
  }
}

TEST_F(UpdateCheck, NewVersionIsAskedDownloadedCheckedAndStarted) {
  Serve();
  const std::string big(3 * 1024 * 1024 + 17, 'x');
  WriteFile(Web + "/update", "new program");
  WriteFile(Web + "/empty.dat", "");
  WriteFile(Web + "/data.bin", big);
  Publish(Offer("3.17.0 (1 Mar 2013)", FileLines(1, Base(), "update", "new program") +
                                             FileLines(3, Base(), "empty.dat", "") +
                                             FileLines(20, Base(), "data.bin", big) +
                                             FileLines(21, Base(), "ignored", "")));
  ASSERT_TRUE(Update->CheckForUpdate());
  EXPECT_FALSE(Update->CheckForUpdate());  // one check at a time
  Run(20000);
  EXPECT_EQ(Question, "New Trellane|Version 3.17.0 (1 Mar 2013) is out.\r\nDownload it now?");
  ASSERT_EQ(Log, (std::vector<std::string>{"checked", "finish " + std::to_string(big.size()), "close", "terminate"}))
      << ErrorReason;
  EXPECT_EQ(Started, std::vector<std::string>{Downloaded("update")});
  EXPECT_EQ(ReadFile(Downloaded("update")), "new program");
  EXPECT_EQ(ReadFile(Downloaded("empty.dat")), "");
  EXPECT_EQ(ReadFile(Downloaded("data.bin")).size(), big.size());
  EXPECT_FALSE(Exists(Downloaded("ignored")));
  EXPECT_FALSE(Exists(Downloaded("_7608484.sam")));
  struct stat st {};
  ASSERT_EQ(::stat((Program + "/_NewVersion").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0700u);
  ASSERT_FALSE(Percentages.empty());
  for (int p : Percentages) EXPECT_TRUE(p >= 0 && p <= 100) << p;
}

TEST_F(UpdateCheck, NoMeansNothingIsFetched) {
  Serve();
  WriteFile(Web + "/update", "new");
  Publish(Offer("4.0", FileLines(1, Base(), "update", "new")));
  Answer = false;
  Update->CheckForUpdate();
  Run();
  EXPECT_TRUE(Log.empty());
  EXPECT_FALSE(Exists(Downloaded("update")));
  EXPECT_TRUE(Started.empty());
}

TEST_F(UpdateCheck, FailedChecksAreErrorsAndNothingRuns) {
  Serve();
  WriteFile(Web + "/update", "new");
  TPlainServer plain([&](const std::string&) { return HttpAnswer(200, "new"); });
  struct Case {
    const char* what;
    std::function<void()> prepare;
    TUpdateErrorKind kind;
  } cases[] = {
      // s_server answers a missing file with status 200 and an error text.
      {"missing description", [&] { std::filesystem::remove(Web + "/update.txt"); }, ekDescription},
      {"tampered description",
       [&] {
         Publish(Offer("4.0", FileLines(1, Base(), "update", "new")));
         WriteFile(Web + "/update.txt", Offer("4.1", FileLines(1, Base(), "update", "new")));
       },
       ekDescription},
      {"unsigned description",
       [&] {
         Publish(Offer("4.0", FileLines(1, Base(), "update", "new")));
         std::filesystem::remove(Web + "/update.txt.minisig");
       },
       ekDescription},
      {"tampered file",
       [&] {
         Publish(Offer("4.0", FileLines(1, Base(), "update", "old")));
       },
       ekDownload},
      {"hostile name", [&] { Publish(Offer("4.0", FileLines(1, Base(), "..", "new"))); }, ekDescription},
      {"plain http file", [&] { Publish(Offer("4.0", FileLines(1, plain.URL(), "update", "new"))); },
       ekDescription},
      {"stranger to start",
       [&] {
         std::string d = Offer("4.0", FileLines(1, Base(), "update", "new"));
         d.replace(d.find("#executefile=update"), 19, "#executefile=sh");
         Publish(d);
       },
       ekDescription},
      {"missing file", [&] { Publish(Offer("4.0", FileLines(1, Base() + "gone/", "update", "x"))); }, ekDownload},
  };
  for (const Case& c : cases) {
    Log.clear();
    ErrorReason.clear();
    c.prepare();
    Update->CheckForUpdate();
    Run();
    if (c.kind == ekDownload)
      EXPECT_EQ(Log, (std::vector<std::string>{"checked", "error"})) << c.what;
    else
      EXPECT_EQ(Log, std::vector<std::string>{"error"}) << c.what;
    EXPECT_EQ(ErrorKind, c.kind) << c.what << ": " << ErrorReason;
    EXPECT_TRUE(Started.empty()) << c.what;
    EXPECT_FALSE(Exists(Downloaded("update")) && ReadFile(Downloaded("update")) != "new") << c.what;
  }
  EXPECT_EQ(plain.Connections(), 0);
}

TEST_F(UpdateCheck, TricklingDownloadEndsAtItsDeadline) {
  // 200 bytes a second passes the stall check but not the deadline of
  // 1 s + size at 20 kB/s, with or without a length.
  Serve();
  Update->DownloadDeadlineFloorSeconds = 1;
  for (bool withLength : {true, false}) {
    Log.clear();
    ErrorReason.clear();
    TRawServer slow(Keys, [withLength](const std::string&, auto& c) {
      c.Send(withLength ? "HTTP/1.0 200 OK\r\nContent-Length: 20000\r\n\r\n" : "HTTP/1.0 200 OK\r\n\r\n");
      for (int i = 0; i < 1000 && c.Send(std::string(20, 'x')); ++i) c.Wait(100);
    });
    Publish(Offer("4.0", FileLines(1, slow.URL(), "update", std::string(20000, 'x'))));
    const auto start = std::chrono::steady_clock::now();
    Update->CheckForUpdate();
    Run();
    EXPECT_EQ(Log, (std::vector<std::string>{"checked", "error"})) << withLength;
    EXPECT_EQ(ErrorKind, ekDownload);
    EXPECT_NE(ErrorReason.find("The server sent the file too slowly"), std::string::npos) << ErrorReason;
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(6));
    EXPECT_FALSE(Exists(Downloaded("_7608484.sam")));
    EXPECT_TRUE(Started.empty());
  }
}

TEST_F(UpdateCheck, KeysCountOnlyAtALineStartOutsideTheMessage) {
  Serve();
  WriteFile(Web + "/update", "new");
  // The message speaks of a newer version and a redirect; the version that
  // counts is the old one after it.
  Publish("#formcaption=News\r\n#message=[Soon:\r\n#version=9.0\r\n#redirecttourl=https://elsewhere.example/\r\n]\r\n"
          "note #version=9.1\r\n#version=3.0\r\n");
  Update->CheckForUpdate();
  Run();
  EXPECT_EQ(Log, std::vector<std::string>{"none"});
  EXPECT_TRUE(Question.empty());

  // A real update whose message quotes keys is asked with that message.
  Log.clear();
  Publish("#formcaption=New\r\n#message=[Replaces\r\n#version=1.0\r\n#executefile=other]\r\n"
          "#version=4.0\r\n#executefile=update\r\n" +
          FileLines(1, Base(), "update", "new"));
  Update->CheckForUpdate();
  Run();
  EXPECT_EQ(Question, "New|Replaces\r\n#version=1.0\r\n#executefile=other");
  EXPECT_EQ(Log, (std::vector<std::string>{"checked", "finish 3"})) << ErrorReason;
  EXPECT_EQ(Started, std::vector<std::string>{Downloaded("update")});
}

TEST_F(UpdateCheck, WithoutAKeyNothingIsAsked) {
  TRawServer server(Keys, [](const std::string&, auto& c) { c.Send(HttpAnswer(200, "#version=9\r\n")); });
  Update->UpdateFileURL = server.URL("update.txt");
  for (const char* key : {"", "not a key"}) {
    Log.clear();
    Update->PublicKey = key;
    Update->CheckForUpdate();
    Run();
    EXPECT_EQ(Log, std::vector<std::string>{"error"}) << key;
    EXPECT_EQ(ErrorKind, ekDescription) << key;
    EXPECT_EQ(server.Requests(), 0) << key;
    EXPECT_FALSE(Exists(Program + "/_NewVersion")) << key;
  }
}

TEST_F(UpdateCheck, MisbehavingServersFailWithoutHarm) {
  struct Case {
    const char* what;
    TRawServer::TAnswer answer;
  } cases[] = {
      {"status 500", [](const std::string&, auto& c) { c.Send(HttpAnswer(500, "#version=9\r\n")); }},
      {"status 404", [](const std::string&, auto& c) { c.Send(HttpAnswer(404, "Not found")); }},
      {"redirect",
       [](const std::string&, auto& c) {
         c.Send(HttpAnswer(302, "", "Location: https://127.0.0.1:1/update.txt\r\n"));
       }},
      {"oversize", [](const std::string&, auto& c) { c.Send(HttpAnswer(200, std::string(65 * 1024 + 1, '#'))); }},
      {"oversize without length",
       [](const std::string&, auto& c) {
         c.Send("HTTP/1.0 200 OK\r\n\r\n");
         for (int i = 0; i < 70 && c.Send(std::string(1024, '#')); ++i) {
         }
       }},
      {"short body",
       [](const std::string&, auto& c) { c.Send("HTTP/1.0 200 OK\r\nContent-Length: 100\r\n\r\n#version=9\r\n"); }},
      {"stall",
       [](const std::string&, auto& c) {
         c.Send("HTTP/1.0 200 OK\r\nContent-Length: 100\r\n\r\n#version=9\r\n");
         c.Wait(5000);
       }},
      {"not http", [](const std::string&, auto& c) { c.Send("hello\r\n\r\n"); }},
  };
  for (const Case& c : cases) {
    Log.clear();
    TRawServer raw(Keys, c.answer);
    Update->UpdateFileURL = raw.URL("update.txt");
    const auto start = std::chrono::steady_clock::now();
    Update->CheckForUpdate();
    Run();
    EXPECT_EQ(Log, std::vector<std::string>{"error"}) << c.what;
    EXPECT_EQ(ErrorKind, ekConnect) << c.what;
    EXPECT_EQ(raw.Requests(), 1) << c.what;  // no redirect followed, no signature asked for
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5)) << c.what;
  }
  // Plain http is never asked, though it would serve a signed description
  // of a new version and its file.
  Publish(Offer("4.0", FileLines(1, "http://127.0.0.1/", "update", "new")));
  WriteFile(Web + "/update", "new");
  TPlainServer plain([&](const std::string& path) {
    const std::string file = Web + path;
    return Exists(file) ? HttpAnswer(200, ReadFile(file)) : HttpAnswer(404, "");
  });
  Log.clear();
  Update->UpdateFileURL = plain.URL("update.txt");
  Update->CheckForUpdate();
  Run();
  EXPECT_EQ(Log, std::vector<std::string>{"error"});
  EXPECT_EQ(ErrorKind, ekConnect);
  EXPECT_EQ(plain.Connections(), 0);
  // An untrusted certificate gets no answer through.
  Serve();
  Publish(Offer("4.0", ""));
  Update->CaFile = Keys.CertFile;  // not the authority that signed it
  Log.clear();
  Update->CheckForUpdate();
  Run();
  EXPECT_EQ(Log, std::vector<std::string>{"error"});
}

TEST_F(UpdateCheck, AbortStopsADownloadQuietlyAndDestructionJoins) {
  Serve();
  TRawServer slow(Keys, [](const std::string&, auto& c) {
    c.Send("HTTP/1.0 200 OK\r\nContent-Length: 100000\r\n\r\n");
    for (int i = 0; i < 100 && c.Send(std::string(100, 'x')); ++i) c.Wait(100);
  });
  Update->StallTimeoutSeconds = 30;
  Publish(Offer("4.0", FileLines(1, slow.URL(), "update", std::string(100000, 'x'))));
  Update->CheckForUpdate();
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (Percentages.empty() && std::chrono::steady_clock::now() < end) Update->WaitAndProcessEvents(50);
  ASSERT_FALSE(Percentages.empty());
  Update->Abort();
  Run();
  EXPECT_EQ(Log, (std::vector<std::string>{"checked", "abort"}));
  EXPECT_FALSE(Exists(Downloaded("_7608484.sam")));
  EXPECT_FALSE(Exists(Downloaded("update")));

  // Destroyed in the middle of a download: the thread is told and joined.
  Update->CheckForUpdate();
  Percentages.clear();
  while (Percentages.empty() && std::chrono::steady_clock::now() < end + std::chrono::seconds(10))
    Update->WaitAndProcessEvents(50);
  const auto before = std::chrono::steady_clock::now();
  Update.reset();
  EXPECT_LT(std::chrono::steady_clock::now() - before, std::chrono::seconds(3));
}

TEST_F(UpdateCheck, RedirectOpensOnlyWebAddressesTheUserAgreesTo) {
  Serve();
  Publish("#redirecttourl=https://trellane.example/news\r\n#version=9\r\n");
  Update->CheckForUpdate();
  Run();
  EXPECT_EQ(Log, (std::vector<std::string>{"ask https://trellane.example/news", "open https://trellane.example/news",
                                           "redirect"}));
  Log.clear();
  Answer = false;
  Update->CheckForUpdate();
  Run();
  EXPECT_EQ(Log, (std::vector<std::string>{"ask https://trellane.example/news", "redirect"}));
  // An old signed description, replayed, sends no one anywhere.
  Answer = true;
  for (const char* version : {"3.16.1", "2.0"}) {
    Log.clear();
    Publish("#redirecttourl=https://trellane.example/old\r\n#version=" + std::string(version) + "\r\n");
    Update->CheckForUpdate();
    Run();
    EXPECT_EQ(Log, std::vector<std::string>{"none"}) << version;
  }
  // Only https addresses are followed.
  for (const char* url : {"http://trellane.example/news", "file:///etc/passwd", "javascript:alert(1)"}) {
    Log.clear();
    Publish("#redirecttourl=" + std::string(url) + "\r\n#version=9\r\n");
    Update->CheckForUpdate();
    Run();
    EXPECT_EQ(Log, std::vector<std::string>{"error"}) << url;
    EXPECT_EQ(ErrorKind, ekDescription) << url;
  }
}

TEST_F(UpdateCheck, DescriptionWithoutTextOrVersionIsMissingInformation) {
  Serve();
  for (const char* text : {"#version=4.0\r\n", "<html>Not found</html>\r\n"}) {
    Log.clear();
    Publish(text);
    Update->CheckForUpdate();
    Run();
    EXPECT_EQ(Log, std::vector<std::string>{"missing"}) << text;
  }
}

TEST_F(UpdateCheck, SystemInstallIsToldButFetchesNothing) {
  Serve();
  WriteFile(Web + "/update", "new");
  Publish(Offer("4.0", FileLines(1, Base(), "update", "new")) + "#webpage=https://trellane.example/4.0\r\n");
  Update->SelfInstallAllowed = false;
  Update->CheckForUpdate();
  Run();
  EXPECT_EQ(Log, std::vector<std::string>{"elsewhere 4.0 https://trellane.example/4.0"});
  EXPECT_FALSE(Exists(Program + "/_NewVersion"));
  EXPECT_TRUE(Question.empty());
}

TEST_F(UpdateCheck, FileSchemeReadsAndCopiesFromPaths) {
  WriteFile(Web + "/update", "new program");
  // Read line by line, the last line's value is lost: it has no line end.
  Publish(Offer("4.0", "#file1=" + Web + "/update\r\n#sha256_1=" + Sha256Hex("new program") + "\r\n#end\r\n"));
  Update->UpdateScheme = usFILE;
  Update->UpdateFileURL = Web + "/update.txt";
  Update->CheckForUpdate();
  Run();
  EXPECT_EQ(Log, (std::vector<std::string>{"checked", "finish 11", "close", "terminate"})) << ErrorReason;
  EXPECT_EQ(ReadFile(Downloaded("update")), "new program");
  EXPECT_EQ(Started, std::vector<std::string>{Downloaded("update")});

  Log.clear();
  Update->UpdateFileURL = Web + "/none.txt";
  Update->CheckForUpdate();
  Run();
  EXPECT_EQ(Log, std::vector<std::string>{"error"});
  EXPECT_EQ(ErrorReason, "The File: " + Web + "/none.txt is Missing!");
}

}  // namespace
