// corvale-tool render: the main and lower views of a record as PNG images.
#include "cli/Cli.h"
#include "display/Render.h"
#include "display/ViewGeometry.h"

namespace corvale::cli {
namespace {

int Render(const QStringList& args) {
  QString file, out, stripOut;
  DisplayState state;
  for (int i = 0; i < args.size(); ++i) {
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
  if (file.isEmpty() || out.isEmpty()) return Usage(RenderCommand, QStringLiteral("render needs FILE and -o TRACE.png"));
  const auto leads = LoadLeads(file);
  if (!leads) return 1;
  using G = ViewGeometry;
  Image grid(G::ViewWidth, G::MainViewHeight), stripGrid(G::ViewWidth, G::StripViewHeight);
  Image trace(G::ViewWidth, G::MainViewHeight), strip(G::ViewWidth, G::StripViewHeight);
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

}  // namespace

const Command RenderCommand{
    "render",
    "  corvale-tool render FILE -o TRACE.png [--strip STRIP.png] [--gain LEAD=1|2|4 ...]\n"
    "               [--scheme 1|2|3] [--span 5|10] [--offset 0..2499] [--limb-mode 1|2|3]\n",
    "render writes the main view's trace image (and the lower view's) exactly as the\n"
    "window shows them for that display state, without caliper marks.\n",
    Render};

}  // namespace corvale::cli
