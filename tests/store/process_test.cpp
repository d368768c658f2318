// Tests with real second processes: the single-copy guard, a save killed
// midway, and the command-line tool.
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <chrono>
#include <cstdio>
#include <nlohmann/json.hpp>
#include <thread>

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
  char buf[4096];
  for (size_t n; (n = fread(buf, 1, sizeof buf, pipe)) > 0;) run.Out.append(buf, n);
  const int status = pclose(pipe);
  run.Status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return run;
}

std::string Quote(const std::string& s) { return "'" + s + "'"; }

TRun Probe(const std::string& arguments) { return RunShell(std::string(STORE_PROBE) + " " + arguments); }

using Processes = TStoreTest;

}  // namespace

TEST_F(Processes, OnlyOneCopyHoldsTheDataFile) {
  const std::string path = Path("Trellane.tbs");
  Customers.Items(Customers.Add())->Name = "mine";
  ASSERT_TRUE(SaveDataFile(path));  // this process now holds the file
  const std::string before = ReadFile(path);
  const TRun second = Probe("save " + Quote(path) + " 10");
  EXPECT_EQ(second.Status, 3);
  EXPECT_EQ(second.Out, "error: Can't open datafile, Trellane is already running?\n");
  EXPECT_EQ(ReadFile(path), before);
  EXPECT_TRUE(TempFilesIn(Dir).empty());
  // Saving again keeps the guard up; letting go lets the next copy in.
  ASSERT_TRUE(SaveDataFile(path));
  EXPECT_EQ(Probe("load " + Quote(path)).Status, 3);
  CloseDataFile();
  EXPECT_EQ(Probe("load " + Quote(path)).Status, 0);

  // The other way round: the file is held until we write a line to that process.
  const std::string hold = std::string(STORE_PROBE) + " hold " + Quote(path) + " > " + Quote(path + ".out");
  FILE* other = popen(hold.c_str(), "w");
  ASSERT_NE(other, nullptr);
  for (int i = 0; i < 3000 && ReadFile(path + ".out").find("ready") == std::string::npos; ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  ASSERT_NE(ReadFile(path + ".out").find("ready"), std::string::npos) << "the other process holds the file";
  Customers.Items(0)->Name = "left alone";
  EXPECT_FALSE(LoadDataFile(path));
  EXPECT_EQ(Shown, std::vector<std::string>{"err:Can't open datafile, Trellane is already running?"});
  EXPECT_EQ(Customers.Items(0)->Name, "left alone");  // nothing was read
  EXPECT_FALSE(DataFileLocked());
  fputs("\n", other);
  pclose(other);
  EXPECT_TRUE(LoadDataFile(path));
  EXPECT_EQ(Customers.Items(0)->Name, "mine");
}

namespace {

// A probe started with pipes on its standard input and output.
struct TChild {
  pid_t Pid = -1;
  int In = -1, Out = -1;
  std::string Text;  // what it printed so far
  int Status = -1;

  void Start(const std::vector<std::string>& args) {
    int in[2], out[2];
    ASSERT_EQ(pipe(in), 0);
    ASSERT_EQ(pipe(out), 0);
    Pid = fork();
    ASSERT_GE(Pid, 0);
    if (Pid == 0) {
      dup2(in[0], 0);
      dup2(out[1], 1);
      close(in[0]), close(in[1]), close(out[0]), close(out[1]);
      std::vector<char*> argv;
      for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
      argv.push_back(nullptr);
      execv(argv[0], argv.data());
      _exit(127);
    }
    close(in[0]);
    close(out[1]);
    In = in[1];
    Out = out[0];
  }
  void Say(const char* line) { (void)!write(In, line, strlen(line)); }
  // Reads until the text holds `what` or the output ends; bounded by ten seconds.
  bool WaitFor(const std::string& what) {
    for (int i = 0; i < 1000 && Out >= 0 && Text.find(what) == std::string::npos; ++i) {
      pollfd p{Out, POLLIN, 0};
      if (poll(&p, 1, 10) <= 0) continue;
      char buf[512];
      const ssize_t n = read(Out, buf, sizeof buf);
      if (n <= 0) break;
      Text.append(buf, static_cast<size_t>(n));
    }
    return Text.find(what) != std::string::npos;
  }
  int End() {
    if (In >= 0) close(In);
    WaitFor("\x01");  // to the end of its output
    if (Out >= 0) close(Out);
    In = Out = -1;
    int status = 0;
    if (Pid > 0 && waitpid(Pid, &status, 0) == Pid) Status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    Pid = -1;
    return Status;
  }
  ~TChild() {
    if (Pid > 0) kill(Pid, SIGKILL);
    End();
  }
};

}  // namespace

TEST_F(Processes, TwoCopiesStartedTogetherOnAFreshFolder) {
  for (int round = 0; round < 20; ++round) {
    SCOPED_TRACE(round);
    const std::filesystem::path folder = Dir / ("run" + std::to_string(round));
    std::filesystem::create_directory(folder);
    const std::string path = (folder / "Trellane.tbs").string();
    TChild a, b;
    a.Start({STORE_PROBE, "race", path});
    b.Start({STORE_PROBE, "race", path});
    // Both wait on their input: let them go at the same instant.
    a.Say("\n");
    b.Say("\n");
    const std::string refused = "error: Can't open datafile, Trellane is already running?\n";
    a.WaitFor("\n");
    b.WaitFor("\n");
    const bool aRuns = a.Text == "running\n", bRuns = b.Text == "running\n";
    EXPECT_NE(aRuns, bRuns) << a.Text << "|" << b.Text;
    TChild& loser = aRuns ? b : a;
    TChild& winner = aRuns ? a : b;
    EXPECT_EQ(loser.End(), 3);
    EXPECT_EQ(loser.Text, refused);
    // While the one copy runs, the file is held and loads nowhere else.
    EXPECT_EQ(Probe("load " + Quote(path)).Status, 3);
    winner.Say("\n");
    EXPECT_EQ(winner.End(), 0);
    EXPECT_EQ(winner.Text, "running\n");
    // What it left is a whole, empty data file, and nothing else.
    Shown.clear();
    ASSERT_TRUE(LoadDataFile(path));
    EXPECT_TRUE(Shown.empty()) << Shown[0];
    EXPECT_TRUE(DataFileLocked());
    EXPECT_EQ(Uncompress(ReadFile(path)).size(), 4 + 12 + 16u);
    EXPECT_TRUE(TempFilesIn(folder).empty());
    CloseDataFile();
  }
}

TEST_F(Processes, SaveKilledMidwayLeavesTheOldFileReadable) {
  const std::string path = Path("Trellane.tbs");
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
  for (int i = 0; i < 300000 && !seen && !exited; ++i) {  // a minute at most
    for (const std::string& temp : TempFilesIn(Dir)) {
      std::error_code ec;
      seen = seen || (std::filesystem::file_size(temp, ec) > 0 && !ec);
    }
    exited = !seen && waitpid(child, &status, WNOHANG) == child;
    std::this_thread::sleep_for(std::chrono::microseconds(200));
  }
  if (!exited && kill(child, SIGKILL) == 0) waitpid(child, &status, 0);
  ASSERT_TRUE(seen);
  // The kill must have landed in the middle of the save: the new contents
  // are still in the temporary, and the file itself is untouched.
  ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << "the save ended before it was killed";
  EXPECT_FALSE(TempFilesIn(Dir).empty());
  EXPECT_EQ(ReadFile(path), old);
  ClearTables();
  ASSERT_TRUE(LoadDataFile(path));
  EXPECT_TRUE(Shown.empty());
  EXPECT_EQ(Customers.Items(0)->Name, "old data");
}

#ifdef TRELLANE_CLI
namespace {
TRun Cli(const std::string& arguments) { return RunShell(std::string(TRELLANE_CLI) + " " + arguments); }
}  // namespace

TEST_F(Processes, DumpAndCalcReadEveryKindOfFileAndReportFailures) {
  const int p = Projects.Add();
  Projects.Items(p)->Comments = "a\r\nb";
  const int t = NewTransit(Projects.Items(p)->ID, "Deur é", 1);
  Transits.Items(t)->Depth = 40000;  // below the minimum: the calc cycle raises it
  Customers.Items(Customers.Add())->Name = "ACME";
  ASSERT_TRUE(SaveDataFile(Path("Trellane.tbs")));
  ExportTransitFile(t, Path("t.HTF"));
  ExportProjectFile(p, Path("p.hpf"));
  TBytes old;
  AppendTransit(old.Str("TransitExportFile_V100"), {.Tag = "RecTransit_V101", .ProjectID = 5,
                                                    .Name = "Deur \x93" "A\x94", .Classification = 305,
                                                    .Cartridge = 504});  // Windows-1252 quotes
  AppendConduit(old.Int(1), 77, 25000.5, 3, 103);
  WriteFile(Path("old.htf"), Compress(old.Data, 9));
  WriteFile(Path("Trellane.ini"), Compress(TBytes().Str("Version_1.00").Int(1).Str("F").Int(0).Int(1).Int(0)
                                                       .Int(0).Int(0).Str("").Str("x").Str("y").Int(1).Data));
  auto run = [&](const std::string& command, const std::string& file) {
    const TRun run = Cli(command + " " + Quote(Path(file)));
    EXPECT_EQ(run.Status, 0);
    return nlohmann::ordered_json::parse(run.Out);
  };
  const auto data = run("dump", "Trellane.tbs"), project = run("dump", "p.hpf");
  EXPECT_EQ(std::tuple(data["kind"], data["version"]), std::tuple("data", "Version_1.00"));
  EXPECT_EQ(std::tuple(data["customers"][0]["name"], data["projects"][0]["comments"], data["transits"][0]["name"]),
            std::tuple("ACME", "a\r\nb", "Deur é"));
  EXPECT_EQ(std::tuple(project["kind"], project["version"], project["conduits"][0]["transitId"]),
            std::tuple("project", "ProjectExportFile_V100", 1));
  const auto calc = run("calc", "t.HTF");
  EXPECT_EQ(std::tuple(calc["transit"]["name"], calc["transit"]["depth"]), std::tuple("Deur é", 60000.0));

  // Compared as text, so that the order of the keys counts too.
  EXPECT_EQ(run("dump", "Trellane.ini").dump(), nlohmann::ordered_json::parse(R"({
    "kind": "configuration", "version": "Version_1.00", "settings": {"companyLines": ["F"], "distributorLines": [],
      "antiAliasing": true, "showGrid": false, "lengthUnit": "inch", "saveWindowPositionsOnExit": false,
      "windowLayout": "", "projectListColumns": "", "transitListColumns": "", "templateListColumns": "",
      "autoUpdate": true, "reservedText": "", "blinkWarning": true, "fixedWindow": false}})").dump());
  EXPECT_EQ(run("dump", "old.htf").dump(), nlohmann::ordered_json::parse(R"json({
    "kind": "transit", "version": "TransitExportFile_V100", "customers": [], "projects": [],
    "transits": [{"id": 1, "projectId": 5, "name": "Deur “A”", "transitsInProject": 2,
      "created": 45000.5, "createdBy": "creator", "modified": 45001.25, "modifiedBy": "modifier",
      "comments": "line 1\r\nline 2", "depth": 180000.0, "width": 300000.0, "height": 200000.0,
      "cornerRadius": 10000.0, "sparePercentage": 5.0, "conduitType": "Cables", "fillSystem": "KOVA",
      "fillSubsystem": "-", "classification": "B-class", "sealantCartridge": "TISO (310 ml)",
      "sealantLayer": "20mm (single)", "miscPar2": 0, "miscPar3": 0, "miscPar4": 0}],
    "conduits": [{"id": 1, "transitId": 1, "diameter": 25000.5, "amount": 3, "conduitType": "Pipes (GRP)"}]
  })json").dump());

  // Failures: one line on stderr, nothing on stdout.
  TBytes bad;
  AppendTransit(bad.Str("TransitExportFile_V100"),
                {.Tag = "RecTransit_V100", .FillSystem = 205, .Cartridge = 501});
  WriteFile(Path("bad.htf"), Compress(bad.Int(0).Data));
  WriteFile(Path("bad.ini"), Compress(TBytes().Str("Version_2").Data));
  const std::pair<std::string, std::string> failures[] = {
      {"bad.htf", "error: unknown value for FillSystem\n"},
      {"bad.ini", "error: Illegal config-file!\n"},
      {"none.tbs", "error: Cannot open file"},
  };
  for (const auto& [file, error] : failures) {
    const TRun run = Cli("dump " + Quote(Path(file)) + " 2>&1 1>/dev/null");
    EXPECT_EQ(run.Status, 2);
    EXPECT_EQ(run.Out.rfind(error, 0), 0u) << run.Out;
    EXPECT_EQ(std::count(run.Out.begin(), run.Out.end(), '\n'), 1);
    EXPECT_EQ(Cli("dump " + Quote(Path(file)) + " 2>/dev/null").Out, "");
  }
}

#endif
