// The report's pages as a word processor makes them: the kept reports laid
// out to the page counts that a word processor's conversion of the same RTF
// gave (kept beside them), and no page that holds only a footnote or a lone
// line of a table.
#include <QAbstractTextDocumentLayout>
#include <QTextBlock>
#include <fstream>

#include <QScrollBar>

#include "core/transit.h"
#include "guitest.h"
#include "report_gui_fixture.h"
#include "reports/report.h"

using namespace reportsgui;

namespace {

std::string PagesPath(const std::string& name) { return DataPath("pages/" + name); }

// Eight transits of every system, of different sizes and conduit lists, in
// the project "Eight" (the tables are cleared first).
int32_t FillEightTransitProject() {
  reportstest::ClearTables();
  TRecProject& p = *Projects.Items(Projects.Add());
  p.Name = "Eight";
  p.Customer = "Yard 12";
  p.Created = p.Modified = 45000.5;
  p.CreatedBy = p.ModifiedBy = "anna";
  p.Comments = "eight transits\r\nof every system";
  struct TSpec {
    const char* Name;
    TFillSystem System;
    TFillSubsystem Subsystem;
    TConduitType Type;
    double Width, Height, Radius, Depth;
    std::vector<std::pair<double, int>> Groups;
  };
  const TSpec specs[] = {
      {"Engine room A", fsKova, fssNone, ctCables, 400, 300, 20, 200, {{61, 1}, {38, 3}, {22, 6}, {12.5, 10}, {8, 4}}},
      {"Engine room B", fsKova, fssNone, ctCables, 300, 150, 75, 150, {{20, 8}, {14, 6}}},
      {"Bridge deck", fsGrentax, fssNone, ctCables, 250, 250, 125, 100, {{30, 4}, {18, 6}, {10, 12}}},
      {"Pump room pipes", fsKovaMoxel, fssCFitCrusher, ctPipesPlastic, 300, 300, 150, 210, {{110, 1}, {63, 2}}},
      {"Galley", fsDusmera, fssNone, ctCables, 200, 100, 0, 200, {{30, 2}, {12, 4}}},
      {"Accommodation", fsPraven, fssNone, ctCables, 300, 200, 10, 180, {{40, 2}, {25, 4}, {16, 8}}},
      {"Cargo hold", fsKova, fssNone, ctCables, 600, 400, 40, 250, {{80, 2}, {50, 4}, {32, 6}, {20, 10}, {10, 20}}},
      {"Steering gear", fsKova, fssWrapCrusher, ctPipesMetal, 250, 250, 30, 200, {{88.9, 1}, {48.3, 2}}},
  };
  for (const TSpec& s : specs) {
    TRecTransit& t = reportstest::AddTransit(p.ID, s.Name);
    t.FillSystem = s.System;
    t.FillSubsystem = s.Subsystem;
    t.DefaultConduitType = s.Type;
    t.Width = s.Width * 1000;
    t.Height = s.Height * 1000;
    t.CornerRadius = s.Radius * 1000;
    t.Depth = s.Depth * 1000;
    t.SparePercentage = 10;
    t.Comments = std::string("transit of the ") + s.Name;
    for (const auto& [diameter, amount] : s.Groups) reportstest::AddConduit(t.ID, diameter * 1000, amount, s.Type);
  }
  return p.ID;
}

// The kept reports: file name and how it was made.
struct TKept {
  const char* Name;
  bool Eight;  // the eight-transit project, else the deck project of sample.tbs
  int ImageSize;
  TProjectReportContents Contents;
};
const TKept kKept[] = {
    {"eight_medium", true, risMedium, prcBoth},   {"eight_small", true, risSmall, prcBoth},
    {"eight_large", true, risLarge, prcTransits}, {"eight_none", true, risNone, prcBoth},
    {"deck_small", false, risSmall, prcBoth},     {"deck_large", false, risLarge, prcBoth},
};

std::map<std::string, int> ExpectedPages() {
  std::map<std::string, int> pages;
  std::ifstream in(PagesPath("expected_pages.txt"));
  std::string name;
  int count;
  while (in >> name >> count) pages[name] = count;
  return pages;
}

// The paragraphs that begin on each page: their texts, pictures as U+FFFC.
std::vector<std::vector<std::string>> ParagraphsByPage(const TReportDocument& report) {
  std::vector<std::vector<std::string>> pages(size_t(std::max(1, report.PageCount())));
  for (QTextBlock b = report.Document()->begin(); b.isValid(); b = b.next())
    pages[std::min(pages.size() - 1, size_t(report.PageOf(b)))].push_back(S(b.text()));
  return pages;
}

}  // namespace

