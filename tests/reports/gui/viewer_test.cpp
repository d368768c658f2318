// The RTF viewer on reports of real data files, its pictures, zoom, saving,
// printing and PDF, and the command line's PDF read back with poppler.
#include <sys/wait.h>

#include <QAction>
#include <QClipboard>
#include <QDir>
#include <QMessageBox>
#include <QPainter>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QScrollBar>
#include <QTest>
#include <cmath>
#include <cstdlib>
#include <fstream>

#include "core/draw/bitmap.h"
#include "core/draw/picture.h"
#include "core/draw/transitdrawer.h"
#include "core/transit.h"
#include "guitest.h"
#include "report_gui_fixture.h"
#include "reports/render/qtwmfpainter.h"
#include "reports/report.h"
#include "reports/rtfreader.h"
#include "store/transitrecord.h"
#include "tests/reports/wmf_sample.h"

using namespace reportsgui;

namespace {

std::string ReadText(const std::string& path) { return ReadWholeFile(path); }

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  size_t at = 0;
  while (at < text.size()) {
    const size_t end = text.find('\n', at);
    lines.push_back(text.substr(at, end == std::string::npos ? std::string::npos : end - at));
    if (end == std::string::npos) break;
    at = end + 1;
  }
  return lines;
}

// Runs a command line; its standard output.
std::string Shell(const std::string& command, int* status = nullptr) {
  std::string out;
  if (FILE* pipe = popen(command.c_str(), "r")) {
    char buffer[4096];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) out.append(buffer, n);
    const int raw = pclose(pipe);
    if (status) *status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  }
  return out;
}

// pdftotext with the ligatures a PDF font makes spelt out again.
std::string PdfText(const std::string& path) {
  std::string text = Shell("pdftotext -layout '" + path + "' - 2>/dev/null");
  for (size_t at; (at = text.find("\xEF\xAC\x81")) != std::string::npos;) text.replace(at, 3, "fi");
  for (size_t at; (at = text.find("\xEF\xAC\x82")) != std::string::npos;) text.replace(at, 3, "fl");
  return text;
}

int PdfPages(const std::string& path) {
  const std::string info = Shell("pdfinfo '" + path + "' 2>/dev/null");
  const size_t at = info.find("Pages:");
  return at == std::string::npos ? -1 : std::atoi(info.c_str() + at + 6);
}

// The reports of the data files: what each holds and the file of its
// expected paragraphs.
struct TReportCase {
  const char* Name;
  const char* DataFile;  // .tbs: the project "Deck {3}"; .htf: its transit
  int ImageSize;
  TProjectReportContents Contents;
};
const TReportCase kReports[] = {
    {"deck_project", "sample.tbs", risSmall, prcBoth},
    {"deck_totals", "sample.tbs", risMedium, prcTotals},
    {"main_transit", "main.htf", risLarge, prcBoth},
};

std::string ReportOf(const TReportCase& c) {
  if (std::string(c.DataFile).ends_with(".htf")) {
    reportstest::ClearTables();
    const int index = ImportTransitFile(DataPath(c.DataFile));
    TTransit t;
    LoadFromRecord(t, Transits.Items(index)->ID);
    t.Validate();
    t.SortConduitGroups();
    t.Fill();
    return BuildTransitReport(t, c.ImageSize);
  }
  ReadDataFileTables(DataPath(c.DataFile));
  const int32_t project = ProjectNamed("Deck {3}");
  return BuildProjectReport(project, ProjectTransitIds(project), c.ImageSize, c.Contents);
}

