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

std::span<const int> TDatConduits::IndexesOfTransit(int32_t transitId) const {
  if (TransitIndexGeneration != Generation) {
    // Count per transit, then lay the runs out one after another in table order.
    const int n = Count();
    std::vector<int32_t> keys(static_cast<size_t>(n));
    TransitIndex.clear();
    for (int i = 0; i < n; ++i) {
      keys[static_cast<size_t>(i)] = Items(i)->TransitID;
      ++TransitIndex[keys[static_cast<size_t>(i)]].second;
    }
    int offset = 0;
    for (auto& [key, run] : TransitIndex) {
      run.first = offset;
      offset += run.second;
      run.second = 0;
    }
    TransitRuns.assign(static_cast<size_t>(n), 0);
    for (int i = 0; i < n; ++i) {
      auto& run = TransitIndex[keys[static_cast<size_t>(i)]];
      TransitRuns[static_cast<size_t>(run.first + run.second++)] = i;
    }
    TransitIndexGeneration = Generation;
  }
  auto it = TransitIndex.find(transitId);
  if (it == TransitIndex.end()) return {};
  return std::span<const int>(TransitRuns.data() + it->second.first, static_cast<size_t>(it->second.second));
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
  t->Created = NowDateTime();
  t->CreatedBy = CurrentUserName;
  t->Modified = t->Created;
  t->ModifiedBy = t->CreatedBy;
  t->Comments.clear();
  SetNewTransitDesign(*t);
  t->MiscPar2 = t->MiscPar3 = t->MiscPar4 = 0;
}
