#pragma once
// The record commands of the data tables: add, delete with everything that
// belongs to the record, copy, export and import of projects, transits,
// templates and customers. The list windows and the transit editor both work
// through these. Every change has the data file written soon (TablesChanged);
// what the open windows must learn of goes to one listener, which the
// program sets at start (without one nobody is told).
#include <cstdint>
#include <functional>
#include <string>

#include "store/datafile.h"

// What happened to the records, for the open windows.
enum class TRecordEvent : uint8_t {
  TransitDeleted,   // the transit's record is gone, or goes right after (id: the transit)
  TransitsChanged,  // transits were added to the lists (id: -1)
  ProjectDeleting,  // the project's transits are gone, the project goes next (id: the project)
  ProjectDeleted,   // (id: the project)
};
using TRecordListener = std::function<void(TRecordEvent event, int32_t id)>;
void SetRecordListener(TRecordListener listener);

// ---------------------------------------------------------------- projects

// "New project " + (the largest N of the projects named "New project N") + 1.
std::string NextProjectName();
// A new project with the next free name, stamped now by the current user; its identifier.
int32_t AddProject();
// Deletes the project with its transits and their conduits, in table order.
// Each transit is reported deleted once its conduits are gone and before its
// record goes, then the project is reported deleting and deleted. A listener
// may change the tables meanwhile. Nothing happens without such a project
// but the reports and the write.
void DeleteProject(int32_t projectId);
// A copy named "Copy of " + the name, stamps as the source's, with copies of
// all transits and their conduits; its identifier. Raises "Unknown ProjectID!".
int32_t CopyProjectRecord(int32_t projectId);

// Writes the project with the transits passing the filter to a project file.
void ExportProject(int32_t projectId, const std::string& path, const TTransitFilter& filter = AllTransits);
// Reads a project file into a new project; its identifier. A failing file adds
// nothing and raises TError with ImportFailureMessage (the file and the reason).
int32_t ImportProject(const std::string& path);

// ---------------------------------------------------------------- customers

int32_t AddCustomer(const std::string& name);
// Projects naming the customer keep the name.
void DeleteCustomer(int32_t customerId);

// ---------------------------------------------------------------- transits

// A new transit with the defaults in the project; its identifier. Nobody is
// told: the list that adds it opens its editor.
int32_t AddTransit(int32_t projectId);
// "New template " + (the largest N of all transits named "New template N") + 1.
std::string NextTemplateName();
// A new template with the next free name and a depth of 200 mm; its identifier.
int32_t AddTemplate();
// Deletes the transit and its conduits, then reports it deleted (its editor
// closes). Nothing happens without such a transit.
void DeleteTransit(int32_t transitId);
// Copies the stored transit with its conduits into a new record: the same
// name, project and stamps. Nobody is told: the editor keeps the stored
// version this way just before it saves over it. Its identifier; raises
// "Unknown TransitID!".
int32_t CopyTransitRecord(int32_t transitId);
// A copy named "Copy of " + the name in the project (which may be its own),
// stamps unchanged; the transit lists are told. Its identifier.
int32_t CopyTransitToProject(int32_t transitId, int32_t projectId);

void ExportTransit(int32_t transitId, const std::string& path);
// Reads a transit file into a new transit of the project (or template list);
// its identifier. Nobody is told. A failing file adds nothing and raises
// TError with ImportFailureMessage.
int32_t ImportTransit(const std::string& path, int32_t projectId);
