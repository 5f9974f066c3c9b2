#include "record/Cp932.h"

#include <iconv.h>

#include <cerrno>
#include <vector>

namespace corvale {
namespace {

// One conversion descriptor per thread and direction; opening one is far dearer
// than a header's worth of converting.
class Converter {
 public:
  Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
  ~Converter() {
    if (Valid()) iconv_close(cd_);
  }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;
  // iconv_open's documented failure value is (iconv_t)-1.
  bool Valid() const { return cd_ != reinterpret_cast<iconv_t>(-1); }  // NOLINT(performance-no-int-to-ptr)
  iconv_t Get() {
    iconv(cd_, nullptr, nullptr, nullptr, nullptr);  // back to the initial state
    return cd_;
  }

 private:
  iconv_t cd_;
};

}  // namespace

QString DecodeCp932(std::span<const std::uint8_t> bytes) {
  bool ascii = true;
  for (std::uint8_t b : bytes) ascii = ascii && b < 0x80;
  if (ascii)
    return QString::fromLatin1(reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size()));

  thread_local Converter conv("UTF-16LE", "CP932");
  QString out;
  out.reserve(static_cast<qsizetype>(bytes.size()));
  if (!conv.Valid()) {
    // Without the converter show ASCII and mark the rest, rather than guessing.
    for (std::uint8_t b : bytes) out.append(b < 0x80 ? QChar(b) : QChar(QChar::ReplacementCharacter));
    return out;
  }
  iconv_t cd = conv.Get();
  auto* in = const_cast<char*>(reinterpret_cast<const char*>(bytes.data()));
  std::size_t inLeft = bytes.size();
  char16_t buf[64];
  while (inLeft > 0) {
    char* outPtr = reinterpret_cast<char*>(buf);
    std::size_t outLeft = sizeof buf;
    const std::size_t r = iconv(cd, &in, &inLeft, &outPtr, &outLeft);
    out.append(QStringView(buf, static_cast<qsizetype>((sizeof buf - outLeft) / 2)));
    if (r == static_cast<std::size_t>(-1)) {
      if (errno == E2BIG) continue;
      // EILSEQ (invalid sequence) or EINVAL (truncated at the end): mark one byte, go on.
      out.append(QChar(QChar::ReplacementCharacter));
      ++in;
      --inLeft;
      iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
  }
  return out;
}

std::optional<QByteArray> EncodeCp932(const QString& text) {
  thread_local Converter conv("CP932", "UTF-16LE");
  if (!conv.Valid()) return std::nullopt;
  iconv_t cd = conv.Get();
  auto* in = const_cast<char*>(reinterpret_cast<const char*>(text.utf16()));
  std::size_t inLeft = static_cast<std::size_t>(text.size()) * 2;
  std::vector<char> buf(inLeft * 2 + 8);
  char* outPtr = buf.data();
  std::size_t outLeft = buf.size();
  if (iconv(cd, &in, &inLeft, &outPtr, &outLeft) == static_cast<std::size_t>(-1)) return std::nullopt;
  return QByteArray(buf.data(), static_cast<qsizetype>(buf.size() - outLeft));
}

}  // namespace corvale
