// The conduit list exchanged with the clipboard as tab-separated text.

#include <algorithm>
#include <charconv>
#include <cmath>
#include <string>
#include <vector>

#include "core/units.h"
#include "editor/presenter.h"

namespace {

const std::string Header = "Amount\tDiameter\r\n";
// The most one line, and one merged group, may hold: the conduit dialog's maximum.
constexpr int32_t MaxImportedAmount = 9999;

bool IsBlank(char c) { return static_cast<unsigned char>(c) <= ' '; }

// A whole number, blanks before it allowed.
bool ParseAmount(const std::string& text, int32_t& amount) {
  size_t i = 0;
  while (i < text.size() && text[i] == ' ') ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  if (i >= text.size()) return false;
  int64_t value = 0;
  for (; i < text.size(); ++i) {
    if (text[i] < '0' || text[i] > '9') return false;
    value = value * 10 + (text[i] - '0');
    if (value > 1000000) return false;  // far beyond any amount allowed
  }
  amount = static_cast<int32_t>(negative ? -value : value);
  return true;
}

// A decimal number with the system's decimal separator and an optional
// exponent, blanks around it allowed.
bool ParseDecimal(const std::string& text, double& value) {
  size_t begin = 0, end = text.size();
  while (begin < end && text[begin] == ' ') ++begin;
  while (end > begin && text[end - 1] == ' ') --end;
  std::string plain;
  size_t i = begin;
  auto digits = [&]() {
    size_t count = 0;
    while (i < end && text[i] >= '0' && text[i] <= '9') {
      plain += text[i++];
      ++count;
    }
    return count;
  };
  if (i < end && (text[i] == '+' || text[i] == '-')) plain += text[i++];
  size_t count = digits();
  if (i < end && text[i] == DecimalSeparator()) {
    plain += '.';
    ++i;
    count += digits();
  }
  if (count == 0) return false;
  if (i < end && (text[i] == 'e' || text[i] == 'E')) {
    plain += 'e';
    ++i;
    if (i < end && (text[i] == '+' || text[i] == '-')) plain += text[i++];
    if (digits() == 0) return false;
  }
  if (i != end) return false;
  const char* first = plain.data();
  if (*first == '+') ++first;
  const auto [ptr, ec] = std::from_chars(first, plain.data() + plain.size(), value);
  return ec == std::errc() && ptr == plain.data() + plain.size();
}

// Groups less than 10 µm apart become one, in the model's own order of
// merging (the last group moves into a removed one's place); the summed
// amount stays within what one line may hold, however many lines there are.
void MergeImportedGroups(std::vector<TImportedGroup>& groups) {
  for (size_t i = 0; i < groups.size(); ++i) {
    size_t j = i + 1;
    while (j < groups.size()) {
      if (std::fabs(groups[j].OuterDiameter - groups[i].OuterDiameter) < 10) {
        groups[i].Amount = std::min(MaxImportedAmount, groups[i].Amount + groups[j].Amount);
        groups[j] = groups.back();
        groups.pop_back();
      } else {
        ++j;
      }
    }
  }
}

}  // namespace

std::string ConduitListToText(const std::vector<TConduitGroup>& groups) {
  std::string text = Header;
  for (const TConduitGroup& group : groups)
    text += std::to_string(group.Amount) + "\t" + FormatLength(group.OuterDiameter) + "\r\n";
  return text;
}

bool ParseConduitListText(const std::string& text, std::vector<TImportedGroup>& groups) {
  // The header ends with carriage return and line feed, or with a line feed
  // alone as text from other systems has it.
  const std::string headerLf = "Amount\tDiameter\n";
  size_t bodyStart;
  if (text.compare(0, Header.size(), Header) == 0)
    bodyStart = Header.size();
  else if (text.compare(0, headerLf.size(), headerLf) == 0)
    bodyStart = headerLf.size();
  else
    return false;
  // Lines end with CR LF, CR or LF; each ending becomes one carriage return.
  std::string rest;
  for (size_t i = bodyStart; i < text.size(); ++i) {
    if (text[i] == '\n') {
      if (i == bodyStart || text[i - 1] != '\r') rest += '\r';
    } else {
      rest += text[i];
    }
  }
  if (rest.empty() || rest.back() != '\r') rest += '\r';

  std::vector<TImportedGroup> read;
  size_t start = 0;
  while (start < rest.size()) {
    const size_t stop = rest.find('\r', start);
    const std::string line = rest.substr(start, stop - start);
    start = stop + 1;

    bool blank = true;
    for (char c : line) blank = blank && IsBlank(c);
    if (blank) continue;

    const size_t tab = line.find('\t');
    if (tab == std::string::npos || line.find('\t', tab + 1) != std::string::npos) return false;
    TImportedGroup group;
    if (!ParseAmount(line.substr(0, tab), group.Amount) || group.Amount < 1 || group.Amount > MaxImportedAmount) return false;
    double diameter = 0;
    if (!ParseDecimal(line.substr(tab + 1), diameter) || !(diameter > 0)) return false;
    group.OuterDiameter = diameter * LengthUnitFactor();
    if (!(group.OuterDiameter <= 1000000)) return false;
    read.push_back(group);
  }
  groups = std::move(read);
  return true;
}

void TPresenterTransitDetail::ExportConduitList() {
  FServices.Dialogs->SetClipboardText(ConduitListToText(FModel.ConduitGroups));
}

bool TPresenterTransitDetail::ImportConduitList() {
  if (!FServices.Dialogs->HasClipboardText()) return false;
  // Every line is read before the list is touched, so a refused line
  // changes nothing.
  std::vector<TImportedGroup> groups;
  if (!ParseConduitListText(FServices.Dialogs->ClipboardText(), groups)) return false;
  MergeImportedGroups(groups);
  while (FModel.ConduitGroupCount() > 0) FModel.DeleteConduitGroup(0);
  for (const TImportedGroup& imported : groups) {
    TConduitGroup& group = FModel.AddConduitGroup();
    group.Amount = imported.Amount;
    group.OuterDiameter = imported.OuterDiameter;
  }
  FModel.MergeEqualDiameters();
  Refresh(false, false, true);
  return true;
}

void TPresenterTransitDetail::ImportConduitListOrComplain() {
  if (!ImportConduitList())
    FServices.Dialogs->ShowMessage("Can't import from clipboard, data is not in the right format",
                                        "Import from clipboard");
}
