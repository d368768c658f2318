#include "schedule/schedule.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <thread>
#include <charconv>
#include <climits>
#include <cmath>
#include <map>
#include <unordered_map>
#include <unordered_set>

#include "core/cp1252.h"
#include "core/errors.h"
#include "store/settings.h"
#include "store/tables.h"
#include "store/transitrecord.h"

namespace {

std::string Trim(std::string_view s) {
  const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\xA0'; };
  while (!s.empty() && blank(s.front())) s.remove_prefix(1);
  while (!s.empty() && blank(s.back())) s.remove_suffix(1);
  // A no-break space written in UTF-8.
  while (s.size() >= 2 && s.substr(0, 2) == "\xC2\xA0") s.remove_prefix(2);
  while (s.size() >= 2 && s.substr(s.size() - 2) == "\xC2\xA0") s.remove_suffix(2);
  return std::string(s);
}

std::string Lower(std::string s) {
  for (char& c : s)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return s;
}

const TScheduleCell* CellAt(const TScheduleRow& row, int column) {
  if (column < 0 || static_cast<size_t>(column) >= row.size()) return nullptr;
  return &row[static_cast<size_t>(column)];
}

std::string CellText(const TScheduleRow& row, int column) {
  const TScheduleCell* cell = CellAt(row, column);
  return cell ? Trim(cell->Text) : std::string();
}

bool RowIsEmpty(const TScheduleRow& row) {
  return std::all_of(row.begin(), row.end(), [](const TScheduleCell& c) { return Trim(c.Text).empty(); });
}

// The words of a header text: runs of ASCII letters and digits, lower case;
// "Ø" and "ø" count as the word "ø".
std::vector<std::string> Words(const std::string& text) {
  std::vector<std::string> words;
  std::string word;
  const std::string lower = Lower(text);
  for (size_t i = 0; i < lower.size(); ++i) {
    const char c = lower[i];
    if ((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9')) {
      word += c;
      continue;
    }
    if (!word.empty()) words.push_back(std::move(word));
    word.clear();
    if (c == '\xC3' && i + 1 < lower.size() && (lower[i + 1] == '\x98' || lower[i + 1] == '\xB8')) {
      words.push_back("ø");
      ++i;
    } else if (c == '\xD8' || c == '\xF8') {
      words.push_back("ø");
    }
  }
  if (!word.empty()) words.push_back(std::move(word));
  return words;
}

bool HasWord(const std::vector<std::string>& words, std::initializer_list<std::string_view> wanted) {
  for (const std::string& w : words)
    for (std::string_view x : wanted)
      if (w == x) return true;
  return false;
}

bool HasWordStart(const std::vector<std::string>& words, std::initializer_list<std::string_view> wanted) {
  for (const std::string& w : words)
    for (std::string_view x : wanted)
      if (w.rfind(x, 0) == 0) return true;
  return false;
}

// Splits one route: transits separated by ";" "," or "/".
std::vector<std::string> SplitRoute(const std::string& text) {
  std::vector<std::string> names;
  std::string current;
  auto flush = [&] {
    std::string name = Trim(current);
    current.clear();
    if (!name.empty() && std::find(names.begin(), names.end(), name) == names.end()) names.push_back(std::move(name));
  };
  for (char c : text) {
    if (c == ';' || c == ',' || c == '/' || c == '\n' || c == '\r') flush();
    else current += c;
  }
  flush();
  return names;
}

// A decimal number: an optional sign, digits with at most one separator.
// Never follows the locale: the separator is the one given.
bool ParseDecimal(std::string_view text, char separator, double& value) {
  std::string s;
  size_t i = 0;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) s += text[i++];
  bool digits = false, point = false;
  for (; i < text.size(); ++i) {
    const char c = text[i];
    if (c >= '0' && c <= '9') {
      s += c;
      digits = true;
    } else if (c == separator && !point) {
      s += '.';
      point = true;
    } else {
      return false;
    }
  }
  if (!digits) return false;
  const char* begin = s.c_str();
  if (*begin == '+') ++begin;
  const auto [end, error] = std::from_chars(begin, s.c_str() + s.size(), value);
  return error == std::errc() && end == s.c_str() + s.size() && std::isfinite(value);
}

// A number stored as a number in a workbook: plain or with an exponent.
bool ParseStoredNumber(const std::string& text, double& value) {
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  return error == std::errc() && end == text.data() + text.size() && std::isfinite(value);
}

bool ParseCellNumber(const TScheduleCell* cell, char decimal, double& value) {
  if (!cell) return false;
  const std::string text = Trim(cell->Text);
  return cell->Numeric ? ParseStoredNumber(text, value) : ParseDecimal(text, decimal, value);
}

constexpr double MaxDiameter = 1000000;  // micrometres: the editor's limit, 1000 mm

std::string UnitName(TLengthUnit unit) { return unit == luInch ? "inch" : "mm"; }

// Groups of one type less than 10 µm apart become one, their amounts
// added; the result is in ascending diameter. Sorting first keeps this
// n log n for a schedule of many different diameters.
void MergeGroups(std::vector<TConduitGroup>& groups) {
  std::stable_sort(groups.begin(), groups.end(), [](const TConduitGroup& a, const TConduitGroup& b) {
    return a.ConduitType != b.ConduitType ? a.ConduitType < b.ConduitType : a.OuterDiameter < b.OuterDiameter;
  });
  std::vector<TConduitGroup> merged;
  for (const TConduitGroup& g : groups) {
    if (!merged.empty() && merged.back().ConduitType == g.ConduitType &&
        std::fabs(merged.back().OuterDiameter - g.OuterDiameter) < 10)
      merged.back().Amount = static_cast<int32_t>(
          std::clamp<int64_t>(int64_t{merged.back().Amount} + g.Amount, INT32_MIN, INT32_MAX));
    else
      merged.push_back(g);
  }
  std::stable_sort(merged.begin(), merged.end(), [](const TConduitGroup& a, const TConduitGroup& b) {
    return a.OuterDiameter < b.OuterDiameter;
  });
  groups = std::move(merged);
}

bool SameGroups(std::vector<TConduitGroup> a, std::vector<TConduitGroup> b) {
  MergeGroups(a);
  MergeGroups(b);
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (a[i].Amount != b[i].Amount || a[i].ConduitType != b[i].ConduitType ||
        std::fabs(a[i].OuterDiameter - b[i].OuterDiameter) >= 10)
      return false;
  return true;
}

// A new transit's starting state: the template's record, or the defaults a
// new transit record gets.
TTransit NewTransitModel(int32_t templateId) {
  TTransit t;
  const int index = templateId ? Transits.IndexOfID(templateId) : -1;
  if (index >= 0) {
    LoadRecordFields(t, *Transits.Items(index));
    t.Comments.clear();
    t.TransitsInProject = 1;
  } else {
    TRecTransit r;
    SetNewTransitDesign(r);
    LoadRecordFields(t, r);
  }
  t.Created = t.Modified = NowDateTime();
  t.CreatedBy = t.ModifiedBy = CurrentUserName;
  return t;
}

void Calculate(TTransit& t) {
  t.Validate();
  t.SortConduitGroups();
  t.Fill();
}

}  // namespace

