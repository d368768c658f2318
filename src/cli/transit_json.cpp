#include "cli/transit_json.h"

#include <cmath>
#include <fstream>
#include <limits>
#include <sstream>

#include "core/errors.h"
#include "core/advice.h"
#include "store/exports.h"
#include "store/tables.h"
#include "store/transitrecord.h"
#include "reports/materials.h"

using json = nlohmann::ordered_json;

namespace {

double Number(const json& value, const char* field) {
  if (!value.is_number()) throw TError(std::string("field '") + field + "' must be a number");
  double v = value.get<double>();
  if (!std::isfinite(v)) throw TError(std::string("field '") + field + "' is out of range");
  return v;
}

int32_t Integer(const json& value, const char* field) {
  if (!value.is_number_integer()) {
    // 3.0 is accepted as 3; 2.5 or a text is not.
    if (value.is_number_float()) {
      double v = value.get<double>();
      if (std::isfinite(v) && v == std::trunc(v) && v >= std::numeric_limits<int32_t>::min() &&
          v <= std::numeric_limits<int32_t>::max())
        return static_cast<int32_t>(v);
    }
    throw TError(std::string("field '") + field + "' must be a whole number");
  }
  if (value.is_number_unsigned()) {
    if (value.get<uint64_t>() > static_cast<uint64_t>(std::numeric_limits<int32_t>::max()))
      throw TError(std::string("field '") + field + "' is out of range");
    return static_cast<int32_t>(value.get<uint64_t>());
  }
  int64_t v = value.get<int64_t>();
  if (v < std::numeric_limits<int32_t>::min() || v > std::numeric_limits<int32_t>::max())
    throw TError(std::string("field '") + field + "' is out of range");
  return static_cast<int32_t>(v);
}

const std::string& Text(const json& value, const char* field) {
  if (!value.is_string()) throw TError(std::string("field '") + field + "' must be a text");
  return value.get_ref<const std::string&>();
}

}  // namespace

TTransit NewTransitDefaults() {
  TTransit t;
  SetNewTransitDesign(t);
  return t;
}

TTransit TransitFromJson(const json& in) {
  if (!in.is_object()) throw TError("the transit must be a JSON object");
  TTransit t = NewTransitDefaults();
  for (auto it = in.begin(); it != in.end(); ++it) {
    const std::string& key = it.key();
    const json& v = it.value();
    if (key == "name") t.Name = Text(v, "name");
    else if (key == "width") t.Width = Number(v, "width");
    else if (key == "height") t.Height = Number(v, "height");
    else if (key == "cornerRadius") t.CornerRadius = Number(v, "cornerRadius");
    else if (key == "depth") t.Depth = Number(v, "depth");
    else if (key == "sparePercentage") t.SparePercentage = Number(v, "sparePercentage");
    else if (key == "transitsInProject") t.TransitsInProject = Integer(v, "transitsInProject");
    else if (key == "fillSystem") t.FillSystem = ParseFillSystem(Text(v, "fillSystem"));
    else if (key == "fillSubsystem") t.FillSubsystem = ParseFillSubsystem(Text(v, "fillSubsystem"));
    else if (key == "classification") t.Classification = ParseClassification(Text(v, "classification"));
    else if (key == "conduitType") t.DefaultConduitType = ParseConduitType(Text(v, "conduitType"));
    else if (key == "sealantCartridge") t.SealantCartridge = ParseSealantCartridge(Text(v, "sealantCartridge"));
    else if (key == "sealantLayer") t.SealantLayer = ParseSealantLayer(Text(v, "sealantLayer"));
    else if (key == "conduits") {
      if (!v.is_array()) throw TError("field 'conduits' must be an array");
    }
    // Other fields (comments, identifiers, a calc output's figures) are not ours to read.
  }
  if (in.contains("conduits")) {
    for (const json& c : in["conduits"]) {
      if (!c.is_object()) throw TError("every conduit must be an object with amount and diameter");
      TConduitGroup group;
      group.ConduitType = t.DefaultConduitType;
      for (auto it = c.begin(); it != c.end(); ++it) {
        if (it.key() == "amount") group.Amount = Integer(it.value(), "amount");
        else if (it.key() == "diameter") group.OuterDiameter = Number(it.value(), "diameter");
      }
      t.ConduitGroups.push_back(group);
    }
  }
  return t;
}

