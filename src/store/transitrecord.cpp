#include "store/transitrecord.h"

#include "store/tables.h"

void LoadRecordFields(TTransit& t, const TRecTransit& r) {
  t.Name = r.Name;
  t.Created = r.Created;
  t.CreatedBy = r.CreatedBy;
  t.Modified = r.Modified;
  t.ModifiedBy = r.ModifiedBy;
  t.Comments = r.Comments;
  t.TransitsInProject = r.TransitsInProject;
  t.Width = r.Width;
  t.Height = r.Height;
  t.CornerRadius = r.CornerRadius;
  t.Depth = r.Depth;
  t.SparePercentage = r.SparePercentage;
  t.DefaultConduitType = r.DefaultConduitType;
  t.FillSystem = r.FillSystem;
  t.FillSubsystem = r.FillSubsystem;
  t.Classification = r.Classification;
  t.SealantCartridge = r.SealantCartridge;
  t.SealantLayer = r.SealantLayer;
  t.MiscPar2 = r.MiscPar2;
  t.MiscPar3 = r.MiscPar3;
  t.MiscPar4 = r.MiscPar4;
  t.ConduitGroups.clear();
}

void LoadFromRecord(TTransit& t, int32_t transitId) {
  const int index = Transits.IndexOfID(transitId);
  if (index < 0) return;
  LoadRecordFields(t, *Transits.Items(index));
  const std::span<const int> conduits = Conduits.IndexesOfTransit(transitId);
  t.ConduitGroups.reserve(conduits.size());
  for (int i : conduits) {
    const TRecConduit* c = Conduits.Items(i);
    TConduitGroup g;
    g.OuterDiameter = c->OuterDiameter;
    g.Amount = c->Amount;
    g.ConduitType = c->ConduitType;
    t.ConduitGroups.push_back(g);
  }
}

void SaveToRecord(TTransit& t, int32_t transitId) {
  const int index = Transits.IndexOfID(transitId);
  if (index < 0) return;
  TRecTransit* r = Transits.Items(index);
  r->Name = t.Name;
  r->TransitsInProject = t.TransitsInProject;
  r->Modified = t.Modified;
  r->ModifiedBy = t.ModifiedBy;
  r->Comments = t.Comments;
  r->Depth = t.Depth;
  r->Width = t.Width;
  r->Height = t.Height;
  r->CornerRadius = t.CornerRadius;
  r->SparePercentage = t.SparePercentage;
  r->DefaultConduitType = t.DefaultConduitType;
  r->FillSystem = t.FillSystem;
  r->FillSubsystem = t.FillSubsystem;
  r->Classification = t.Classification;
  r->SealantCartridge = t.SealantCartridge;
  r->SealantLayer = t.SealantLayer;
  r->MiscPar2 = t.MiscPar2;
  r->MiscPar3 = t.MiscPar3;
  r->MiscPar4 = t.MiscPar4;
  const int32_t id = r->ID;
  Conduits.DeleteOfTransit(id);
  for (const TConduitGroup& g : t.ConduitGroups) {
    TRecConduit* c = Conduits.Items(Conduits.Add());
    c->TransitID = id;
    c->OuterDiameter = g.OuterDiameter;
    c->Amount = g.Amount;
    c->ConduitType = g.ConduitType;
  }
  const int p = Projects.IndexOfID(r->ProjectID);
  if (p >= 0) {
    TRecProject* project = Projects.Items(p);
    if (project->Modified < t.Modified) {
      project->Modified = t.Modified;
      project->ModifiedBy = t.ModifiedBy;
    }
  }
}
