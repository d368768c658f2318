#include <QApplication>
#include <QHelpEvent>
#include <QPushButton>
#include <QTest>
#include <QToolTip>

#include "guitest.h"
#include "app/gui/longhints.h"

// A widget's hint is shown by the filter (for an hour); a widget without
// one is left to Qt.
TEST(LongHints, ShowsTheWidgetsHint) {
  TLongHints hints;
  QPushButton button(QStringLiteral("Save"));
  button.setToolTip(QStringLiteral("Saves the transit"));
  button.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&button));
  QHelpEvent event(QEvent::ToolTip, QPoint(5, 5), button.mapToGlobal(QPoint(5, 5)));
  EXPECT_TRUE(hints.eventFilter(&button, &event));
  EXPECT_TRUE(QToolTip::isVisible());
  EXPECT_EQ(QToolTip::text(), QStringLiteral("Saves the transit"));
  QToolTip::hideText();

  QPushButton plain(QStringLiteral("Close"));
  QHelpEvent other(QEvent::ToolTip, QPoint(5, 5), QPoint(5, 5));
  EXPECT_FALSE(hints.eventFilter(&plain, &other));
}
