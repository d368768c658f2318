#include "core/draw/svg.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "core/draw/transitdrawer.h"
#include "core/draw/vectorshapes.h"

namespace {

constexpr double mm = 1000;

void Colour(std::string& out, TColour c) {
  char text[8];
  std::snprintf(text, sizeof text, "#%06X", static_cast<unsigned>(c & 0xFFFFFF));
  out.append(text);
}

// Text as XML character data or attribute value.
void Escaped(std::string& out, const std::string& text) {
  for (char c : text) {
    switch (c) {
      case '&': out.append("&amp;"); break;
      case '<': out.append("&lt;"); break;
      case '>': out.append("&gt;"); break;
      case '"': out.append("&quot;"); break;
      default:
        if (static_cast<unsigned char>(c) < 0x20) out.push_back(' ');
        else out.push_back(c);
    }
  }
}

class TTransitSvg {
public:
  TTransitSvg(const TTransit& transit, bool grid)
      : Transit(transit), Layout(VectorLayout(transit)), Grid(grid), Drawer(transit) {
    Drawer.SetColourScheme(true);
  }

  std::string Write() {
    Out.reserve(2048 + Transit.PlacedPositions.size() * 3 * 110);
    const double width = (Layout.Right - Layout.Left) / mm, height = (Layout.Bottom - Layout.Top) / mm;
    // Pens about one pixel wide when the picture is shown 1000 pixels across.
    Pen = std::max(0.05, std::round(std::max(width, height)) / 1000);
    Out.append("<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"no\"?>\n");
    Out.append("<svg xmlns=\"http://www.w3.org/2000/svg\" version=\"1.1\" width=\"");
    Number(width);
    Out.append("mm\" height=\"");
    Number(height);
    Out.append("mm\" viewBox=\"0 0 ");
    Number(width);
    Out.push_back(' ');
    Number(height);
    Out.append("\">\n<title>");
    if (!Transit.Name.empty()) {
      Escaped(Out, Transit.Name);
      Out.append(", ");
    }
    Escaped(Out, TransitSizeText(Transit));
    Out.append("</title>\n<rect id=\"background\" x=\"0\" y=\"0\" width=\"");
    Number(width);
    Out.append("\" height=\"");
    Number(height);
    Out.append("\" fill=\"");
    Colour(Out, TTransitDrawer::FillSystemBackground(Transit.FillSystem));
    Out.append("\"/>\n<g id=\"transit\" transform=\"translate(");
    Number(-Layout.Left / mm);
    Out.push_back(' ');
    Number(-Layout.Top / mm);
    Out.append(")\">\n");
    if (Grid) GridLines();
    Wall();
    Circles();
    Out.append("</g>\n</svg>\n");
    return std::move(Out);
  }

private:
  void Number(double v) { AppendNumber(Out, v); }

  void GridLines() {
    Out.append("<g id=\"grid\" stroke-width=\"");
    Number(Pen);
    Out.append("\">\n");
    for (const TGridLine& g : ::GridLines(Transit, Layout)) {
      const double p = g.Position / mm;
      Out.append("<line x1=\"");
      Number(g.Vertical ? p : Layout.Left / mm);
      Out.append("\" y1=\"");
      Number(g.Vertical ? Layout.Top / mm : p);
      Out.append("\" x2=\"");
      Number(g.Vertical ? p : Layout.Right / mm);
      Out.append("\" y2=\"");
      Number(g.Vertical ? Layout.Bottom / mm : p);
      Out.append("\" stroke=\"");
      Colour(Out, g.Major ? Drawer.MajorGridColour : Drawer.MinorGridColour);
      Out.append("\"/>\n");
    }
    Out.append("</g>\n");
  }

