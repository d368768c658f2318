#include "testframe.h"

#include <QMdiSubWindow>

#include "platform/mdichild.h"

TTestFrame::TTestFrame() {
  Area = new QMdiArea(this);
  setCentralWidget(Area);
  resize(1000, 700);
  SetMdiHost(this);
  SetChildOrder([this] {
    std::vector<TfrmMDIchild*> order;
    const auto windows = Area->subWindowList(QMdiArea::StackingOrder);
    for (auto it = windows.rbegin(); it != windows.rend(); ++it)
      if (auto* child = dynamic_cast<TfrmMDIchild*>((*it)->widget())) order.push_back(child);
    return order;
  });
}

TTestFrame::~TTestFrame() {
  SetChildOrder({});
  if (MdiHost() == this) SetMdiHost(nullptr);
  // Children first, while the registry and the host still stand.
  for (QMdiSubWindow* sub : Area->subWindowList()) delete sub;
}

void TTestFrame::AddChild(QWidget* window) {
  QMdiSubWindow* sub = Area->addSubWindow(window);
  sub->setAttribute(Qt::WA_DeleteOnClose);
  sub->show();
}

QList<QWidget*> TTestFrame::Children(const std::string& className) const {
  QList<QWidget*> result;
  const auto windows = Area->subWindowList(QMdiArea::StackingOrder);
  for (auto it = windows.rbegin(); it != windows.rend(); ++it) {
    auto* child = dynamic_cast<TfrmMDIchild*>((*it)->widget());
    if (child && (className.empty() || child->ClassName() == className)) result << (*it)->widget();
  }
  return result;
}

QWidget* TTestFrame::ShowChild(const std::string& className, int32_t id, bool perRecord) {
  for (QWidget* widget : Children(className)) {
    auto* child = dynamic_cast<TfrmMDIchild*>(widget);
    if (perRecord && child->ViewID != id) continue;
    auto* sub = qobject_cast<QMdiSubWindow*>(widget->parentWidget());
    if (sub) {
      if (sub->isMinimized()) sub->showNormal();
      sub->show();
      Area->setActiveSubWindow(sub);
    }
    return widget;
  }
  QWidget* widget = CreateChildWindow(className);
  if (!widget) return nullptr;
  dynamic_cast<TfrmMDIchild*>(widget)->Init(perRecord ? id : 0);
  AddChild(widget);
  return widget;
}
