#include "cli/Cli.h"

#include <cstdio>

#include "record/RecordFormat.h"
#include "record/RecordFile.h"

namespace corvale::cli {

void Out(const QString& s) { std::fputs(s.toUtf8().constData(), stdout); }
void Err(const QString& s) { std::fputs((s + u'\n').toUtf8().constData(), stderr); }

int Usage(const Command& command, const QString& problem) {
  if (!problem.isEmpty()) Err(problem);
  std::fputs("usage:\n", stderr);
  std::fputs(command.usage, stderr);
  return 2;
}

bool ParseIntIn(const QString& text, int lo, int hi, int& value) {
  bool ok = false;
  const int v = text.toInt(&ok);
  if (!ok || v < lo || v > hi) return false;
  value = v;
  return true;
}

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

std::optional<QString> TakeDisplayOption(const QStringList& args, int& i, DisplayState& state, bool& taken) {
  taken = true;
  const QString& a = args[i];
  auto value = [&]() -> std::optional<QString> {
    if (i + 1 >= args.size()) return std::nullopt;
    return args[++i];
  };
  if (a == u"--gain" || a == u"--scheme" || a == u"--span" || a == u"--offset" || a == u"--limb-mode") {
    const auto v = value();
    if (!v) return QStringLiteral("%1 needs a value").arg(a);
    if (a == u"--gain") {
      const QString lead = v->section(u'=', 0, 0);
      int gain = 0;
      int index = -1;
      for (int l = 0; l < LeadCount; ++l)
        if (lead.compare(QLatin1String(LeadNames[static_cast<std::size_t>(l)].data()), Qt::CaseInsensitive) == 0)
          index = l;
      if (index < 0 || !ParseIntIn(v->section(u'=', 1), 1, 4, gain) || gain == 3)
        return QStringLiteral("--gain takes LEAD=1, LEAD=2 or LEAD=4 with a lead name such as aVR (got %1)").arg(*v);
      state.LeadGain[static_cast<std::size_t>(index)] = gain;
    } else if (a == u"--scheme") {
      int scheme = 0;
      if (!ParseIntIn(*v, 1, 3, scheme)) return QStringLiteral("--scheme takes 1, 2 or 3");
      state.Colors = SchemeColors(scheme);
    } else if (a == u"--span") {
      if (*v == u"5") state.DisplaySpan = 1;
      else if (*v == u"10") state.DisplaySpan = 2;
      else return QStringLiteral("--span takes 5 or 10");
    } else if (a == u"--offset") {
      if (!ParseIntIn(*v, 0, 2499, state.TimeOffset)) return QStringLiteral("--offset takes 0 to 2499");
    } else if (!ParseIntIn(*v, 1, 3, state.LimbLeadMode)) {
      return QStringLiteral("--limb-mode takes 1, 2 or 3");
    }
    return std::nullopt;
  }
  taken = false;
  return std::nullopt;
}

}  // namespace corvale::cli
