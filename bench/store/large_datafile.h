#pragma once
// The tables of a large data file for the benchmarks: 200 customers, 2 000
// projects of 10 transits each, 10 conduit records per transit (200 000).
#include <string>

#include "store/tables.h"
#include "store/transitrecord.h"

inline void FillLargeTables() {
  Customers.Clear();
  Projects.Clear();
  Transits.Clear();
  Conduits.Clear();
  for (int c = 0; c < 200; ++c) Customers.Items(Customers.Add())->Name = "Customer " + std::to_string(c);
  for (int p = 0; p < 2000; ++p) {
    TRecProject* project = Projects.Items(Projects.Add());
    project->Name = "Project " + std::to_string(p);
    project->Customer = "Customer " + std::to_string(p % 200);
    project->CreatedBy = project->ModifiedBy = "engineer";
    project->Created = project->Modified = 45000 + p;
    project->Comments = "Deck " + std::to_string(p % 7) + "\r\nframe " + std::to_string(p);
    for (int t = 0; t < 10; ++t) {
      const int index = Transits.Add();
      InitTransitRecord(index);
      TRecTransit* transit = Transits.Items(index);
      transit->ProjectID = project->ID;
      transit->Name = "MCT-" + std::to_string(p) + "-" + std::to_string(t);
      transit->Width = 100000 + t * 10000;
      for (int k = 0; k < 10; ++k) {
        TRecConduit* c = Conduits.Items(Conduits.Add());
        c->TransitID = transit->ID;
        c->OuterDiameter = 8000 + k * 3500 + t;
        c->Amount = 1 + k;
      }
    }
  }
}
