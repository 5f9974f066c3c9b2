// Reading WFDB annotation files (the MIT format): the beat and wave marks that
// come with a record, one file per annotator (NAME.atr) or one per lead.
#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <span>
#include <string>
#include <variant>
#include <vector>

namespace corvale::wfdb {

/// One annotation: where, and what (the WFDB code and its one-letter symbol).
struct Annotation {
  std::int64_t sample = 0;  ///< sample index from the start of the record
  int code = 0;             ///< 1..49; 39 and 40 are the wave onset "(" and offset ")"
  char symbol = '?';        ///< "N", "p", "t", "(", ")", ...; '?' for a code without one
  int subtype = 0;
  int channel = 0;
  int num = 0;
  std::string aux;  ///< the auxiliary text, when there is one
};

/// Files larger than this are not annotation files of a resting ECG.
inline constexpr qint64 MaxAnnotationFileSize = qint64{16} * 1024 * 1024;

/// The one-letter symbol of an annotation code ('?' when it has none).
char AnnotationSymbol(int code);

/// Decodes the bytes of an MIT-format annotation file. Refuses (with the
/// reason) a file cut inside an annotation or a sample number that leaves
/// 0..2^40; never reads past `bytes`.
std::variant<std::vector<Annotation>, QString> ParseAnnotations(std::span<const std::uint8_t> bytes);

/// An annotation file found beside a record.
struct AnnotationFile {
  QString path;
  QString lead;  ///< the lead it annotates ("I", "II", ... "V6"), empty for a whole-record file
};

/// The annotation files of the WFDB record whose header (or any file named
/// NAME.*) is `recordPath`: NAME.atr, and NAME.i, NAME.ii, ... NAME.v6 (any
/// case) for per-lead annotations. Only regular files are listed.
std::vector<AnnotationFile> FindAnnotationFiles(const QString& recordPath);

/// Reads and decodes one annotation file (at most MaxAnnotationFileSize).
std::variant<std::vector<Annotation>, QString> ReadAnnotationFile(const QString& path);

}  // namespace corvale::wfdb
