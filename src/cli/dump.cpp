// trellane-cli dump FILE: prints a data, configuration or export file as JSON.
#include <algorithm>
#include <iostream>
#include <nlohmann/json.hpp>

#include "cli/commands.h"
#include "cli/transit_json.h"
#include "core/errors.h"
#include "core/units.h"
#include "store/config.h"
#include "store/datafile.h"
#include "store/exports.h"
#include "store/settings.h"

using json = nlohmann::ordered_json;

namespace {

json TablesJson(const std::string& kind, const std::string& version) {
  json out = json::object();
  out["kind"] = kind;
  out["version"] = version;
  json customers = json::array();
  for (int i = 0; i < Customers.Count(); ++i) {
    const TRecCustomer* c = Customers.Items(i);
    customers.push_back({{"id", c->ID}, {"name", c->Name}});
  }
  out["customers"] = customers;
  json projects = json::array();
  for (int i = 0; i < Projects.Count(); ++i) {
    const TRecProject* p = Projects.Items(i);
    projects.push_back({{"id", p->ID},
                        {"name", p->Name},
                        {"created", p->Created},
                        {"createdBy", p->CreatedBy},
                        {"modified", p->Modified},
                        {"modifiedBy", p->ModifiedBy},
                        {"customer", p->Customer},
                        {"comments", p->Comments}});
  }
  out["projects"] = projects;
  json transits = json::array();
  for (int i = 0; i < Transits.Count(); ++i) {
    const TRecTransit* t = Transits.Items(i);
    transits.push_back({{"id", t->ID},
                        {"projectId", t->ProjectID},
                        {"name", t->Name},
                        {"transitsInProject", t->TransitsInProject},
                        {"created", t->Created},
                        {"createdBy", t->CreatedBy},
                        {"modified", t->Modified},
                        {"modifiedBy", t->ModifiedBy},
                        {"comments", t->Comments},
                        {"depth", t->Depth},
                        {"width", t->Width},
                        {"height", t->Height},
                        {"cornerRadius", t->CornerRadius},
                        {"sparePercentage", t->SparePercentage},
                        {"conduitType", ConduitTypeToText(t->DefaultConduitType)},
                        {"fillSystem", FillSystemToText(t->FillSystem)},
                        {"fillSubsystem", FillSubsystemToText(t->FillSubsystem)},
                        {"classification", ClassificationToText(t->Classification)},
                        {"sealantCartridge", SealantCartridgeToText(t->SealantCartridge)},
                        {"sealantLayer", SealantLayerToText(t->SealantLayer)},
                        {"miscPar2", t->MiscPar2},
                        {"miscPar3", t->MiscPar3},
                        {"miscPar4", t->MiscPar4}});
  }
  out["transits"] = transits;
  json conduits = json::array();
  for (int i = 0; i < Conduits.Count(); ++i) {
    const TRecConduit* c = Conduits.Items(i);
    conduits.push_back({{"id", c->ID},
                        {"transitId", c->TransitID},
                        {"diameter", c->OuterDiameter},
                        {"amount", c->Amount},
                        {"conduitType", ConduitTypeToText(c->ConduitType)}});
  }
  out["conduits"] = conduits;
  return out;
}

json ConfigurationJson(const std::string& version) {
  json s = json::object();
  s["companyLines"] = Settings.CompanyLines;
  s["distributorLines"] = Settings.DistributorLines;
  s["antiAliasing"] = Settings.AntiAliasing;
  s["showGrid"] = Settings.ShowGrid;
  s["lengthUnit"] = CurrentLengthUnit == luInch ? "inch" : "mm";
  s["saveWindowPositionsOnExit"] = Settings.SaveWindowPositionsOnExit;
  s["windowLayout"] = Settings.WindowLayout;
  s["projectListColumns"] = Settings.ProjectListColumns;
  s["transitListColumns"] = Settings.TransitListColumns;
  s["templateListColumns"] = Settings.TemplateListColumns;
  s["autoUpdate"] = Settings.AutoUpdate;
  s["reservedText"] = Settings.ReservedText;
  s["blinkWarning"] = Settings.BlinkWarning;
  s["fixedWindow"] = Settings.FixedWindow;
  json out = json::object();
  out["kind"] = "configuration";
  out["version"] = version;
  out["settings"] = s;
  return out;
}

}  // namespace

int RunDump(const TArgs& args) {
  if (args.size() != 1) throw TError("usage: trellane-cli dump FILE");
  const std::string& path = args[0];
  const std::string ext = FileExtension(path);
  json out;
  if (ext == ".tbs") {
    ClearTables();
    TZlibReadStream z(ReadWholeFile(path));
    const std::string version = ReadDataPayload(z);
    out = TablesJson("data", version);
  } else if (ext == ".ini") {
    SetDefaultSettings();
    TZlibReadStream z(ReadWholeFile(path));
    const std::string version = ReadConfigurationPayload(z);
    out = ConfigurationJson(version);
  } else if (ext == ".htf") {
    ClearTables();
    std::string version;
    ImportTransitFile(path, &version);
    out = TablesJson("transit", version);
  } else if (ext == ".hpf") {
    ClearTables();
    std::string version;
    ImportProjectFile(path, &version);
    out = TablesJson("project", version);
  } else {
    throw TError("unknown file kind '" + path + "': expected .tbs, .ini, .htf or .hpf");
  }
  std::cout << out.dump(2) << "\n";
  return ExitOk;
}
