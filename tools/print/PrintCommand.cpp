// corvale-tool print: the printed page of a record into a PDF.
#include <QBuffer>
#include <QFileInfo>
#include <QPageSize>
#include <QPdfWriter>

#include "analysis/Measurement.h"
#include "cli/Cli.h"
#include "output/PageAnnotations.h"
#include "output/PrintPage.h"

namespace corvale::cli {
namespace {

int Print(const QStringList& args) {
  QString file, out;
  DisplayState state;
  PrintSettings settings;
  QPageSize paper(QPageSize::A4);
  bool landscape = false;
  bool deleteId = false;
  int dpi = 600;
  for (int i = 0; i < args.size(); ++i) {
    if (IsHelp(args[i])) return Help(PrintCommand);
    bool taken = false;
    if (auto err = TakeDisplayOption(args, i, state, taken)) return Usage(PrintCommand, *err);
    if (taken) continue;
    const QString& a = args[i];
    if (a == u"--landscape" || a == u"--no-annotations" || a == u"--delete-id") {
      if (a == u"--landscape") landscape = true;
      else if (a == u"--no-annotations") settings.Annotations = false;
      else deleteId = true;
      continue;
    }
    const bool takesValue = a == u"-o" || a == u"--paper" || a == u"--dpi" || a == u"--margin" || a == u"--pen-width" ||
                            a == u"--pen" || a == u"--grid";
    if (takesValue) {
      if (i + 1 >= args.size()) return Usage(PrintCommand, QStringLiteral("%1 needs a value").arg(a));
      const QString& v = args[++i];
      if (a == u"-o") out = v;
      else if (a == u"--paper") {
        if (v.compare(u"A4", Qt::CaseInsensitive) == 0) paper = QPageSize(QPageSize::A4);
        else if (v.compare(u"Letter", Qt::CaseInsensitive) == 0) paper = QPageSize(QPageSize::Letter);
        else return Usage(PrintCommand, QStringLiteral("--paper takes A4 or Letter"));
      } else if (a == u"--dpi") {
        if (!ParseIntIn(v, 72, 2400, dpi)) return Usage(PrintCommand, QStringLiteral("--dpi takes 72 to 2400"));
      } else if (a == u"--margin") {
        if (!ParseIntIn(v, MinMargin, MaxMargin, settings.Margin))
          return Usage(PrintCommand, QStringLiteral("--margin takes %1 to %2").arg(MinMargin).arg(MaxMargin));
      } else if (a == u"--pen-width") {
        if (!ParseIntIn(v, MinPenWidth, MaxPenWidth, settings.PenWidth))
          return Usage(PrintCommand, QStringLiteral("--pen-width takes %1 to %2").arg(MinPenWidth).arg(MaxPenWidth));
      } else if (v == u"A" || v == u"B") {
        (a == u"--pen" ? settings.PenPattern : settings.GridPattern) = v == u"A" ? 1 : 2;
      } else {
        return Usage(PrintCommand, QStringLiteral("%1 takes A or B").arg(a));
      }
    } else if (a.startsWith(u'-')) {
      return Usage(PrintCommand, QStringLiteral("unknown option %1").arg(a));
    } else if (file.isEmpty()) {
      file = a;
    } else {
      return Usage(PrintCommand, QStringLiteral("print takes one record"));
    }
  }
  if (file.isEmpty() || out.isEmpty()) return Usage(PrintCommand, QStringLiteral("print needs FILE and -o PAGE.pdf"));
  if (!CheckOutputs({out}, {file})) return 1;
  auto record = std::make_unique<RecordImage>();
  const auto leads = LoadLeads(file, record.get());
  if (!leads) return 1;

  // The page is drawn into memory and written as a whole: a PDF writer that
  // writes by file name cannot tell that its last bytes never reached the disk.
  QByteArray pdf;
  QBuffer buffer(&pdf);
  buffer.open(QIODevice::WriteOnly);
  QPdfWriter writer(&buffer);
  writer.setResolution(dpi);
  writer.setPageLayout(QPageLayout(paper, landscape ? QPageLayout::Landscape : QPageLayout::Portrait, QMarginsF()));
  const QString name = QFileInfo(file).fileName();
  writer.setTitle(QStringLiteral("CORVALE < ") + name + QStringLiteral(" > "));
  PageAnnotationInput annotations;
  annotations.identity = PageIdentityFromRecord(*record, name);
  annotations.leadGain = state.LeadGain;
  annotations.deleteId = deleteId;
  annotations.measurements = PageMeasurementsOf(*record, MeasureRecord(*record));
  const PrintResult result = PrintRecordPage(writer, settings, state, *leads, {}, &annotations);
  if (result.error || pdf.isEmpty()) {
    Err(QStringLiteral("%1: the PDF could not be completed").arg(out));
    return 1;
  }
  if (!WriteOutputs({{out, pdf}}, {file})) return 1;
  const PageGeometry& g = result.geometry;
  Out(QStringLiteral("pix_X: %1\npix_Y: %2\nu: %3\nPrintOriginX: %4\nPrintOriginY: %5\n")
          .arg(GeneralFormat(g.UsableHeight), GeneralFormat(g.UsableWidth), GeneralFormat(g.PrintUnit))
          .arg(g.PrintOriginX)
          .arg(g.PrintOriginY));
  return 0;
}

}  // namespace

const Command PrintCommand{"print",
                           "  corvale-tool print FILE -o PAGE.pdf [--paper A4|Letter] [--landscape] [--dpi N]\n"
                           "               [--margin 10..200] [--pen-width 0..10] [--pen A|B] [--grid A|B]\n"
                           "               [--no-annotations] [--delete-id] [display options as for render]\n",
                           "print draws the printed page into a PDF whose whole sheet is the printable area\n"
                           "(default A4 portrait, 600 dpi, margin 50, pen width 2, pen B, grid B) and prints\n"
                           "the geometry it used: pix_X, pix_Y, u, PrintOriginX, PrintOriginY. The PDF is\n"
                           "never written over the record, and replaces an existing file only once it is\n"
                           "completely written.\n",
                           Print};

}  // namespace corvale::cli
