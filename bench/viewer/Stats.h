// Order statistics of a series of measurements, and the one line that prints a figure
// beside its goal.
#pragma once

#include <string>
#include <vector>

namespace tkbench {

// The value below which the given share (0 to 1) of the samples lies, by the nearest-rank
// method: p = 0.5 is the median, p = 0.95 the 95th percentile. 0 for no samples.
double Percentile(std::vector<double> samples, double share);

// "name  median  p95  goal: verdict" in milliseconds; the verdict compares the p95 (or the
// median when byMedian) with the goal. A goal of 0 or less prints the figures alone.
std::string GoalLine(const std::string &name, const std::vector<double> &millis, double goalMs,
                     bool byMedian);

}  // namespace tkbench
