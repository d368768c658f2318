#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "reports/materials.h"

class TTransit;
struct TReportSheets;

// The material report: RTF text appended to a byte string (the stream). The
// header reads the company and distributor lines and the grid setting from
// the process-wide settings.

// Document start and title block.
void WriteReportHeader(std::string& stream);
// One transit's section: picture (when both sizes are at least 1), the
// dimensions and system, warnings and conduit list. Sorts the transit's conduit groups.
void WriteTransitSection(std::string& stream, TTransit& transit, const TMaterialsUsedForTransit& materials,
                         int imageWidth, int imageHeight);
// The bill of materials; price columns add empty price titles, a summary
// (project totals) has no cut-by-hand marks and names the cartridge size.
void WriteMaterialList(std::string& stream, const TMaterialsUsedForTransit& materials, bool withPriceColumns,
                       bool summary);
void WritePageBreak(std::string& stream);
void WriteReportFooter(std::string& stream);

// The picture sizes offered for reports, in pixels of the reference screen.
enum TReportImageSize : int { risNone = 0, risSmall = 2500, risMedium = 5000, risLarge = 7500 };

// The report of one filled transit: header, its section with the picture of
// that size, its materials (calculated here) without price columns, footer.
// With sheets: also the figures of the report for a spreadsheet (the
// transit, in the named project, and its materials as the totals).
std::string BuildTransitReport(TTransit& transit, int imageSize, TReportSheets* sheets = nullptr,
                               const std::string& project = {});

// What a project report holds.
enum TProjectReportContents { prcTotals, prcTransits, prcBoth };

// The report of the checked transits (record identifiers, in list order) of
// the project with that identifier: the project header, then the totals of
// all checked transits and/or their sections, as chosen. Each transit is
// loaded from its record and filled. The project's transits as the report
// dialog lists them (table order) decide whether the totals carry a note
// naming the checked ones. With sheets: also the figures of the report for a
// spreadsheet, the very lines and totals the report prints.
std::string BuildProjectReport(int32_t projectId, const std::vector<int32_t>& checkedTransitIds, int imageSize,
                               TProjectReportContents contents, TReportSheets* sheets = nullptr);

// The identifiers of the project's transits in table order (the report
// dialog's list).
std::vector<int32_t> ProjectTransitIds(int32_t projectId);
