#include <gtest/gtest.h>

#include "core/draw/rtfimage.h"
#include "core/draw/wmf.h"
#include "draw/wmf_reader.h"

namespace {
using TParams = std::vector<int16_t>;

void ExpectRecord(const TWmfRecord& r, uint16_t function, const TParams& params, int index) {
  EXPECT_EQ(r.Function, function) << "record " << index;
  EXPECT_EQ(r.Params, params) << "record " << index;
}
}  // namespace

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
  const TParams none;
  const std::vector<std::pair<uint16_t, TParams>> expected = {
      {wmf::RecSetWindowOrg, {0, 0}},
      {wmf::RecSetWindowExt, {400, 600}},
      // Filled box: an inside-frame pen and a solid brush of the brush colour.
      {wmf::RecCreatePenIndirect, {6, 2, 0, 0x2211, 0x33}},
      {wmf::RecSelectObject, {0}},
      {wmf::RecCreateBrushIndirect, {0, 0x2211, 0x33, 0}},
      {wmf::RecSelectObject, {1}},
      {wmf::RecRectangle, {80, 60, 4, 2}},
      // The ellipse's pen replaces the first one, which is then deleted.
      {wmf::RecCreatePenIndirect, {6, 6, 0, static_cast<int16_t>(0xBBAA), 0xCC}},
      {wmf::RecSelectObject, {2}},
      {wmf::RecDeleteObject, {0}},
      {wmf::RecEllipse, {44, 42, 22, 20}},
      {wmf::RecCreateBrushIndirect, {1, 0, 0, 0}},
      {wmf::RecSelectObject, {0}},
      {wmf::RecDeleteObject, {1}},
      {wmf::RecRoundRect, {24, 24, 120, 100, 12, 10}},
      {wmf::RecRectangle, {20, 20, 0, 0}},
      // Arcs and lines use a plain solid pen, centred on the line.
      {wmf::RecCreatePenIndirect, {0, 6, 0, static_cast<int16_t>(0xBBAA), 0xCC}},
      {wmf::RecSelectObject, {1}},
      {wmf::RecDeleteObject, {2}},
      {wmf::RecArc, {19, 40, 40, 61, 61, 61, 19, 19}},
      {wmf::RecMoveTo, {8, 6}},
      {wmf::RecLineTo, {8, 200}},
      {wmf::RecEof, none},
  };
  ASSERT_EQ(f.Records.size(), expected.size());
  for (size_t i = 0; i < expected.size(); ++i) ExpectRecord(f.Records[i], expected[i].first, expected[i].second, i);
  EXPECT_EQ(f.ObjectCount, 3);
  EXPECT_EQ(f.MaxRecord, 11u);
  EXPECT_EQ(f.Right, 600);
  EXPECT_EQ(f.Bottom, 400);
  // Finishing again gives the same file; drawing afterwards is ignored.
  const std::string once = c.Finish();
  c.LineTo(5, 5);
  EXPECT_EQ(c.Finish(), once);
}

TEST(RtfImage, PictureGroupHeadAndHexLines) {
  auto group = [](size_t dataBytes, int w, int h) {
    std::string metafile(wmf::PlaceableHeaderSize, '\x01');
    for (size_t i = 0; i < dataBytes; ++i) metafile.push_back(static_cast<char>(0xA0 + i % 16));
    return RtfPictureGroup(metafile, w, h);
  };
  EXPECT_EQ(group(2, 2500, 1000), "{\\pict\\wmetafile8\\picw8819\\pich3528\\picwgoal2500\\pichgoal1000\r"
                                  "A0A1}\r");
  // 39 bytes end their line with a CR before the brace; a 40th stands alone.
  const std::string head = "{\\pict\\wmetafile8\\picw35\\pich35\\picwgoal10\\pichgoal10\r";
  std::string line;
  for (int i = 0; i < 39; ++i) {
    static const char* hex = "0123456789ABCDEF";
    line += "A";
    line += hex[i % 16];
  }
  EXPECT_EQ(group(39, 10, 10), head + line + "\r}\r");
  EXPECT_EQ(group(40, 10, 10), head + line + "\rA7}\r");
  // Half a hundredth rounds up: 18 * 127 / 36 = 63.5.
  EXPECT_NE(group(0, 18, 54).find("\\picw64\\pich191\\"), std::string::npos);
}

TEST(RtfImage, WritesTheRecordedMetafile) {
  TRTFimage image(120, 80);
  EXPECT_EQ(image.Width, 120);
  image.Canvas().SetBrush(0xFF0000);
  image.Canvas().FillRect(0, 0, 60, 40);
  std::string stream = "before";
  image.WriteTo(stream, 120, 80);
  const std::string metafile = image.Metafile();
  ASSERT_EQ(stream.rfind("before{\\pict\\wmetafile8\\picw423\\pich282\\picwgoal120\\pichgoal80\r", 0), 0u);
  // Decode the hex back: the metafile without its placeable header.
  std::string hex;
  const size_t start = stream.find('\r') + 1;
  for (size_t i = start; i < stream.size() - 2; ++i)
    if (stream[i] != '\r') hex.push_back(stream[i]);
  ASSERT_EQ(stream.substr(stream.size() - 2), "}\r");
  std::string bytes;
  for (size_t i = 0; i + 1 < hex.size(); i += 2) bytes.push_back(static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16)));
  EXPECT_EQ(bytes, metafile.substr(wmf::PlaceableHeaderSize));
  EXPECT_EQ(hex.find_first_of("abcdef"), std::string::npos);
}
