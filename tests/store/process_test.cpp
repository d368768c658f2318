// Tests with real second processes: the single-copy guard, a save killed
// midway, and the command-line tool.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <chrono>
#include <cstdio>
#include <nlohmann/json.hpp>
#include <thread>

#include "store/datafile.h"
#include "store/exports.h"
#include "store/helpers.h"

using namespace storetest;

namespace {

struct TRun {
  int Status = -1;
  std::string Out;
};

// Runs a command line through the shell; returns exit status and stdout.
TRun RunShell(const std::string& command) {
  TRun run;
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return run;
  std::array<char, 4096> buf;
  size_t n;
  while ((n = fread(buf.data(), 1, buf.size(), pipe)) > 0) run.Out.append(buf.data(), n);
  const int status = pclose(pipe);
  run.Status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return run;
}

std::string Quote(const std::string& s) { return "'" + s + "'"; }

class Processes : public ::testing::Test {
protected:
  void SetUp() override { ClearTables(); }
  void TearDown() override {
    CloseDataFile();
    ClearTables();
  }
  TScratch Scratch;
  TRecordingSink Sink;
};

}  // namespace

TEST_F(Processes, SecondCopyIsStoppedAndChangesNothing) {
  const std::string path = Scratch.Path("Trellane.tbs");
  Customers.Items(Customers.Add())->Name = "mine";
  ASSERT_TRUE(SaveDataFile(path));  // this process now holds the file
  const std::string before = ReadFile(path);

  const TRun second = RunShell(std::string(STORE_PROBE) + " save " + Quote(path) + " 10");
  EXPECT_EQ(second.Status, 3);
  EXPECT_EQ(second.Out, "error: Can't open datafile, Trellane is already running?\n");
  EXPECT_EQ(ReadFile(path), before);
  EXPECT_FALSE(std::filesystem::exists(path + ".tmp"));

  // Saving again keeps the guard up; letting go lets the next copy in.
  ASSERT_TRUE(SaveDataFile(path));
  EXPECT_EQ(RunShell(std::string(STORE_PROBE) + " load " + Quote(path)).Status, 3);
  CloseDataFile();
  EXPECT_EQ(RunShell(std::string(STORE_PROBE) + " load " + Quote(path)).Status, 0);
}

TEST_F(Processes, FileHeldByAnotherProcessIsNotLoaded) {
  const std::string path = Scratch.Path("Trellane.tbs");
  ASSERT_TRUE(SaveDataFile(path));
  CloseDataFile();
  // The other process holds the file until we write a line to it.
  FILE* other = popen((std::string(STORE_PROBE) + " hold " + Quote(path) + " > " + Quote(path + ".out")).c_str(), "w");
  ASSERT_NE(other, nullptr);
  for (int i = 0; i < 3000 && ReadFile(path + ".out").find("ready") == std::string::npos; ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  Customers.Items(Customers.Add())->Name = "left alone";
  EXPECT_FALSE(LoadDataFile(path));
  EXPECT_EQ(Sink.Errors, std::vector<std::string>{"Can't open datafile, Trellane is already running?"});
  EXPECT_EQ(Customers.Count(), 1);  // nothing was read
  EXPECT_FALSE(DataFileLocked());
  fputs("\n", other);
  pclose(other);
  EXPECT_TRUE(LoadDataFile(path));
}

TEST_F(Processes, SaveKilledMidwayLeavesTheOldFileReadable) {
  const std::string path = Scratch.Path("Trellane.tbs");
  Customers.Items(Customers.Add())->Name = "old data";
  ASSERT_TRUE(SaveDataFile(path));
  CloseDataFile();
  const std::string old = ReadFile(path);

  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    execl(STORE_PROBE, STORE_PROBE, "save", path.c_str(), "1000000", static_cast<char*>(nullptr));
    _exit(127);
  }
  // Kill it once the new file has started to grow.
  bool seen = false, exited = false;
  int status = 0;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  while (!seen && !exited && std::chrono::steady_clock::now() < deadline) {
    std::error_code ec;
    seen = std::filesystem::file_size(path + ".tmp", ec) > 0 && !ec;
    if (seen) break;
    exited = waitpid(child, &status, WNOHANG) == child;
    std::this_thread::sleep_for(std::chrono::microseconds(200));
  }
  if (!exited) {
    kill(child, SIGKILL);
    waitpid(child, &status, 0);
  }
  ASSERT_TRUE(seen);

  const std::string now = ReadFile(path);
  if (WIFSIGNALED(status)) {
    EXPECT_EQ(now, old);
  }
  ClearTables();
  ASSERT_TRUE(LoadDataFile(path));
  EXPECT_TRUE(Sink.All.empty());
  EXPECT_EQ(Customers.Items(0)->Name, "old data");
}

