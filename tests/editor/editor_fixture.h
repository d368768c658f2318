#pragma once
// A data set in the real process-wide tables, and an editor window stand-in
// opened on one of its transits.

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "core/sample_transits.h"
#include "core/units.h"
#include "editor/fakeview.h"
#include "store/settings.h"
#include "store/tables.h"
#include "store/transitrecord.h"

// Stores a transit model in a new record of the transits table; returns its identifier.
inline int32_t StoreTransit(const TTransit& model, const std::string& name, int32_t projectId = 1) {
  const int index = Transits.Add();
  InitTransitRecord(index);
  TRecTransit* record = Transits.Items(index);
  record->ProjectID = projectId;
  TTransit copy;
  copy.Assign(model);
  copy.Name = name;
  SaveToRecord(copy, record->ID);
  return record->ID;
}

// Records the notifications that reach the open child windows.
class TNotificationRecorder : public TfrmMDIchild {
public:
  void Notify(uint8_t code, int32_t id) override { Seen.push_back(std::to_string(code) + ":" + std::to_string(id)); }
  std::vector<std::string> Seen;
};

class EditorTest : public ::testing::Test {
protected:
  void SetUp() override {
    Customers.Clear();
    Projects.Clear();
    Transits.Clear();
    Conduits.Clear();
    SetDefaultSettings();
    CurrentLengthUnit = luMillimetre;
    SetDecimalSeparator('.');
    CurrentUserName = "tester";
    Settings.AntiAliasing = false;  // quick pictures keep the tests fast
  }
  void TearDown() override {
    View.reset();
    CurrentLengthUnit = luMillimetre;
  }

  // Opens the editor for the transit and forgets the calls of the opening.
  TPresenterTransitDetail& Open(int32_t id, bool keepCalls = false) {
    View = std::make_unique<TFakeTransitView>(Services);
    View->Init(id);
    if (!keepCalls) View->Clear();
    return *View->Presenter;
  }
  TPresenterTransitDetail& P() { return *View->Presenter; }
  TFakeTransitView& V() { return *View; }

  TFakeServices Services;
  std::unique_ptr<TFakeTransitView> View;
};
