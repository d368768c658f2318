#pragma once
#include <QDoubleSpinBox>
#include <functional>

// A number field whose arrows (buttons, keys, wheel, page keys) do not
// change the value themselves: each step is handed to OnSpin with the new
// value, and whoever listens writes the value back through ShowValue. Enter
// or leaving the field hands the value to OnCommit, once per change.
class TSpinField : public QDoubleSpinBox {
public:
  explicit TSpinField(QWidget* parent = nullptr);

  std::function<void(double)> OnSpin;
  std::function<void(double)> OnCommit;
  // Whether a change of the field may be handed on now.
  std::function<bool()> MayForward;

  // Shows the value without any event.
  void ShowValue(double value);
  // The step of the page keys.
  void SetPageStep(double step) { PageStep = step; }
  // A spun or typed value that was not handed to OnCommit yet.
  bool HasPendingEdit();
  // Hands a pending value to OnCommit.
  void CommitPendingEdit();

  void stepBy(int steps) override;

protected:
  void keyPressEvent(QKeyEvent* event) override;

private:
  void Step(double delta);
  double Shown = 0;
  double PageStep = 10;
  bool Spun = false;
};

// The locale of the system's decimal separator, for number fields.
QLocale NumberLocale();
