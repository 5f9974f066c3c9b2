#include "output/ExportService.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QFileInfo>
#include <QImageWriter>
#include <QPdfWriter>
#include <memory>

#include "display/Render.h"
#include "display/ViewGeometry.h"
#include "output/Export.h"
#include "output/PageAnnotations.h"
#include "output/PageMeasurements.h"
#include "record/LeadArrays.h"

namespace corvale {
namespace {

using formats::FormatKind;

// The view has a handful of colours: as a palette image it is a quarter of the
// bytes for the PNG coder, and reads back as the very same pixels. False when
// the picture has more than 256 colours.
bool WithPalette(const QImage& rgb, QImage& indexed) {
  if (indexed.size() != rgb.size() || indexed.format() != QImage::Format_Indexed8)
    indexed = QImage(rgb.size(), QImage::Format_Indexed8);
  QList<QRgb> table;
  QRgb last = 0;
  uchar lastIndex = 0;
  bool haveLast = false;
  const int width = rgb.width(), height = rgb.height();
  for (int y = 0; y < height; ++y) {
    const auto* in = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
    uchar* out = indexed.scanLine(y);
    for (int x = 0; x < width; ++x) {
      const QRgb c = in[x] | 0xFF000000u;
      if (!haveLast || c != last) {
        const qsizetype at = table.indexOf(c);
        if (at < 0) {
          if (table.size() == 256) return false;
          table.push_back(c);
        }
        last = c;
        lastIndex = static_cast<uchar>(at < 0 ? table.size() - 1 : at);
        haveLast = true;
      }
      out[x] = lastIndex;
    }
  }
  indexed.setColorTable(table);
  return true;
}

// What drawing one record needs, kept by each thread from record to record:
// memory touched for the first time costs a page fault per page, several
// megabytes per picture.
struct Drawing {
  Image grid{ViewGeometry::ViewWidth, ViewGeometry::MainViewHeight};
  Image stripGrid{ViewGeometry::ViewWidth, ViewGeometry::StripViewHeight};
  Image trace{ViewGeometry::ViewWidth, ViewGeometry::MainViewHeight};
  Image strip{ViewGeometry::ViewWidth, ViewGeometry::StripViewHeight};
  LeadArrays leads;
  QImage indexed;
  QByteArray encoded;
};

Drawing& ThreadDrawing() {
  thread_local std::unique_ptr<Drawing> drawing = std::make_unique<Drawing>();
  return *drawing;
}

// One file of `bytes`, closed but not in place.
formats::Prepared PrepareBytes(const QString& path, const QByteArray& bytes, const OutputPolicy& policy) {
  auto begun = PendingOutput::Begin(path, policy);
  if (auto* err = std::get_if<FileError>(&begun)) return *err;
  PendingOutput& output = std::get<PendingOutput>(begun);
  if (auto err = output.Write(bytes)) return *err;
  if (auto err = output.Close(bytes.size())) return *err;
  formats::PreparedOutputs outputs;
  outputs.push_back(std::move(output));
  return outputs;
}

// What a data format says of filtered samples: the corners and notch in
// hertz, and the filters in the command line's syntax with their response.
formats::ExportFiltering DataFiltering(const FilterSettings& filters) {
  formats::ExportFiltering f;
  if (!filters.Any()) return f;
  if (filters.baseline != BaselineFilter::Off) f.highPassHz = LowCornerHz(filters);
  if (filters.muscle != MuscleFilter::Off) f.lowPassHz = HighCornerHz(filters);
  f.notchHz = NotchHz(filters);
  f.description = FormatFilterSettings(filters) + QStringLiteral(" (") + DescribeFrequencyResponse(filters) + u')';
  return f;
}

// The image type a picture's path asks for: PNG unless its suffix names another.
QByteArray PictureType(const QString& path) {
  const QByteArray suffix = QFileInfo(path).suffix().toLower().toUtf8();
  return suffix.isEmpty() ? QByteArray("png") : suffix;
}

formats::Prepared PreparePicture(const RecordImage& record, const QString& path, const ExportOptions& options) {
  Drawing& d = ThreadDrawing();
  DeriveFilteredLeadArrays(record, options.filters, d.leads);
  // Every pixel is drawn again: the paper fills its images, the traces start from a copy of it.
  RenderGrid(options.display, d.leads, d.grid, d.stripGrid);
  RenderTraces(options.display, d.leads, d.grid, d.stripGrid, d.trace, d.strip);
  const QImage& picture = options.lowerView ? d.strip.Qt() : d.trace.Qt();
  const QByteArray type = PictureType(path);
  QByteArray& bytes = d.encoded;
  bytes.resize(0);  // keeps its capacity
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  QImageWriter writer(&buffer, type);
  bool written = false;
  if (type == "png") {
    writer.setQuality(80);  // deflate level 1: the same pixels, written several times faster
    written = writer.write(WithPalette(picture, d.indexed) ? d.indexed : picture);
  } else {
    if (type == "jpg" || type == "jpeg") writer.setQuality(95);  // thin trace lines blur at the default
    written = writer.write(picture);
  }
  if (!written)
    return FileError{path, QStringLiteral("the image could not be encoded as %1: %2")
                               .arg(QString::fromLatin1(type).toUpper(), writer.errorString())};
  return PrepareBytes(path, bytes, options.policy);
}

formats::Prepared PreparePage(const RecordImage& record, const QString& path, const ExportOptions& options) {
  Drawing& d = ThreadDrawing();
  DeriveFilteredLeadArrays(record, options.filters, d.leads);
  // The page is drawn into memory and written as a whole: a PDF writer that
  // writes by file name cannot tell that its last bytes never reached the disk.
  QByteArray pdf;
  PrintResult result;
  {
    QBuffer buffer(&pdf);
    buffer.open(QIODevice::WriteOnly);
    QPdfWriter writer(&buffer);
    writer.setResolution(options.dpi);
    writer.setPageLayout(QPageLayout(options.paper, options.orientation, QMarginsF()));
    writer.setTitle(PrintJobTitle(options.name));
    const PageAnnotationInput annotations =
        PageAnnotationsFor(record, options.name, options.display, options.anonymise, options.filters,
                           options.measured ? *options.measured : MeasureRecord(record));
    result = PrintRecordPage(writer, options.print, options.display, d.leads, {}, &annotations);
  }
  if (result.error || pdf.isEmpty())
    return FileError{path, QCoreApplication::translate("ExportService", "the page could not be drawn")};
  if (options.pageDrawn) options.pageDrawn(result.geometry);
  return PrepareBytes(path, pdf, options.policy);
}

}  // namespace

PageAnnotationInput PageAnnotationsFor(const RecordImage& record, const QString& fileName, const DisplayState& display,
                                       bool deleteId, const FilterSettings& filters, const Measurements& measured) {
  PageAnnotationInput input;
  input.identity = PageIdentityFromRecord(record, fileName);
  input.leadGain = display.LeadGain;
  input.deleteId = deleteId;
  input.filters = filters;
  input.measurements = PageMeasurementsOf(record, measured);
  return input;
}

formats::Prepared PrepareExport(const RecordImage& record, FormatKind kind, const QString& path,
                                const ExportOptions& options) {
  const formats::FileFormat& format = formats::FormatOf(kind);
  switch (format.exportSource) {
    case formats::ExportSource::MainView: return PreparePicture(record, path, options);
    case formats::ExportSource::PrintedPage: return PreparePage(record, path, options);
    case formats::ExportSource::Record: {
      if (!options.anonymise && !options.filters.Any())
        return formats::PrepareRecordAs(record, kind, path, options.policy);
      // A copy of the export's own: the record on the screen or in the file is never changed.
      auto copy = std::make_unique<RecordImage>();
      FilterRecordImage(record, options.filters, *copy);
      if (options.anonymise) BlankIdentification(*copy);
      return formats::PrepareRecordAs(*copy, kind, path, options.policy, DataFiltering(options.filters));
    }
    case formats::ExportSource::None: break;
  }
  return FileError{path, QStringLiteral("%1 is not a format records are exported in").arg(format.name)};
}

std::optional<FileError> Export(const RecordImage& record, FormatKind kind, const QString& path,
                                const ExportOptions& options) {
  return formats::CommitPrepared(PrepareExport(record, kind, path, options));
}

std::optional<QString> OutputRefusal(const OutputState& state, OutputAction action) {
  const bool print = action == OutputAction::Print;
  auto translated = [](const char* text) { return QCoreApplication::translate("OutputRefusal", text); };
  if (!state.analysed || !state.shownEntry)
    return print ? translated(QT_TRANSLATE_NOOP("OutputRefusal",
                                                "There is no record to print. Choose records for the work "
                                                "list and press \"Analyse\" first."))
                 : translated(QT_TRANSLATE_NOOP("OutputRefusal",
                                                "There is no record to export. Choose records for the "
                                                "work list and press \"Analyse\" first."));
  // An unreadable record is all zero: its page or export would pass a flat
  // line off as that patient's ECG.
  if (state.readError)
    return (print ? translated(QT_TRANSLATE_NOOP("OutputRefusal",
                                                 "The record could not be read, so there is nothing to "
                                                 "print.\n%1"))
                  : translated(QT_TRANSLATE_NOOP("OutputRefusal",
                                                 "The record could not be read, so there is nothing to "
                                                 "export.\n%1")))
        .arg(state.readError->Describe());
  // The output is filed under the record's name: it must be the record on
  // the screen, and the work list must still say which one that is.
  if (!state.current)
    return (print ? translated(
                        QT_TRANSLATE_NOOP("OutputRefusal",
                                          "The work list has changed since \"Analyse\": the record on the screen, %1, "
                                          "is not its record %2 any more.\nPress \"Analyse\" again, then print."))
                  : translated(
                        QT_TRANSLATE_NOOP("OutputRefusal",
                                          "The work list has changed since \"Analyse\": the record on the screen, %1, "
                                          "is not its record %2 any more.\nPress \"Analyse\" again, then export.")))
        .arg(*state.shownEntry, QString::number(state.position));
  return std::nullopt;
}

}  // namespace corvale
