#include "store/tables.h"

#include "core/errors.h"
#include "store/valuestream.h"

// Every enumerated field is stored as a fixed code, never as its ordinal.

namespace {

enum TTransitVersion { tv100, tv101, tv102 };

TConduitType ConduitTypeFromCode(int32_t code, const char* field) {
  if (code >= 101 && code <= 104) return static_cast<TConduitType>(code - 101);
  throw TError(std::string("unknown value for ") + field);
}

int32_t ConduitTypeCode(TConduitType value, const char* field) {
  if (value > ctPipesPlastic) throw TError(std::string("unknown value for ") + field);
  return 101 + value;
}

TFillSystem FillSystemFromCode(int32_t code, TTransitVersion version) {
  switch (code) {
    case 201: return fsKova;
    case 202: return fsGrentax;
    case 203: return fsPraven;
    case 204: return fsDusmera;
    case 205:
      if (version == tv102) return fsKovaMoxel;
      break;
  }
  throw TError("unknown value for FillSystem");
}

int32_t FillSystemCode(TFillSystem value) {
  switch (value) {
    case fsKova: return 201;
    case fsGrentax: return 202;
    case fsPraven: return 203;
    case fsDusmera: return 204;
    case fsKovaMoxel: return 205;
  }
  throw TError("unknown value for FillSystem");
}

int32_t ClassificationCode(TClassification value) {
  if (value > clWatertight) throw TError("unknown value for Classification");
  return 301 + value;
}

TSealantCartridge CartridgeFromCode(int32_t code) {
  switch (code) {
    case 503: case 504: return scTiso;
    case 505: case 506: return scGrentax;
    case 507: return scHorlan;
  }
  throw TError("unknown value for SealantCartridge");
}

int32_t CartridgeCode(TSealantCartridge value) {
  switch (value) {
    case scTiso: return 503;
    case scGrentax: return 505;
    case scHorlan: return 507;
  }
  throw TError("unknown value for SealantCartridge");
}

TSealantLayer LayerFromCode(int32_t code) {
  switch (code) {
    case 601: return slNone;
    case 602: return slDouble20;
    case 603: return slSingle20;
    case 604: return slDouble5;
  }
  throw TError("unknown value for SealantLayer");
}

int32_t LayerCode(TSealantLayer value) {
  switch (value) {
    case slNone: return 601;
    case slDouble20: return 602;
    case slSingle20: return 603;
    case slDouble5: return 604;
  }
  throw TError("unknown value for SealantLayer");
}

TFillSubsystem SubsystemFromCode(int32_t code) {
  switch (code) {
    case 999: return fssNone;
    case 701: return fssCFitCrusher;
    case 702: return fssWrapCrusher;
  }
  throw TError("unknown value for FillSubsystem");
}

int32_t SubsystemCode(TFillSubsystem value) {
  switch (value) {
    case fssNone: return 999;
    case fssCFitCrusher: return 701;
    case fssWrapCrusher: return 702;
  }
  throw TError("unknown value for FillSubsystems");
}

}  // namespace

void TRecCustomer::ReadFrom(TStreamReader& r) {
  r.ReadString();  // tag, not checked
  Name = r.ReadString();
}

void TRecCustomer::WriteTo(TStreamWriter& w) const {
  w.WriteString("RecCustomer_V100");
  w.WriteString(Name);
}

void TRecProject::ReadFrom(TStreamReader& r) {
  r.ReadString();  // tag, not checked
  Name = r.ReadString();
  Created = r.ReadDateTime();
  CreatedBy = r.ReadString();
  Modified = r.ReadDateTime();
  ModifiedBy = r.ReadString();
  Customer = r.ReadString();
  Comments = r.ReadString();
}

void TRecProject::WriteTo(TStreamWriter& w) const {
  w.WriteString("RecProject_V100");
  w.WriteString(Name);
  w.WriteDateTime(Created);
  w.WriteString(CreatedBy);
  w.WriteDateTime(Modified);
  w.WriteString(ModifiedBy);
  w.WriteString(Customer);
  w.WriteString(Comments);
}

