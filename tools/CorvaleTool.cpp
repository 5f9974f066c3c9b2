// corvale-tool: the viewer's core from the command line.
#include <QCoreApplication>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QStringList>
#include <cstdio>
#include <cstring>
#include <functional>
#include <map>
#include <memory>

#include <QGuiApplication>

#include <QPageSize>
#include <QPainter>
#include <QPrinter>

#include "display/Render.h"
#include "output/PainterCanvas.h"
#include "output/PrintPage.h"
#include "import/Import.h"
#include "info/Info.h"
#include "record/LeadArrays.h"
#include "record/RecordFile.h"

namespace {

using namespace corvale;

void Out(const QString& s) { std::fputs(s.toUtf8().constData(), stdout); }
void Err(const QString& s) { std::fputs((s + u'\n').toUtf8().constData(), stderr); }

const char* kUsage =
    "usage:\n"
    "  corvale-tool info FILE... [--json]\n"
    "  corvale-tool import RECORD_BASE -o OUT.nrm [--id ID] [--name NAME] [--sex M|F]\n"
    "               [--age N] [--age-unit y|m|d] [--date YYYY-MM-DD] [--time HH:MM:SS]\n"
    "               [--height CM] [--weight KG] [--bp TEXT]\n"
    "  corvale-tool render FILE -o TRACE.png [--strip STRIP.png] [--gain LEAD=1|2|4 ...]\n"
    "               [--scheme 1|2|3] [--span 5|10] [--offset 0..2499] [--limb-mode 1|2|3]\n"
    "  corvale-tool print FILE -o PAGE.pdf [--paper A4|Letter] [--landscape] [--dpi N]\n"
    "               [--margin 10..200] [--pen-width 0..10] [--pen A|B] [--grid A|B]\n"
    "               [display options as for render]\n"
    "\n"
    "import reads RECORD_BASE.hea and its signal files (format 16, 212, or the .mat form\n"
    "16+24), takes the twelve standard leads by name, converts them to 4.88 uV units at\n"
    "500 Hz and writes the first 10 s. Unset age and sex come from the header's comments;\n"
    "measurements stay blank. SamplingInterval is written as 2 (ms), LsbSize as 488\n"
    "(0.01 uV), StoredLeadCount 12, SampleCount 5000.\n"
    "\n"
    "render writes the main view's trace image (and the lower view's) exactly as the\n"
    "window shows them for that display state, without caliper marks.\n"
    "\n"
    "print draws the printed page into a PDF whose whole sheet is the printable area\n"
    "(default A4 portrait, 600 dpi, margin 50, pen width 2, pen B, grid B) and prints\n"
    "the geometry it used: pix_X, pix_Y, u, PrintOriginX, PrintOriginY.\n";

int Usage(const QString& problem) {
  if (!problem.isEmpty()) Err(problem);
  std::fputs(kUsage, stderr);
  return 2;
}

int Info(const QStringList& args) {
  bool json = false;
  QStringList files;
  for (const QString& a : args) {
    if (a == u"--json") json = true;
    else if (a.startsWith(u"--")) return Usage(QStringLiteral("unknown option %1").arg(a));
    else files << a;
  }
  if (files.isEmpty()) return Usage(QStringLiteral("info needs at least one file"));
  int status = 0;
  QJsonArray reports;
  auto image = std::make_unique<RecordImage>();
  auto arrays = std::make_unique<LeadArrays>();
  for (const QString& file : files) {
    if (auto err = ReadRecordFile(file, *image)) {
      Err(err->Describe());
      status = 1;
      continue;
    }
    DeriveLeadArrays(*image, *arrays);
    const QJsonObject info = RecordInfoJson(file, *image, *arrays);
    if (json) reports.append(info);
    else Out(RecordInfoText(info) + (files.size() > 1 ? QStringLiteral("\n") : QString()));
  }
  if (json) {
    const QJsonDocument doc = files.size() == 1 ? (reports.isEmpty() ? QJsonDocument() : QJsonDocument(reports[0].toObject()))
                                                : QJsonDocument(reports);
    if (!doc.isNull()) Out(QString::fromUtf8(doc.toJson(QJsonDocument::Indented)));
  }
  return status;
}

int Import(const QStringList& args) {
  QString base, out;
  HeaderOptions options;
  const std::map<QString, std::optional<QString> HeaderOptions::*> opts{
      {QStringLiteral("--id"), &HeaderOptions::id},         {QStringLiteral("--name"), &HeaderOptions::name},
      {QStringLiteral("--sex"), &HeaderOptions::sex},       {QStringLiteral("--age"), &HeaderOptions::age},
      {QStringLiteral("--age-unit"), &HeaderOptions::ageUnit}, {QStringLiteral("--date"), &HeaderOptions::date},
      {QStringLiteral("--time"), &HeaderOptions::time},     {QStringLiteral("--height"), &HeaderOptions::height},
      {QStringLiteral("--weight"), &HeaderOptions::weight}, {QStringLiteral("--bp"), &HeaderOptions::bloodPressure}};
  for (int i = 0; i < args.size(); ++i) {
    const QString& a = args[i];
    if (a == u"-o" || opts.count(a)) {
      if (i + 1 >= args.size()) return Usage(QStringLiteral("%1 needs a value").arg(a));
      const QString value = args[++i];
      if (a == u"-o") out = value;
      else options.*(opts.at(a)) = value;
    } else if (a.startsWith(u'-')) {
      return Usage(QStringLiteral("unknown option %1").arg(a));
    } else if (base.isEmpty()) {
      base = a;
    } else {
      return Usage(QStringLiteral("import takes one record"));
    }
  }
  if (base.isEmpty() || out.isEmpty()) return Usage(QStringLiteral("import needs RECORD_BASE and -o OUT"));
  auto built = ImportRecord(base, options);
  if (auto* err = std::get_if<QString>(&built)) {
    Err(*err);
    return 1;
  }
  if (auto err = WriteRecordFile(out, *std::get<std::unique_ptr<RecordImage>>(built))) {
    Err(*err);
    return 1;
  }
  return 0;
}

// A whole number in [lo, hi], or false.
bool ParseIntIn(const QString& text, int lo, int hi, int& value) {
  bool ok = false;
  const int v = text.toInt(&ok);
  if (!ok || v < lo || v > hi) return false;
  value = v;
  return true;
}

// The lead arrays of a record file, or null after reporting why not.
std::unique_ptr<LeadArrays> LoadLeads(const QString& file) {
  auto image = std::make_unique<RecordImage>();
  if (auto err = ReadRecordFile(file, *image)) {
    Err(err->Describe());
    return nullptr;
  }
  auto leads = std::make_unique<LeadArrays>();
  DeriveLeadArrays(*image, *leads);
  return leads;
}

// Display options shared by render and print; returns an error or nothing.
std::optional<QString> TakeDisplayOption(const QStringList& args, int& i, DisplayState& state, bool& taken) {
  taken = true;
  const QString& a = args[i];
  auto value = [&]() -> std::optional<QString> {
    if (i + 1 >= args.size()) return std::nullopt;
    return args[++i];
  };
  const auto intIn = ParseIntIn;
  if (a == u"--gain" || a == u"--scheme" || a == u"--span" || a == u"--offset" || a == u"--limb-mode") {
    const auto v = value();
    if (!v) return QStringLiteral("%1 needs a value").arg(a);
    if (a == u"--gain") {
      const QString lead = v->section(u'=', 0, 0);
      int gain = 0;
      int index = -1;
      for (int l = 0; l < LeadCount; ++l)
        if (lead.compare(QLatin1String(LeadNames[static_cast<std::size_t>(l)].data()), Qt::CaseInsensitive) == 0) index = l;
      if (index < 0 || !intIn(v->section(u'=', 1), 1, 4, gain) || gain == 3)
        return QStringLiteral("--gain takes LEAD=1, LEAD=2 or LEAD=4 with a lead name such as aVR (got %1)").arg(*v);
      state.LeadGain[static_cast<std::size_t>(index)] = gain;
    } else if (a == u"--scheme") {
      int scheme = 0;
      if (!intIn(*v, 1, 3, scheme)) return QStringLiteral("--scheme takes 1, 2 or 3");
      state.Colors = SchemeColors(scheme);
    } else if (a == u"--span") {
      if (*v == u"5") state.DisplaySpan = 1;
      else if (*v == u"10") state.DisplaySpan = 2;
      else return QStringLiteral("--span takes 5 or 10");
    } else if (a == u"--offset") {
      if (!intIn(*v, 0, 2499, state.TimeOffset)) return QStringLiteral("--offset takes 0 to 2499");
    } else if (!intIn(*v, 1, 3, state.LimbLeadMode)) {
      return QStringLiteral("--limb-mode takes 1, 2 or 3");
    }
    return std::nullopt;
  }
  taken = false;
  return std::nullopt;
}

int Render(const QStringList& args) {
  QString file, out, stripOut;
  DisplayState state;
  for (int i = 0; i < args.size(); ++i) {
    bool taken = false;
    if (auto err = TakeDisplayOption(args, i, state, taken)) return Usage(*err);
    if (taken) continue;
    const QString& a = args[i];
    if (a == u"-o" || a == u"--strip") {
      if (i + 1 >= args.size()) return Usage(QStringLiteral("%1 needs a file name").arg(a));
      (a == u"-o" ? out : stripOut) = args[++i];
    } else if (a.startsWith(u'-')) {
      return Usage(QStringLiteral("unknown option %1").arg(a));
    } else if (file.isEmpty()) {
      file = a;
    } else {
      return Usage(QStringLiteral("render takes one record"));
    }
  }
  if (file.isEmpty() || out.isEmpty()) return Usage(QStringLiteral("render needs FILE and -o TRACE.png"));
  const auto leads = LoadLeads(file);
  if (!leads) return 1;
  Image grid(1040, 760), stripGrid(1040, 100), trace(1040, 760), strip(1040, 100);
  RenderGrid(state, *leads, grid, stripGrid);
  RenderTraces(state, *leads, grid, stripGrid, trace, strip);
  if (!trace.Qt().save(out, "PNG")) {
    Err(QStringLiteral("%1: cannot write the image").arg(out));
    return 1;
  }
  if (!stripOut.isEmpty() && !strip.Qt().save(stripOut, "PNG")) {
    Err(QStringLiteral("%1: cannot write the image").arg(stripOut));
    return 1;
  }
  return 0;
}

int Print(const QStringList& args) {
  QString file, out;
  DisplayState state;
  PrintSettings settings;
  QPageSize paper(QPageSize::A4);
  bool landscape = false;
  int dpi = 600;
  const auto intIn = ParseIntIn;
  for (int i = 0; i < args.size(); ++i) {
    bool taken = false;
    if (auto err = TakeDisplayOption(args, i, state, taken)) return Usage(*err);
    if (taken) continue;
    const QString& a = args[i];
    if (a == u"--landscape") {
      landscape = true;
      continue;
    }
    const bool takesValue = a == u"-o" || a == u"--paper" || a == u"--dpi" || a == u"--margin" ||
                            a == u"--pen-width" || a == u"--pen" || a == u"--grid";
    if (takesValue) {
      if (i + 1 >= args.size()) return Usage(QStringLiteral("%1 needs a value").arg(a));
      const QString v = args[++i];
      if (a == u"-o") out = v;
      else if (a == u"--paper") {
        if (v.compare(u"A4", Qt::CaseInsensitive) == 0) paper = QPageSize(QPageSize::A4);
        else if (v.compare(u"Letter", Qt::CaseInsensitive) == 0) paper = QPageSize(QPageSize::Letter);
        else return Usage(QStringLiteral("--paper takes A4 or Letter"));
      } else if (a == u"--dpi") {
        if (!intIn(v, 72, 2400, dpi)) return Usage(QStringLiteral("--dpi takes 72 to 2400"));
      } else if (a == u"--margin") {
        if (!intIn(v, 10, 200, settings.Margin)) return Usage(QStringLiteral("--margin takes 10 to 200"));
      } else if (a == u"--pen-width") {
        if (!intIn(v, 0, 10, settings.PenWidth)) return Usage(QStringLiteral("--pen-width takes 0 to 10"));
      } else if (v == u"A" || v == u"B") {
        (a == u"--pen" ? settings.PenPattern : settings.GridPattern) = v == u"A" ? 1 : 2;
      } else {
        return Usage(QStringLiteral("%1 takes A or B").arg(a));
      }
    } else if (a.startsWith(u'-')) {
      return Usage(QStringLiteral("unknown option %1").arg(a));
    } else if (file.isEmpty()) {
      file = a;
    } else {
      return Usage(QStringLiteral("print takes one record"));
    }
  }
  if (file.isEmpty() || out.isEmpty()) return Usage(QStringLiteral("print needs FILE and -o PAGE.pdf"));
  const auto leads = LoadLeads(file);
  if (!leads) return 1;

  QPrinter printer(QPrinter::HighResolution);
  printer.setOutputFormat(QPrinter::PdfFormat);
  printer.setOutputFileName(out);
  printer.setResolution(dpi);
  printer.setPageLayout(QPageLayout(paper, landscape ? QPageLayout::Landscape : QPageLayout::Portrait, QMarginsF()));
  printer.setFullPage(true);
  const QString name = QFileInfo(file).fileName();
  printer.setDocName(QStringLiteral("CORVALE < ") + name + QStringLiteral(" > "));
  const QRect area = printer.pageLayout().paintRectPixels(printer.resolution());
  const PageGeometry g = ComputePageGeometry(area.height(), area.width(), settings.Margin);
  QPainter painter;
  if (!painter.begin(&printer)) {
    Err(QStringLiteral("%1: cannot write the PDF").arg(out));
    return 1;
  }
  {
    PainterCanvas canvas(painter);
    DrawPrintPage(canvas, g, settings, state, *leads, {});
  }
  if (!painter.end()) {
    Err(QStringLiteral("%1: cannot write the PDF").arg(out));
    return 1;
  }
  Out(QStringLiteral("pix_X: %1\npix_Y: %2\nu: %3\nPrintOriginX: %4\nPrintOriginY: %5\n")
          .arg(GeneralFormat(g.UsableHeight), GeneralFormat(g.UsableWidth), GeneralFormat(g.PrintUnit))
          .arg(g.PrintOriginX)
          .arg(g.PrintOriginY));
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  // Drawing needs a GUI application; it never opens a window.
  const bool draws = argc > 1 && (std::strcmp(argv[1], "render") == 0 || std::strcmp(argv[1], "print") == 0);
  if (draws && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  std::unique_ptr<QCoreApplication> app =
      draws ? std::make_unique<QGuiApplication>(argc, argv) : std::make_unique<QCoreApplication>(argc, argv);
  QStringList args = QCoreApplication::arguments().mid(1);
  if (args.isEmpty()) return Usage({});
  const QString command = args.takeFirst();
  if (command == u"info") return Info(args);
  if (command == u"import") return Import(args);
  if (command == u"render") return Render(args);
  if (command == u"print") return Print(args);
  if (command == u"--help" || command == u"-h" || command == u"help") {
    std::fputs(kUsage, stdout);
    return 0;
  }
  return Usage(QStringLiteral("unknown command %1").arg(command));
}
