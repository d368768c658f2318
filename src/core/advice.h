#pragma once
#include <string>
#include <vector>

#include "core/transit.h"

// The judgements the transit editor shows after every recompute of a
// validated and filled transit.
struct TWarnings {
  std::string Warning;                // empty when none
  std::string FillingRateText = "-";  // "-" when no filling rate is shown
  bool FillingRateRed = false;        // shown in pure red instead of the window-text colour
};

TWarnings ComputeWarnings(const TTransit& transit);
std::string InsertSleeveAdvice(const TTransit& transit);
std::vector<std::string> DisclaimerLines(const TTransit& transit);
std::string DepthNoticeText(double newDepth);
std::string ClassificationHint(TClassification classification);

extern const char* const SpareHintText;
extern const char* const SpareRemarkText;
extern const char* const MultiPipeRefusalText;
