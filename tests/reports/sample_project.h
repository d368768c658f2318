#pragma once
// A small project in the process-wide tables, the data file that holds it,
// and a check on the report texts made from it.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "core/enums.h"
#include "store/datafile.h"
#include "store/exports.h"
#include "store/streams.h"
#include "store/tables.h"
#include "store/transitrecord.h"

namespace reportstest {

inline void ClearTables() {
  Customers.Clear();
  Projects.Clear();
  Transits.Clear();
  Conduits.Clear();
}

struct TSample {
  int32_t Project = 0, CableTransit = 0, PipeTransit = 0, SheetTransit = 0;
};

inline TRecTransit& AddTransit(int32_t projectId, const std::string& name) {
  const int index = Transits.Add();
  InitTransitRecord(index);
  TRecTransit& t = *Transits.Items(index);
  t.ProjectID = projectId;
  t.Name = name;
  t.Created = t.Modified = 44000;
  return t;
}

inline void AddConduit(int32_t transitId, double diameter, int32_t amount, TConduitType type = ctCables) {
  TRecConduit& c = *Conduits.Items(Conduits.Add());
  c.TransitID = transitId;
  c.OuterDiameter = diameter;
  c.Amount = amount;
  c.ConduitType = type;
}

// Names with braces and letters beyond ASCII, three transits of different
// systems, and a second project with a transit of its own.
inline TSample FillSampleProject() {
  ClearTables();
  TSample s;
  TRecProject& p = *Projects.Items(Projects.Add());
  p.Name = "Deck {3}";
  p.Customer = "M\xC3\xBCller & Co";
  p.Created = 43000;
  p.CreatedBy = "anna";
  p.Modified = 43500.75;
  p.ModifiedBy = "bert";
  p.Comments = "for the yard";
  s.Project = p.ID;

  TRecProject& other = *Projects.Items(Projects.Add());
  other.Name = "Other";
  AddConduit(AddTransit(other.ID, "Elsewhere").ID, 20000, 1);

  TRecTransit& cable = AddTransit(s.Project, "Main {Deck 3}");
  cable.TransitsInProject = 2;
  cable.Created = 44000.5;
  cable.CreatedBy = "J\xC3\xB8rgen";
  cable.Modified = 44100.25;
  cable.ModifiedBy = "anna";
  cable.Comments = "first line\r\nsecond {line}";
  cable.Width = 300000;
  cable.Height = 200000;
  cable.CornerRadius = 20000;
  cable.Depth = 200000;
  cable.SparePercentage = 10;
  s.CableTransit = cable.ID;
  // Largest first.
  for (const auto& [diameter, amount] : {std::pair{61000.0, 2}, {38000.0, 4}, {22000.0, 6}, {12500.0, 12}})
    AddConduit(s.CableTransit, diameter, amount);

  TRecTransit& pipe = AddTransit(s.Project, "Moxel pipe");
  pipe.FillSystem = fsKovaMoxel;
  pipe.FillSubsystem = fssCFitCrusher;
  pipe.DefaultConduitType = ctPipesPlastic;
  pipe.Width = pipe.Height = 200000;
  pipe.CornerRadius = 100000;
  pipe.Depth = 210000;
  s.PipeTransit = pipe.ID;
  AddConduit(s.PipeTransit, 140000, 1, ctPipesPlastic);

  TRecTransit& sheets = AddTransit(s.Project, "Sheets");
  sheets.FillSystem = fsDusmera;
  sheets.Width = 200000;
  sheets.Height = 100000;
  sheets.CornerRadius = 0;
  s.SheetTransit = sheets.ID;
  AddConduit(s.SheetTransit, 30000, 2);
  return s;
}

// The tables as a data file.
inline std::string DataFileBytes() {
  TMemoryStream payload;
  WriteDataPayload(payload);
  return ZlibCompress(payload.Data);
}

// Each part is in the text, or (after a '!') is not.
inline void ExpectParts(const std::string& text, std::initializer_list<std::string> parts) {
  for (const std::string& part : parts) {
    if (part[0] == '!')
      EXPECT_EQ(text.find(part.substr(1)), std::string::npos) << part;
    else
      EXPECT_NE(text.find(part), std::string::npos) << part;
  }
}

}  // namespace reportstest
