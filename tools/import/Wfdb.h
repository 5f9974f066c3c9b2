// Reading WFDB records (header, format 16 and 212 signal files, and the
// MATLAB v4 form that a header describes as format 16 after a byte offset).
#pragma once

#include <QByteArray>
#include <QString>
#include <optional>
#include <variant>
#include <vector>

namespace corvale::wfdb {

struct SignalSpec {
  QString fileName;
  int format = 0;
  int samplesPerFrame = 1;
  qint64 byteOffset = 0;
  double gain = 200.0;  // adu per physical unit; WFDB's default for 0 or missing
  double baseline = 0.0;
  QString units = QStringLiteral("mV");
  int adcZero = 0;
  QString description;
};

struct Header {
  QString recordName;
  double samplingFrequency = 250.0;
  qint64 samplesPerSignal = 0;  // 0 when the header does not say
  std::vector<SignalSpec> channels;
  std::vector<QString> comments;  // text after '#', one per line
};

/// Parses the text of a .hea file. On failure returns the reason.
std::variant<Header, QString> ParseHeader(const QByteArray& text);

/// Physical samples of every signal, in physical units converted to microvolts.
struct Samples {
  std::vector<std::vector<double>> microvolts;  // [signal][sample]
  qint64 count = 0;                             // samples per signal
};

/// Reads the signals of `header` from their files' contents. `files` maps each
/// signal's fileName (as written in the header) to the bytes of that file.
/// Invalid-sample markers read as 0 uV.
std::variant<Samples, QString> DecodeSignals(const Header& header,
                                             const std::vector<std::pair<QString, QByteArray>>& files);

/// Microvolts per physical unit for a WFDB units string; empty when unknown.
std::optional<double> MicrovoltsPerUnit(const QString& units);

/// Value of a "# Key: value" comment, matched case-insensitively.
std::optional<QString> CommentValue(const Header& header, const QString& key);

}  // namespace corvale::wfdb
