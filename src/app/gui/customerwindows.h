#pragma once
#include <QDialog>

#include "app/gui/listwindow.h"

class QLineEdit;

// The list of customers, whose names the project window offers.
class TfrmCustomerList : public TListWindow {
public:
  TfrmCustomerList();
  void Init(int32_t id) override;
  void Notify(uint8_t code, int32_t id) override;
  std::string ClassName() const override { return "TfrmCustomerList"; }
  void AddCustomer();
  void DeleteCustomer();

protected:
  void Open(int32_t id) override;
};

// The name of one customer.
class TfrmCustomerDetail : public QDialog {
public:
  explicit TfrmCustomerDetail(QWidget* owner);
  // Raises "Unknown CustomerID!" when there is no such customer; true when
  // the name was stored (OK).
  bool Execute(int32_t customerId);
  QLineEdit* edtName = nullptr;
};