int ScheduleHeaderRow(const TScheduleTable& table) {
  for (size_t i = 0; i < table.Rows.size(); ++i)
    if (!RowIsEmpty(table.Rows[i])) return static_cast<int>(i);
  return -1;
}

std::vector<std::string> ScheduleHeader(const TScheduleTable& table) {
  std::vector<std::string> header;
  const int row = ScheduleHeaderRow(table);
  if (row < 0) return header;
  for (const TScheduleCell& cell : table.Rows[static_cast<size_t>(row)]) header.push_back(Trim(cell.Text));
  return header;
}

TScheduleColumns SuggestScheduleColumns(const std::vector<std::string>& header) {
  TScheduleColumns c;
  auto take = [](int& slot, int column) {
    if (slot < 0) slot = column;
  };
  for (int i = 0; i < static_cast<int>(header.size()); ++i) {
    const std::vector<std::string> w = Words(header[static_cast<size_t>(i)]);
    if (w.empty()) continue;
    if (HasWord(w, {"type", "kind"})) take(c.Type, i);
    else if (HasWordStart(w, {"diam"}) || HasWord(w, {"od", "ø", "dia", "outer"})) take(c.Diameter, i);
    else if (HasWordStart(w, {"transit", "penetration"}) || HasWord(w, {"hole", "holes", "mct", "mcts", "route"}))
      take(c.Transit, i);
    else if (HasWord(w, {"qty", "amount", "quantity", "count", "pcs"})) take(c.Amount, i);
    else if (HasWord(w, {"tag", "cable", "cables", "id"})) take(c.Tag, i);
  }
  return c;
}

