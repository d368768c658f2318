#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTest>

#include "guitest.h"
#include "platform/gui/textguard.h"

namespace {
QStringList told;
void Record(QWidget*, const QString& message) { told << message; }
}  // namespace

// Characters the data file cannot hold are taken out as they are typed or
// pasted, and the user is told which; the rest of the text stays as typed.
TEST(TextGuard, LeavesOutWhatWindows1252CannotHold) {
  SetLeftOutNotifier(Record);
  told.clear();
  QLineEdit edit;
  GuardWindows1252(&edit);
  QTest::keyClicks(&edit, QStringLiteral("Deck"));
  edit.insert(QString::fromUtf8("\xc5\x82\xc3\xa9\xe2\x82\xac\xce\xa9 3"));  // łé€Ω 3
  EXPECT_EQ(edit.text(), QString::fromUtf8("Deck\xc3\xa9\xe2\x82\xac 3"));
  EXPECT_EQ(edit.cursorPosition(), edit.text().size());
  ASSERT_EQ(told.size(), 1);
  EXPECT_TRUE(told[0].contains(QString::fromUtf8("\xc5\x82\xce\xa9")));

  QPlainTextEdit memo;
  GuardWindows1252(&memo);
  memo.insertPlainText(QString::fromUtf8("line 1\nna\xc5\x82 \xf0\x9f\x98\x80 end"));
  EXPECT_EQ(memo.toPlainText(), QStringLiteral("line 1\nna  end"));
  EXPECT_EQ(told.size(), 2);
  memo.insertPlainText(QStringLiteral("!"));
  EXPECT_EQ(memo.toPlainText(), QStringLiteral("line 1\nna  end!"));
  EXPECT_EQ(told.size(), 2);
  SetLeftOutNotifier(nullptr);
}
