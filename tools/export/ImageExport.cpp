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
// bytes for the PNG coder, and reads back as the very same pixels. Empty when
// the picture has more than 256 colours.
std::optional<QImage> WithPalette(const QImage& rgb) {
  QImage indexed(rgb.size(), QImage::Format_Indexed8);
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
          if (table.size() == 256) return std::nullopt;
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
  return indexed;
}

}  // namespace

QString ImageFileName(const QString& inputPath, ImageKind kind) {
  QString base = QFileInfo(inputPath).completeBaseName();
  if (base.isEmpty()) base = QFileInfo(inputPath).fileName();
  return base + (kind == ImageKind::Png ? QStringLiteral(".png") : QStringLiteral(".pdf"));
}

std::optional<FileError> WriteImage(const RecordImage& image, const QString& name, ImageKind kind, const QString& path,
                                    const OutputPolicy& policy) {
  return formats::CommitPrepared(PrepareImage(image, name, kind, path, policy));
}

formats::Prepared PrepareImage(const RecordImage& image, const QString& name, ImageKind kind, const QString& path,
                               const OutputPolicy& policy) {
  formats::PreparedOutputs outputs;
  auto leads = std::make_unique<LeadArrays>();
  DeriveLeadArrays(image, *leads);
  const DisplayState state;
  if (kind == ImageKind::Png) {
    using G = ViewGeometry;
    Image grid(G::ViewWidth, G::MainViewHeight), stripGrid(G::ViewWidth, G::StripViewHeight);
    Image trace(G::ViewWidth, G::MainViewHeight), strip(G::ViewWidth, G::StripViewHeight);
    RenderGrid(state, *leads, grid, stripGrid);
    RenderTraces(state, *leads, grid, stripGrid, trace, strip);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "PNG");
    writer.setQuality(80);  // deflate level 1: the same pixels, written several times faster
    const std::optional<QImage> palette = WithPalette(trace.Qt());
    if (!writer.write(palette ? *palette : trace.Qt())) return FileError{path, writer.errorString()};
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
  const PrintResult result = PrintRecordPage(writer, PrintSettings{}, state, *leads);
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