// The report's picture played with Qt without smoothing, and the same
// picture drawn directly on a bitmap; the count of pixels that differ.
int PictureMismatch(const TTransit& t, bool grid, int& total) {
  auto image = MakeReportPicture(t, 700, 700, grid);
  const int w = image->Width, h = image->Height;
  QImage played(w, h, QImage::Format_RGB32);
  played.fill(Qt::white);
  {
    QPainter p(&played);
    PaintWmf(p, ReadWmf(image->Metafile(), true), QRectF(0, 0, w, h));
  }
  TTransitDrawer d(t);
  d.SetSize(700, 700);
  d.SetColourScheme(true);
  d.GridInFront = false;
  d.GridLineWidth = grid ? ReportGridLineWidth : 0;
  TBitmap direct(w, h);
  direct.Fill(0xFFFFFF);
  TBitmapCanvas canvas(direct);
  d.Draw(canvas);
  canvas.SetPen(0, ReportFrameWidth);
  canvas.MoveTo(0, 0);
  for (auto [x, y] : {std::pair{w - 10, 0}, {w - 10, h - 10}, {0, h - 10}, {0, 0}}) canvas.LineTo(x, y);
  int differ = 0;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const QRgb q = played.pixel(x, y);
      const TColour c = direct.Pixel(x, y);
      if (std::abs(qRed(q) - RedOf(c)) > 2 || std::abs(qGreen(q) - GreenOf(c)) > 2 || std::abs(qBlue(q) - BlueOf(c)) > 2)
        ++differ;
    }
  total = w * h;
  QDir().mkpath(QStringLiteral(TRELLANE_SCREENSHOT_DIR));
  played.save(QStringLiteral(TRELLANE_SCREENSHOT_DIR "/picture_played_%1%2.png").arg(Q(t.Name).replace(QLatin1Char(' '), QLatin1Char('_'))).arg(grid ? "_grid" : ""));
  return differ;
}

// A page of the viewer's document as an image at the scale.
QImage PageImage(const TReportDocument& report, int page, double scale) {
  const QSizeF size = report.PageSize() * scale;
  QImage image(qCeil(size.width()), qCeil(size.height()), QImage::Format_RGB32);
  image.fill(Qt::white);
  QPainter p(&image);
  p.scale(scale, scale);
  report.PaintPage(p, page, QRectF(QPointF(0, 0), report.PageSize()));
  return image;
}

}  // namespace

// Set TRELLANE_WRITE_REPORT_DATA=1 to write the data files and expected
// paragraphs anew after an intended change (and read them before committing).
TEST_F(ReportWindows, ReportsOfDataFilesParagraphByParagraph) {
  if (std::getenv("TRELLANE_WRITE_REPORT_DATA")) {
    const reportstest::TSample s = reportstest::FillSampleProject();
    std::ofstream(DataPath("sample.tbs"), std::ios::binary) << reportstest::DataFileBytes();
    ExportTransitFile(Transits.IndexOfID(s.CableTransit), DataPath("main.htf"));
  }
  TfrmRTFviewer* viewer = Viewer();
  ASSERT_NE(viewer, nullptr);
  for (const TReportCase& c : kReports) {
    const std::string rtf = ReportOf(c);
    viewer->LoadReport(rtf);
    const std::vector<std::string> shown = Paragraphs(*viewer->Report()->Document());
    const std::string expectedPath = DataPath(std::string(c.Name) + ".txt");
    if (std::getenv("TRELLANE_WRITE_REPORT_DATA")) {
      std::ofstream out(expectedPath, std::ios::binary);
      for (const std::string& line : shown) out << line << "\n";
    }
    const std::vector<std::string> expected = Lines(ReadText(expectedPath));
    ASSERT_EQ(shown.size(), expected.size()) << c.Name;
    for (size_t i = 0; i < shown.size(); ++i) EXPECT_EQ(shown[i], expected[i]) << c.Name << " paragraph " << i + 1;
    // The model and the text document agree, pictures and page breaks included.
    const TRtfDocument model = ReadRtf(rtf);
    ASSERT_EQ(model.Paragraphs.size(), shown.size()) << c.Name;
    int pictures = 0, breaks = 0;
    QTextBlock block = viewer->Report()->Document()->begin();
    for (const TRtfParagraph& p : model.Paragraphs) {
      EXPECT_EQ(p.Text(), S(block.text()));
      breaks += block.blockFormat().pageBreakPolicy() == QTextFormat::PageBreak_AlwaysBefore;
      block = block.next();
    }
    for (const std::string& line : shown) pictures += line == "\xEF\xBF\xBC";
    EXPECT_EQ(pictures, static_cast<int>(model.Pictures.size())) << c.Name;
    EXPECT_EQ(viewer->Report()->PageCount() >= breaks + 1, true) << c.Name;
    EXPECT_EQ(viewer->ReportBytes(), rtf);
  }
}

