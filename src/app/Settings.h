// The viewer's remembered settings: the input directory, the display options and filters,
// the printer with its page and pen settings, and the window's place, as a
// plain struct read from and written to a QSettings store. Reading checks
// every value: one that is missing, of the wrong kind or out of range keeps
// its start-up value, and a store that cannot be read or parsed gives the
// start-up state as a whole.
#pragma once

#include <QPageLayout>
#include <QPageSize>
#include <QPoint>
#include <QString>
#include <memory>
#include <optional>

#include "analysis/DisplayFilters.h"
#include "display/DisplayState.h"
#include "output/PrintPage.h"

class QSettings;

namespace corvale {

struct ViewerSettings {
  QString directory;  // the input directory last read; empty: none
  int colorScheme = 1;
  int displaySpan = DisplayState{}.DisplaySpan;
  int limbLeadMode = DisplayState{}.LimbLeadMode;
  bool leadNames = DisplayState{}.LeadNames;
  bool fiducialMarks = false;
  FilterSettings filters;  // each under its own key, with the value --filter gives it
  QString printerName;     // empty: the system's default printer
  std::optional<QPageSize::PageSizeId> paper;
  std::optional<QPageLayout::Orientation> orientation;
  int penWidth = PrintSettings{}.PenWidth;
  int margin = PrintSettings{}.Margin;
  int penPattern = PrintSettings{}.PenPattern;
  int gridPattern = PrintSettings{}.GridPattern;
  bool annotations = PrintSettings{}.Annotations;
  std::optional<QPoint> windowPosition;  // top-left of the frame

  bool operator==(const ViewerSettings&) const = default;
};

/// The settings in `store`, each checked; the start-up state when the store
/// reports an access or format error.
ViewerSettings ReadSettings(QSettings& store);

/// The application's default store (QSettings() for the organisation and
/// application names set), or none when one of the files it would read
/// exists and is not a regular file: QSettings reads its files as it is made,
/// and a FIFO there would hold the start-up for ever. `refused` then names it.
std::unique_ptr<QSettings> OpenSettingsStore(QString* refused = nullptr);

/// Writes every setting; a value left unset (no paper, no position) is removed.
void WriteSettings(QSettings& store, const ViewerSettings& settings);

}  // namespace corvale
