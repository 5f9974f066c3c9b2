#include "export/ImageExport.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QImageWriter>
#include <QPageSize>
#include <QPdfWriter>
#include <memory>

#include "display/Render.h"
#include "display/ViewGeometry.h"
#include "output/PrintPage.h"
#include "record/LeadArrays.h"

namespace corvale {
namespace {

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

}  // namespace

std::optional<FileError> WriteImage(const RecordImage& image, const QString& name, formats::FormatKind kind,
                                    const QString& path, const OutputPolicy& policy) {
  return formats::CommitPrepared(PrepareImage(image, name, kind, path, policy));
}

formats::Prepared PrepareImage(const RecordImage& image, const QString& name, formats::FormatKind kind,
                               const QString& path, const OutputPolicy& policy) {
  formats::PreparedOutputs outputs;
  Drawing& d = ThreadDrawing();
  const LeadArrays& leads = d.leads;
  DeriveLeadArrays(image, d.leads);
  const DisplayState state;
  if (kind == formats::FormatKind::Png) {
    // Every pixel is drawn again: the paper fills its images, the traces start from a copy of it.
    RenderGrid(state, leads, d.grid, d.stripGrid);
    RenderTraces(state, leads, d.grid, d.stripGrid, d.trace, d.strip);
    QByteArray& bytes = d.encoded;
    bytes.resize(0);  // keeps its capacity
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "PNG");
    writer.setQuality(80);  // deflate level 1: the same pixels, written several times faster
    const bool palette = WithPalette(d.trace.Qt(), d.indexed);
    if (!writer.write(palette ? d.indexed : d.trace.Qt())) return FileError{path, writer.errorString()};
    auto begun = PendingOutput::Begin(path, policy);
    if (auto* err = std::get_if<FileError>(&begun)) return *err;
    PendingOutput& output = std::get<PendingOutput>(begun);
    if (auto err = output.Write(bytes)) return *err;
    if (auto err = output.Close(bytes.size())) return *err;
    outputs.push_back(std::move(output));
    return outputs;
  }

  // The printed page as print makes it: drawn into memory, then written.
  QByteArray pdf;
  QBuffer buffer(&pdf);
  buffer.open(QIODevice::WriteOnly);
  QPdfWriter writer(&buffer);
  writer.setResolution(600);
  writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF()));
  writer.setTitle(QStringLiteral("CORVALE < ") + name + QStringLiteral(" > "));
  const PrintResult result = PrintRecordPage(writer, PrintSettings{}, state, leads);
  if (result.error || pdf.isEmpty()) return FileError{path, QStringLiteral("the PDF could not be completed")};
  auto begun = PendingOutput::Begin(path, policy);
  if (auto* err = std::get_if<FileError>(&begun)) return *err;
  PendingOutput& output = std::get<PendingOutput>(begun);
  if (auto err = output.Write(pdf)) return *err;
  if (auto err = output.Close(pdf.size())) return *err;
  outputs.push_back(std::move(output));
  return outputs;
}

}  // namespace corvale
