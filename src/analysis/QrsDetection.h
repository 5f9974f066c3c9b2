// Finding the QRS complexes of a record in all its leads at once.
#pragma once

#include <span>
#include <vector>

#include "analysis/Filters.h"

namespace corvale::analysis {

/// The QRS complexes of `filtered` (baseline removed, low-passed), as sample
/// indices of the centre of each complex's slope energy, in time order. Only
/// the leads marked in `valid` count. `scratch` is reused between calls.
std::vector<int> DetectQrs(const LeadSignals& filtered, std::span<const bool> valid, int rate,
                           std::vector<double>& scratch);

}  // namespace corvale::analysis
