// Files that cannot be turned against the user: the first start, partly read
// data files, links planted at the names saves use, and files that claim
// far more than they hold.
#include <sys/stat.h>
#include <unistd.h>

#include "core/atomicfile.h"
#include "store/config.h"
#include "store/exports.h"
#include "store/filesave.h"
#include "store/helpers.h"
#include "store/repeated_zlib.h"

using namespace storetest;

namespace {

class SafeFiles : public TStoreTest {
protected:
  ~SafeFiles() override { SetTempNameSourceForTesting(nullptr); }
  std::string Data() const { return Path("Trellane.tbs"); }
  std::string Config() const { return Path("Trellane.ini"); }
};

TBytes Header() { return TBytes().Str("Version_1.00"); }

bool IsRegularFile(const std::string& path) {
  struct stat st;
  return ::lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

// A text of 1 GiB, stored whole: 1024 pieces of 1 MiB.
constexpr int32_t kGiB = 1 << 30;
std::string GiBText() { return std::string(1 << 20, 'x'); }

}  // namespace

TEST_F(SafeFiles, FirstStartCreatesTheDataFileAndUsesDefaultSettingsSilently) {
  Customers.Items(Customers.Add())->Name = "from before";
  ASSERT_TRUE(LoadDataFile(Data()));
  EXPECT_TRUE(Shown.empty());
  EXPECT_TRUE(DataFileLocked());
  EXPECT_EQ(Customers.Count(), 0);
  EXPECT_TRUE(IsRegularFile(Data()));
  // The new file is a whole, empty data file, with no backup of nothing.
  EXPECT_EQ(Uncompress(ReadFile(Data())), Header().Int(0).Int(0).Int(0).Int(0).Data);
  EXPECT_FALSE(std::filesystem::exists(Data() + ".bak"));
  Settings.ShowGrid = false;
  LoadConfiguration(Config());
  EXPECT_TRUE(Shown.empty());
  EXPECT_TRUE(Settings.ShowGrid);
  EXPECT_FALSE(std::filesystem::exists(Config()));
  CloseDataFile();

  // A data file left empty by a first start that ended early is new as well.
  WriteFile(Data(), "");
  ASSERT_TRUE(LoadDataFile(Data()));
  EXPECT_TRUE(Shown.empty());
  EXPECT_EQ(Uncompress(ReadFile(Data())).size(), 32u);
  CloseDataFile();

  // An empty configuration file exists and cannot be read: that is still told.
  WriteFile(Config(), "");
  LoadConfiguration(Config());
  ASSERT_EQ(Shown.size(), 1u);
  EXPECT_EQ(Shown[0], "err:Error reading configurationfile (default values will be used):\r\rStream read error");

  // A link to nowhere at the data file's name is not created through.
  Shown.clear();
  std::filesystem::remove(Data());
  std::filesystem::create_symlink(Path("elsewhere"), Data());
  EXPECT_TRUE(LoadDataFile(Data()));
  EXPECT_FALSE(DataFileLocked());
  ASSERT_EQ(Shown.size(), 2u);
  EXPECT_EQ(Shown[1].rfind("err:Error reading datafile:\r\rCannot open file", 0), 0u) << Shown[1];
  EXPECT_FALSE(std::filesystem::exists(Path("elsewhere")));
}

TEST_F(SafeFiles, APartlyReadDataFileKeepsWholeRecordsAndNewIdsAboveEveryIdRead) {
  auto project = [](TBytes& b, int32_t id, const std::string& name) {
    b.Int(id).Str("RecProject_V100").Str(name).Dbl(45000).Str("an").Dbl(45001).Str("an").Str("ACME").Str("");
  };
  TBytes whole = Header().Int(1).Int(3).Str("RecCustomer_V100").Str("ACME").Int(3);
  project(whole, 5, "Hull 5");
  project(whole, 6, "Bulkhead 6");
  project(whole, 7, "Deck 7");
  whole.Int(0).Int(0);
  const std::string payload = whole.Data;
  const size_t thirdName = payload.find("Deck 7");
  const size_t secondName = payload.find("Bulkhead 6");

  // Cut inside the third project: the first two stay, a new project gets 8.
  WriteFile(Data(), Compress(payload.substr(0, thirdName + 2)));
  ASSERT_TRUE(LoadDataFile(Data()));
  ASSERT_EQ(Shown.size(), 2u);
  EXPECT_EQ(Shown[1], "err:Error reading datafile:\r\rStream read error");
  ASSERT_EQ(Projects.Count(), 2);
  EXPECT_EQ(std::tuple(Projects.Items(0)->ID, Projects.Items(1)->ID), std::tuple(5, 6));
  EXPECT_EQ(Projects.Items(Projects.Add())->ID, 8);
  EXPECT_EQ(Customers.Items(Customers.Add())->ID, 4);
  EXPECT_EQ(std::tuple(Transits.Count(), Conduits.Count()), std::tuple(0, 0));
  CloseDataFile();

  // Cut inside the second: only the first, and no record answers to the second's id.
  ClearTables();
  Transits.Add();  // what the tables held before the load goes
  WriteFile(Data(), Compress(payload.substr(0, secondName + 3)));
  ASSERT_TRUE(LoadDataFile(Data()));
  ASSERT_EQ(Projects.Count(), 1);
  EXPECT_EQ(Projects.Items(0)->Name, "Hull 5");
  EXPECT_EQ(Projects.IndexOfID(6), -1);
  EXPECT_EQ(Projects.Items(Projects.Add())->ID, 7);
  EXPECT_EQ(Transits.Count(), 0);
  EXPECT_EQ(Transits.LastID, 0);
}

TEST_F(SafeFiles, SavesNeverFollowALinkPlantedAtTheirNames) {
  // The file someone wants overwritten, and links to it at every name a save
  // used or might use: the old fixed temporaries, the first name the next
  // temporary tries, the backup and the aside names.
  const std::string victim = Path("victim");
  WriteFile(victim, "precious");
  int next = 0;
  SetTempNameSourceForTesting([&next] { return next++ % 2 ? std::string("Zz") + std::to_string(next) : "planted0"; });
  auto plant = [&](const std::string& name) {
    std::error_code ec;
    std::filesystem::remove(name, ec);
    std::filesystem::create_symlink(victim, name);
  };
  for (const std::string& target : {Data(), Config(), Path("t.htf"), Path("p.hpf")}) {
    plant(target + ".tmp");
    plant(target + ".tmp-planted0");
    plant(target + ".bak.tmp");
    plant(target + ".bak.tmp-planted0");
  }

  for (const std::string& name : {Data() + ".bak", Config() + ".bak"}) plant(name + ".tmp-planted0");
  ASSERT_TRUE(LoadDataFile(Data()));  // the first start writes the new file through a temporary too
  const int p = Projects.Add();
  Projects.Items(p)->Name = "P";
  const int t = NewTransit(Projects.Items(p)->ID, "T", 2);
  Projects.Add();
  ASSERT_TRUE(SaveDataFile(Data()));
  plant(Data() + ".bak");
  ASSERT_TRUE(SaveDataFile(Data()));  // the backup replaces the link, it does not write through it
  ASSERT_TRUE(SaveConfiguration(Config()));
  ASSERT_TRUE(SaveConfiguration(Config()));
  ExportTransitFile(t, Path("t.htf"));
  ExportProjectFile(p, Path("p.hpf"));
  EXPECT_TRUE(Shown.empty()) << Shown[0];

  EXPECT_EQ(ReadFile(victim), "precious");
  EXPECT_EQ(ReadFile(Data() + ".bak").substr(0, 1), "x");  // a data file (zlib), not the link
  for (const std::string& file : {Data(), Data() + ".bak", Config(), Config() + ".bak", Path("t.htf"), Path("p.hpf")})
    EXPECT_TRUE(IsRegularFile(file)) << file;
  // The planted links are still there, untouched; no temporary is left behind.
  EXPECT_TRUE(std::filesystem::is_symlink(Data() + ".tmp-planted0"));
  EXPECT_TRUE(std::filesystem::is_symlink(Config() + ".tmp"));
  for (const std::string& temp : TempFilesIn(Dir)) EXPECT_TRUE(std::filesystem::is_symlink(temp)) << temp;
  ClearTables();
  ASSERT_TRUE(LoadDataFile(Data()));
  EXPECT_EQ(Projects.Count(), 2);

  // An unreadable data file is kept aside under a name nothing is at.
  CloseDataFile();
  WriteFile(Data(), "damaged");
  ASSERT_TRUE(LoadDataFile(Data()));
  const std::string aside = UnreadableFileName(Data());
  plant(aside + ".tmp-planted0");
  Shown.clear();
  ASSERT_TRUE(SaveDataFile(Data()));
  EXPECT_EQ(ReadFile(aside), "damaged");
  EXPECT_EQ(ReadFile(victim), "precious");
}

TEST_F(SafeFiles, FilesClaimingHugeTextsAreRefusedAtOnceAndAddNothing) {
  // Texts of 1 GiB, really there in the files (1 MiB of compressed bytes each).
  const std::string tbs = RepeatedZlib(Header().Int(1).Int(1).Str("RecCustomer_V100").Int(kGiB).Data, GiBText(),
                                       1024, TBytes().Int(0).Int(0).Int(0).Data);
  EXPECT_LT(tbs.size(), 3u << 20);
  WriteFile(Data(), tbs);
  TBytes project = TBytes().Str("ProjectExportFile_V100").Str("RecProject_V100").Int(kGiB);
  WriteFile(Path("huge.hpf"), RepeatedZlib(project.Data, GiBText(), 1024, ""));
  WriteFile(Config(), RepeatedZlib(TBytes().Str("Version_1.04").Int(1).Int(kGiB).Data, GiBText(), 1024, ""));

  const std::string why = "The file holds a text of 1073741824 bytes, longer than the 1048576 allowed";
  ASSERT_TRUE(LoadDataFile(Data()));
  ASSERT_EQ(Shown.size(), 2u);
  EXPECT_EQ(Shown[0], "msg:EReadError");
  EXPECT_EQ(Shown[1].rfind("err:Error reading datafile:\r\r" + why, 0), 0u) << Shown[1];
  EXPECT_EQ(Customers.Count(), 0);
  Shown.clear();
  LoadConfiguration(Config());
  ASSERT_EQ(Shown.size(), 1u);
  EXPECT_NE(Shown[0].find(why), std::string::npos);
  EXPECT_EQ(Settings.CompanyLines, DefaultCompanyLines());
  try {
    ImportProjectFile(Path("huge.hpf"));
    ADD_FAILURE() << "accepted";
  } catch (const TLimitError& e) {
    EXPECT_EQ(std::string(e.what()).rfind(why, 0), 0u) << e.what();
  }
  EXPECT_EQ(std::tuple(Projects.Count(), Transits.Count()), std::tuple(0, 0));

  // Texts within the limit, but more of them than any real file inflates to.
  const std::string many =
      RepeatedZlib(Header().Int(300).Data, TBytes().Int(1).Str("RecCustomer_V100").Str(std::string(1 << 20, 'y')).Data,
                   300, TBytes().Int(0).Int(0).Int(0).Data);
  EXPECT_EQ(PayloadLimitFor(many.size()), MinPayloadLimit);
  TZlibReadStream z(many);
  std::vector<char> buffer(1 << 20);
  size_t read = 0;
  try {
    for (size_t n; (n = z.Read(buffer.data(), buffer.size())) > 0;) read += n;
    ADD_FAILURE() << "read " << read;
  } catch (const TLimitError& e) {
    EXPECT_EQ(std::string(e.what()), "The contents of the file are larger than 256 MiB; the file is damaged or is not "
                                     "a file of this program.");
  }
  EXPECT_LE(read, MinPayloadLimit);
  // A large real file may inflate to 200 times its size.
  EXPECT_EQ(PayloadLimitFor(10u << 20), 2000u << 20);

  // A text that could not be read back is not written either.
  Customers.Items(Customers.Add())->Name = std::string((1 << 20) + 1, 'z');
  EXPECT_FALSE(SaveDataFile(Data()));
  ASSERT_FALSE(Shown.empty());
  EXPECT_NE(Shown.back().find("that can be stored"), std::string::npos) << Shown.back();
}

#ifdef TRELLANE_CLI
TEST_F(SafeFiles, AHugeTextFileTakesLittleMemory) {
  // The dump of each file in its own process, whose peak memory the system measured.
  WriteFile(Path("huge.tbs"), RepeatedZlib(Header().Int(1).Int(1).Str("RecCustomer_V100").Int(kGiB).Data,
                                           GiBText(), 1024, TBytes().Int(0).Int(0).Int(0).Data));
  WriteFile(Path("huge.hpf"),
            RepeatedZlib(TBytes().Str("ProjectExportFile_V100").Str("RecProject_V100").Int(kGiB).Data, GiBText(), 1024, ""));
  for (const char* name : {"huge.tbs", "huge.hpf"}) {
    const std::string file = Path(name);
    // Started by the small probe, which reports the peak the system measured.
    const std::string command = std::string(STORE_PROBE) + " peak " + TRELLANE_CLI + " dump '" + file + "' 2>'" +
                                file + ".err'";
    FILE* pipe = popen(command.c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    int status = -1;
    long peak = -1;
    EXPECT_EQ(fscanf(pipe, "status %d peak %ld", &status, &peak), 2);
    pclose(pipe);
    EXPECT_EQ(status, 2);
    EXPECT_EQ(ReadFile(file + ".err").rfind("error: The file holds a text of 1073741824 bytes", 0), 0u)
        << ReadFile(file + ".err");
    // Peak memory in KiB: a small fraction of the text claimed.
    EXPECT_GT(peak, 0);
    EXPECT_LT(peak, 200 * 1024) << name;
  }
}
#endif

TEST_F(SafeFiles, ImportMessagesNameTheFileAndTheReason) {
  const int t = NewTransit(0, "T", 2);
  ExportTransitFile(t, Path("t.htf"));
  const std::string good = ReadFile(Path("t.htf"));
  ClearTables();
  const std::string deflated = good.substr(0, 2) + "\xff\xff\xff\xff";  // a block of no known kind
  WriteFile(Path("short.htf"), good.substr(0, good.size() / 2));
  WriteFile(Path("damaged.htf"), deflated);
  WriteFile(Path("text.htf"), "just some text");
  TBytes bad;
  AppendTransit(bad.Str("TransitExportFile_V100"), {.FillSystem = 299});
  WriteFile(Path("code.htf"), Compress(bad.Int(0).Data));
  WriteFile(Path("project.htf"), Compress(TBytes().Str("ProjectExportFile_V100").Data));

  const std::pair<std::string, std::string> cases[] = {
      {"short.htf", "The file ends too early: it is incomplete or damaged."},
      {"damaged.htf", "The file is damaged, or it is not a transit file of this program.\r\rDetails: "},
      {"text.htf", "The file is damaged, or it is not a transit file of this program.\r\rDetails: "},
      {"missing.htf", "The file cannot be opened or read.\r\rDetails: Cannot open file"},
      {"code.htf", "unknown value for FillSystem"},  // the program's own texts as they are
      {"project.htf", "Illegal transit data-format!"},
  };
  for (const auto& [name, reason] : cases) {
    try {
      ImportTransitFile(Path(name));
      ADD_FAILURE() << name;
    } catch (const std::exception& e) {
      const std::string message = ImportFailureMessage("transit", Path(name), e);
      EXPECT_EQ(message.rfind("The transit file\r" + Path(name) + "\rcould not be imported.\r\r" + reason, 0), 0u)
          << message;
    }
  }
  EXPECT_EQ(std::tuple(Transits.Count(), Conduits.Count()), std::tuple(0, 0));
}
