#pragma once
#include <QDialog>
#include <QDoubleSpinBox>

#include "editor/presenter.h"

class QLabel;
class QPushButton;

// A number field that lets any number be typed and keeps its own limits for
// the steps; the dialog clamps typed values when it takes them.
class TClampedSpin : public QDoubleSpinBox {
public:
  explicit TClampedSpin(QWidget* parent = nullptr);
  void SetLimits(double low, double high) {
    Low = low;
    High = high;
  }
  double Clamp(double value) const { return value < Low ? Low : value > High ? High : value; }
  void stepBy(int steps) override;
  double Low = 0, High = 0;
};

// The small modal dialog in which the amount and outer diameter of one
// conduit group are set. Every change goes into the group at once and the
// drawing behind follows it; Cancel, Escape or closing the dialog puts back
// the values the group had when it opened.
class TfrmEditConduit : public QDialog {
public:
  explicit TfrmEditConduit(QWidget* owner = nullptr);

  TModalResult Execute(TPresenterTransitDetail& presenter, const std::string& caption, TPoint topLeft);
  void ProcessOuterDiameterChange(double value);
  void ProcessAmountChange(double value);

  void accept() override;
  void reject() override;

  TClampedSpin* edsAmount = nullptr;
  TClampedSpin* edsOuterDiameter = nullptr;
  QLabel* lblUnit = nullptr;
  QPushButton* btnOK = nullptr;
  QPushButton* btnCancel = nullptr;

protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

private:
  void Confirm();
  void Refresh(bool quick);
  // Shows a value in a field without any event.
  void Show(TClampedSpin* field, double value);

  TPresenterTransitDetail* Presenter = nullptr;
  double SavedDiameter = 0;
  int32_t SavedAmount = 0;
  // True while the dialog shows the group (not while it fills its fields or closes).
  bool Live = false;
};
