#include "core/advice.h"

#include "core/units.h"

namespace {
constexpr char CR = '\r';

std::string InsertSleeveText(const std::string& word, bool withSpace, double space) {
  std::string text = "Two insert sleeves per " + word + ". Insert sleeves to be inserted from both sides.";
  if (withSpace)
    text += std::string(1, CR) + "(an empty space of " + FormatLength(space) + " " + LengthUnitName() +
            " will remain between both sleeves)";
  return text;
}

double AirGapAllowance(double diameter) {
  if (diameter <= 50800) return 3000;
  if (diameter <= 101600) return 6000;
  return 10000;
}
}  // namespace

const char* const SpareHintText =
    "Spare + filling rate of the cable set cannot exceed the max. filling rate of 40%. \rSpare therefore limited to "
    "25%.";
const char* const SpareRemarkText = "Note: you have to define the transit size for an estimated spare ducting capacity.";
const char* const MultiPipeRefusalText = "Please use GRENTAX instead for multi-pipe transits.";

TWarnings ComputeWarnings(const TTransit& t) {
  TWarnings result;
  const bool moxel = t.FillSystem == fsKovaMoxel;
  const int64_t total = t.TotalConduitCount();

  if (t.MaxConduitDiameter() > t.Width) {
    result.Warning = "Transit too small!";
    return result;
  }
  if (moxel && total == 0) {
    result.Warning = "Empty transit not allowed for KOVA/MOXEL!";
    return result;
  }
  if (moxel && total > 1) {
    result.Warning = "KOVA/MOXEL-transit should contain exactly one pipe, use GRENTAX for multi-pipe!";
    return result;
  }
  if (moxel && t.FillSubsystem == fssWrapCrusher) {
    for (const TConduitGroup& g : t.ConduitGroups)
      if (g.Amount > 0 && t.Width - g.OuterDiameter > 50000) {
        result.Warning = "Transit too large for pipe-diameter, please use GRENTAX instead";
        return result;
      }
  }
  if (moxel && t.FillSubsystem == fssCFitCrusher) {
    for (const TFillItem& item : t.FillItems)
      if (item.Amount > 0 && item.CoverCode == ccNone) {
        result.Warning = "No fitting crusher, use WRAP Crusher";
        return result;
      }
    for (const TFillItem& item : t.FillItems)
      if (item.Amount > 0 && item.CoverCode == ccSingleCrusher &&
          AirGapAllowance(item.ConduitDiameter) < (t.Width - item.CrusherOuterDiameter) / 2) {
        result.Warning = "Airgap too large, use WRAP Crusher";
        return result;
      }
  }
  if (t.NotPlacedCount >= 1) {
    result.Warning = std::to_string(t.NotPlacedCount) + " " +
                     (t.NotPlacedCount == 1 ? t.ConduitSingularLower() : t.ConduitPluralLower()) +
                     " could not be placed";
    return result;
  }
  if (!t.IsSpareApplicable()) return result;

  const double rate = t.FillingRate();
  const std::string word = t.ConduitSingularLower();
  result.FillingRateText = FormatFloat("%.1f", rate) + "%";
  if (rate > 40) {
    result.Warning = "Transit too small: " + word + " set exceeds maximum fillingrate of 40%";
    result.FillingRateRed = true;
  } else if (rate + t.SparePercentage > 40) {
    result.Warning = "Transit too small: " + word + " set including spare exceeds maximum fillingrate of 40% " +
                     std::string(1, CR) + "You can only add more cables by reducing the spare percentage";
    result.FillingRateRed = true;
  } else if (t.TransitArea() < t.ConduitSleeveSpareArea()) {
    result.Warning = "Transit too small for " + word + " set including spare";
    result.FillingRateRed = true;
  }
  return result;
}

std::string InsertSleeveAdvice(const TTransit& t) {
  const double e = t.Depth - 40000;
  const std::string word = t.ConduitSingularLower();
  const TConduitType ct = t.DefaultConduitType;
  if (t.FillSystem == fsKova && (ct == ctPipesMetal || ct == ctPipesGRP) && t.Classification == clH) {
    if (e > 161000) return InsertSleeveText(word, true, e - 160000);
    return InsertSleeveText(word, false, 0);
  }
  if (ct == ctCables || (ct == ctPipesPlastic && t.Classification == clA)) {
    if (e > 281000) return InsertSleeveText(word, true, e - 280000);
    if (e > 211000) return InsertSleeveText(word, false, 0);
  }
  return std::string();
}

std::vector<std::string> DisclaimerLines(const TTransit& t) {
  std::vector<std::string> lines = {
      "DISCLAIMER:",
      "",
      "The amount of sealant/putty in ml is the exact quantity calculated on the basis of length x height x "
      "thickness of the layer(s). An overfill of sealant is required because some of the sealant will be pushed "
      "between and into the open filler sleeves and the empty spaces between the cables/pipes while finishing the "
      "transit. Therefore the software adds an extra percentage to the volume used to find the number of "
      "cartridges needed. To work out the total for all the transits, the software will first calculate the "
      "aggregate volume of all the transits and then add on the percentage rather than counting all the "
      "calculated cartridges together.",
      ""};
  if (t.Classification == clWatertight) {
    lines.push_back(
        "For watertightness ratings the size of the transit and the distance between the ducted pipe/cables and the "
        "wall of the transit and the distances between the pipes/cables are determining factors. Please refer to our "
        "installation instructions.");
    lines.push_back("");
  }
  lines.push_back(
      "Note: configurations and dimensions may differ per classification society. Check the available Type Approval "
      "Certificates.");
  return lines;
}

std::string DepthNoticeText(double newDepth) {
  return "Depth of transit changed to default (" + FormatLength(newDepth) + " " + LengthUnitName() + ")";
}

std::string ClassificationHint(TClassification classification) {
  if (classification == clWatertight) return "Check the disclaimer for tightness ratings!";
  return "Check the Type Approval Certificates for limitations in sizes !";
}
