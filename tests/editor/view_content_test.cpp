#include <gtest/gtest.h>

#include "core/draw/transitdrawer.h"
#include "editor/advice.h"
#include "editor/editor_fixture.h"

namespace {
// The colour of the wall just outside the opening's left edge, halfway down.
TColour WallColour(TFakeTransitView& view, const TPresenterTransitDetail& p) {
  const int y = static_cast<int>(p.ImageOriginY() + p.Model().Height / 2 * p.ImageScale());
  return view.Image.Pixel(static_cast<int>(p.ImageOriginX()) - 2, y);
}
}  // namespace

TEST_F(EditorTest, AreasSpareAndFillingRateOfACableTransit) {
  TTransit t = MakeTransit(fsKova, ctCables, clA, 200, 150, 10, 200);
  AddGroup(t, 4, 20);
  t.SparePercentage = 10;
  Open(StoreTransit(t, "A"), true);
  const TTransit& m = P().Model();
  EXPECT_EQ(V().Last("SetSparePerc"), "SetSparePerc(1,0,10)");
  EXPECT_EQ(V().Last("SetConduitSleeveSpare"),
            "SetConduitSleeveSpare(" + FormatArea(m.ConduitSleeveSpareArea()) + " " + AreaUnitName() + ")");
  EXPECT_EQ(V().Last("SetAreas"), "SetAreas(" + Num(m.TransitArea()) + "," + Num(m.ConduitArea()) + "," +
                                      Num(m.ConduitSleeveArea()) + "," + Num(m.ConduitSleeveSpareArea()) + ")");
  EXPECT_EQ(V().Last("SetFillingRate"), "SetFillingRate(" + FormatFloat("%.1f", m.FillingRate()) + "%,text)");
  EXPECT_EQ(V().Last("SetDisclaimerText"), "SetDisclaimerText(" + std::to_string(DisclaimerLines(m).size()) + ")");
  EXPECT_FALSE(P().HasWarning());
  EXPECT_EQ(WallColour(V(), P()), 0x00C864u);  // green

  P().SetSparePercentage(false, 0);
  EXPECT_EQ(V().Last("SetConduitSleeveSpare"), "SetConduitSleeveSpare()");
  // Too much spare: the warning, the rate in red and a red wall.
  P().SetSparePercentage(false, 25);
  Services.Clipboard.Text = "Amount\tDiameter\r\n24\t20\r\n";
  ASSERT_TRUE(P().ImportConduitList());
  EXPECT_EQ(P().Model().NotPlacedCount, 0);
  EXPECT_TRUE(P().HasWarning());
  const std::string rate = FormatFloat("%.1f", m.FillingRate());
  EXPECT_EQ(V().Last("SetFillingRate"), "SetFillingRate(" + rate + "%,red)");
  EXPECT_EQ(V().Last("SetWarning"), "SetWarning(" + ComputeWarnings(m).Warning + ")");
  EXPECT_EQ(WallColour(V(), P()), 0xFF0000u);
}

TEST_F(EditorTest, DepthAdviceAndValidationMessages) {
  TTransit t = MakeTransit(fsKova, ctCables, clA, 200, 150, 10, 260);
  AddGroup(t, 4, 20);
  Open(StoreTransit(t, "A"), true);
  EXPECT_EQ(V().Last("SetDepthWarning"), "SetDepthWarning(" + InsertSleeveAdvice(P().Model()) + ")");
  EXPECT_NE(V().Last("SetDepthWarning"), "SetDepthWarning()");
  std::string joined;
  for (size_t i = 0; i < P().Model().Messages.size(); ++i) joined += (i ? "|" : "") + P().Model().Messages[i];
  EXPECT_EQ(V().Last("SetValidationMessages"), "SetValidationMessages(" + joined + ")");
}

TEST_F(EditorTest, PictureIsCentredAndTheOriginMapsModelPoints) {
  Settings.AntiAliasing = true;
  Settings.ShowGrid = false;
  TTransit t = MakeTransit(fsGrentax, ctPipesPlastic, clA, 300, 100, 0, 200);
  Open(StoreTransit(t, "A"));
  // 400 x 300 view: the picture fits the 392 px width; the wall's outer
  // left edge lies where the frame is.
  const double scale = 392.0 / (300000 + 40000);
  EXPECT_DOUBLE_EQ(P().ImageScale(), scale);
  const int pictureHeight = static_cast<int>((100000 + 40000) * scale + 0.5);
  const int y = (292 - pictureHeight) / 2;
  const int origin = static_cast<int>(10000 * scale + 0.5) * 2;
  EXPECT_DOUBLE_EQ(P().ImageOriginX(), origin);
  EXPECT_DOUBLE_EQ(P().ImageOriginY(), origin + y);
  EXPECT_EQ(V().Image.Pixel(0, y), 0x808080u);                        // frame
  EXPECT_EQ(V().Image.Pixel(0, y - 1), V().AreaColour);               // above the picture
  EXPECT_EQ(V().Image.Pixel(395, y + pictureHeight + 3), 0x808080u);  // drop shadow
  EXPECT_EQ(V().Image.Pixel(4, y + pictureHeight + 3), V().AreaColour);
  // Inside the opening: the fill system's background.
  EXPECT_EQ(V().Image.Pixel(origin + 30, origin + y + 30), TTransitDrawer::FillSystemBackground(fsGrentax));
}
