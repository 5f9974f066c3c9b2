// The one way out of the program: every export of a record (its data in an
// open format, the main view as a picture, the printed page as a PDF) is made
// here, for the window and for every corvale-tool command alike, and one rule
// says whether the record on the screen may leave at all.
#pragma once

#include <QPageLayout>
#include <QPageSize>
#include <QString>
#include <functional>
#include <optional>

#include "analysis/DisplayFilters.h"
#include "analysis/Measurement.h"
#include "display/DisplayState.h"
#include "formats/Formats.h"
#include "output/PageAnnotations.h"
#include "output/PrintPage.h"
#include "record/RecordFile.h"
#include "record/RecordFormat.h"
#include "record/SafeOutput.h"

namespace corvale {

/// How an export is made. A plain struct: new kinds of output add fields here.
struct ExportOptions {
  DisplayState display;    // how the leads are drawn on the views and the page
  PrintSettings print;     // pen, grid, margin and annotations of the page
  bool anonymise = false;  // the name and ID blanked in data, left off the page
  QString name;            // the record's name: the page's "File:" item and the PDF's title
  QPageSize paper{QPageSize::A4};
  QPageLayout::Orientation orientation = QPageLayout::Portrait;
  int dpi = 600;
  bool lowerView = false;  // a picture of the lower view (the rhythm strip) instead of the main view
  OutputPolicy policy;     // overwriting, and the inputs an output may never replace
  /// Filters of the exported signal: pictures and pages show it filtered (a
  /// page names them in its margin), data formats hold the filtered samples and
  /// say so where they can. All off: the samples as recorded.
  FilterSettings filters;
  /// The record's measurements, for the page's list; absent: the page measures the record itself.
  std::optional<Measurements> measured;
  /// Told where the page was drawn (a PDF export), before it is written.
  std::function<void(const PageGeometry&)> pageDrawn;
};

/// Writes `record` as `kind` to `path` (for WFDB the .hea; the .dat goes
/// beside it): data formats through the registry's writer, a picture of the
/// view as the window shows it (PNG; other image types by the path's suffix),
/// the printed page as print draws it, with its margin annotations. Every file
/// is closed but not yet in place: CommitPrepared puts a single export in
/// place, a batch publishes many at once.
formats::Prepared PrepareExport(const RecordImage& record, formats::FormatKind kind, const QString& path,
                                const ExportOptions& options);

/// What the printed page's margin says of `record` under `fileName`: the
/// identification (without the name and ID when `deleteId`), the display's
/// lead scales, the filters and the measurements. The window's print and the
/// page export both ask here.
PageAnnotationInput PageAnnotationsFor(const RecordImage& record, const QString& fileName, const DisplayState& display,
                                       bool deleteId, const FilterSettings& filters, const Measurements& measured);

/// PrepareExport, then each file flushed and put in place.
[[nodiscard]] std::optional<FileError> Export(const RecordImage& record, formats::FormatKind kind, const QString& path,
                                              const ExportOptions& options);

/// What decides whether the record on the screen may leave the program.
struct OutputState {
  bool analysed = false;               // "Analyse" has made a work list
  std::optional<QString> shownEntry;   // the record on the screen, if any
  std::optional<FileError> readError;  // it could not be read (it is shown as all zero)
  bool current = false;                // it is still the work list's record at its position
  int position = 0;                    // that position, from 1
};

/// What the refusal's words say the user wanted.
enum class OutputAction { Export, Print };

/// Why the record on the screen may not be printed, exported or copied, if
/// it may not: none analysed, unreadable (a flat line under the patient's
/// name), or no longer the work list's record. Translated.
std::optional<QString> OutputRefusal(const OutputState& state, OutputAction action = OutputAction::Export);

}  // namespace corvale
