// The print preview shows what prints. The preview records each page as
// drawn on the printer (at its resolution) and plays the recording back
// scaled to the screen; a page so recorded and played must look as the
// same page painted directly at that scale, picture included.
#include <QDir>
#include <QPainter>
#include <QPicture>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>

#include "guitest.h"
#include "report_gui_fixture.h"
#include "reports/render/qtwmfpainter.h"
#include "reports/rtfreader.h"

using namespace reportsgui;

namespace {

constexpr double kPrinter = 1200.0 / 96;  // a high-resolution printer's pixels per document unit

// A report picture painted at the scale, directly or (as the preview does
// it) recorded at the printer's scale and played back at this one.
QImage PaintedPicture(const TRtfPicture& picture, double scale, bool recorded) {
  const TWmfFile wmf = ReadWmf(picture.Data, false);
  const QRectF box(0, 0, picture.WidthTwips() / 15, picture.HeightTwips() / 15);
  QImage image(qCeil(box.width() * scale), qCeil(box.height() * scale), QImage::Format_RGB32);
  image.fill(Qt::white);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  if (!recorded) {
    p.scale(scale, scale);
    PaintWmf(p, wmf, box);
    return image;
  }
  QPicture recording;
  {
    QPainter r(&recording);
    r.setRenderHint(QPainter::Antialiasing);
    r.scale(kPrinter, kPrinter);
    PaintWmf(r, wmf, box);
  }
  p.scale(scale / kPrinter, scale / kPrinter);
  p.drawPicture(0, 0, recording);
  return image;
}

// Blocks of 4 x 4 pixels whose mean colour differs by more than 64 levels
// in a channel: a line is shaded a little differently when a recording is
// scaled down, but a line that is missing or misplaced shows.
int BlocksThatDiffer(const QImage& a, const QImage& b) {
  if (a.size() != b.size()) return -1;
  int differ = 0;
  for (int y = 0; y + 4 <= a.height(); y += 4)
    for (int x = 0; x + 4 <= a.width(); x += 4) {
      int sum[2][3] = {};
      for (int dy = 0; dy < 4; ++dy)
        for (int dx = 0; dx < 4; ++dx)
          for (int k = 0; k < 2; ++k) {
            const QRgb c = (k ? b : a).pixel(x + dx, y + dy);
            sum[k][0] += qRed(c);
            sum[k][1] += qGreen(c);
            sum[k][2] += qBlue(c);
          }
      for (int c = 0; c < 3; ++c)
        if (std::abs(sum[0][c] - sum[1][c]) > 64 * 16) {
          ++differ;
          break;
        }
    }
  return differ;
}

}  // namespace

TEST_F(ReportWindows, PreviewShowsWhatPrints) {
  QDir().mkpath(QStringLiteral(TRELLANE_SCREENSHOT_DIR));
  for (const char* name : {"deck_small", "deck_large"}) {
    const TRtfDocument rtf = ReadRtf(ReadWholeFile(DataPath(std::string("pages/") + name + ".rtf")));
    ASSERT_EQ(rtf.Pictures.size(), 3u);
    for (size_t i = 0; i < rtf.Pictures.size(); ++i)
      for (const double scale : {1.0, 2.0}) {
        const QImage direct = PaintedPicture(rtf.Pictures[i], scale, false);
        const QImage played = PaintedPicture(rtf.Pictures[i], scale, true);
        // A few blocks where a line's snapping to whole pixels of the screen
        // and of the printer differ by one pixel.
        const int blocks = (direct.width() / 4) * (direct.height() / 4);
        const int differ = BlocksThatDiffer(direct, played);
        EXPECT_TRUE(differ >= 0 && differ <= 2 + blocks / 2000)
            << name << " picture " << i + 1 << " at " << scale << ": " << differ << " of " << blocks;
        if (i == 0 && scale == 2.0 && name == std::string("deck_small")) {
          direct.save(QStringLiteral(TRELLANE_SCREENSHOT_DIR "/preview_direct.png"));
          played.save(QStringLiteral(TRELLANE_SCREENSHOT_DIR "/preview_played.png"));
        }
      }
  }
}

// The viewer's preview dialog holds every page of the report, each drawn.
TEST_F(ReportWindows, PreviewDialogHoldsEveryPage) {
  TfrmRTFviewer* viewer = Viewer();
  viewer->LoadReport(ReadWholeFile(DataPath("pages/deck_small.rtf")));
  const int count = viewer->Report()->PageCount();
  ASSERT_GE(count, 2);
  guitest::ModalAnswer look([count](QWidget* dialog) {
    dialog->resize(900, 1000);
    guitest::ProcessEvents();
    guitest::SaveScreenshot(dialog, QStringLiteral("print_preview"));
    auto* pages = dialog->findChild<QPrintPreviewWidget*>();
    EXPECT_NE(pages, nullptr);
    if (pages) {
      EXPECT_EQ(pages->pageCount(), count);
      pages->setCurrentPage(2);
      pages->fitInView();
      guitest::ProcessEvents();
      guitest::SaveScreenshot(dialog, QStringLiteral("print_preview_picture"));
    }
    qobject_cast<QDialog*>(dialog)->reject();
  });
  guitest::Child<QAction>(viewer, "actPreview")->trigger();
  EXPECT_TRUE(look.Ran());
}
