#include "app/gui/customerwindows.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/errors.h"
#include "platform/gui/qtext.h"
#include "platform/gui/qtservices.h"
#include "store/changes.h"
#include "platform/gui/textguard.h"
#include "store/recordcommands.h"

TfrmCustomerList::TfrmCustomerList() : TListWindow(lkCustomers, QStringLiteral("TfrmCustomerList")) {
  setWindowTitle(QStringLiteral("Customers"));
  Header->setText(QStringLiteral("Customers"));
  setMinimumSize(250, 250);
  AddImageButtons([this] { AddCustomer(); }, [this] { DeleteCustomer(); });
  Buttons->addStretch();
}

void TfrmCustomerList::Init(int32_t) {
  ViewID = 0;
  SortColumn = 0;
  SortDirection = 1;
  Refresh(-1);
}

void TfrmCustomerList::Notify(uint8_t code, int32_t) {
  if (code == nkCustomersChanged) Refresh(-1);
}

void TfrmCustomerList::AddCustomer() {
  const int32_t id = ::AddCustomer("");
  TfrmCustomerDetail detail(DialogOwner(this));
  if (detail.Execute(id)) Refresh(id);
  else ::DeleteCustomer(id);
}

void TfrmCustomerList::Open(int32_t id) {
  TfrmCustomerDetail detail(DialogOwner(this));
  if (detail.Execute(id)) Refresh(id);
}

void TfrmCustomerList::DeleteCustomer() {
  const int32_t id = SelectedID();
  if (id == -1) return;
  if (!Confirm("Are you sure you want to delete this record?")) return;
  ::DeleteCustomer(id);
  Refresh(-1);
}

TfrmCustomerDetail::TfrmCustomerDetail(QWidget* owner) : QDialog(owner) {
  setObjectName(QStringLiteral("TfrmCustomerDetail"));
  setWindowTitle(QStringLiteral("Customers"));
  auto* layout = new QVBoxLayout(this);
  auto* form = new QFormLayout;
  edtName = new QLineEdit(this);
  edtName->setObjectName(QStringLiteral("edtName"));
  edtName->setMaxLength(50);
  edtName->setMinimumWidth(260);
  GuardWindows1252(edtName);
  form->addRow(QStringLiteral("Name:"), edtName);
  layout->addLayout(form);
  AddOkCancelButtons(this, layout);
  layout->setSizeConstraint(QLayout::SetFixedSize);
}

bool TfrmCustomerDetail::Execute(int32_t customerId) {
  const int index = Customers.IndexOfID(customerId);
  if (index < 0) throw TError("Unknown CustomerID!");
  edtName->setText(Q(Customers.Items(index)->Name));
  edtName->selectAll();
  if (exec() != QDialog::Accepted) return false;
  const int now = Customers.IndexOfID(customerId);
  if (now < 0) return false;
  Customers.Items(now)->Name = S(edtName->text());
  TablesChanged();
  return true;
}