// The expected page counts in data/pages/expected_pages.txt are those of a
// word processor's conversion of the kept reports (soffice --headless
// --convert-to pdf, pages counted with pdfinfo), made once; the word
// processor is a reference, not needed to run the test. Set
// TRELLANE_WRITE_REPORT_DATA=1 to write the kept reports anew; then convert
// them again and put the new counts into that file.
TEST_F(ReportWindows, PagesAsAWordProcessorLaysThemOut) {
  if (std::getenv("TRELLANE_WRITE_REPORT_DATA")) {
    for (const TKept& k : kKept) {
      int32_t project;
      if (k.Eight) {
        project = FillEightTransitProject();
      } else {
        ReadDataFileTables(DataPath("sample.tbs"));
        project = ProjectNamed("Deck {3}");
      }
      std::ofstream(PagesPath(std::string(k.Name) + ".rtf"), std::ios::binary)
          << BuildProjectReport(project, ProjectTransitIds(project), k.ImageSize, k.Contents);
    }
  }
  const std::map<std::string, int> expected = ExpectedPages();
  ASSERT_EQ(expected.size(), std::size(kKept));
  for (const TKept& k : kKept) {
    SCOPED_TRACE(k.Name);
    const TReportDocument report(ReadWholeFile(PagesPath(std::string(k.Name) + ".rtf")));
    EXPECT_EQ(report.PageCount(), expected.at(k.Name));
    // Every page with text holds more than a footnote or a lone line. (An
    // empty paragraph that holds a page break and finds no room at the foot
    // of a page leaves a blank page, on a word processor's pages as well.)
    const auto pages = ParagraphsByPage(report);
    for (size_t i = 0; i < pages.size(); ++i) {
      int lines = 0;
      bool footnote = false;
      for (const std::string& text : pages[i]) {
        if (text.empty() || text == " ") continue;
        ++lines;
        footnote = footnote || text.starts_with("* non-standard");
      }
      if (lines > 0) {
        EXPECT_GE(lines - int(footnote), 2) << "page " << i + 1 << " of " << pages.size();
      }
    }
  }
}

namespace {
std::string Output(const std::string& command) {
  std::string out;
  if (FILE* pipe = popen(command.c_str(), "r")) {
    char buffer[4096];
    for (size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;) out.append(buffer, n);
    pclose(pipe);
  }
  return out;
}
}  // namespace

// The PDF has the word processor's pages too, and its text is plain
// letters: words are found as they are spelt, with no ligature characters.
TEST_F(ReportWindows, PdfPagesAndPlainText) {
  const std::map<std::string, int> expected = ExpectedPages();
  const TReportDocument report(ReadWholeFile(PagesPath("eight_medium.rtf")));
  const std::string pdf = Path("eight.pdf");
  report.WritePdf(Q(pdf), QStringLiteral("eight"));
  const std::string info = Output("pdfinfo '" + pdf + "' 2>/dev/null");
  const size_t at = info.find("Pages:");
  ASSERT_NE(at, std::string::npos);
  EXPECT_EQ(std::atoi(info.c_str() + at + 6), expected.at("eight_medium"));
  const std::string text = Output("pdftotext '" + pdf + "' - 2>/dev/null");
  for (const char* word : {"Type of filler sleeves", "Modified by:", "Cable specifications:", "Filler sleeves",
                           "Transit specifications:", "Last modified:"})
    EXPECT_NE(text.find(word), std::string::npos) << word;
  for (const char* ligature : {"\xEF\xAC\x80", "\xEF\xAC\x81", "\xEF\xAC\x82", "\xEF\xAC\x83", "\xEF\xAC\x84"})
    EXPECT_EQ(text.find(ligature), std::string::npos) << "a ligature in the text";
}

// A new viewer shows a whole A4 page across at 100 %: no scrolling sideways.
// (The frame gives a child the size it asks for, as far as there is room.)
TEST_F(ReportWindows, ViewerOpensAsWideAsAPage) {
  TfrmRTFviewer viewer;
  viewer.show();
  viewer.LoadReport(ReadWholeFile(PagesPath("deck_small.rtf")));
  guitest::ProcessEvents();
  EXPECT_EQ(viewer.ZoomPercent(), 100);
  const QRectF page = viewer.View()->PageRect(0);
  EXPECT_GE(page.left(), 0);
  EXPECT_LE(page.right(), viewer.View()->viewport()->width());
  EXPECT_EQ(viewer.View()->horizontalScrollBar()->maximum(), 0);
  guitest::SaveScreenshot(&viewer, QStringLiteral("rtfviewer_new"));
}
