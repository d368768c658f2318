#include <QApplication>
#include <QClipboard>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QTest>

#include "guitest.h"
#include "platform/gui/qtservices.h"

using guitest::ModalAnswer;

// The message boxes answer with the button pressed and show a lone carriage
// return of the system's texts as a line break.
TEST(QtServices, MessageBoxesAnswerAndBreakLines) {
  TQtDialogs boxes;
  struct Case {
    int button;
    TModalResult expected;
  };
  for (Case c : {Case{QMessageBox::Yes, mrYes}, Case{QMessageBox::No, mrNo}, Case{QMessageBox::Cancel, mrCancel}}) {
    ModalAnswer answer([&](QWidget* box) { guitest::ClickMessageBoxButton(box, c.button); });
    EXPECT_EQ(boxes.AskYesNoCancel("Save changes?\rTransit 1", "Question"), c.expected);
    EXPECT_TRUE(answer.Ran());
    EXPECT_EQ(answer.Text(), QStringLiteral("Save changes?\nTransit 1"));
  }
  ModalAnswer no([](QWidget* box) { guitest::ClickMessageBoxButton(box, QMessageBox::No); });
  EXPECT_EQ(boxes.AskYesNo("Delete?", "Question"), mrNo);
  ModalAnswer ok([](QWidget* box) { guitest::ClickMessageBoxButton(box, QMessageBox::Ok); });
  boxes.ShowMessage("Done", "");
  EXPECT_TRUE(ok.Ran());
}

TEST(QtServices, InputBoxKeepsValueOnCancel) {
  TQtDialogs input;
  std::string value = "Transit 1";
  {
    ModalAnswer typed([](QWidget* dialog) {
      auto* edit = dialog->findChild<QLineEdit*>();
      edit->setText(QStringLiteral("Dek 3 \u00e9"));
      QTest::keyClick(edit, Qt::Key_Return);
    });
    EXPECT_TRUE(input.InputQuery("Name", "Transit name", value));
  }
  EXPECT_EQ(value, "Dek 3 \xc3\xa9");
  ModalAnswer cancel([](QWidget* dialog) { QTest::keyClick(dialog, Qt::Key_Escape); });
  EXPECT_FALSE(input.InputQuery("Name", "Transit name", value));
  EXPECT_EQ(value, "Dek 3 \xc3\xa9");
}

TEST(QtServices, ClipboardText) {
  TQtDialogs clipboard;
  clipboard.SetClipboardText("12\t5,5\n");
  EXPECT_TRUE(clipboard.HasClipboardText());
  EXPECT_EQ(clipboard.ClipboardText(), "12\t5,5\n");
}
