#include "app/placement.h"

#include <algorithm>

void TCascade::Place(bool onlyChild, int childWidth, int childHeight, int areaWidth, int areaHeight, int& left,
                     int& top) {
  if (onlyChild) {
    NextChildLeft = 0;
    NextChildTop = 0;
  } else {
    NextChildLeft += 20;
    NextChildTop += 20;
    if (NextChildLeft + childWidth + 5 > areaWidth) NextChildLeft = 0;
    if (NextChildTop + childHeight + 5 > areaHeight) NextChildTop = 0;
  }
  left = NextChildLeft;
  top = NextChildTop;
}

bool FitRestoredRect(TWindowRect& rect, int areaWidth, int areaHeight, int minWidth, int minHeight) {
  constexpr int Limit = 100000;  // no screen is that large
  if (rect.Width <= 0 || rect.Height <= 0 || rect.Width > Limit || rect.Height > Limit || rect.Left < -Limit ||
      rect.Left > Limit || rect.Top < -Limit || rect.Top > Limit)
    return false;
  rect.Width = std::max(std::min(rect.Width, areaWidth), minWidth);
  rect.Height = std::max(std::min(rect.Height, areaHeight), minHeight);
  rect.Left = std::max(0, std::min(rect.Left, areaWidth - rect.Width));
  rect.Top = std::max(0, std::min(rect.Top, areaHeight - rect.Height));
  return true;
}