int FindScheduleColumn(const std::vector<std::string>& header, const std::string& name) {
  const std::string wanted = Lower(Trim(name));
  for (size_t i = 0; i < header.size(); ++i)
    if (Lower(Trim(header[i])) == wanted) return static_cast<int>(i);
  return -1;
}

bool ParseScheduleConduitType(const std::string& text, TConduitType& type) {
  const std::vector<std::string> w = Words(text);
  if (HasWord(w, {"grp"})) type = ctPipesGRP;
  else if (HasWord(w, {"plastic", "pe", "pvc"})) type = ctPipesPlastic;
  else if (HasWord(w, {"pipe", "pipes", "metal", "steel"})) type = ctPipesMetal;
  else if (HasWord(w, {"cable", "cables"})) type = ctCables;
  else return false;
  return true;
}

TSchedulePlan PlanSchedule(const TScheduleTable& table, const TScheduleOptions& options) {
  const TScheduleColumns& columns = options.Columns;
  if (columns.Transit < 0) throw TError("No transit column is chosen");
  if (columns.Diameter < 0) throw TError("No outer-diameter column is chosen");
  const double factor = options.Unit == luInch ? 25400 : 1000;

  // The project's transits by name: the first of each name in table order.
  std::unordered_map<std::string, int32_t> existing;
  for (int i = 0; i < Transits.Count(); ++i) {
    const TRecTransit* t = Transits.Items(i);
    if (t->ProjectID == options.ProjectID) existing.emplace(t->Name, t->ID);
  }

  TSchedulePlan plan;
  std::unordered_map<std::string, size_t> planned;
  std::vector<std::vector<TConduitGroup>> groups;
  const int header = ScheduleHeaderRow(table);
  for (size_t r = header < 0 ? table.Rows.size() : static_cast<size_t>(header) + 1; r < table.Rows.size(); ++r) {
    const TScheduleRow& row = table.Rows[r];
    if (RowIsEmpty(row)) continue;
    ++plan.CablesRead;
    TRefusedRow refusal;
    refusal.Row = static_cast<int>(r) + 1;
    refusal.Tag = CellText(row, columns.Tag);
    auto refuse = [&](std::string reason) {
      refusal.Reason = std::move(reason);
      plan.Refused.push_back(std::move(refusal));
      ++plan.RowsRefused;
    };

    const std::vector<std::string> names = SplitRoute(CellText(row, columns.Transit));
    if (names.empty()) {
      refuse("no transit");
      continue;
    }
    auto unfit = std::find_if(names.begin(), names.end(), [](const std::string& n) { return !FitsCp1252(n); });
    if (unfit != names.end()) {
      refuse("the transit name '" + *unfit + "' holds characters the data file cannot hold");
      continue;
    }

    double diameter = 0;
    const std::string diameterText = CellText(row, columns.Diameter);
    if (diameterText.empty()) {
      refuse("no diameter");
      continue;
    }
    if (!ParseCellNumber(CellAt(row, columns.Diameter), options.Decimal, diameter)) {
      double other = 0;
      const char otherSeparator = options.Decimal == ',' ? '.' : ',';
      refuse("the diameter '" + diameterText + "' is not a number" +
             (ParseDecimal(diameterText, otherSeparator, other)
                  ? std::string(" with the decimal separator '") + options.Decimal + "'"
                  : std::string()));
      continue;
    }
    diameter *= factor;
    if (!(diameter > 0) || diameter > MaxDiameter) {
      refuse("the diameter " + diameterText + " " + UnitName(options.Unit) +
             " is outside the range of the catalogues (above 0 up to " +
             (options.Unit == luInch ? std::string("39.37 inch") : std::string("1000 mm")) + ")");
      continue;
    }

    int32_t amount = 1;
    const std::string amountText = CellText(row, columns.Amount);
    if (!amountText.empty()) {
      double value = 0;
      if (!ParseCellNumber(CellAt(row, columns.Amount), options.Decimal, value) || value != std::floor(value) ||
          value < 1 || value > 9999) {
        refuse("the amount '" + amountText + "' is not a whole number from 1 to 9999");
        continue;
      }
      amount = static_cast<int32_t>(value);
    }

    TConduitType type = options.DefaultType;
    const std::string typeText = CellText(row, columns.Type);
    if (!typeText.empty() && !ParseScheduleConduitType(typeText, type)) {
      refuse("the conduit type '" + typeText + "' is neither cable nor pipe");
      continue;
    }

    ++plan.CablesImported;
    for (const std::string& name : names) {
      auto [it, added] = planned.emplace(name, plan.Transits.size());
      if (added) {
        TPlannedTransit t;
        t.Name = name;
        auto found = existing.find(name);
        if (found != existing.end()) t.ExistingID = found->second;
        plan.Transits.push_back(std::move(t));
        groups.emplace_back();
      }
      TPlannedTransit& t = plan.Transits[it->second];
      t.CableCount += amount;
      groups[it->second].push_back({diameter, amount, type});
    }
  }
  for (size_t i = 0; i < plan.Transits.size(); ++i) {
    MergeGroups(groups[i]);
    for (const TConduitGroup& g : groups[i]) plan.Transits[i].Groups.push_back({g.OuterDiameter, g.Amount, g.ConduitType});
  }
  return plan;
}

