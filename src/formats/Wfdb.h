// Reading WFDB records (header, format 16 and 212 signal files, and the
// MATLAB v4 form that a header describes as format 16 after a byte offset).
#pragma once

#include <QByteArray>
#include <QString>
#include <optional>
#include <variant>
#include <vector>

namespace corvale::wfdb {

struct SignalInfo {
  QString fileName;
  int format = 0;
  int samplesPerFrame = 1;
  qint64 byteOffset = 0;
  double gain = 200.0;  // adu per physical unit; WFDB's default for 0 or missing
  QString gainText;     // as written, for messages
  int baseline = 0;
  QString units = QStringLiteral("mV");
  int adcZero = 0;
  std::optional<int> checksum;  // as written: the 16-bit sum of all samples, when given
  QString description;
};

struct Header {
  QString recordName;
  double samplingFrequency = 250.0;
  qint64 samplesPerSignal = 0;  // 0 when the header does not say
  QString baseTime;             // "HH:MM:SS" as written, empty when absent
  QString baseDate;             // "DD/MM/YYYY" as written, empty when absent
  std::vector<SignalInfo> channels;
  std::vector<QString> comments;  // text after '#', one per line
};

/// Parses the text of a .hea file. On failure returns the reason, naming the
/// value as it is written.
std::variant<Header, QString> ParseHeader(const QByteArray& text);

/// Physical samples of every signal, in physical units converted to microvolts.
struct Samples {
  std::vector<std::vector<double>> microvolts;  // [signal][sample]
  qint64 count = 0;                             // samples per signal
};

/// The bytes of one signal file: all of it, or its first bytes when `size`
/// (the size on disk) says there are more.
struct SignalFile {
  QString name;  // as written in the header
  QByteArray bytes;
  qint64 start = 0;  // where `bytes` begin in the file (at most the signals' byte offset)
  qint64 size = -1;  // the size on disk; -1: `bytes` run to the end of the file
};

/// Bytes from the start of a file up to the end of its first `frames` frames.
qint64 BytesForFrames(const SignalInfo& first, int signalsInFile, qint64 frames);

/// The signals of each file of `header`, grouped in header order.
struct FileSignals {
  QString name;
  std::vector<int> signalIndices;
};
std::variant<std::vector<FileSignals>, QString> GroupByFile(const Header& header);

/// Reads the signals of `header` from `files`, at most `maxFrames` samples per
/// signal (all when negative). A file that holds fewer frames than the header
/// declares is an error. Invalid-sample markers read as 0 uV.
std::variant<Samples, QString> DecodeSignals(const Header& header, const std::vector<SignalFile>& files,
                                             qint64 maxFrames = -1);

/// One text per signal whose checksum in the header disagrees with its
/// samples. Only signals of files that hold all the header's samples per
/// signal are checked (nothing is checked when the header gives no count).
std::vector<QString> ChecksumMismatches(const Header& header, const std::vector<SignalFile>& files);

/// Microvolts per physical unit for a WFDB units string; empty when unknown.
std::optional<double> MicrovoltsPerUnit(const QString& units);

/// Value of a "# Key: value" comment, matched case-insensitively; the key may
/// be written in angle brackets ("#<age>: 51").
std::optional<QString> CommentValue(const Header& header, const QString& key);

}  // namespace corvale::wfdb
