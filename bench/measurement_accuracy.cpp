// The accuracy table of the automatic measurements on a directory of records
// with cardiologists' per-lead annotations (LUDB's layout).
// Usage: measurement_accuracy DIR [--no-noise] [--per-record] [--check]
//   --check: exit 1 when a target is missed.
#include <cstdio>
#include <cstring>

#include "analysis/LudbAccuracy.h"

using namespace corvale;

int main(int argc, char** argv) {
  const char* dir = nullptr;
  bool noise = true, perRecord = false, check = false;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--no-noise") == 0) noise = false;
    else if (std::strcmp(argv[i], "--per-record") == 0) perRecord = true;
    else if (std::strcmp(argv[i], "--check") == 0) check = true;
    else if (argv[i][0] != '-' && !dir) dir = argv[i];
    else {
      std::fprintf(stderr, "usage: %s DIR [--no-noise] [--per-record] [--check]\n", argv[0]);
      return 2;
    }
  }
  if (!dir) {
    std::fprintf(stderr, "usage: %s DIR [--no-noise] [--per-record] [--check]\n", argv[0]);
    return 2;
  }
  const auto results = accuracy::EvaluateDirectory(QString::fromLocal8Bit(dir), noise);
  if (results.empty()) {
    std::fprintf(stderr, "%s: no annotated records\n", dir);
    return 2;
  }
  if (perRecord) {
    const auto v = [](const std::optional<double>& x) { return x ? *x : -1.0; };
    std::printf(
        "record rhythm | P ref/ours | PR ref/ours | QRS ref/ours | QT ref/ours | HR ref/ours | axis ours (class) | "
        "points measured - reference (ms): P on, P off, QRS on, QRS off, T end\n");
    for (const auto& r : results) {
      const auto& f = r.reference;
      const auto& m = r.clean;
      std::printf(
          "%4s %-22.22s | %5.0f %5.0f | %5.0f %5.0f | %5.0f %5.0f | %5.0f %5.0f | %6.1f %6.1f | %6.0f (%s) tp%d fn%d "
          "fp%d%s\n",
          qPrintable(r.name), r.rhythm.c_str(), v(f.pMs), v(m.pMs), v(f.prMs), v(m.prMs), v(f.qrsMs), v(m.qrsMs),
          v(f.qtMs), v(m.qtMs), v(f.hrBpm), v(m.hrBpm), v(m.qrsAxisDeg), r.axisClass.c_str(), r.truePositives, r.missed,
          r.extra, m.paced ? " paced" : "");
      std::printf("     points");
      for (const auto& d : accuracy::PointDifferences(r)) d ? std::printf(" %+5.0f", *d) : std::printf("     -");
      std::printf("\n");
    }
    std::printf("\n");
  }
  const accuracy::Summary s = accuracy::Summarise(results);
  std::printf("%s", accuracy::Table(s).c_str());
  std::vector<std::string> failures;
  if (!accuracy::MeetsTargets(s, &failures)) {
    std::printf("\nTargets missed:");
    for (const auto& f : failures) std::printf(" %s;", f.c_str());
    std::printf("\n");
    if (check) return 1;
  }
  return 0;
}