// Played with Qt (no smoothing), a picture matches the direct drawing but
// for pixels on the rims of circles, rounded corners and arcs, where Qt's
// rasteriser and the bitmap's cell rules decide a border pixel differently:
// under 1 % of the pixels (0.7 % at most in these pictures), each colour
// within 2 levels elsewhere. The played picture is kept for review.
TEST_F(ReportWindows, PicturesPlayedAsDrawnDirectly) {
  ReadDataFileTables(DataPath("sample.tbs"));
  for (const int32_t id : ProjectTransitIds(ProjectNamed("Deck {3}"))) {
    TTransit t;
    LoadFromRecord(t, id);
    t.Fill();
    for (bool grid : {true, false}) {
      int total = 0;
      const int differ = PictureMismatch(t, grid, total);
      EXPECT_LT(differ, total / 100) << t.Name << " grid " << grid << ": " << differ << " of " << total;
    }
  }
}

TEST_F(ReportWindows, ZoomStepsAndReuse) {
  TfrmRTFviewer* viewer = Viewer();
  EXPECT_EQ(viewer->windowTitle(), QStringLiteral("RTF-Viewer"));
  EXPECT_GE(viewer->minimumWidth(), 400);
  EXPECT_GE(viewer->minimumHeight(), 250);
  auto* zoomIn = guitest::Child<QAction>(viewer, "actZoomIn");
  auto* zoomOut = guitest::Child<QAction>(viewer, "actZoomOut");
  EXPECT_FALSE(guitest::Child<QAction>(viewer, "actSave")->isEnabled()) << "nothing to save yet";
  viewer->LoadReport(ReportOf(kReports[0]));
  std::vector<int> percents{viewer->ZoomPercent()};
  EXPECT_FALSE(zoomOut->isEnabled());
  while (zoomIn->isEnabled()) {
    zoomIn->trigger();
    percents.push_back(viewer->ZoomPercent());
  }
  EXPECT_EQ(percents, (std::vector<int>{100, 120, 144, 172, 207, 248, 298, 358, 429, 515, 619}));
  EXPECT_DOUBLE_EQ(viewer->View()->Zoom(), 6.19);
  EXPECT_EQ(viewer->ZoomStep(), 10);
  zoomOut->trigger();
  EXPECT_EQ(viewer->ZoomPercent(), 515);
  EXPECT_TRUE(zoomIn->isEnabled());
  // The view keeps its scroll bars; the page is wider than the window.
  EXPECT_GT(viewer->View()->horizontalScrollBar()->maximum(), 0);
  // A second report in the open viewer: the same window, back at 100 %.
  guitest::ProcessEvents();
  viewer->LoadReport(ReportOf(kReports[2]));
  EXPECT_EQ(Viewer(), viewer);
  EXPECT_EQ(Frame->Children("TfrmRTFviewer").size(), 1);
  EXPECT_EQ(viewer->ZoomPercent(), 100);
  EXPECT_FALSE(zoomOut->isEnabled());
  // Not RTF: an error, and the report shown stays.
  const std::string before = viewer->ReportBytes();
  EXPECT_THROW(viewer->LoadReport("plain text"), TError);
  EXPECT_EQ(viewer->ReportBytes(), before);
  // Keys of the usual zoom shortcuts reach it too.
  viewer->View()->setFocus();
  QTest::keyClick(viewer->View(), Qt::Key_Plus, Qt::ControlModifier);
  EXPECT_EQ(viewer->ZoomStep(), 1);
  // End and Home run to the last page and back; Page Down moves a screen.
  QScrollBar* bar = viewer->View()->verticalScrollBar();
  QTest::keyClick(viewer->View(), Qt::Key_End);
  EXPECT_EQ(bar->value(), bar->maximum());
  QTest::keyClick(viewer->View(), Qt::Key_Home);
  EXPECT_EQ(bar->value(), 0);
  QTest::keyClick(viewer->View(), Qt::Key_PageDown);
  EXPECT_GT(bar->value(), 0);
}

