#include <gtest/gtest.h>

#include <filesystem>

#include "cli/cli_process.h"

#if TRELLANE_CLI_WRITES_PDF
namespace {
// The shell command's standard output.
std::string Output(const std::string& command) {
  std::string text;
  if (FILE* pipe = popen(command.c_str(), "r")) {
    char buffer[4096];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) text.append(buffer, n);
    pclose(pipe);
  }
  return text;
}
}  // namespace

// The command line lays out its PDF pages with Qt Gui alone: the program
// needs neither the widgets nor the printing library, and writes the pages
// with no display at all.
TEST(ReportPdfCommand, NeedsNoWidgetsAndNoDisplay) {
  // The program as built, and the copy that keeps every library linked.
  for (const char* program : {TRELLANE_CLI, TRELLANE_CLI_ALL_NEEDED}) {
    SCOPED_TRACE(program);
    const std::string needed = Output("readelf -d " + Quote(program) + " 2>&1");
    ASSERT_NE(needed.find("(NEEDED)"), std::string::npos) << needed;
    EXPECT_NE(needed.find("libQt6Gui.so"), std::string::npos) << needed;
    EXPECT_EQ(needed.find("libQt6Widgets"), std::string::npos) << needed;
    EXPECT_EQ(needed.find("libQt6PrintSupport"), std::string::npos) << needed;
  }

  TScratchFile pdf("", ".pdf");
  std::filesystem::remove(pdf.Path);
  const TCliResult r = RunCli("report " + Quote(std::string(TRELLANE_REPORT_DATA) + "/main.htf") + " -o " +
                                  Quote(pdf.Path),
                              "env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM LC_ALL=C");
  ASSERT_EQ(r.Status, 0) << r.Err;
  EXPECT_EQ(r.Err, "");
  const std::string info = Output("pdfinfo " + Quote(pdf.Path) + " 2>&1");
  EXPECT_NE(info.find("Producer:        Qt"), std::string::npos) << info;
  EXPECT_NE(info.find("Pages:           2\n"), std::string::npos) << info;
  EXPECT_NE(info.find("(A4)"), std::string::npos) << info;
}
#else
// Built without Qt, the command says it cannot write PDF, and writes nothing.
TEST(ReportPdfCommand, RefusedWithoutQt) {
  TScratchFile pdf("", ".pdf");
  std::filesystem::remove(pdf.Path);
  const TCliResult r = RunCli("report " + Quote(std::string(TRELLANE_REPORT_DATA) + "/main.htf") + " -o " +
                              Quote(pdf.Path));
  EXPECT_EQ(r.Status, 2);
  EXPECT_NE(r.Err.find("cannot write PDF"), std::string::npos) << r.Err;
  EXPECT_FALSE(std::filesystem::exists(pdf.Path));
}
#endif
