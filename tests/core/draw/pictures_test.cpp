// Whole pictures of filled transits against stored PNG files, and the report's
// metafile played back onto a bitmap against direct drawing.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <set>

#include "cli/transit_json.h"
#include "core/draw/picture.h"
#include "core/draw/png.h"
#include "core/errors.h"
#include "core/units.h"
#include "draw/wmf_reader.h"
#include "editor/advice.h"

namespace {

struct TPictureCase {
  const char* Name;
  const char* Json;
  TLengthUnit Unit;
  bool Smooth, Grid;
  int Width, Height;
};

// Together they show every cover code, round and rectangular openings, both
// units, both grid ranges, grid on and off, quick and smooth drawing.
const TPictureCase kCases[] = {
    {"kova_cables", R"j({"width":300000,"height":200000,"conduits":[{"amount":3,"diameter":20000},{"amount":1,"diameter":120000}]})j",
     luMillimetre, false, true, 240, 180},
    {"kova_plastic_inch", R"j({"width":500000,"height":400000,"conduitType":"Pipes (plastic)","conduits":[{"amount":2,"diameter":40000},{"amount":1,"diameter":160000}]})j",
     luInch, false, true, 240, 180},
    {"kova_metal_h_smooth", R"j({"width":500000,"height":400000,"conduitType":"Pipes (metal)","classification":"H-class","conduits":[{"amount":2,"diameter":40000},{"amount":1,"diameter":160000}]})j",
     luMillimetre, true, false, 240, 180},
    {"kova_metal_ring", R"j({"width":300000,"height":200000,"cornerRadius":40000,"conduitType":"Pipes (metal)","conduits":[{"amount":2,"diameter":40000}]})j",
     luMillimetre, false, false, 240, 180},
    {"praven_smooth", R"j({"width":300000,"height":200000,"fillSystem":"PRAVEN","conduits":[{"amount":4,"diameter":20000},{"amount":1,"diameter":90000}]})j",
     luMillimetre, true, true, 240, 180},
    {"grentax_multi_inch_smooth", R"j({"width":500000,"height":400000,"fillSystem":"GRENTAX","conduitType":"Pipes (plastic)","conduits":[{"amount":3,"diameter":40000},{"amount":1,"diameter":250000}]})j",
     luInch, true, true, 240, 180},
    {"grentax_single", R"j({"width":300000,"height":300000,"fillSystem":"GRENTAX","conduitType":"Pipes (plastic)","conduits":[{"amount":1,"diameter":40000}]})j",
     luMillimetre, false, true, 200, 200},
    {"moxel_wrap_round", R"j({"width":300000,"height":300000,"fillSystem":"KOVA/MOXEL","fillSubsystem":"WRAP Crusher","conduitType":"Pipes (plastic)","conduits":[{"amount":1,"diameter":260000}]})j",
     luMillimetre, true, true, 200, 200},
    {"moxel_no_crusher_warning", R"j({"width":300000,"height":300000,"fillSystem":"KOVA/MOXEL","fillSubsystem":"C_Fit_Crusher","conduitType":"Pipes (plastic)","conduits":[{"amount":1,"diameter":60000}]})j",
     luInch, false, true, 200, 200},
    {"dusmera_round_large", R"j({"width":3000000,"height":3000000,"cornerRadius":1500000,"fillSystem":"DUSMERA","conduits":[{"amount":30,"diameter":90000},{"amount":2,"diameter":400000}]})j",
     luInch, false, true, 200, 200},
    {"kova_large_mm_empty", R"j({"width":2800000,"height":1200000,"cornerRadius":100000})j", luMillimetre, true, true, 240, 180},
};

struct TUnitGuard {
  TLengthUnit Saved = CurrentLengthUnit;
  ~TUnitGuard() { CurrentLengthUnit = Saved; }
};

TTransit Filled(const char* json) {
  TTransit t = TransitFromJson(nlohmann::ordered_json::parse(json));
  ValidateSortFill(t);
  return t;
}

std::string DataPath(const std::string& name) { return std::string(TRELLANE_DRAW_TEST_DATA) + "/" + name + ".png"; }

}  // namespace

