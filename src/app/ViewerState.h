// Everything the viewer knows, in one place, owned by the main window for the
// whole run: the study lists and the position in the work list, the record on
// the screen and where it came from, its lead arrays, the display state and filters, the
// measurements, the print settings and the output settings. Widgets show this
// state; handlers change it and redraw. Also the off-screen images of the
// views, and LoadRecord, the one operation that reads a record into the state.
#pragma once

#include <QHash>
#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

#include "analysis/DisplayFilters.h"
#include "analysis/Measurement.h"
#include "display/DisplayState.h"
#include "gfx/Image.h"
#include "measure/Calipers.h"
#include "measure/Overlay.h"
#include "output/ExportService.h"
#include "output/PrintPage.h"
#include "record/HeaderPresentation.h"
#include "record/LeadArrays.h"
#include "record/RecordFile.h"
#include "record/RecordFormat.h"

namespace corvale {

/// The File tab's lists and the position in the work list.
struct StudyList {
  QString directory;                       // the input directory; the work list's bare names lie in it
  QStringList found;                       // record files of the directory, in scan order
  QStringList work;                        // the work list, in the order added: bare names, or the
                                           // absolute path of a file of another directory
  QHash<QString, QByteArray> nativeNames;  // bytes of the names the system's encoding cannot spell
  int current = 0;                         // index in `work` of the record to show
  bool analysed = false;                   // "Analyse" was pressed: the record tabs are open
};

/// The record last loaded from the work list: the one on the screen.
struct ShownRecord {
  QString path;                    // directory + separator + entry
  QString entry;                   // the record's bare file name
  std::optional<FileError> error;  // why it could not be read (the record is then all zero)
  QStringList sources;             // every file it was read from (a WFDB record has two)
};

/// Where the image export and the record copy write, under which names, and
/// whether the copy blanks the patient's identification.
struct OutputSettings {
  QString directory;                             // the hidden output directory
  QString bmpName = QStringLiteral("filename");  // until a record is loaded
  QString copyName = QStringLiteral("filename");
  bool blankIdentification = false;  // "delete ID"
};

/// What was measured from the record on the screen (once per load, kept with
/// the record) and the fiducial marks shown over its traces.
struct RecordAnalysis {
  Measurements measured;
  bool showMarks = false;                     // "Fiducial marks"
  std::optional<std::vector<int>> reference;  // marks of its annotation files, read when first shown
};

struct ViewerState {
  StudyList study;
  std::optional<ShownRecord> shown;
  RecordImage record;
  RecordAnalysis analysis;
  LeadArrays leads;
  DisplayState display;
  FilterSettings filters;  // of the shown signal; `leads` went through them, `record` never does
  MeasurementList measurements;
  CaliperState caliper;
  PrintSettings print;
  OutputSettings output;
};

/// The off-screen images: the main view's trace, paper and overlay, and the
/// lower view's picture and paper with the rhythm strip.
struct ScreenImages {
  Image trace, grid, strip, stripGrid;
  Overlay overlay;  // holds OverlayImage
};

/// What loading the current work-list entry gave.
struct LoadResult {
  enum class Outcome { Loaded, Unreadable, NoEntry } outcome = Outcome::NoEntry;
  RecordNames names;               // Loaded and Unreadable
  std::optional<FileError> error;  // Unreadable
  /// Loaded: what the reader made up for what the file lacks ("III, aVR, aVL
  /// and aVF were derived from I and II"), then its doubts ("warning: ...").
  QStringList notes;
};

/// Reads the work-list entry at study.current into `state.record`, makes it
/// the record shown and derives the output names from it. A record file
/// (.nrm, .msd, or a file no other format claims) is read by its name's bytes;
/// a WFDB, EDF or DICOM file through the formats layer, keeping its own name.
/// An unreadable file leaves an all-zero record. When the work list has no such entry (it changed
/// after "Analyse") nothing changes.
LoadResult LoadRecord(ViewerState& state);

/// Whether the record on the screen is still the work-list entry at
/// study.current, in the input directory: false once that entry was deleted
/// or replaced, or the directory changed, after the record was loaded.
bool ShownRecordIsCurrent(const ViewerState& state);

/// What OutputRefusal decides on: the record on the screen and the work list.
OutputState OutputStateOf(const ViewerState& state);

}  // namespace corvale