#ifdef TRELLANE_CLI
TEST_F(Processes, DumpPrintsEveryKindOfFile) {
  const int p = Projects.Add();
  Projects.Items(p)->Name = "Ship";
  Projects.Items(p)->Comments = "a\r\nb";
  const int t = Transits.Add();
  InitTransitRecord(t);
  TRecTransit* tr = Transits.Items(t);
  tr->ProjectID = Projects.Items(p)->ID;
  tr->Name = "Deur é";
  tr->Created = 45000.25;
  TRecConduit* c = Conduits.Items(Conduits.Add());
  c->TransitID = tr->ID;
  c->OuterDiameter = 20000;
  c->Amount = 4;
  Customers.Items(Customers.Add())->Name = "ACME";
  ASSERT_TRUE(SaveDataFile(Scratch.Path("Trellane.tbs")));
  ExportTransitFile(t, Scratch.Path("t.htf"));
  ExportProjectFile(p, Scratch.Path("p.hpf"));

  const std::string cli = TRELLANE_CLI;
  TRun data = RunShell(cli + " dump " + Quote(Scratch.Path("Trellane.tbs")));
  EXPECT_EQ(data.Status, 0);
  EXPECT_NE(data.Out.find("\"kind\": \"data\""), std::string::npos);
  EXPECT_NE(data.Out.find("\"version\": \"Version_1.00\""), std::string::npos);
  EXPECT_NE(data.Out.find("\"name\": \"Deur é\""), std::string::npos);
  EXPECT_NE(data.Out.find("\"comments\": \"a\\r\\nb\""), std::string::npos);
  EXPECT_NE(data.Out.find("\"created\": 45000.25"), std::string::npos);
  EXPECT_NE(data.Out.find("\"fillSystem\": \"KOVA\""), std::string::npos);
  EXPECT_NE(data.Out.find("\"sealantLayer\": \"20mm (double)\""), std::string::npos);
  EXPECT_NE(data.Out.find("\"fillSubsystem\": \"-\""), std::string::npos);
  EXPECT_NE(data.Out.find("\"diameter\": 20000"), std::string::npos);

  TRun transit = RunShell(cli + " dump " + Quote(Scratch.Path("t.htf")));
  EXPECT_EQ(transit.Status, 0);
  EXPECT_NE(transit.Out.find("\"kind\": \"transit\""), std::string::npos);
  EXPECT_NE(transit.Out.find("\"version\": \"TransitExportFile_V100\""), std::string::npos);
  EXPECT_NE(transit.Out.find("\"projectId\": 1"), std::string::npos);
  EXPECT_NE(transit.Out.find("\"customers\": []"), std::string::npos);

  TRun project = RunShell(cli + " dump " + Quote(Scratch.Path("p.hpf")));
  EXPECT_EQ(project.Status, 0);
  EXPECT_NE(project.Out.find("\"kind\": \"project\""), std::string::npos);
  EXPECT_NE(project.Out.find("\"transitId\": 1"), std::string::npos);

  WriteFile(Scratch.Path("Trellane.ini"),
            Compress(TBytes().Str("Version_1.00").Int(1).Str("F").Int(0).Int(1).Int(0).Int(0).Int(0).Str("")
                         .Str("x").Str("y").Int(1).Data));
  TRun config = RunShell(cli + " dump " + Quote(Scratch.Path("Trellane.ini")));
  EXPECT_EQ(config.Status, 0);
  EXPECT_NE(config.Out.find("\"kind\": \"configuration\""), std::string::npos);
  EXPECT_NE(config.Out.find("\"lengthUnit\": \"inch\""), std::string::npos);
  EXPECT_NE(config.Out.find("\"blinkWarning\": true"), std::string::npos);
  EXPECT_NE(config.Out.find("\"fixedWindow\": false"), std::string::npos);
  EXPECT_NE(config.Out.find("\"autoUpdate\": true"), std::string::npos);
}

