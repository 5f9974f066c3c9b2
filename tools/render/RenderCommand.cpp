// corvale-tool render: the main and lower views of a record as image files.
#include <QBuffer>
#include <QFileInfo>
#include <QImageWriter>
#include <variant>

#include "cli/Cli.h"
#include "display/Render.h"
#include "display/ViewGeometry.h"

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

// The image in `format`, or the encoder's reason.
std::variant<QByteArray, QString> Encode(const QImage& image, const QByteArray& format) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  QImageWriter writer(&buffer, format);
  if (format == "jpg" || format == "jpeg") writer.setQuality(95);  // thin trace lines blur at the default
  if (!writer.write(image)) return writer.errorString();
  return bytes;
}

int Render(const QStringList& args) {
  QString file, out, stripOut;
  DisplayState state;
  for (int i = 0; i < args.size(); ++i) {
    if (IsHelp(args[i])) return Help(RenderCommand);
    bool taken = false;
    if (auto err = TakeDisplayOption(args, i, state, taken)) return Usage(RenderCommand, *err);
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
  QList<QByteArray> formats;
  for (const QString& o : outputs) {
    auto format = FormatFor(o);
    if (auto* problem = std::get_if<QString>(&format)) return Usage(RenderCommand, *problem);
    formats << std::get<QByteArray>(format);
  }
  // Refused before any work: an output that is the record, the other output or no regular file.
  if (!CheckOutputs(outputs, {file})) return 1;
  const auto leads = LoadLeads(file);
  if (!leads) return 1;
  using G = ViewGeometry;
  Image grid(G::ViewWidth, G::MainViewHeight), stripGrid(G::ViewWidth, G::StripViewHeight);
  Image trace(G::ViewWidth, G::MainViewHeight), strip(G::ViewWidth, G::StripViewHeight);
  RenderGrid(state, *leads, grid, stripGrid);
  RenderTraces(state, *leads, grid, stripGrid, trace, strip);
  std::vector<Output> written;
  for (qsizetype k = 0; k < outputs.size(); ++k) {
    auto encoded = Encode(k == 0 ? trace.Qt() : strip.Qt(), formats[k]);
    if (auto* reason = std::get_if<QString>(&encoded)) {
      Err(QStringLiteral("%1: the image could not be encoded as %2: %3")
              .arg(outputs[k], QString::fromLatin1(formats[k]).toUpper(), *reason));
      return 1;
    }
    written.push_back({outputs[k], std::get<QByteArray>(encoded)});
  }
  return WriteOutputs(written, {file}) ? 0 : 1;
}

}  // namespace

const Command RenderCommand{"render",
                            "  corvale-tool render FILE -o TRACE.png [--strip STRIP.png] [--gain LEAD=1|2|4 ...]\n"
                            "               [--scheme 1|2|3] [--span 5|10] [--offset 0..2499] [--limb-mode 1|2|3]\n"
                            "               [--no-lead-names]\n",
                            "render writes the main view's trace image (and the lower view's) exactly as the\n"
                            "window shows them for that display state, without caliper marks. The name's\n"
                            "suffix chooses the image type (.png, .bmp, .jpg, .ppm, ...; PNG without one).\n"
                            "An output is never the record itself; an existing image is replaced only once\n"
                            "the new one is completely written.\n",
                            Render};

}  // namespace corvale::cli
