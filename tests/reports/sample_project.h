#pragma once
// A small project in the process-wide tables, and the files that hold it.
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
  int32_t Project = 0, OtherProject = 0;
  int32_t CableTransit = 0, PipeTransit = 0, SheetTransit = 0, Template = 0;
};

inline TRecTransit& AddTransit(int32_t projectId, const std::string& name) {
  const int index = Transits.Add();
  InitTransitRecord(index);
  TRecTransit& t = *Transits.Items(index);
  t.ProjectID = projectId;
  t.Name = name;
  t.Created = 44000;
  t.Modified = 44000;
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
// systems, a template and a second project.
inline TSample FillSampleProject() {
  ClearTables();
  TSample s;
  Customers.Items(Customers.Add())->Name = "M\xC3\xBCller & Co";

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
  s.OtherProject = other.ID;

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
  AddConduit(s.CableTransit, 61000, 2);
  AddConduit(s.CableTransit, 38000, 4);
  AddConduit(s.CableTransit, 22000, 6);
  AddConduit(s.CableTransit, 12500, 12);

  TRecTransit& elsewhere = AddTransit(s.OtherProject, "Elsewhere");
  AddConduit(elsewhere.ID, 20000, 1);

  TRecTransit& pipe = AddTransit(s.Project, "Moxel pipe");
  pipe.FillSystem = fsKovaMoxel;
  pipe.FillSubsystem = fssCFitCrusher;
  pipe.DefaultConduitType = ctPipesPlastic;
  pipe.Width = pipe.Height = 200000;
  pipe.CornerRadius = 100000;
  pipe.Depth = 210000;
  s.PipeTransit = pipe.ID;
  AddConduit(s.PipeTransit, 140000, 1, ctPipesPlastic);

  TRecTransit& templ = AddTransit(TemplateProjectID, "Template");
  s.Template = templ.ID;

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

}  // namespace reportstest
