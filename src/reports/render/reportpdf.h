#pragma once
#include <string>

// Writes the pages of an RTF report as a PDF file, through the same reader
// and page layout as the viewer. Without a running application (the command
// line), an offscreen one is started for the fonts and ended again. Raises
// TError.
void WriteReportPdfFile(const std::string& rtf, const std::string& path);
