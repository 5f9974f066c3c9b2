// The printed page: ECG paper at true scale with the twelve leads, drawn
// through the canvas interface so that it runs on a printer, a PDF file or a
// recording canvas alike. Its layout values are its own.
#pragma once

#include <QString>
#include <functional>
#include <optional>

#include "display/DisplayState.h"
#include "display/TraceLayout.h"
#include "gfx/Canvas.h"
#include "record/LeadArrays.h"

class QPagedPaintDevice;

namespace corvale {

struct PageAnnotationInput;

/// The ranges of the printer settings, as the controls, the settings file and
/// the command line allow them.
inline constexpr int MinPenWidth = 0, MaxPenWidth = 10;
inline constexpr int MinMargin = 10, MaxMargin = 200;

/// The printer settings; each job reads them as they are when it starts.
struct PrintSettings {
  int PenWidth = 2;         // MinPenWidth..MaxPenWidth, device pixels added to trunc(u)
  int Margin = 50;          // MinMargin..MaxMargin, tenths of a percent of each page dimension
  int PenPattern = 2;       // 1 = A (one wide pass), 2 = B (several thin passes)
  int GridPattern = 2;      // 1 = A, 2 = B
  bool Annotations = true;  // identification and scale in the margin, when the page is given them
};

struct PageGeometry {
  double PageHeight = 0, PageWidth = 0;  // printable area, device pixels
  double m = 0;
  double UsableHeight = 0, UsableWidth = 0;
  double PrintUnit = 0;  // u: device pixels per layout unit (0.25 mm)
  int PrintOriginX = 0, PrintOriginY = 0;
  int GridPenWidth = 1;
};

PageGeometry ComputePageGeometry(double pageHeight, double pageWidth, int margin);

/// The print job's and the PDF's title for the record `name`: "CORVALE < name > ".
QString PrintJobTitle(const QString& name);

/// A real as the labels show it: at most 15 significant digits, no trailing
/// zeros or decimal point (6460.0 gives "6460", 6665.2 gives "6665.2").
QString GeneralFormat(double value);

/// Trace pen: width and number of passes.
struct TracePen {
  int width;
  int passes;
};
TracePen ComputeTracePen(const PageGeometry& g, const PrintSettings& s);

/// The band layout at print scale, in device pixels.
TraceLayout ComputePrintLayout(const DisplayState& state, const LeadArrays& leads, double u);

/// Progress bar range; the count stops there.
inline constexpr int PrintProgressMax = 580;

/// What the page drawing tells its caller while it runs. These are the print
/// path's only calls back up to the window: its progress bar, its labels and
/// the event loop that keeps it painted while the job runs.
struct PrintHooks {
  std::function<void(int position)> progress;  // 0..580
  std::function<void()> processEvents;
  /// The geometry of the page, once, before the job begins.
  std::function<void(const PageGeometry&)> pageGeometry;
};

/// Draws the grid, the traces and their pulses on `canvas` (steps after the
/// job has begun), then the lead names when the display shows them, and the
/// margin's identification and scale when `annotations` is given and
/// `s.Annotations` is set. The progress count starts at 0.
void DrawPrintPage(Canvas& canvas, const PageGeometry& g, const PrintSettings& s, const DisplayState& state,
                   const LeadArrays& leads, const PrintHooks& hooks, const PageAnnotationInput* annotations = nullptr);

/// Dash length of a grid line: 1/8 mm, at least one pixel.
int DashLength(double pitch);

/// Why a page was not printed.
enum class PrintError {
  NoPrinter,    // a printer device with no printer behind it
  CannotBegin,  // the device did not start the job
  DeviceError,  // the device reported an error when the job ended
};

/// The geometry a job used, and why it failed if it did. The geometry is
/// computed before anything can fail, so it is there in either case.
struct PrintResult {
  PageGeometry geometry;
  std::optional<PrintError> error;
};

/// Prints one page on `device` (a printer, a PDF writer, any paged device):
/// its paint rectangle at its resolution gives the page geometry, which
/// `hooks.pageGeometry` hears before the job begins; the page is then drawn
/// through a canvas on the device and the job ended. The job's title, paper
/// and resolution are the caller's to set beforehand.
PrintResult PrintRecordPage(QPagedPaintDevice& device, const PrintSettings& s, const DisplayState& state,
                            const LeadArrays& leads, const PrintHooks& hooks = {},
                            const PageAnnotationInput* annotations = nullptr);

}  // namespace corvale
