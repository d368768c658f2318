#pragma once
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <unordered_map>
#include <vector>

#include "core/enums.h"
#include "core/transit.h"

class TStreamWriter;
class TStreamReader;

// Base of every stored record.
class TRecord {
public:
  virtual ~TRecord() = default;
  // Reads and writes the record itself (its tag and fields, not its ID).
  virtual void ReadFrom(TStreamReader& reader) = 0;
  virtual void WriteTo(TStreamWriter& writer) const = 0;

  int32_t ID = 0;  // unique within its table while in memory; 0 until added
};

// An ordered list of owned records that hands out identifiers. The order is
// the order of insertion; nothing sorts it.
//
// Look-ups by identifier go through an index that is rebuilt after every
// Add, Delete or Clear. Code that changes the ID (or, for conduits, the
// TransitID) of a record that is already in a table and then looks it up
// before the next Add or Delete must call Changed() in between.
class TDataTable {
public:
  virtual ~TDataTable() = default;

  void Clear();
  int Count() const { return static_cast<int>(Records.size()); }
  // Gives the record the next identifier, appends it and returns its index.
  int AddRecord(std::unique_ptr<TRecord> record);
  // Removes and frees the record at index; "List index out of bounds" outside the list.
  void Delete(int index);
  // Index of the first record in list order with that ID; -1 when none.
  int IndexOfID(int32_t id) const;
  // LastID := the highest ID, or 0 when there is none above 0.
  void RecalcLastID();
  // Record identifiers or links changed in place: drop the look-up indexes.
  void Changed() { ++Generation; }

  TRecord* Record(int index) const;

  int32_t LastID = 0;

protected:
  std::vector<std::unique_ptr<TRecord>> Records;
  uint64_t Generation = 1;

private:
  mutable uint64_t IdIndexGeneration = 0;
  mutable std::unordered_map<int32_t, int> IdIndex;
};

class TRecCustomer : public TRecord {
public:
  void ReadFrom(TStreamReader& reader) override;
  void WriteTo(TStreamWriter& writer) const override;
  std::string Name;
};

class TRecProject : public TRecord {
public:
  void ReadFrom(TStreamReader& reader) override;
  void WriteTo(TStreamWriter& writer) const override;
  std::string Name;
  TDateTime Created = 0;
  std::string CreatedBy;
  TDateTime Modified = 0;
  std::string ModifiedBy;
  std::string Customer;  // the customer's name, not an identifier
  std::string Comments;  // lines joined with CR LF
};

// The project identifier of a template.
constexpr int32_t TemplateProjectID = -999;

class TRecTransit : public TRecord {
public:
  // Accepts the three stored versions; always writes the newest.
  void ReadFrom(TStreamReader& reader) override;
  void WriteTo(TStreamWriter& writer) const override;
  int32_t ProjectID = 0;
  std::string Name;
  int32_t TransitsInProject = 0;
  TDateTime Created = 0;
  std::string CreatedBy;
  TDateTime Modified = 0;
  std::string ModifiedBy;
  std::string Comments;
  double Depth = 0, Width = 0, Height = 0, CornerRadius = 0;  // micrometres
  double SparePercentage = 0;
  TConduitType DefaultConduitType = ctCables;
  TFillSystem FillSystem = fsKova;
  TFillSubsystem FillSubsystem = fssNone;
  TClassification Classification = clA;
  TSealantCartridge SealantCartridge = scTiso;
  TSealantLayer SealantLayer = slDouble20;
  uint8_t MiscPar2 = 0, MiscPar3 = 0, MiscPar4 = 0;
};

class TRecConduit : public TRecord {
public:
  void ReadFrom(TStreamReader& reader) override;
  void WriteTo(TStreamWriter& writer) const override;
  int32_t TransitID = 0;
  double OuterDiameter = 0;  // micrometres
  int32_t Amount = 0;
  TConduitType ConduitType = ctCables;
};

template <typename R>
class TTypedTable : public TDataTable {
public:
  // Appends a new empty record; returns its index (not its identifier).
  int Add() { return AddRecord(std::make_unique<R>()); }
  R* Items(int index) const { return static_cast<R*>(Record(index)); }
};

class TDatCustomers : public TTypedTable<TRecCustomer> {};
class TDatProjects : public TTypedTable<TRecProject> {};
class TDatTransits : public TTypedTable<TRecTransit> {};

class TDatConduits : public TTypedTable<TRecConduit> {
public:
  // Indexes of the conduit records of one transit, in table order.
  // Valid until the table changes.
  std::span<const int> IndexesOfTransit(int32_t transitId) const;
  // Deletes every conduit record of the transit, keeping the others' order.
  void DeleteOfTransit(int32_t transitId);

private:
  mutable uint64_t TransitIndexGeneration = 0;
  // Per transit identifier the run of its record indexes in TransitRuns.
  mutable std::unordered_map<int32_t, std::pair<int, int>> TransitIndex;
  mutable std::vector<int> TransitRuns;
};

// The four process-wide tables.
extern TDatCustomers Customers;
extern TDatProjects Projects;
extern TDatTransits Transits;
extern TDatConduits Conduits;

// The design values a new transit starts with (sizes, depth, spare and the
// sealing system), for a transit record and a transit model alike.
template <typename T>
void SetNewTransitDesign(T& transit) {
  transit.TransitsInProject = 1;
  transit.Width = 100000;
  transit.Height = 100000;
  transit.CornerRadius = 10000;
  transit.SparePercentage = 0;
  transit.Depth = 180000;
  transit.DefaultConduitType = ctCables;
  transit.FillSystem = fsKova;
  transit.FillSubsystem = fssNone;
  transit.Classification = clA;
  transit.SealantCartridge = scTiso;
  transit.SealantLayer = slDouble20;
}

// Defaults of a new transit on the transit at that index; ProjectID unchanged.
void InitTransitRecord(int index);
