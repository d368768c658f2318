#include "editor/storelink.h"

#include "platform/mdichild.h"
#include "core/errors.h"
#include "store/changes.h"
#include "store/recordcommands.h"
#include "store/settings.h"
#include "store/tables.h"
#include "store/transitrecord.h"

namespace editorstore {

namespace {
TRecTransit* Find(int32_t id) {
  const int index = Transits.IndexOfID(id);
  return index < 0 ? nullptr : Transits.Items(index);
}

TRecTransit& Get(int32_t id) {
  TRecTransit* record = Find(id);
  if (!record) throw TError("Unknown TransitID!");
  return *record;
}
}  // namespace

bool TransitExists(int32_t id) { return Find(id) != nullptr; }
int32_t TransitProjectID(int32_t id) { return Get(id).ProjectID; }
std::string TransitName(int32_t id) { return Get(id).Name; }

void LoadTransit(TTransit& transit, int32_t id) { LoadFromRecord(transit, id); }
void SaveTransit(TTransit& transit, int32_t id) {
  // A transit deleted behind the editor's back is never written again.
  if (!Find(id)) return;
  SaveToRecord(transit, id);
  NotifyAll(nkTransitChanged, id);
  // The windows told may have changed the tables.
  if (const TRecTransit* record = Find(id)) NotifyAll(nkProjectChanged, record->ProjectID);
  TablesChanged();
}

void CopyTransit(int32_t id) { CopyTransitRecord(id); }
void DeleteTransit(int32_t id) { ::DeleteTransit(id); }

bool TemplateSizes(int32_t id, TTemplateSizes& sizes) {
  const TRecTransit* r = Find(id);
  if (!r) return false;
  sizes.Width = r->Width;
  sizes.Height = r->Height;
  sizes.CornerRadius = r->CornerRadius;
  sizes.SparePercentage = r->SparePercentage;
  return true;
}

std::string CurrentUser() { return CurrentUserName; }
bool AntiAliasing() { return Settings.AntiAliasing; }
bool ShowGrid() { return Settings.ShowGrid; }
bool FixedWindow() { return Settings.FixedWindow; }
bool BlinkWarning() { return Settings.BlinkWarning; }

}  // namespace editorstore
