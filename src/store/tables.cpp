#include "store/tables.h"

#include "core/errors.h"
#include "core/units.h"
#include "store/settings.h"

TDatCustomers Customers;
TDatProjects Projects;
TDatTransits Transits;
TDatConduits Conduits;

namespace {
[[noreturn]] void ListIndexError(int index) {
  throw TError("List index out of bounds (" + std::to_string(index) + ")");
}
}  // namespace

void TDataTable::Clear() {
  Records.clear();
  LastID = 0;
  Changed();
}

int TDataTable::AddRecord(std::unique_ptr<TRecord> record) {
  ++LastID;
  record->ID = LastID;
  Records.push_back(std::move(record));
  Changed();
  return Count() - 1;
}

void TDataTable::Delete(int index) {
  if (index < 0 || index >= Count()) ListIndexError(index);
  Records.erase(Records.begin() + index);
  Changed();
}

TRecord* TDataTable::Record(int index) const {
  if (index < 0 || index >= Count()) ListIndexError(index);
  return Records[static_cast<size_t>(index)].get();
}

int TDataTable::IndexOfID(int32_t id) const {
  if (IdIndexGeneration != Generation) {
    IdIndex.clear();
    IdIndex.reserve(Records.size());
    for (int i = 0; i < Count(); ++i) IdIndex.emplace(Records[static_cast<size_t>(i)]->ID, i);  // first one wins
    IdIndexGeneration = Generation;
  }
  auto it = IdIndex.find(id);
  return it == IdIndex.end() ? -1 : it->second;
}

void TDataTable::RecalcLastID() {
  LastID = 0;
  for (const auto& r : Records)
    if (r->ID > LastID) LastID = r->ID;
  Changed();
}

const std::vector<int>& TDatConduits::IndexesOfTransit(int32_t transitId) const {
  static const std::vector<int> kNone;
  if (TransitIndexGeneration != Generation) {
    TransitIndex.clear();
    for (int i = 0; i < Count(); ++i) TransitIndex[Items(i)->TransitID].push_back(i);
    TransitIndexGeneration = Generation;
  }
  auto it = TransitIndex.find(transitId);
  return it == TransitIndex.end() ? kNone : it->second;
}

void TDatConduits::DeleteOfTransit(int32_t transitId) {
  size_t kept = 0;
  for (size_t i = 0; i < Records.size(); ++i)
    if (static_cast<TRecConduit*>(Records[i].get())->TransitID != transitId) {
      if (kept != i) Records[kept] = std::move(Records[i]);
      ++kept;
    }
  if (kept != Records.size()) {
    Records.resize(kept);
    Changed();
  }
}

void InitTransitRecord(int index) {
  TRecTransit* t = Transits.Items(index);
  t->Name.clear();
  t->TransitsInProject = 1;
  t->Created = NowDateTime();
  t->CreatedBy = CurrentUserName;
  t->Modified = t->Created;
  t->ModifiedBy = t->CreatedBy;
  t->Comments.clear();
  t->Width = 100000;
  t->Height = 100000;
  t->CornerRadius = 10000;
  t->SparePercentage = 0;
  t->Depth = 180000;
  t->DefaultConduitType = ctCables;
  t->FillSystem = fsKova;
  t->FillSubsystem = fssNone;
  t->Classification = clA;
  t->SealantCartridge = scTiso;
  t->SealantLayer = slDouble20;
  t->MiscPar2 = t->MiscPar3 = t->MiscPar4 = 0;
}