TEST_F(ReportWindows, SaveGivesTheSameBytesAndPdfAndPrintWritePages) {
  TfrmRTFviewer* viewer = Viewer();
  const std::string rtf = ReportOf(kReports[0]);
  viewer->LoadReport(rtf);
  const int pages = viewer->Report()->PageCount();
  EXPECT_GE(pages, 4);
  QString asked;
  viewer->ChooseSaveFile = [&](const QString&, const QString& filter, const QString& suffix) {
    asked = filter + QLatin1Char('|') + suffix;
    return Dir.filePath(suffix == QLatin1String("rtf") ? QStringLiteral("saved.rtf") : QStringLiteral("saved.pdf"));
  };
  guitest::Child<QAction>(viewer, "actSave")->trigger();
  EXPECT_EQ(asked, QStringLiteral("Rich Text (*.rtf)|rtf"));
  EXPECT_EQ(ReadWholeFile(Path("saved.rtf")), rtf);
  guitest::Child<QAction>(viewer, "actSavePdf")->trigger();
  EXPECT_EQ(asked, QStringLiteral("PDF (*.pdf)|pdf"));
  EXPECT_EQ(PdfPages(Path("saved.pdf")), pages);
  EXPECT_NE(PdfText(Path("saved.pdf")).find("Material list for transit 'Main {Deck 3}'"), std::string::npos);
  // A cancelled choice writes nothing; a folder that is not there is told.
  viewer->ChooseSaveFile = [](const QString&, const QString&, const QString&) { return QString(); };
  guitest::Child<QAction>(viewer, "actSave")->trigger();
  viewer->ChooseSaveFile = [&](const QString&, const QString&, const QString& suffix) {
    return Dir.filePath(QStringLiteral("missing/report.") + suffix);
  };
  for (const char* action : {"actSave", "actSavePdf"}) {
    guitest::ModalAnswer told([](QWidget* box) { guitest::ClickMessageBoxButton(box, QMessageBox::Ok); });
    guitest::Child<QAction>(viewer, action)->trigger();
    EXPECT_TRUE(told.Text().startsWith(QStringLiteral("Error saving the report:"))) << action << S(told.Text());
  }
  EXPECT_FALSE(QDir(Dir.filePath(QStringLiteral("missing"))).exists());

  // Printing to a PDF file: the job's name, the report's paper, every page.
  QPrinter printer(QPrinter::HighResolution);
  viewer->SetUpPrinter(printer);
  EXPECT_EQ(printer.docName(), QStringLiteral("RTF output"));
  EXPECT_EQ(printer.pageLayout().pageSize().id(), QPageSize::A4);
  printer.setOutputFormat(QPrinter::PdfFormat);
  printer.setOutputFileName(Dir.filePath(QStringLiteral("printed.pdf")));
  ASSERT_TRUE(viewer->PrintTo(printer));
  EXPECT_EQ(PdfPages(Path("printed.pdf")), pages);
  const std::string printed = PdfText(Path("printed.pdf"));
  for (const char* part : {"Project customer:", "M\xC3\xBC" "ller & Co", "Total amount of cables: 24", "Last modified:"})
    EXPECT_NE(printed.find(part), std::string::npos) << part;

  // The print button asks through the print dialog; the preview paints pages.
  guitest::ModalAnswer cancelPrint([](QWidget* dialog) {
    EXPECT_NE(qobject_cast<QPrintDialog*>(dialog), nullptr) << dialog->metaObject()->className();
    qobject_cast<QDialog*>(dialog)->reject();
  });
  guitest::Child<QAction>(viewer, "actPrint")->trigger();
  EXPECT_TRUE(cancelPrint.Ran());
  guitest::ModalAnswer closePreview([](QWidget* dialog) {
    EXPECT_NE(qobject_cast<QPrintPreviewDialog*>(dialog), nullptr);
    qobject_cast<QDialog*>(dialog)->reject();
  });
  guitest::Child<QAction>(viewer, "actPreview")->trigger();
  EXPECT_TRUE(closePreview.Ran());
}