namespace {

// Runs the resize hook on the models at those indexes, on up to `threads`
// threads. The calling thread meanwhile tells the progress and polls for a
// cancel, so both callbacks stay on the caller's thread. False when
// cancelled. The first failure of a hook is raised again here.
bool ResizeModels(std::vector<TTransit*>& models, std::vector<char>& fitted, const TApplyOptions& options,
                  int progressBase, int total) {
  std::atomic<size_t> next{0};
  std::atomic<int> done{0};
  std::atomic<bool> stop{false};
  std::exception_ptr failure;
  std::mutex mutex;
  std::condition_variable changed;
  auto work = [&] {
    for (;;) {
      if (stop) return;
      const size_t k = next++;
      if (k >= models.size()) return;
      try {
        const bool ok = options.Resize(*models[k]);
        Calculate(*models[k]);
        fitted[k] = ok;
      } catch (...) {
        std::lock_guard lock(mutex);
        if (!failure) failure = std::current_exception();
        stop = true;
      }
      ++done;
      changed.notify_one();
    }
  };
  const int threads = std::max(1, std::min(options.Threads, static_cast<int>(models.size())));
  bool cancelled = false;
  if (threads == 1) {
    for (size_t k = 0; k < models.size(); ++k) {
      if (options.Cancelled && options.Cancelled()) return false;
      fitted[k] = options.Resize(*models[k]);
      Calculate(*models[k]);
      if (options.Progress) options.Progress(progressBase + static_cast<int>(k) + 1, total);
    }
    return true;
  }
  std::vector<std::thread> pool;
  for (int i = 0; i < threads; ++i) pool.emplace_back(work);
  {
    std::unique_lock lock(mutex);
    while (done < static_cast<int>(models.size()) && !stop) {
      changed.wait_for(lock, std::chrono::milliseconds(20));
      lock.unlock();
      if (options.Progress) options.Progress(progressBase + done, total);
      if (options.Cancelled && options.Cancelled()) {
        stop = true;
        cancelled = true;
      }
      lock.lock();
    }
  }
  for (std::thread& t : pool) t.join();
  if (failure) std::rethrow_exception(failure);
  return !cancelled;
}

}  // namespace

