// Reference fiducial points from a record's WFDB annotation files, to set
// beside what was measured: for each annotated beat the earliest onset and
// the latest offset of its P wave, QRS complex and T wave over every lead
// annotated, as the cardiologists' reference is taken.
#pragma once

#include <QString>
#include <vector>

#include "formats/WfdbAnnotations.h"

namespace corvale::wfdb {

/// Sample positions at 500 Hz of P onset and offset, QRS onset and offset
/// and T end of every annotated beat, in time order, from annotations made at
/// `samplingFrequency`. Where the files mark no wave boundaries (beat labels
/// only) the beats' positions stand in for them. Each list is one file's.
std::vector<int> ReferenceMarks(const std::vector<std::vector<Annotation>>& files, double samplingFrequency);

/// The same from the annotation files beside the record at `recordPath`
/// (FindAnnotationFiles), at the sampling frequency of its WFDB header when
/// one lies beside it, else 500 Hz. Files that cannot be read are left out;
/// no files give no marks.
std::vector<int> ReferenceMarksOf(const QString& recordPath);

}  // namespace corvale::wfdb