// What a word processor makes of a report: the picture twice (shape and
// plain metafile), its own metafile records, paper and margins of its own.
TEST_F(ReportWindows, WordProcessorRtfWithItsMetafile) {
  std::string hex;
  for (unsigned char c : wmftest::WordProcessorSample()) {
    hex += "0123456789abcdef"[c >> 4];
    hex += "0123456789abcdef"[c & 15];
  }
  const std::string rtf =
      "{\\rtf1\\ansi\\deff0\\adeflang1025{\\fonttbl{\\f0\\froman\\fprq2\\fcharset0 Times New Roman;}}"
      "{\\colortbl;\\red0\\green0\\blue0;}{\\stylesheet{\\s0\\snext0 Normal;}}{\\*\\generator Writer/7.4$Linux}"
      "{\\info{\\creatim\\yr2024}}\\paperw11906\\paperh16838\\margl1134\\margr1134\\margt1134\\margb1134"
      "\\sectd\\pard\\plain\\s0\\tx3000\\f0\\fs16{\\rtlch \\ltrch\\loch Before:\\tab x}\\par"
      "\\pard\\plain{\\*\\shppict{\\pict\\picscalex100\\picscaley100\\picw26458\\pich13229\\picwgoal1000\\pichgoal500"
      "\\wmetafile8\n" + hex + "}}{\\nonshppict{\\pict\\wmetafile8 0100}}\\par\\pard\\plain After\\par}";
  TfrmRTFviewer* viewer = Viewer();
  viewer->LoadReport(rtf);
  const TReportDocument& report = *viewer->Report();
  EXPECT_EQ(Paragraphs(*report.Document()), (std::vector<std::string>{"Before:\tx", "\xEF\xBF\xBC", "After"}));
  EXPECT_EQ(report.Model().MarginLeft, 1134);
  // The red triangle is painted where the picture stands (1000 x 500 twips
  // at the left margin of 1134 twips, below the first line).
  const QImage page = PageImage(report, 0, 1.0);
  int red = 0;
  for (int y = 0; y < 200; ++y)
    for (int x = 0; x < 200; ++x) red += page.pixel(x, y) == qRgb(255, 0, 0);
  EXPECT_GT(red, 100);
  // Sharp at the largest zoom: still one solid colour deep inside.
  const QImage zoomed = PageImage(report, 0, 6.19);
  EXPECT_GT(zoomed.width(), 4900);
  guitest::SaveScreenshot(viewer, QStringLiteral("rtfviewer_word_processor"));
}

// Read-only, but its text can be chosen with the mouse and copied.
TEST_F(ReportWindows, TextIsChosenAndCopied) {
  TfrmRTFviewer* viewer = Viewer();
  viewer->LoadReport(ReportOf(kReports[0]));
  guitest::ProcessEvents();
  TReportPageView* view = viewer->View();
  const int scroll = view->horizontalScrollBar()->value();
  // The first line, from the left margin (an inch) to far right of its end.
  const QPointF lineStart = view->PageRect(0).topLeft() + QPointF(1440 / 15.0 + 1 - scroll, 1440 / 15.0 + 5);
  auto mouse = [&](QEvent::Type type, QPointF at, Qt::MouseButtons buttons) {
    QMouseEvent event(type, at, view->viewport()->mapToGlobal(at), Qt::LeftButton, buttons, Qt::NoModifier);
    QApplication::sendEvent(view->viewport(), &event);
  };
  mouse(QEvent::MouseButtonPress, lineStart, Qt::LeftButton);
  mouse(QEvent::MouseMove, lineStart + QPointF(400, 0), Qt::LeftButton);
  mouse(QEvent::MouseButtonRelease, lineStart + QPointF(400, 0), Qt::NoButton);
  EXPECT_EQ(view->SelectedText(), QStringLiteral("Trellane Software"));
  view->setFocus();
  QTest::keyClick(view, Qt::Key_A, Qt::ControlModifier);
  QTest::keyClick(view, Qt::Key_C, Qt::ControlModifier);
  const QString copied = QGuiApplication::clipboard()->text();
  EXPECT_TRUE(copied.startsWith(QStringLiteral("Trellane Software\nZwolle\n"))) << S(copied.left(40));
  EXPECT_NE(copied.indexOf(QStringLiteral("Project name:\tDeck {3}")), -1);
  EXPECT_EQ(viewer->ReportBytes(), ReportOf(kReports[0])) << "nothing changed";
}

