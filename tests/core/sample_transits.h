#pragma once
// Transits shared by the tests and the benchmarks.
#include <random>

#include "core/transit.h"

inline TTransit MakeTransit(TFillSystem fs, TConduitType ct, TClassification cl, double widthMm, double heightMm,
                            double radiusMm, double depthMm) {
  TTransit t;
  t.FillSystem = fs;
  t.DefaultConduitType = ct;
  t.Classification = cl;
  t.Width = widthMm * 1000;
  t.Height = heightMm * 1000;
  t.CornerRadius = radiusMm * 1000;
  t.Depth = depthMm * 1000;
  t.TransitsInProject = 1;
  t.FillSubsystem = fs == fsKovaMoxel ? fssCFitCrusher : fssNone;
  t.SealantCartridge = fs == fsGrentax || fs == fsKovaMoxel ? scGrentax : scTiso;
  return t;
}

inline void AddGroup(TTransit& t, int amount, double diameterMm) {
  TConduitGroup& g = t.AddConduitGroup();
  g.Amount = amount;
  g.OuterDiameter = diameterMm * 1000;
}

// 600 x 400 mm, corner radius 20 mm, KOVA, A-class cables, depth 200 mm:
// about 500 cables in 10 diameters from 8 to 60 mm.
inline TTransit DenseCableTransit() {
  TTransit t = MakeTransit(fsKova, ctCables, clA, 600, 400, 20, 200);
  const double diameters[] = {8, 10, 12.5, 15, 18, 22, 27, 33, 45, 60};
  const int amounts[] = {120, 100, 80, 60, 50, 40, 25, 15, 7, 3};
  for (int i = 0; i < 10; ++i) AddGroup(t, amounts[i], diameters[i]);
  return t;
}

// A round 400 mm GRENTAX transit with 40 plastic pipes of three sizes.
inline TTransit RoundGrentaxTransit() {
  TTransit t = MakeTransit(fsGrentax, ctPipesPlastic, clA, 400, 400, 200, 180);
  AddGroup(t, 10, 50);
  AddGroup(t, 12, 32);
  AddGroup(t, 18, 20);
  return t;
}

// A random transit for comparing fillers: any system, shape and conduit mix.
inline TTransit RandomTransit(std::mt19937& rng) {
  auto uniform = [&](double lo, double hi) { return std::uniform_real_distribution<double>(lo, hi)(rng); };
  auto pick = [&](int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng); };
  const TFillSystem fs = static_cast<TFillSystem>(pick(5));
  const TConduitType ct = static_cast<TConduitType>(pick(4));
  const TClassification cl = static_cast<TClassification>(pick(4));
  double w = uniform(40, 900), h = pick(4) == 0 ? w : uniform(40, 900);
  double r = pick(3) == 0 ? std::min(w, h) / 2 : uniform(0, std::min(w, h) / 2);
  TTransit t = MakeTransit(fs, ct, cl, w, h, r, uniform(60, 400));
  t.FillSubsystem = static_cast<TFillSubsystem>(pick(3));
  const int groups = 1 + pick(6);
  for (int i = 0; i < groups; ++i) AddGroup(t, pick(40), uniform(4, std::min(w, h) / 3));
  t.Validate();
  t.SortConduitGroups();
  return t;
}
