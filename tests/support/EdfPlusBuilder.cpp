#include "support/EdfPlusBuilder.h"

namespace corvale::test {

std::optional<QByteArray> MakeEdfPlus(const std::vector<QList<QByteArray>>& annotations, int perRecord) {
  const int records = 10, ns = 13;
  auto pad = [](const QByteArray& v, int w) { return v.leftJustified(w, ' ', true); };
  QByteArray h = pad("0", 8) + pad("X X X X", 80) + pad("Startdate 01-FEB-2003 X X X", 80) + "01.02.0304.05.06" +
                 pad(QByteArray::number(256 * (ns + 1)), 8) + pad("EDF+C", 44) + pad(QByteArray::number(records), 8) +
                 pad("1", 8) + pad(QByteArray::number(ns), 4);
  for (const char* l : {"I", "II", "III", "aVR", "aVL", "aVF", "V1", "V2", "V3", "V4", "V5", "V6"})
    h += pad(QByteArray("ECG ") + l, 16);
  h += pad("EDF Annotations", 16);
  for (int s = 0; s < ns; ++s) h += pad("", 80);
  for (int s = 0; s < ns; ++s) h += pad(s < 12 ? "uV" : "", 8);
  for (int s = 0; s < ns; ++s) h += pad(s < 12 ? "-32768" : "-1", 8);
  for (int s = 0; s < ns; ++s) h += pad(s < 12 ? "32767" : "1", 8);
  for (int s = 0; s < ns; ++s) h += pad("-32768", 8);
  for (int s = 0; s < ns; ++s) h += pad("32767", 8);
  for (int s = 0; s < ns; ++s) h += pad("", 80);
  for (int s = 0; s < ns; ++s) h += pad(QByteArray::number(s < 12 ? 500 : perRecord / 2), 8);
  for (int s = 0; s < ns; ++s) h += pad("", 32);
  for (int r = 0; r < records; ++r) {
    h += QByteArray(12 * 500 * 2, '\0');
    const QByteArray onset = "+" + QByteArray::number(r);
    QByteArray tals = onset + "\x14\x14" + QByteArray(1, '\0');
    if (static_cast<std::size_t>(r) < annotations.size())
      for (const QByteArray& text : annotations[static_cast<std::size_t>(r)])
        tals += onset + "\x14" + text + "\x14" + QByteArray(1, '\0');
    if (tals.size() > perRecord) return std::nullopt;
    h += tals.leftJustified(perRecord, '\0', true);
  }
  return h;
}

}  // namespace corvale::test
