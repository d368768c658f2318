#pragma once
#include <cstdint>

#include "core/draw/bitmap.h"
#include "core/draw/canvas.h"
#include "core/enums.h"
#include "core/transit.h"

// Paints a filled transit: an optional measuring grid, the wall around the
// opening and every placed conduit with its cover.
class TTransitDrawer {
public:
  explicit TTransitDrawer(const TTransit& transit);

  // Direct: the colours for drawing straight onto the screen or into a report;
  // otherwise the darker ones that survive supersampling.
  void SetColourScheme(bool direct);
  // Fits the picture into the available width and height in pixels.
  void SetSize(int availableWidth, int availableHeight);
  // Multiplies the picture's sizes and scale by k; pen widths stay.
  void Zoom(int k);
  void Draw(TCanvas& canvas) const;
  // Pixel position of the opening's top-left corner, in both directions.
  int OriginOffset() const { return WallPx + MarginPx; }

  static TColour FillSystemBackground(TFillSystem fillSystem);

  // The grid's line spacing in micrometres and how many spacings lie between
  // major lines, by the current length unit and the transit's size.
  struct TGridSpacing {
    double Step;
    int MajorEvery;
  };
  static TGridSpacing GridSpacing(const TTransit& transit);

  const TTransit& Transit;
  double WallThickness = 10000;  // micrometres
  double Margin = 10000;         // micrometres
  bool GridInFront = true;
  int GridLineWidth = 1;  // 0: no grid
  int ConduitPenWidth = 1;
  int WallPx = 0, MarginPx = 0;
  int ImageWidth = 0, ImageHeight = 0;
  double Scale = 0;  // pixels per micrometre
  TColour OutlineColour = 0x00C864;

  TColour ConduitOutlineColour = 0;
  TColour MajorGridColour = 0;
  TColour MinorGridColour = 0;
  TColour SleeveOutlineColour = 0;
  TColour PravenOutlineColour = 0;
  TColour ClearanceRingColour = 0;

  static constexpr TColour ConduitFillColour = 0xAFC584;
  static constexpr TColour SleeveOuterFillColour = 0xA0A0A0;
  static constexpr TColour SleeveInnerFillColour = 0xE8E8E8;
  static constexpr TColour PravenOuterFillColour = 0x5B94FF;
  static constexpr TColour PravenInnerFillColour = 0xDDE9FF;

private:
  void DrawGrid(TCanvas& canvas) const;
  void DrawWall(TCanvas& canvas) const;
  void DrawCircle(TCanvas& canvas, int cx, int cy, double radius, TColour fill, bool filled,
                  TColour outline) const;
};

// Box-filter reduction by an integer factor k: the destination becomes
// (source width div k) x (source height div k), each pixel per channel the
// rounded mean of its k x k block.
void ReduceBitmap(const TBitmap& source, TBitmap& destination, int k);
