// Start-up as a user meets it: from starting `corvale samples/A0001.nrm` to
// the first ECG on the screen, measured from outside the process. The viewer
// ends itself right after that first paint (CORVALE_EXIT_AFTER_FIRST_PAINT=1),
// so the time to its exit is the time to the first shown ECG. It needs a
// display: run it under `xvfb-run -a`. Settings go to a scratch directory.
#include <benchmark/benchmark.h>
#include <spawn.h>
#include <sys/wait.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <vector>

extern char** environ;

namespace {

// One run of the viewer; its wall time in seconds, or a negative value when
// it did not end normally with status 0.
double RunViewer(const std::vector<std::string>& env) {
  std::string viewer = CORVALE_VIEWER_PATH;
  std::string record = CORVALE_SOURCE_DIR "/samples/A0001.nrm";
  char* argv[] = {viewer.data(), record.data(), nullptr};
  std::vector<char*> envp;
  std::vector<std::string> copies = env;
  for (std::string& e : copies) envp.push_back(e.data());
  envp.push_back(nullptr);
  const auto start = std::chrono::steady_clock::now();
  pid_t pid = 0;
  if (posix_spawn(&pid, viewer.c_str(), nullptr, nullptr, argv, envp.data()) != 0) return -1;
  int status = 0;
  if (waitpid(pid, &status, 0) != pid) return -1;
  const auto end = std::chrono::steady_clock::now();
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return -1;
  return std::chrono::duration<double>(end - start).count();
}

void BM_StartToFirstShownEcg(benchmark::State& state) {
  if (!std::getenv("DISPLAY")) {
    state.SkipWithError("no display: run under xvfb-run -a");
    return;
  }
  char scratch[] = "/tmp/corvale-startup-XXXXXX";
  if (!mkdtemp(scratch)) {
    state.SkipWithError("no scratch directory");
    return;
  }
  std::vector<std::string> env;
  for (char** e = environ; *e; ++e) {
    const std::string entry = *e;
    if (entry.rfind("XDG_CONFIG_HOME=", 0) != 0 && entry.rfind("QT_QPA_PLATFORM=", 0) != 0) env.push_back(entry);
  }
  env.push_back(std::string("XDG_CONFIG_HOME=") + scratch);
  env.push_back("CORVALE_EXIT_AFTER_FIRST_PAINT=1");
  // A first run fills the system's caches, as any earlier start would have.
  if (RunViewer(env) < 0) {
    state.SkipWithError("the viewer did not start and end");
    return;
  }
  for (auto _ : state) {
    const double seconds = RunViewer(env);
    if (seconds < 0) {
      state.SkipWithError("the viewer did not start and end");
      break;
    }
    state.SetIterationTime(seconds);
  }
  const std::string remove = std::string("rm -rf ") + scratch;
  if (std::system(remove.c_str()) != 0) state.SkipWithError("scratch directory left behind");
}
BENCHMARK(BM_StartToFirstShownEcg)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(1)
    ->Repetitions(15)
    ->ReportAggregatesOnly(true);

}  // namespace

BENCHMARK_MAIN();
