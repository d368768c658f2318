#pragma once
#include <cstdint>
#include <string>

class TTransit;

// What the transit editor reads from and writes to the data tables and the
// preferences.
namespace editorstore {

// False when the transits table holds no record with that identifier.
bool TransitExists(int32_t id);
// The project the transit belongs to (TemplateProjectID for a template).
int32_t TransitProjectID(int32_t id);
// The name stored in the transit record.
std::string TransitName(int32_t id);
void LoadTransit(TTransit& transit, int32_t id);
// Writes the model into its transit record and conduit records, tells the
// open windows that the transit and its project changed, and has the data
// file written soon. Nothing happens when the transit is gone.
void SaveTransit(TTransit& transit, int32_t id);
// Copies the stored transit with its conduits into a new record under the
// same name (the store's CopyTransitRecord). This and the deletion below
// also have the data file written soon.
void CopyTransit(int32_t id);
// Removes the transit record and its conduit records; the open windows are
// told it was deleted (the store's DeleteTransit).
void DeleteTransit(int32_t id);

struct TTemplateSizes {
  double Width = 0, Height = 0, CornerRadius = 0, SparePercentage = 0;
};
// False when there is no such transit.
bool TemplateSizes(int32_t id, TTemplateSizes& sizes);

std::string CurrentUser();
bool AntiAliasing();
bool ShowGrid();
bool FixedWindow();
bool BlinkWarning();

}  // namespace editorstore