TApplyResult ApplySchedulePlan(const TSchedulePlan& plan, int32_t projectId, const TApplyOptions& options) {
  TApplyResult result;
  struct TWork {
    TTransit Model;
    bool Changed = true;
    bool Fitted = true;
  };
  std::vector<TWork> work(plan.Transits.size());
  const int transits = static_cast<int>(plan.Transits.size());
  int newCount = 0;
  for (const TPlannedTransit& p : plan.Transits)
    if (p.ExistingID == 0 || Transits.IndexOfID(p.ExistingID) < 0) ++newCount;
  const int total = transits + (options.Resize ? newCount : 0);

  // First every transit's new state, on models: nothing in the tables changes.
  for (size_t i = 0; i < plan.Transits.size(); ++i) {
    if (options.Cancelled && options.Cancelled()) {
      result.Cancelled = true;
      return result;
    }
    const TPlannedTransit& p = plan.Transits[i];
    TTransit& model = work[i].Model;
    std::vector<TConduitGroup> groups;
    for (const TPlannedGroup& g : p.Groups) groups.push_back({g.OuterDiameter, g.Amount, g.ConduitType});
    TAppliedTransit applied;
    applied.Name = p.Name;
    const bool exists = p.ExistingID != 0 && Transits.IndexOfID(p.ExistingID) >= 0;
    if (exists) {
      LoadFromRecord(model, p.ExistingID);
      if (!options.ReplaceGroups) groups.insert(groups.begin(), model.ConduitGroups.begin(), model.ConduitGroups.end());
      MergeGroups(groups);
      work[i].Changed = !SameGroups(groups, model.ConduitGroups);
      model.ConduitGroups = groups;
      if (work[i].Changed) {
        model.Modified = NowDateTime();
        model.ModifiedBy = CurrentUserName;
      }
      applied.ID = p.ExistingID;
    } else {
      model = NewTransitModel(options.TemplateID);
      model.Name = p.Name;
      model.ConduitGroups = groups;
      // A transit of pipes only is a pipe transit.
      if (!groups.empty() && std::all_of(groups.begin(), groups.end(), [&](const TConduitGroup& g) {
            return g.ConduitType == groups.front().ConduitType;
          }))
        model.DefaultConduitType = groups.front().ConduitType;
      applied.Created = true;
    }
    Calculate(model);
    result.Transits.push_back(std::move(applied));
    if (options.Progress) options.Progress(static_cast<int>(i) + 1, total);
  }

  // "Resize to fit" on the new transits, each on its own model.
  if (options.Resize) {
    std::vector<TTransit*> models;
    std::vector<size_t> indexes;
    for (size_t i = 0; i < work.size(); ++i)
      if (result.Transits[i].Created) {
        models.push_back(&work[i].Model);
        indexes.push_back(i);
      }
    // One byte per model: each thread writes only its own.
    std::vector<char> fitted(models.size(), 1);
    if (!ResizeModels(models, fitted, options, transits, total)) {
      result.Cancelled = true;
      result.Transits.clear();
      return result;
    }
    for (size_t k = 0; k < indexes.size(); ++k) work[indexes[k]].Fitted = fitted[k] != 0;
  }

  for (size_t i = 0; i < work.size(); ++i) {
    TAppliedTransit& applied = result.Transits[i];
    const TTransit& model = work[i].Model;
    applied.Changed = applied.Created || work[i].Changed;
    if (!work[i].Fitted) applied.Warnings.push_back("resize to fit found no size; the transit keeps its size");
    applied.FillingRate = model.FillingRate();
    applied.NotPlaced = static_cast<int>(model.NotPlacedCount);
    if (model.NotPlacedCount > 0)
      applied.Warnings.push_back(std::to_string(model.NotPlacedCount) + " " + model.ConduitPluralLower() +
                                 " not placed");
    if (applied.FillingRate > ScheduleFillingRateLimit)
      applied.Warnings.push_back("filling rate over the limit of 40%");
  }
  if (options.Cancelled && options.Cancelled()) {
    result.Cancelled = true;
    result.Transits.clear();
    return result;
  }

  // Then the records, all at once.
  for (size_t i = 0; i < work.size(); ++i) {
    TAppliedTransit& applied = result.Transits[i];
    if (!applied.Created) {
      if (work[i].Changed) SaveToRecord(work[i].Model, applied.ID);
      continue;
    }
    const int index = Transits.Add();
    InitTransitRecord(index);
    TRecTransit* record = Transits.Items(index);
    record->ProjectID = projectId;
    record->Created = work[i].Model.Created;
    record->CreatedBy = work[i].Model.CreatedBy;
    applied.ID = record->ID;
    SaveToRecord(work[i].Model, applied.ID);
  }
  return result;
}
