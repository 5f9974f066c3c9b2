#include "formats/WfdbAnnotations.h"

#include <QDir>
#include <QFileInfo>
#include <array>
#include <string_view>

#include "formats/InputFile.h"

namespace corvale::wfdb {
namespace {

// Pseudo-annotation codes of the MIT format: they modify the annotation before
// them (NUM, SUB, CHN, AUX) or move the time (SKIP).
constexpr int SkipCode = 59;
constexpr int NumCode = 60;
constexpr int SubCode = 61;
constexpr int ChnCode = 62;
constexpr int AuxCode = 63;
constexpr std::int64_t MaxSample = std::int64_t{1} << 40;

// Index = code; ' ' where WFDB defines no symbol.
constexpr std::string_view Symbols = " NLRaVFJASEj/Q~ | sT*D\"=pB^t+u?![]en@xf()r        ";

// The standard lead names of the per-lead file extensions.
constexpr std::array<std::string_view, 12> LeadExtensions{"i",  "ii", "iii", "avr", "avl", "avf",
                                                          "v1", "v2", "v3",  "v4",  "v5",  "v6"};
constexpr std::array<std::string_view, 12> LeadTitles{"I",  "II", "III", "aVR", "aVL", "aVF",
                                                      "V1", "V2", "V3",  "V4",  "V5",  "V6"};

}  // namespace

char AnnotationSymbol(int code) {
  if (code < 0 || code >= static_cast<int>(Symbols.size())) return '?';
  const char c = Symbols[static_cast<std::size_t>(code)];
  return c == ' ' ? '?' : c;
}

std::variant<std::vector<Annotation>, QString> ParseAnnotations(std::span<const std::uint8_t> bytes) {
  std::vector<Annotation> out;
  std::int64_t time = 0;
  std::size_t at = 0;
  const auto word = [&](std::size_t i) { return static_cast<unsigned>(bytes[i] | (bytes[i + 1] << 8)); };
  while (at + 2 <= bytes.size()) {
    const unsigned w = word(at);
    at += 2;
    const int code = static_cast<int>(w >> 10);
    const int value = static_cast<int>(w & 0x3FF);
    if (code == 0 && value == 0) break;  // the end mark
    switch (code) {
      case SkipCode: {
        if (at + 4 > bytes.size()) return QStringLiteral("the annotation file ends inside a time skip");
        // A 32-bit signed interval, high 16-bit word first.
        const auto high = static_cast<std::uint32_t>(word(at));
        const auto low = static_cast<std::uint32_t>(word(at + 2));
        at += 4;
        time += static_cast<std::int32_t>((high << 16) | low);
        break;
      }
      case NumCode:
        if (!out.empty()) out.back().num = value;
        break;
      case SubCode:
        if (!out.empty()) out.back().subtype = value;
        break;
      case ChnCode:
        if (!out.empty()) out.back().channel = value;
        break;
      case AuxCode: {
        const auto length = static_cast<std::size_t>(value);
        const std::size_t padded = length + (length & 1U);
        if (at + padded > bytes.size()) return QStringLiteral("the annotation file ends inside an auxiliary text");
        if (!out.empty()) out.back().aux.assign(reinterpret_cast<const char*>(bytes.data() + at), length);
        at += padded;
        break;
      }
      default: {
        time += value;
        if (time < 0 || time > MaxSample)
          return QStringLiteral("an annotation at sample %1, outside the record").arg(time);
        Annotation a;
        a.sample = time;
        a.code = code;
        a.symbol = AnnotationSymbol(code);
        // Each annotation starts with the channel and number of the one before.
        if (!out.empty()) {
          a.channel = out.back().channel;
          a.num = out.back().num;
        }
        out.push_back(std::move(a));
        break;
      }
    }
    if (time < -MaxSample || time > MaxSample)
      return QStringLiteral("a time skip to sample %1, outside the record").arg(time);
  }
  return out;
}

std::vector<AnnotationFile> FindAnnotationFiles(const QString& recordPath) {
  const QFileInfo info(recordPath);
  const QString base = info.completeBaseName();
  const QDir dir = info.absoluteDir();
  std::vector<AnnotationFile> found;
  const auto add = [&](const QString& extension, const QString& lead) {
    // Any case of the extension: WFDB names are case-sensitive, copies often are not.
    for (const QString& candidate : {extension, extension.toUpper()}) {
      const QFileInfo file(dir.filePath(base + QLatin1Char('.') + candidate));
      if (file.isFile()) {
        found.push_back({file.absoluteFilePath(), lead});
        return;
      }
    }
  };
  add(QStringLiteral("atr"), QString());
  for (std::size_t i = 0; i < LeadExtensions.size(); ++i)
    add(QString::fromLatin1(LeadExtensions[i].data(), static_cast<qsizetype>(LeadExtensions[i].size())),
        QString::fromLatin1(LeadTitles[i].data(), static_cast<qsizetype>(LeadTitles[i].size())));
  return found;
}

std::variant<std::vector<Annotation>, QString> ReadAnnotationFile(const QString& path) {
  auto opened = formats::InputFile::Open(path);
  if (auto* err = std::get_if<FileError>(&opened)) return err->Describe();
  auto read = std::get<formats::InputFile>(opened).ReadAll(MaxAnnotationFileSize);
  if (auto* err = std::get_if<FileError>(&read)) return err->Describe();
  const QByteArray& bytes = std::get<QByteArray>(read);
  auto parsed = ParseAnnotations(
      std::span(reinterpret_cast<const std::uint8_t*>(bytes.constData()), static_cast<std::size_t>(bytes.size())));
  if (auto* reason = std::get_if<QString>(&parsed))
    return QStringLiteral("%1: %2").arg(QFileInfo(path).fileName(), *reason);
  return parsed;
}

}  // namespace corvale::wfdb