// Zoomed in and scrolled down to the second page: that page shows at the top
// of the view, white with its text drawn, though the pages above it are out
// of sight and not painted.
TEST_F(ReportWindows, ViewerPaintsThePageScrolledToAtItsZoom) {
  TfrmRTFviewer* viewer = Viewer();
  viewer->LoadReport(ReportOf(kReports[0]));
  viewer->parentWidget()->resize(900, 680);
  guitest::Child<QAction>(viewer, "actZoomIn")->trigger();
  ASSERT_GE(viewer->Report()->PageCount(), 2);
  TReportPageView* view = viewer->View();
  view->verticalScrollBar()->setValue(int(view->PageRect(1).top()));
  guitest::ProcessEvents();
  const QRectF page =
      view->PageRect(1).translated(-view->horizontalScrollBar()->value(), -view->verticalScrollBar()->value());
  EXPECT_NEAR(page.top(), 0, 1);
  const QImage shot = view->viewport()->grab().toImage();
  const qreal ratio = shot.devicePixelRatio();
  const QRect part = QRectF(page.topLeft() * ratio, page.size() * ratio).toRect().intersected(shot.rect());
  ASSERT_FALSE(part.isEmpty());
  int white = 0, ink = 0;
  for (int y = part.top(); y <= part.bottom(); y += 2)
    for (int x = part.left(); x <= part.right(); x += 2) {
      const int level = qGray(shot.pixel(x, y));
      if (level >= 250) ++white;
      if (level < 128) ++ink;
    }
  const int looked = ((part.width() + 1) / 2) * ((part.height() + 1) / 2);
  EXPECT_GT(white, looked / 2) << "the page is white";
  EXPECT_GT(ink, 100) << "its text is drawn";
  EXPECT_TRUE(guitest::TextsWhole(viewer));
  guitest::SaveScreenshot(viewer, QStringLiteral("rtfviewer"));
}

// The command line writes the same pages: text read back with pdftotext,
// a page rendered with pdftoppm.
TEST_F(ReportWindows, CommandLinePdf) {
  const std::string out = Path("deck.PDF");
  int status = -1;
  Shell(std::string(TRELLANE_CLI) + " report '" + DataPath("sample.tbs") + "' --project 'Deck {3}' --images small -o '" +
          out + "' 2>&1",
      &status);
  ASSERT_EQ(status, 0);
  const std::string text = PdfText(out);
  ReadDataFileTables(DataPath("sample.tbs"));
  TfrmRTFviewer* viewer = Viewer();
  viewer->LoadReport(ReportOf(kReports[0]));
  EXPECT_EQ(PdfPages(out), viewer->Report()->PageCount());
  // Every line of the report, the tabs' columns aside, in the PDF's text.
  std::string flat;
  for (char c : text) flat += (c == '\n' || c == '\f') ? ' ' : c;
  auto squeeze = [](std::string s) {
    std::string r;
    for (char c : s) {
      if (c == '\t') c = ' ';
      if (c == ' ' && (r.empty() || r.back() == ' ')) continue;
      r += c;
    }
    return r;
  };
  flat = squeeze(flat);
  for (const std::string& line : Paragraphs(*viewer->Report()->Document())) {
    const std::string wanted = squeeze(line);
    if (wanted.empty() || wanted == " " || wanted == "\xEF\xBF\xBC") continue;
    EXPECT_NE(flat.find(wanted.back() == ' ' ? wanted.substr(0, wanted.size() - 1) : wanted), std::string::npos)
        << wanted;
  }
  // The second page, with its picture, as an image.
  Shell("pdftoppm -r 40 -f 2 -l 2 -png '" + out + "' '" + Path("page") + "'");
  const QImage page(Dir.filePath(QStringLiteral("page-2.png")));
  ASSERT_FALSE(page.isNull());
  EXPECT_NEAR(page.width() / double(page.height()), 210 / 297.0, 0.01);
  int coloured = 0;
  for (int y = 0; y < page.height(); ++y)
    for (int x = 0; x < page.width(); ++x) {
      const QColor c = page.pixelColor(x, y);
      coloured += std::abs(c.red() - c.green()) > 30 || std::abs(c.green() - c.blue()) > 30;
    }
  EXPECT_GT(coloured, 200) << "the picture's colours";
  // Without an output it is an error, and nothing is written.
  Shell(std::string(TRELLANE_CLI) + " report '" + DataPath("sample.tbs") + "' --project Nowhere -o '" + Path("x.pdf") +
          "' 2>/dev/null",
      &status);
  EXPECT_EQ(status, 2);
  EXPECT_FALSE(QFile::exists(Dir.filePath(QStringLiteral("x.pdf"))));
}
