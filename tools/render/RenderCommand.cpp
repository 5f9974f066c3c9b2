// corvale-tool render: the main and lower views of a record as image files.
#include <QFileInfo>
#include <QImageWriter>
#include <variant>

#include "cli/Cli.h"
#include "output/ExportService.h"

namespace corvale::cli {
namespace {

// The image format a file name asks for by its suffix (PNG without one), or why none fits.
std::variant<QByteArray, QString> FormatFor(const QString& path) {
  const QByteArray suffix = QFileInfo(path).suffix().toLower().toUtf8();
  if (suffix.isEmpty()) return QByteArray("png");
  const QList<QByteArray> known = QImageWriter::supportedImageFormats();
  if (known.contains(suffix)) return suffix;
  return QStringLiteral("%1: .%2 is not an image type this tool writes; end the name in one of .%3")
      .arg(path, QString::fromUtf8(suffix), QString::fromLatin1(known.join(" .")));
}

int Render(const QStringList& args) {
  QString file, out, stripOut;
  DisplayState state;
  FilterSettings filters;
  for (int i = 0; i < args.size(); ++i) {
    if (IsHelp(args[i])) return Help(RenderCommand);
    bool taken = false;
    if (auto err = TakeDisplayOption(args, i, state, taken)) return Usage(RenderCommand, *err);
    if (taken) continue;
    if (auto err = TakeFilterOption(args, i, filters, taken)) return Usage(RenderCommand, *err);
    if (taken) continue;
    const QString& a = args[i];
    if (a == u"-o" || a == u"--strip") {
      if (i + 1 >= args.size()) return Usage(RenderCommand, QStringLiteral("%1 needs a file name").arg(a));
      (a == u"-o" ? out : stripOut) = args[++i];
    } else if (a.startsWith(u'-')) {
      return Usage(RenderCommand, QStringLiteral("unknown option %1").arg(a));
    } else if (file.isEmpty()) {
      file = a;
    } else {
      return Usage(RenderCommand, QStringLiteral("render takes one record"));
    }
  }
  if (file.isEmpty() || out.isEmpty())
    return Usage(RenderCommand, QStringLiteral("render needs FILE and -o TRACE.png"));
  QStringList outputs{out};
  if (!stripOut.isEmpty()) outputs << stripOut;
  for (const QString& o : outputs) {
    auto format = FormatFor(o);
    if (auto* problem = std::get_if<QString>(&format)) return Usage(RenderCommand, *problem);
  }
  // Refused before any work: an output that is the record, the other output or no regular file.
  if (!CheckOutputs(outputs, {file})) return 1;
  auto record = std::make_unique<RecordImage>();
  if (!LoadLeads(file, record.get())) return 1;
  // Both images written before either is put in place.
  formats::PreparedOutputs written;
  for (qsizetype k = 0; k < outputs.size(); ++k) {
    ExportOptions options;
    options.display = state;
    options.filters = filters;
    options.lowerView = k == 1;
    options.policy.inputs = {file};
    formats::Prepared prepared = PrepareExport(*record, formats::FormatKind::Png, outputs[k], options);
    if (auto* error = std::get_if<FileError>(&prepared)) {
      Err(error->Describe());
      return 1;
    }
    for (PendingOutput& o : std::get<formats::PreparedOutputs>(prepared)) written.push_back(std::move(o));
  }
  if (auto error = formats::PublishInOrder(written, true)) {
    Err(error->Describe());
    return 1;
  }
  return 0;
}

}  // namespace

const Command RenderCommand{"render",
                            "  corvale-tool render FILE -o TRACE.png [--strip STRIP.png] [--gain LEAD=1|2|4 ...]\n"
                            "               [--scheme 1|2|3] [--span 5|10] [--offset 0..2499] [--limb-mode 1|2|3]\n"
                            "               [--no-lead-names] [--filter baseline[=0.67|0.05],mains=50|60,\n"
                            "               muscle=25|35|40]\n",
                            "render writes the main view's trace image (and the lower view's) exactly as the\n"
                            "window shows them for that display state, without caliper marks; --filter shows\n"
                            "the signal through those filters (any of them, in any order). The name's\n"
                            "suffix chooses the image type (.png, .bmp, .jpg, .ppm, ...; PNG without one).\n"
                            "An output is never the record itself; an existing image is replaced only once\n"
                            "the new one is completely written.\n",
                            Render};

}  // namespace corvale::cli
