#pragma once
// The frame, the report windows and the data files of the window tests.
#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextDocument>
#include <clocale>
#include <memory>

#include "platform/gui/qtext.h"
#include "core/units.h"
#include "reports/gui/reportwindows.h"
#include "reports/gui/rtfviewer.h"
#include "store/datafile.h"
#include "store/exports.h"
#include "store/settings.h"
#include "store/streams.h"
#include "testframe.h"
#include "tests/reports/sample_project.h"

namespace reportsgui {

inline std::string DataPath(const std::string& name) { return std::string(TRELLANE_REPORT_TEST_DATA) + "/" + name; }

// The tables as the data file holds them.
inline void ReadDataFileTables(const std::string& path) {
  reportstest::ClearTables();
  TZlibReadStream z(ReadWholeFile(path));
  ReadDataPayload(z);
}

inline int32_t ProjectNamed(const std::string& name) {
  for (int i = 0; i < Projects.Count(); ++i)
    if (Projects.Items(i)->Name == name) return Projects.Items(i)->ID;
  ADD_FAILURE() << "no project " << name;
  return 0;
}

// The paragraphs of the viewer's text document.
inline std::vector<std::string> Paragraphs(const QTextDocument& doc) {
  std::vector<std::string> lines;
  for (QTextBlock b = doc.begin(); b.isValid(); b = b.next()) lines.push_back(S(b.text()));
  return lines;
}

class ReportWindows : public ::testing::Test {
protected:
  void SetUp() override {
    // Report texts in the C locale's dates and numbers.
    std::setlocale(LC_ALL, "C");
    SetDecimalSeparator('.');
    SetDefaultSettings();
    CurrentLengthUnit = luMillimetre;
    RegisterReportWindows();
    Frame = std::make_unique<TTestFrame>();
    Frame->show();
    ASSERT_TRUE(Dir.isValid());
  }
  void TearDown() override {
    Frame.reset();
    reportstest::ClearTables();
  }

  TfrmRTFviewer* Viewer() { return dynamic_cast<TfrmRTFviewer*>(Frame->ShowRTFViewer()); }
  std::string Path(const char* name) const { return S(Dir.filePath(QString::fromLatin1(name))); }

  std::unique_ptr<TTestFrame> Frame;
  QTemporaryDir Dir;
};

}  // namespace reportsgui
