#pragma once
#include <QDialog>
#include <string>
#include <vector>

#include "app/lists.h"

class QListWidget;
class QToolButton;

// Which columns of a list are shown: captions move between "Columns shown"
// and "Columns hidden" with the two arrow buttons.
class TfrmColumnChooser : public QDialog {
public:
  explicit TfrmColumnChooser(QWidget* owner);
  // Every column's caption, shown when its width is above 0.
  void Init(const std::vector<std::string>& captions, const std::vector<int>& widths);
  // One "+" or "-" per column.
  std::string Result() const { return Choice.Result(); }

  QListWidget* lstShown = nullptr;
  QListWidget* lstHidden = nullptr;
  QToolButton* btnShow = nullptr;
  QToolButton* btnHide = nullptr;

private:
  void FillLists();
  void Move(QListWidget* from);
  TColumnChoice Choice;
};
