#include "store/recordcommands.h"

#include <algorithm>
#include <vector>

#include "core/errors.h"
#include "core/units.h"
#include "store/changes.h"
#include "store/exports.h"
#include "store/settings.h"
#include "store/tables.h"

namespace {

TRecordListener& Listener() {
  static TRecordListener listener;
  return listener;
}

void Report(TRecordEvent event, int32_t id) {
  if (Listener()) Listener()(event, id);
}

// The largest N of the names prefix + N (a whole number, sign allowed); 0 when none.
long long LargestNumberAfter(const std::string& prefix, const std::vector<const std::string*>& names) {
  long long largest = 0;
  for (const std::string* name : names) {
    if (name->compare(0, prefix.size(), prefix) != 0) continue;
    const std::string rest = name->substr(prefix.size());
    size_t digits = rest.size() > 0 && (rest[0] == '-' || rest[0] == '+') ? 1 : 0;
    if (digits == rest.size()) continue;
    bool whole = true;
    for (size_t i = digits; i < rest.size(); ++i) whole = whole && rest[i] >= '0' && rest[i] <= '9';
    if (!whole || rest.size() > 10) continue;
    const long long n = std::stoll(rest);
    if (n > 2147483647LL || n < -2147483648LL) continue;
    largest = std::max(largest, n);
  }
  return largest;
}

int TransitIndex(int32_t transitId) {
  const int index = Transits.IndexOfID(transitId);
  if (index < 0) throw TError("Unknown TransitID!");
  return index;
}

int ProjectIndex(int32_t projectId) {
  const int index = Projects.IndexOfID(projectId);
  if (index < 0) throw TError("Unknown ProjectID!");
  return index;
}

}  // namespace

void SetRecordListener(TRecordListener listener) { Listener() = std::move(listener); }

// ---------------------------------------------------------------- projects

std::string NextProjectName() {
  std::vector<const std::string*> names;
  for (int i = 0; i < Projects.Count(); ++i) names.push_back(&Projects.Items(i)->Name);
  return "New project " + std::to_string(LargestNumberAfter("New project ", names) + 1);
}

int32_t AddProject() {
  const std::string name = NextProjectName();
  TRecProject* p = Projects.Items(Projects.Add());
  p->Name = name;
  p->Created = p->Modified = NowDateTime();
  p->CreatedBy = p->ModifiedBy = CurrentUserName;
  TablesChanged();
  return p->ID;
}

void DeleteProject(int32_t projectId) {
  for (int i = 0; i < Transits.Count();) {
    const TRecTransit* t = Transits.Items(i);
    if (t->ProjectID != projectId) {
      ++i;
      continue;
    }
    const int32_t transitId = t->ID;
    Conduits.DeleteOfTransit(transitId);
    Report(TRecordEvent::TransitDeleted, transitId);
    // The windows told may have changed the table; look the transit up again.
    const int index = Transits.IndexOfID(transitId);
    if (index >= 0) Transits.Delete(index);
    i = std::min(i, Transits.Count());
  }
  Report(TRecordEvent::ProjectDeleting, projectId);
  Report(TRecordEvent::ProjectDeleted, projectId);
  const int index = Projects.IndexOfID(projectId);
  if (index >= 0) Projects.Delete(index);
  TablesChanged();
}

int32_t CopyProjectRecord(int32_t projectId) {
  const int32_t id = Projects.Items(CopyProject(ProjectIndex(projectId)))->ID;
  TablesChanged();
  return id;
}

void ExportProject(int32_t projectId, const std::string& path, const TTransitFilter& filter) {
  ExportProjectFile(ProjectIndex(projectId), path, filter);
}

int32_t ImportProject(const std::string& path) {
  int32_t id = 0;
  try {
    id = Projects.Items(ImportProjectFile(path))->ID;
  } catch (const std::exception& e) {
    throw TError(ImportFailureMessage("project", path, e));
  }
  TablesChanged();
  return id;
}

// ---------------------------------------------------------------- customers

int32_t AddCustomer(const std::string& name) {
  TRecCustomer* c = Customers.Items(Customers.Add());
  c->Name = name;
  TablesChanged();
  return c->ID;
}

void DeleteCustomer(int32_t customerId) {
  const int index = Customers.IndexOfID(customerId);
  if (index < 0) return;
  Customers.Delete(index);
  TablesChanged();
}

// ---------------------------------------------------------------- transits

int32_t AddTransit(int32_t projectId) {
  const int index = Transits.Add();
  InitTransitRecord(index);
  TRecTransit* t = Transits.Items(index);
  t->ProjectID = projectId;
  TablesChanged();
  return t->ID;
}

std::string NextTemplateName() {
  std::vector<const std::string*> names;
  for (int i = 0; i < Transits.Count(); ++i) names.push_back(&Transits.Items(i)->Name);
  return "New template " + std::to_string(std::max(0LL, LargestNumberAfter("New template ", names)) + 1);
}

int32_t AddTemplate() {
  const std::string name = NextTemplateName();
  const int index = Transits.Add();
  InitTransitRecord(index);
  TRecTransit* t = Transits.Items(index);
  t->ProjectID = TemplateProjectID;
  t->Name = name;
  t->Depth = 200000;
  TablesChanged();
  return t->ID;
}

void DeleteTransit(int32_t transitId) {
  const int index = Transits.IndexOfID(transitId);
  if (index < 0) return;
  Conduits.DeleteOfTransit(transitId);
  Transits.Delete(index);
  TablesChanged();
  Report(TRecordEvent::TransitDeleted, transitId);
}

int32_t CopyTransitRecord(int32_t transitId) {
  const int32_t id = Transits.Items(CopyTransit(TransitIndex(transitId)))->ID;
  TablesChanged();
  return id;
}

int32_t CopyTransitToProject(int32_t transitId, int32_t projectId) {
  const int source = TransitIndex(transitId);
  const std::string name = "Copy of " + Transits.Items(source)->Name;
  TRecTransit* copy = Transits.Items(CopyTransit(source));
  copy->Name = name;
  copy->ProjectID = projectId;
  TablesChanged();
  Report(TRecordEvent::TransitsChanged, -1);
  return copy->ID;
}

void ExportTransit(int32_t transitId, const std::string& path) { ExportTransitFile(TransitIndex(transitId), path); }

int32_t ImportTransit(const std::string& path, int32_t projectId) {
  TRecTransit* t = nullptr;
  try {
    t = Transits.Items(ImportTransitFile(path));
  } catch (const std::exception& e) {
    throw TError(ImportFailureMessage("transit", path, e));
  }
  t->ProjectID = projectId;
  TablesChanged();
  return t->ID;
}