void TRecTransit::ReadFrom(TStreamReader& r) {
  const std::string tag = r.ReadString();
  TTransitVersion version;
  if (tag == "RecTransit_V100") version = tv100;
  else if (tag == "RecTransit_V101") version = tv101;
  else if (tag == "RecTransit_V102") version = tv102;
  else throw TError("Illegal transit data-format!");

  ProjectID = r.ReadInteger();
  Name = r.ReadString();
  TransitsInProject = r.ReadInteger();
  Created = r.ReadDateTime();
  CreatedBy = r.ReadString();
  Modified = r.ReadDateTime();
  ModifiedBy = r.ReadString();
  Comments = r.ReadString();
  Depth = r.ReadDouble();
  Width = r.ReadDouble();
  Height = r.ReadDouble();
  CornerRadius = r.ReadDouble();
  SparePercentage = r.ReadDouble();

  DefaultConduitType = ConduitTypeFromCode(r.ReadInteger(), "DefaultConduitType");
  FillSystem = FillSystemFromCode(r.ReadInteger(), version);
  // Version 1.01 knew a separate code for B-class with a single sealant layer.
  if (version == tv101) SealantLayer = slDouble20;
  const int32_t classCode = r.ReadInteger();
  if (classCode >= 301 && classCode <= 304) {
    Classification = static_cast<TClassification>(classCode - 301);
  } else if (classCode == 305 && version == tv101) {
    Classification = clB;
    SealantLayer = slSingle20;
  } else {
    throw TError("unknown value for Classification");
  }
  r.ReadInteger();  // MiscPar1, ignored
  const int32_t cartridgeCode = r.ReadInteger();

  if (version == tv100) {
    // The cartridge followed from the fill system.
    if (cartridgeCode != 501 && cartridgeCode != 502) throw TError("unknown value for SealantCartridge");
    switch (FillSystem) {
      case fsKova: SealantCartridge = scTiso; break;
      case fsPraven: SealantCartridge = scHorlan; break;
      default: SealantCartridge = scGrentax; break;
    }
    SealantLayer = slDouble20;
    FillSubsystem = fssNone;
    MiscPar2 = MiscPar3 = MiscPar4 = 0;
  } else if (version == tv101) {
    SealantCartridge = CartridgeFromCode(cartridgeCode);
    FillSubsystem = fssNone;
    MiscPar2 = MiscPar3 = MiscPar4 = 0;
  } else {
    SealantCartridge = CartridgeFromCode(cartridgeCode);
    SealantLayer = LayerFromCode(r.ReadInteger());
    FillSubsystem = SubsystemFromCode(r.ReadInteger());
    if (r.ReadInteger() != 999) throw TError("unknown value for MiscPar2");
    MiscPar2 = 0;
    if (r.ReadInteger() != 999) throw TError("unknown value for MiscPar3");
    MiscPar3 = 0;
    if (r.ReadInteger() != 999) throw TError("unknown value for MiscPar4");
    MiscPar4 = 0;
  }
  if (FillSystem == fsDusmera && (Classification == clH || Classification == clB)) Classification = clA;
}

void TRecTransit::WriteTo(TStreamWriter& w) const {
  // Codes first, so that a value that cannot be stored writes nothing.
  const int32_t conduitType = ConduitTypeCode(DefaultConduitType, "DefaultConduitType");
  const int32_t fillSystem = FillSystemCode(FillSystem);
  const int32_t classification = ClassificationCode(Classification);
  const int32_t cartridge = CartridgeCode(SealantCartridge);
  const int32_t layer = LayerCode(SealantLayer);
  const int32_t subsystem = SubsystemCode(FillSubsystem);
  if (MiscPar2 != 0) throw TError("unknown value for MiscPar2");
  if (MiscPar3 != 0) throw TError("unknown value for MiscPar3");
  if (MiscPar4 != 0) throw TError("unknown value for MiscPar4");

  w.WriteString("RecTransit_V102");
  w.WriteInteger(ProjectID);
  w.WriteString(Name);
  w.WriteInteger(TransitsInProject);
  w.WriteDateTime(Created);
  w.WriteString(CreatedBy);
  w.WriteDateTime(Modified);
  w.WriteString(ModifiedBy);
  w.WriteString(Comments);
  w.WriteDouble(Depth);
  w.WriteDouble(Width);
  w.WriteDouble(Height);
  w.WriteDouble(CornerRadius);
  w.WriteDouble(SparePercentage);
  w.WriteInteger(conduitType);
  w.WriteInteger(fillSystem);
  w.WriteInteger(classification);
  w.WriteInteger(401);  // MiscPar1
  w.WriteInteger(cartridge);
  w.WriteInteger(layer);
  w.WriteInteger(subsystem);
  w.WriteInteger(999);  // MiscPar2 .. MiscPar4
  w.WriteInteger(999);
  w.WriteInteger(999);
}

void TRecConduit::ReadFrom(TStreamReader& r) {
  r.ReadString();  // tag, not checked
  TransitID = r.ReadInteger();
  OuterDiameter = r.ReadDouble();
  Amount = r.ReadInteger();
  ConduitType = ConduitTypeFromCode(r.ReadInteger(), "ConduitType");
}

void TRecConduit::WriteTo(TStreamWriter& w) const {
  const int32_t type = ConduitTypeCode(ConduitType, "ConduitType");
  w.WriteString("RecConduit_V100");
  w.WriteInteger(TransitID);
  w.WriteDouble(OuterDiameter);
  w.WriteInteger(Amount);
  w.WriteInteger(type);
}
