// One print job to a PDF file at 600 dpi on A4, as a printer would get it.
#include <benchmark/benchmark.h>

#include <QFileInfo>
#include <QPrinter>
#include <QTemporaryDir>
#include <memory>

#include "output/PrintPage.h"
#include "record/LeadArrays.h"
#include "record/RecordFile.h"

namespace {

using namespace corvale;

void BM_PrintJobPdf(benchmark::State& s) {
  auto record = std::make_unique<RecordImage>();
  if (ReadRecordFile(QStringLiteral(CORVALE_SOURCE_DIR "/samples/A0001.nrm"), *record)) std::abort();
  auto leads = std::make_unique<LeadArrays>();
  DeriveLeadArrays(*record, *leads);
  PrintSettings settings;
  settings.GridPattern = static_cast<int>(s.range(0));
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("page.pdf"));
  for (auto _ : s) {
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(path);
    printer.setResolution(600);
    printer.setPageSize(QPageSize(QPageSize::A4));
    if (PrintRecordPage(printer, settings, DisplayState{}, *leads).error) {
      s.SkipWithError("the PDF was not written");
      break;
    }
  }
  s.counters["pdf_bytes"] = static_cast<double>(QFileInfo(path).size());
}
BENCHMARK(BM_PrintJobPdf)->Arg(2)->Arg(1)->ArgName("grid")->Unit(benchmark::kMillisecond);

}  // namespace
