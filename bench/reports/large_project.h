#pragma once
// The large project of the report benchmarks.
#include "store/settings.h"
#include "tests/reports/sample_project.h"

namespace reportsbench {

// A project of 200 transits of the four systems with up to twelve conduit
// groups each; returns its identifier.
inline int32_t FillLargeProject() {
  reportstest::ClearTables();
  SetDefaultSettings();
  TRecProject& project = *Projects.Items(Projects.Add());
  project.Name = "Large";
  for (int i = 0; i < 200; ++i) {
    TRecTransit& t = reportstest::AddTransit(project.ID, "Transit " + std::to_string(i + 1));
    t.Width = 200000 + 10000 * (i % 30);
    t.Height = 150000 + 10000 * (i % 20);
    t.CornerRadius = 10000;
    t.Depth = 180000 + 20000 * (i % 3);
    t.TransitsInProject = 1 + i % 4;
    switch (i % 4) {
      case 0: t.FillSystem = fsKova; break;
      case 1: t.FillSystem = fsGrentax; t.SealantCartridge = scGrentax; break;
      case 2: t.FillSystem = fsDusmera; break;
      case 3: t.FillSystem = fsPraven; t.Classification = clWatertight; t.SealantCartridge = scHorlan; break;
    }
    for (int g = 0; g < 2 + i % 11; ++g) reportstest::AddConduit(t.ID, 8000 + 5500.0 * g, 1 + (i + g) % 5);
  }
  return project.ID;
}

}  // namespace reportsbench
