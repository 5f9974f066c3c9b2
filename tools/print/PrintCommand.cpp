// corvale-tool print: the printed page of a record into a PDF.
#include <QFileInfo>
#include <QPageSize>

#include "analysis/Measurement.h"
#include "cli/Cli.h"
#include "output/ExportService.h"

namespace corvale::cli {
namespace {

int Print(const QStringList& args) {
  QString file, out;
  DisplayState state;
  FilterSettings filters;
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
    if (auto err = TakeFilterOption(args, i, filters, taken)) return Usage(PrintCommand, *err);
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
  if (!LoadLeads(file, record.get())) return 1;

  ExportOptions options;
  options.display = state;
  options.filters = filters;
  options.print = settings;
  options.anonymise = deleteId;
  options.name = QFileInfo(file).fileName();
  options.paper = paper;
  options.orientation = landscape ? QPageLayout::Landscape : QPageLayout::Portrait;
  options.dpi = dpi;
  options.policy.inputs = {file};
  PageGeometry g;
  options.pageDrawn = [&g](const PageGeometry& drawn) { g = drawn; };
  if (auto error = Export(*record, formats::FormatKind::Pdf, out, options)) {
    Err(error->Describe());
    return 1;
  }
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
                           "               [--no-annotations] [--delete-id] [display options and --filter as for\n"
                           "               render]\n",
                           "print draws the printed page into a PDF whose whole sheet is the printable area\n"
                           "(default A4 portrait, 600 dpi, margin 50, pen width 2, pen B, grid B) and prints\n"
                           "the geometry it used: pix_X, pix_Y, u, PrintOriginX, PrintOriginY. A filtered\n"
                           "page names its filters and frequency response in the margin. The PDF is\n"
                           "never written over the record, and replaces an existing file only once it is\n"
                           "completely written.\n",
                           Print};

}  // namespace corvale::cli