json TransitToJson(const TTransit& t) {
  json out = json::object();
  out["name"] = t.Name;
  out["width"] = t.Width;
  out["height"] = t.Height;
  out["cornerRadius"] = t.CornerRadius;
  out["depth"] = t.Depth;
  out["sparePercentage"] = t.SparePercentage;
  out["transitsInProject"] = t.TransitsInProject;
  out["fillSystem"] = FillSystemToText(t.FillSystem);
  out["fillSubsystem"] = FillSubsystemToText(t.FillSubsystem);
  out["classification"] = ClassificationToText(t.Classification);
  out["conduitType"] = ConduitTypeToText(t.DefaultConduitType);
  out["sealantCartridge"] = SealantCartridgeToText(t.SealantCartridge);
  out["sealantLayer"] = SealantLayerToText(t.SealantLayer);
  json conduits = json::array();
  for (const TConduitGroup& g : t.ConduitGroups) conduits.push_back({{"amount", g.Amount}, {"diameter", g.OuterDiameter}});
  out["conduits"] = conduits;
  return out;
}

std::string FileExtension(const std::string& path) {
  const auto slash = path.find_last_of('/');
  const auto dot = path.find_last_of('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return "";
  std::string ext = path.substr(dot);
  for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return ext;
}

void ClearTables() {
  Customers.Clear();
  Projects.Clear();
  Transits.Clear();
  Conduits.Clear();
}

namespace {
// A transit export file, read as the transit list imports it.
TTransit ReadTransitExport(const std::string& path) {
  ClearTables();
  const int index = ImportTransitFile(path);
  TTransit t;
  LoadFromRecord(t, Transits.Items(index)->ID);
  return t;
}
}  // namespace

TTransit ReadTransitFile(const std::string& path) {
  if (FileExtension(path) == ".htf") return ReadTransitExport(path);
  std::ifstream file(path, std::ios::binary);
  if (!file) throw TError("cannot read file '" + path + "'");
  std::stringstream buffer;
  buffer << file.rdbuf();
  json in;
  try {
    in = json::parse(buffer.str());
  } catch (const nlohmann::json::exception& e) {
    throw TError(std::string("malformed JSON: ") + e.what());
  }
  return TransitFromJson(in);
}

void ValidateSortFill(TTransit& t) {
  t.Validate();
  t.SortConduitGroups();
  t.Fill();
}

json CalcOutput(const TTransit& t) {
  json out = json::object();
  out["transit"] = TransitToJson(t);
  out["messages"] = t.Messages;
  out["effectiveDepth"] = t.EffectiveDepth();
  out["materialsKind"] = t.MaterialsKind;
  out["notPlaced"] = t.NotPlacedCount;
  json items = json::array();
  for (const TFillItem& i : t.FillItems)
    items.push_back({{"groupIndex", i.GroupIndex},
                     {"conduitDiameter", i.ConduitDiameter},
                     {"amount", i.Amount},
                     {"coverCode", static_cast<int>(i.CoverCode)},
                     {"outerRadius", i.OuterRadius},
                     {"innerRadius", i.InnerRadius},
                     {"conduitRadius", i.ConduitRadius},
                     {"crusherOuterDiameter", i.CrusherOuterDiameter},
                     {"ring", i.Ring},
                     {"firstPlaced", i.FirstPlaced},
                     {"placedCount", i.PlacedCount}});
  out["fillItems"] = items;
  json positions = json::array();
  for (int64_t k = 0; k < static_cast<int64_t>(t.PlacedPositions.size()); ++k)
    positions.push_back(json::array({t.PlacedPositions[k].X, t.PlacedPositions[k].Y}));
  out["positions"] = positions;
  out["transitArea"] = t.TransitArea();
  out["conduitArea"] = t.ConduitArea();
  out["conduitSleeveArea"] = t.ConduitSleeveArea();
  out["conduitSleeveSpareArea"] = t.ConduitSleeveSpareArea();
  out["fillingRate"] = t.FillingRate();
  out["groupFillingRate"] = t.GroupFillingRate();
  const TWarnings warnings = ComputeWarnings(t);
  out["warning"] = warnings.Warning;
  out["fillingRateText"] = warnings.FillingRateText;
  out["fillingRateRed"] = warnings.FillingRateRed;
  out["insertSleeveAdvice"] = InsertSleeveAdvice(t);
  out["disclaimer"] = DisclaimerLines(t);
  TMaterialsUsedForTransit materials;
  materials.Calculate(t);
  json lines = json::array();
  for (const TMaterialItem& m : materials.Lines())
    lines.push_back({{"kind", static_cast<int>(m.Kind)},
                     {"code", m.Code},
                     {"description", m.Description},
                     {"size1", m.Size1},
                     {"size2", m.Size2},
                     {"length", m.Length},
                     {"amount", m.Amount},
                     {"nonStandard", m.NonStandard}});
  out["materials"] = lines;
  return out;
}