TEST_F(Processes, DumpOfAnOldTransitFileFieldByField) {
  TBytes b;
  b.Str("TransitExportFile_V100");
  TTransitCodes codes;
  codes.Tag = "RecTransit_V101";
  codes.ProjectID = 5;
  codes.Name = "Deur \x93" "A\x94";  // curly quotes in Windows-1252
  codes.Classification = 305;
  codes.Cartridge = 504;
  AppendTransit(b, codes);
  b.Int(1);
  AppendConduit(b, 77, 25000.5, 3, 103);
  WriteFile(Scratch.Path("old.htf"), Compress(b.Data, 9));
  const TRun run = RunShell(std::string(TRELLANE_CLI) + " dump " + Quote(Scratch.Path("old.htf")));
  ASSERT_EQ(run.Status, 0);
  const nlohmann::ordered_json j = nlohmann::ordered_json::parse(run.Out);
  const nlohmann::ordered_json expected = nlohmann::ordered_json::parse(R"json({
    "kind": "transit", "version": "TransitExportFile_V100", "customers": [], "projects": [],
    "transits": [{"id": 1, "projectId": 5, "name": "Deur “A”", "transitsInProject": 2,
      "created": 45000.5, "createdBy": "creator", "modified": 45001.25, "modifiedBy": "modifier",
      "comments": "line 1\r\nline 2", "depth": 180000.0, "width": 300000.0, "height": 200000.0,
      "cornerRadius": 10000.0, "sparePercentage": 5.0, "conduitType": "Cables", "fillSystem": "KOVA",
      "fillSubsystem": "-", "classification": "B-class", "sealantCartridge": "TISO (310 ml)",
      "sealantLayer": "20mm (single)", "miscPar2": 0, "miscPar3": 0, "miscPar4": 0}],
    "conduits": [{"id": 1, "transitId": 1, "diameter": 25000.5, "amount": 3, "conduitType": "Pipes (GRP)"}]
  })json");
  EXPECT_EQ(j, expected) << run.Out;
  // Keys in the documented order.
  std::vector<std::string> keys;
  for (auto it = j["transits"][0].begin(); it != j["transits"][0].end(); ++it) keys.push_back(it.key());
  std::vector<std::string> want;
  for (auto it = expected["transits"][0].begin(); it != expected["transits"][0].end(); ++it) want.push_back(it.key());
  EXPECT_EQ(keys, want);
}

TEST_F(Processes, DumpFailuresPrintOneErrorLine) {
  TBytes b;
  b.Str("TransitExportFile_V100");
  TTransitCodes codes;
  codes.Tag = "RecTransit_V100";
  codes.FillSystem = 205;
  codes.Cartridge = 501;
  AppendTransit(b, codes);
  b.Int(0);
  WriteFile(Scratch.Path("bad.htf"), Compress(b.Data));
  const std::string cli = TRELLANE_CLI;
  TRun run = RunShell(cli + " dump " + Quote(Scratch.Path("bad.htf")) + " 2>&1 1>/dev/null");
  EXPECT_EQ(run.Status, 2);
  EXPECT_EQ(run.Out, "error: unknown value for FillSystem\n");
  TRun out = RunShell(cli + " dump " + Quote(Scratch.Path("bad.htf")) + " 2>/dev/null");
  EXPECT_EQ(out.Out, "");
  WriteFile(Scratch.Path("bad.ini"), Compress(TBytes().Str("Version_2").Data));
  EXPECT_EQ(RunShell(cli + " dump " + Quote(Scratch.Path("bad.ini")) + " 2>&1").Out, "error: Illegal config-file!\n");
  EXPECT_EQ(RunShell(cli + " dump " + Quote(Scratch.Path("none.tbs")) + " 2>/dev/null").Status, 2);
}

TEST_F(Processes, CalcReadsTransitExportFiles) {
  const int t = Transits.Add();
  InitTransitRecord(t);
  Transits.Items(t)->Name = "from file";
  Transits.Items(t)->Depth = 40000;  // below the minimum: the calc cycle raises it
  TRecConduit* c = Conduits.Items(Conduits.Add());
  c->TransitID = Transits.Items(t)->ID;
  c->OuterDiameter = 20000;
  c->Amount = 3;
  ExportTransitFile(t, Scratch.Path("calc.HTF"));
  TRun run = RunShell(std::string(TRELLANE_CLI) + " calc " + Quote(Scratch.Path("calc.HTF")));
  EXPECT_EQ(run.Status, 0);
  EXPECT_NE(run.Out.find("\"name\": \"from file\""), std::string::npos) << run.Out.substr(0, 300);
  EXPECT_NE(run.Out.find("\"depth\": 60000.0"), std::string::npos);
  EXPECT_NE(run.Out.find("\"amount\": 3"), std::string::npos);
}
#endif
