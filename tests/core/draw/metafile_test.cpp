// The recorded metafile record by record, and the RTF picture group around it.
#include <gtest/gtest.h>

#include "core/draw/rtfimage.h"
#include "reports/wmfplayer.h"

TEST(Metafile, RecordsEveryCallInOrder) {
  TWmfCanvas c(300, 200);
  c.SetBrush(0x112233);
  c.FillRect(1, 2, 30, 40);
  c.SetPen(0xAABBCC, 3);
  c.Ellipse(10, 11, 21, 22);  // same brush, new pen
  c.ClearBrush();
  c.RoundRect(5, 6, 50, 60, 12);
  c.Rectangle(0, 0, 10, 10);  // nothing new to select
  c.Arc(9.5, 9.5, 30.5, 30.5, 30.5, 20, 20, 9.5);
  c.MoveTo(3, 4);
  c.LineTo(100, 4);
  const TWmfFile f = ReadWmf(c.Finish());
  // Function numbers as the format defines them, parameters last to first.
  const std::vector<std::pair<uint16_t, std::vector<int16_t>>> expected = {
      {0x020B, {0, 0}}, {0x020C, {400, 600}},  // window origin and extent: two units a pixel
      // Filled box: an inside-frame pen and a solid brush of the brush colour, each created and selected.
      {0x02FA, {6, 2, 0, 0x2211, 0x33}}, {0x012D, {0}},
      {0x02FC, {0, 0x2211, 0x33, 0}}, {0x012D, {1}},
      {0x041B, {80, 60, 4, 2}},
      // The ellipse's pen replaces the first one, which is then deleted.
      {0x02FA, {6, 6, 0, static_cast<int16_t>(0xBBAA), 0xCC}}, {0x012D, {2}}, {0x01F0, {0}},
      {0x0418, {44, 42, 22, 20}},
      {0x02FC, {1, 0, 0, 0}}, {0x012D, {0}}, {0x01F0, {1}},  // the null brush
      {0x061C, {24, 24, 120, 100, 12, 10}},
      {0x041B, {20, 20, 0, 0}},
      // Arcs and lines use a plain solid pen, centred on the line.
      {0x02FA, {0, 6, 0, static_cast<int16_t>(0xBBAA), 0xCC}}, {0x012D, {1}}, {0x01F0, {2}},
      {0x0817, {19, 40, 40, 61, 61, 61, 19, 19}},
      {0x0214, {8, 6}}, {0x0213, {8, 200}},
      {0x0000, {}},
  };
  ASSERT_EQ(f.Records.size(), expected.size());
  for (size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(f.Records[i].Function, expected[i].first) << "record " << i;
    EXPECT_EQ(f.Records[i].Params, expected[i].second) << "record " << i;
  }
  EXPECT_EQ(f.ObjectCount, 3);
  EXPECT_EQ(f.MaxRecord, 11u);
  EXPECT_EQ(f.Left + f.Top, 0);
  EXPECT_EQ(f.Right, 600);
  EXPECT_EQ(f.Bottom, 400);
  EXPECT_EQ(f.Inch, 192);
  // Finishing again gives the same file; drawing afterwards is ignored.
  const std::string once = c.Finish();
  c.LineTo(5, 5);
  EXPECT_EQ(c.Finish(), once);
}

TEST(RtfImage, PictureGroupHeadAndHexLines) {
  auto group = [](size_t dataBytes, int w, int h) {
    std::string metafile(wmf::PlaceableHeaderSize, '\x01');
    for (size_t i = 0; i < dataBytes; ++i) metafile += static_cast<char>(i == 0 ? 0x05 : 0xA0 + i % 16);
    return RtfPictureGroup(metafile, w, h);
  };
  EXPECT_EQ(group(2, 2500, 1000),
            "{\\pict\\wmetafile8\\picw8819\\pich3528\\picwgoal2500\\pichgoal1000\r05A1}\r");
  // 39 bytes end their line with a CR before the brace; a 40th stands alone.
  const std::string head = "{\\pict\\wmetafile8\\picw35\\pich35\\picwgoal10\\pichgoal10\r";
  std::string line = "05";  // a leading zero kept
  for (int i = 1; i < 39; ++i) line += std::string("A") + "0123456789ABCDEF"[i % 16];
  EXPECT_EQ(group(39, 10, 10), head + line + "\r}\r");
  EXPECT_EQ(group(40, 10, 10), head + line + "\rA7}\r");
  // Half a hundredth rounds up: 18 * 127 / 36 = 63.5.
  EXPECT_NE(group(0, 18, 54).find("\\picw64\\pich191\\"), std::string::npos);
  // An image appends the group of its own recording.
  TRTFimage image(120, 80);
  image.Canvas().SetBrush(0xFF0000);
  image.Canvas().FillRect(0, 0, 60, 40);
  std::string stream = "before";
  image.WriteTo(stream, 120, 80);
  EXPECT_EQ(stream, "before" + RtfPictureGroup(image.Metafile(), 120, 80));
  EXPECT_EQ(ReadWmf(image.Metafile()).Records.size(), 8u);
}
