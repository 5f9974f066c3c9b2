// The record's header decoded once, into typed values: who the patient is, when
// the record was made, and the automatic measurements. Each value is present
// only when the header holds one; the window's labels, the printed page and
// every export read the header through this.
#pragma once

#include <QDate>
#include <QString>
#include <QTime>
#include <optional>

#include "record/RecordFormat.h"

namespace corvale {

enum class Sex { Male, Female };
enum class AgeUnit { Years, Months, Days };

struct HeaderValues {
  std::optional<QString> patientId;    // decoded (cp932) and trimmed; absent when blank
  std::optional<QString> patientName;  // the same
  std::optional<Sex> sex;              // "1" male, "2" female; any other byte is unknown
  std::optional<QString> age;          // trimmed; leading zeros dropped from digits ("047" is "47")
  std::optional<AgeUnit> ageUnit;      // "0" years, "1" months, "2" days; any other byte is unknown
  std::optional<QDate> date;           // only a real calendar date in eight digits
  std::optional<QTime> time;           // only a real time of day in six digits
  QString dateText, timeText;          // "YYYY/MM/DD", "HH:MM:SS" cut from the bytes as stored
  std::optional<QString> height, weight, bloodPressure;
  // Automatic measurements, as their 4-character fields hold them (trimmed).
  std::optional<QString> heartRate, rrInterval, prInterval, qrsDuration, qrsAxis, qtInterval, qtcInterval, sv1Amplitude,
      rvAmplitude;
  int lateralLead = 6;  // where rvAmplitude was measured: V5 for "5", else V6
};

HeaderValues DecodeHeader(const RecordImage& image);

/// True for digits only: an age other formats can carry.
bool IsWholeNumber(const QString& text);

/// "M" or "F"; empty when unknown.
QString SexLetter(std::optional<Sex> sex);

/// "y.o.", "m.o.", "d.o.".
QString AgeUnitText(AgeUnit unit);

}  // namespace corvale
