#pragma once

// Where child windows of the main window go.
struct TWindowRect {
  int Left = 0, Top = 0, Width = 0, Height = 0;
};

// The cascade: each new child 20 pixels right and down of the last one,
// back to the left (or top) edge when it would reach past the client area.
struct TCascade {
  int NextChildLeft = 0;
  int NextChildTop = 0;
  // The place of a new child of the given size; onlyChild when it is the one
  // child of the frame.
  void Place(bool onlyChild, int childWidth, int childHeight, int areaWidth, int areaHeight, int& left, int& top);
};

// A window's place from the last run's layout, fitted into a client area of
// areaWidth x areaHeight: at least its minimum size, at most the area, and
// wholly inside it where it fits. Returns false for a record with numbers no
// window ever had (no size, or beyond any screen); the window then keeps its
// default place.
bool FitRestoredRect(TWindowRect& rect, int areaWidth, int areaHeight, int minWidth, int minHeight);
