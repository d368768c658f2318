#pragma once
// Transit models stored in the real transits table, for the editor's tests.
#include <cstdint>
#include <string>

#include "core/sample_transits.h"
#include "store/tables.h"
#include "store/transitrecord.h"

// Stores a transit model in a new record of the transits table; returns its identifier.
inline int32_t StoreTransit(const TTransit& model, const std::string& name, int32_t projectId = 1) {
  const int index = Transits.Add();
  InitTransitRecord(index);
  TRecTransit* record = Transits.Items(index);
  record->ProjectID = projectId;
  TTransit copy;
  copy.Assign(model);
  copy.Name = name;
  SaveToRecord(copy, record->ID);
  return record->ID;
}
inline TRecTransit& Record(int32_t id) { return *Transits.Items(Transits.IndexOfID(id)); }

// 200 x 150 mm, corner radius 10 mm, depth 200 mm: 4 cables of 20 mm and 2 of 12 mm.
inline TTransit CableTransit() {
  TTransit t = MakeTransit(fsKova, ctCables, clA, 200, 150, 10, 200);
  AddGroup(t, 4, 20);
  AddGroup(t, 2, 12);
  return t;
}