TEST(Pictures, MatchStoredFiles) {
  TUnitGuard guard;
  // Set TRELLANE_WRITE_PICTURES=1 to write the files anew after an intended change.
  const bool write = std::getenv("TRELLANE_WRITE_PICTURES") != nullptr;
  std::set<int> codes;
  for (const TPictureCase& c : kCases) {
    CurrentLengthUnit = c.Unit;
    const TTransit t = Filled(c.Json);
    for (const TFillItem& item : t.FillItems)
      if (item.PlacedCount > 0) codes.insert(item.CoverCode);
    TPictureOptions options;
    options.Smooth = c.Smooth;
    options.Grid = c.Grid;
    options.Warning = !ComputeWarnings(t).Warning.empty();
    options.Frame = true;
    const TBitmap picture = RenderTransitPicture(t, c.Width, c.Height, options);
    if (write) WritePng(picture, DataPath(c.Name));
    const TBitmap stored = ReadPng(DataPath(c.Name));
    EXPECT_TRUE(picture == stored) << c.Name;
  }
  EXPECT_EQ(codes.size(), 13u) << "every cover code drawn";
}

TEST(Pictures, PngRoundTripAndErrors) {
  TBitmap b(5, 3);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 5; ++x) b.SetPixel(x, y, MakeColour(x * 50, y * 100, 7));
  const std::string path = (std::filesystem::temp_directory_path() / "trellane_draw_roundtrip.png").string();
  WritePng(b, path);
  EXPECT_TRUE(ReadPng(path) == b);
  std::filesystem::remove(path);
  EXPECT_THROW(ReadPng(path), TError);
  EXPECT_THROW(WritePng(b, "/nonexistent-folder/x.png"), TError);
}

TEST(Pictures, SmoothPictureIsTheReducedLargeDrawing) {
  const TTransit t = Filled(kCases[0].Json);
  TTransitDrawer d(t);
  d.SetSize(240, 180);
  d.Zoom(4);
  d.GridLineWidth = 0;
  TBitmap large(d.ImageWidth, d.ImageHeight), expected;
  large.Fill(TTransitDrawer::FillSystemBackground(t.FillSystem));
  TBitmapCanvas canvas(large);
  d.Draw(canvas);
  ReduceBitmap(large, expected, 4);
  TPictureOptions options;
  options.Smooth = true;
  options.Grid = false;
  TBitmap picture, work;
  const TPictureGeometry g = RenderTransitPicture(t, 240, 180, options, picture, work);
  EXPECT_TRUE(picture == expected);
  EXPECT_EQ(work.Width(), 4 * picture.Width());
  EXPECT_EQ(g.OriginOffset, d.OriginOffset() / 4);
  EXPECT_DOUBLE_EQ(g.Scale, d.Scale / 4);
}

TEST(ReportPicture, MetafilePlaysBackLikeTheBitmap) {
  TUnitGuard guard;
  CurrentLengthUnit = luMillimetre;
  for (const TPictureCase& c : kCases) {
    const TTransit t = Filled(c.Json);
    for (bool grid : {true, false}) {
      auto image = MakeReportPicture(t, 700, 700, grid);
      const int w = image->Width, h = image->Height;
      // Direct drawing of the same picture.
      TTransitDrawer d(t);
      d.SetSize(700, 700);
      ASSERT_EQ(d.ImageWidth, w);
      ASSERT_EQ(d.ImageHeight, h);
      d.SetColourScheme(true);
      d.GridInFront = false;
      d.GridLineWidth = grid ? 6 : 0;
      TBitmap direct(w, h), played(w, h);
      direct.Fill(0xFFFFFF);
      played.Fill(0xFFFFFF);
      TBitmapCanvas dc(direct), pc(played);
      d.Draw(dc);
      dc.SetPen(0, 6);
      dc.MoveTo(0, 0);
      dc.LineTo(w - 10, 0);
      dc.LineTo(w - 10, h - 10);
      dc.LineTo(0, h - 10);
      dc.LineTo(0, 0);

      const TWmfFile f = ReadWmf(image->Metafile());
      EXPECT_EQ(f.Left, 0);
      EXPECT_EQ(f.Top, 0);
      EXPECT_EQ(f.Right, 2 * w);
      EXPECT_EQ(f.Bottom, 2 * h);
      EXPECT_EQ(f.Inch, 192);
      PlayWmf(f, pc, w, h);
      EXPECT_TRUE(direct == played) << c.Name << " grid " << grid;
    }
  }
}
