#include "info/Info.h"

#include <QJsonArray>
#include <algorithm>

#include "record/HeaderPresentation.h"

namespace corvale {

QString EscapeControls(const QString& text, QStringView keep) {
  QString out;
  out.reserve(text.size());
  for (const QChar c : text) {
    if (c.category() == QChar::Other_Control && !keep.contains(c))
      out += QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QLatin1Char('0'));
    else out += c;
  }
  return out;
}

namespace {

// A text value as JSON writes it: quoted, with backslash, quote and controls escaped.
QString Quoted(QString text) {
  text.replace(u'\\', QStringLiteral("\\\\")).replace(u'"', QStringLiteral("\\\""));
  text.replace(u'\n', QStringLiteral("\\n"))
      .replace(u'\r', QStringLiteral("\\r"))
      .replace(u'\t', QStringLiteral("\\t"));
  return u'"' + EscapeControls(text) + u'"';
}

}  // namespace

QJsonObject RecordInfoJson(const QString& file, const RecordImage& image, const LeadArrays& arrays) {
  QJsonObject fields;
  for (const FieldLayout& f : RecordFields) {
    const QString name = QString::fromLatin1(f.name.data(), static_cast<qsizetype>(f.name.size()));
    switch (f.encoding) {
      case FieldEncoding::Unused: break;
      case FieldEncoding::UInt16LE: fields[name] = static_cast<int>(FieldNumber(image, f)); break;
      default:
        if (f.count == 1) {
          fields[name] = FieldText(image, f);
        } else {
          QJsonArray codes;
          for (int k = 0; k < f.count; ++k) codes.append(FieldText(image, f, k));
          fields[name] = codes;
        }
    }
  }
  QJsonObject labels;
  for (const LabelText& l : PresentHeader(image))
    labels[QString::fromLatin1(l.control)] = l.text ? QJsonValue(*l.text) : QJsonValue(QJsonValue::Null);

  QJsonObject leads;
  for (int lead = 0; lead < LeadCount; ++lead) {
    double lo = 0, hi = 0;
    for (int n = 0; n < SamplesPerLead; ++n) {
      const double v = arrays.Sample(lead, n);
      if (n == 0 || v < lo) lo = v;
      if (n == 0 || v > hi) hi = v;
    }
    QJsonObject l;
    l[QStringLiteral("min")] = lo;
    l[QStringLiteral("max")] = hi;
    l[QStringLiteral("LeadRange")] = arrays.LeadRange[static_cast<std::size_t>(lead)];
    l[QStringLiteral("LeadOffset")] = arrays.LeadOffset[static_cast<std::size_t>(lead)];
    const auto& name = LeadNames[static_cast<std::size_t>(lead)];
    leads[QString::fromLatin1(name.data(), static_cast<qsizetype>(name.size()))] = l;
  }
  QJsonObject out;
  out[QStringLiteral("file")] = file;
  out[QStringLiteral("fields")] = fields;
  out[QStringLiteral("labels")] = labels;
  out[QStringLiteral("leads")] = leads;
  return out;
}

QString RecordInfoText(const QJsonObject& info) {
  QString out = QStringLiteral("file: %1\n").arg(EscapeControls(info[QStringLiteral("file")].toString()));
  auto scalar = [](const QJsonValue& v) {
    if (v.isNull()) return QStringLiteral("(unchanged)");
    if (v.isDouble()) return QString::number(v.toDouble(), 'g', 15);
    return Quoted(v.toString());
  };
  // Fields in file order, not the JSON object's alphabetical order.
  const QJsonObject fields = info[QStringLiteral("fields")].toObject();
  for (const FieldLayout& f : RecordFields) {
    const QString name = QString::fromLatin1(f.name.data(), static_cast<qsizetype>(f.name.size()));
    if (!fields.contains(name)) continue;
    const QJsonValue v = fields[name];
    if (v.isArray()) {
      QStringList parts;
      for (const auto& e : v.toArray()) parts << scalar(e);
      out += QStringLiteral("field %1: %2\n").arg(name, parts.join(u' '));
    } else {
      out += QStringLiteral("field %1: %2\n").arg(name, scalar(v));
    }
  }
  const QJsonObject labels = info[QStringLiteral("labels")].toObject();
  QStringList names = labels.keys();
  std::sort(names.begin(), names.end(),
            [](const QString& a, const QString& b) { return a.mid(5).toInt() < b.mid(5).toInt(); });
  for (const QString& name : names) out += QStringLiteral("label %1: %2\n").arg(name, scalar(labels[name]));
  const QJsonObject leads = info[QStringLiteral("leads")].toObject();
  for (const auto& lead : LeadNames) {
    const QString name = QString::fromLatin1(lead.data(), static_cast<qsizetype>(lead.size()));
    const QJsonObject l = leads[name].toObject();
    out += QStringLiteral("lead %1: min %2 max %3 LeadRange %4 LeadOffset %5\n")
               .arg(name, scalar(l[QStringLiteral("min")]), scalar(l[QStringLiteral("max")]),
                    scalar(l[QStringLiteral("LeadRange")]), scalar(l[QStringLiteral("LeadOffset")]));
  }
  return out;
}

}  // namespace corvale
