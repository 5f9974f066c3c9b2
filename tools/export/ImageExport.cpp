#include "export/ImageExport.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QImageWriter>
#include <QPageSize>
#include <QPainter>
#include <QPrinter>
#include <memory>

#include "display/Render.h"
#include "output/PainterCanvas.h"
#include "output/PrintPage.h"
#include "record/LeadArrays.h"

namespace corvale {

QString ImageFileName(const QString& inputPath, ImageKind kind) {
  QString base = QFileInfo(inputPath).completeBaseName();
  if (base.isEmpty()) base = QFileInfo(inputPath).fileName();
  return base + (kind == ImageKind::Png ? QStringLiteral(".png") : QStringLiteral(".pdf"));
}

std::optional<FileError> WriteImage(const RecordImage& image, const QString& name, ImageKind kind, const QString& path,
                                    const OutputPolicy& policy) {
  auto leads = std::make_unique<LeadArrays>();
  DeriveLeadArrays(image, *leads);
  const DisplayState state;
  if (kind == ImageKind::Png) {
    Image grid(1040, 760), stripGrid(1040, 100), trace(1040, 760), strip(1040, 100);
    RenderGrid(state, *leads, grid, stripGrid);
    RenderTraces(state, *leads, grid, stripGrid, trace, strip);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "PNG");
    if (!writer.write(trace.Qt())) return FileError{path, writer.errorString()};
    return WriteFileSafely(path, bytes, policy);
  }

  auto begun = PendingOutput::Begin(path, policy);
  if (auto* err = std::get_if<FileError>(&begun)) return *err;
  PendingOutput& output = std::get<PendingOutput>(begun);
  const PrintSettings settings;
  QPrinter printer(QPrinter::HighResolution);
  printer.setOutputFormat(QPrinter::PdfFormat);
  printer.setOutputFileName(output.TemporaryPath());
  printer.setResolution(600);
  printer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF()));
  printer.setFullPage(true);
  printer.setDocName(QStringLiteral("CORVALE < ") + name + QStringLiteral(" > "));
  const QRect area = printer.pageLayout().paintRectPixels(printer.resolution());
  const PageGeometry g = ComputePageGeometry(area.height(), area.width(), settings.Margin);
  QPainter painter;
  if (!painter.begin(&printer)) return FileError{path, QStringLiteral("the PDF could not be started")};
  {
    PainterCanvas canvas(painter);
    DrawPrintPage(canvas, g, settings, state, *leads, {});
  }
  if (!painter.end()) return FileError{path, QStringLiteral("the PDF could not be completed")};
  return output.Commit();
}

}  // namespace corvale
