// Accuracy of the automatic measurements against cardiologists' per-lead wave
// marks (LUDB's layout: N.hea + N.dat, N.i ... N.v6, and ludb.csv beside or
// above them). Shared by the accuracy test and the table program.
#pragma once

#include <QString>
#include <array>
#include <optional>
#include <string>
#include <vector>

#include "analysis/Measurement.h"

namespace corvale::accuracy {

/// The cardiologists' reference of one record: per beat the earliest onset and
/// latest offset over the leads, then the median over the annotated beats.
struct Reference {
  std::optional<double> pMs, prMs, qrsMs, qtMs, hrBpm;
  /// P, PR, QRS and QT again from each beat's second-earliest onset and
  /// second-latest offset: the reference had its outermost lead not been marked.
  std::array<std::optional<double>, 4> inner;
  std::vector<int> qrsPeaks;  ///< one per annotated beat (median over the leads)
  /// Per annotated beat, the global points (-1 where not marked).
  std::vector<int> pOnsets, pOffsets, qrsOnsets, qrsOffsets, tEnds;
  int spanFrom = 0, spanTo = -1;  ///< the annotated stretch, samples
};

struct RecordResult {
  QString name;
  std::string rhythm;     ///< from ludb.csv, empty when unknown
  std::string axisClass;  ///< "normal", "left axis deviation", ... empty when unknown
  bool paced = false;     ///< ludb.csv names a pacemaker
  Reference reference;
  Measurements clean, noisy;
  int truePositives = 0, missed = 0, extra = 0;
};

/// Every annotated record of `dir` (its RECORDS file, or every N.hea with
/// annotation files), measured as read and, with `noise`, again with baseline
/// wander, mains hum and broadband noise added. Records that cannot be read
/// are skipped with a message on standard error.
std::vector<RecordResult> EvaluateDirectory(const QString& dir, bool noise);

/// Reads the reference of one record from its per-lead annotation files.
std::optional<Reference> ReadReference(const QString& headerPath);

/// Adds 0.3 Hz baseline wander (1 mV peak to peak), 50 Hz hum (50 uV) and
/// broadband noise (25 uV RMS) to every lead; the same record always gets the
/// same noise.
void AddNoise(RecordImage& image, unsigned seed);

struct Difference {
  int n = 0;
  double mean = 0, sd = 0;
};

struct Summary {
  Difference p, pr, qrs, qt;  ///< measured - reference, ms
  /// The same for each point (median over a record's matched beats, then over records).
  Difference pOnset, pOffset, qrsOnset, qrsOffset, tEnd;
  int records = 0;
  int hrWithin2 = 0, hrCompared = 0;             ///< |HR - reference| <= 2 bpm
  int truePositives = 0, missed = 0, extra = 0;  ///< QRS detection
  int sinus = 0, sinusWithPr = 0;                ///< sinus-rhythm records and those given a PR
  int fibrillation = 0, fibrillationWithPr = 0;  ///< atrial fibrillation
  int flutterOrPaced = 0, flutterOrPacedWithPr = 0;
  int axisCompared = 0, axisAgrees = 0, axisNear = 0;  ///< near: within 10 degrees of the class
  Difference noisePr, noiseQrs, noiseQt;               ///< |noisy - clean|, ms
  /// Reference::inner minus the reference for P, PR, QRS and QT (the scatter
  /// of the cardiologists' marks, not ours).
  std::array<Difference, 4> referenceSpread;
  bool withNoise = false;

  double Sensitivity() const;
  double PositivePredictivity() const;
};

Summary Summarise(const std::vector<RecordResult>& results);

/// Measured minus annotated point (ms) for P onset, P offset, QRS onset, QRS
/// offset and T end: the median over the record's matched beats.
std::array<std::optional<double>, 5> PointDifferences(const RecordResult& r);

/// The accuracy table (Markdown) with the targets beside the numbers.
std::string Table(const Summary& s);

/// Whether the summary meets every target; `failures` lists those it misses.
bool MeetsTargets(const Summary& s, std::vector<std::string>* failures = nullptr);

/// The frontal-axis class of an angle, in the classes ludb.csv uses.
std::string AxisClass(double degrees);

}  // namespace corvale::accuracy