  // The opening's outline grown by d, as a closed sub-path running clockwise
  // on the screen.
  void Outline(double d) {
    const double w = Transit.Width / mm, h = Transit.Height / mm, g = d / mm;
    if (Layout.Round) {
      const double r = w / 2 + g;
      Out.append("M");
      Number(w / 2 - r);
      Out.push_back(' ');
      Number(h / 2);
      for (double sign : {1.0, -1.0}) {
        Out.append("A");
        Number(r);
        Out.push_back(' ');
        Number(r);
        Out.append(" 0 0 1 ");
        Number(w / 2 + sign * r);
        Out.push_back(' ');
        Number(h / 2);
      }
      Out.append("Z");
      return;
    }
    const double r = Layout.CornerRadius > 0 ? Layout.CornerRadius / mm + g : 0;
    const double l = -g, t = -g, rt = w + g, b = h + g;
    auto to = [&](const char* command, double x, double y) {
      Out.append(command);
      Number(x);
      Out.push_back(' ');
      Number(y);
    };
    auto arc = [&](double x, double y) {
      if (r <= 0) return;
      Out.append("A");
      Number(r);
      Out.push_back(' ');
      Number(r);
      Out.append(" 0 0 1 ");
      Number(x);
      Out.push_back(' ');
      Number(y);
    };
    to("M", l + r, t);
    to("L", rt - r, t);
    arc(rt, t + r);
    to("L", rt, b - r);
    arc(rt - r, b);
    to("L", l + r, b);
    arc(l, b - r);
    to("L", l, t + r);
    arc(l + r, t);
    Out.append("Z");
  }

  void Wall() {
    Out.append("<path id=\"wall\" fill=\"");
    Colour(Out, Drawer.OutlineColour);
    Out.append("\" fill-rule=\"evenodd\" d=\"");
    Outline(Layout.Wall);
    Outline(0);
    Out.append("\"/>\n");
  }

  void Circles() {
    Out.append("<g id=\"conduits\" stroke-width=\"");
    Number(Pen);
    Out.append("\">\n");
    for (const TDrawnCircle& c : DrawnCircles(Transit)) {
      TColour fill = 0, stroke = Drawer.SleeveOutlineColour;
      bool filled = true;
      switch (c.Kind) {
        case TCircleKind::SleeveOuter:
        case TCircleKind::CoverLayer: fill = TTransitDrawer::SleeveOuterFillColour; break;
        case TCircleKind::SleeveInner: fill = TTransitDrawer::SleeveInnerFillColour; break;
        case TCircleKind::PravenOuter:
          fill = TTransitDrawer::PravenOuterFillColour;
          stroke = Drawer.PravenOutlineColour;
          break;
        case TCircleKind::PravenInner:
          fill = TTransitDrawer::PravenInnerFillColour;
          stroke = Drawer.PravenOutlineColour;
          break;
        case TCircleKind::ClearanceRing:
          filled = false;
          stroke = Drawer.ClearanceRingColour;
          break;
        case TCircleKind::Conduit:
          fill = TTransitDrawer::ConduitFillColour;
          stroke = Drawer.ConduitOutlineColour;
          break;
      }
      Out.append(c.Kind == TCircleKind::Conduit ? "<circle class=\"conduit\" cx=\"" : "<circle class=\"cover\" cx=\"");
      Number(c.X / mm);
      Out.append("\" cy=\"");
      Number(c.Y / mm);
      Out.append("\" r=\"");
      Number(c.Radius / mm);
      Out.append("\" fill=\"");
      if (filled) Colour(Out, fill);
      else Out.append("none");
      Out.append("\" stroke=\"");
      Colour(Out, stroke);
      Out.append("\"/>\n");
    }
    Out.append("</g>\n");
  }

  const TTransit& Transit;
  const TVectorLayout Layout;
  const bool Grid;
  TTransitDrawer Drawer;
  std::string Out;
  double Pen = 0.1;
};

}  // namespace

std::string TransitSvg(const TTransit& transit, bool grid) { return TTransitSvg(transit, grid).Write(); }
