#include <gtest/gtest.h>

#include <tuple>

#include "platform/mdichild.h"
#include "app/recordnotices.h"
#include "store/recordcommands.h"
#include "store/tables.h"

namespace {

// Records every notification while open.
class TRecorder : public TfrmMDIchild {
public:
  void Notify(uint8_t code, int32_t id) override { Calls.emplace_back(code, id); }
  std::vector<std::pair<int, int32_t>> Calls;
};

void ClearTables() {
  Customers.Clear();
  Projects.Clear();
  Transits.Clear();
  Conduits.Clear();
}

}  // namespace

// What the store's record commands report reaches the open windows as the
// notifications they answer: an editor closes on its transit's deletion, a
// project window on its project's, the lists show new copies.
TEST(RecordNotices, TheWindowsAreToldOfDeletionsAndCopies) {
  ClearTables();
  TellWindowsOfRecordChanges();
  const int32_t p = Projects.Items(Projects.Add())->ID;
  const int32_t target = Projects.Items(Projects.Add())->ID;
  int32_t transits[3];
  for (int32_t& id : transits) {
    const int index = Transits.Add();
    InitTransitRecord(index);
    Transits.Items(index)->ProjectID = p;
    id = Transits.Items(index)->ID;
  }
  TRecorder window;
  DeleteTransit(transits[0]);
  const int32_t copy = CopyTransitToProject(transits[1], target);
  const int32_t kept = CopyTransitRecord(transits[1]);  // the editor's: nobody told
  DeleteProject(p);
  const std::vector<std::pair<int, int32_t>> told = {
      {nkTransitDeleted, transits[0]}, {nkTransitChanged, -1},     {nkTransitDeleted, transits[1]},
      {nkTransitDeleted, transits[2]}, {nkTransitDeleted, kept},   {nkProjectDeleting, p},
      {nkProjectDeleted, p}};
  EXPECT_EQ(window.Calls, told);
  EXPECT_EQ(std::tuple(Transits.Count(), Transits.Items(0)->ID), std::tuple(1, copy));
  SetRecordListener({});
  ClearTables();
}
