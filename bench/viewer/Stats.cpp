#include "Stats.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace tkbench {

double Percentile(std::vector<double> samples, double share) {
    if (samples.empty())
        return 0;
    std::sort(samples.begin(), samples.end());
    // Nearest rank: the smallest sample with at least `share` of all samples at or below it.
    const double rank = std::ceil(share * double(samples.size()));
    const std::size_t index = rank < 1 ? 0 : std::size_t(rank) - 1;
    return samples[std::min(index, samples.size() - 1)];
}

std::string GoalLine(const std::string &name, const std::vector<double> &millis, double goalMs,
                     bool byMedian) {
    const double median = Percentile(millis, 0.5);
    const double p95 = Percentile(millis, 0.95);
    const double judged = byMedian ? median : p95;
    char line[256];
    const int used = std::snprintf(line, sizeof line, "%-40s n=%-4zu median %9.4f ms  p95 %9.4f ms",
                                   name.c_str(), millis.size(), median, p95);
    if (goalMs > 0 && used > 0 && std::size_t(used) < sizeof line)
        std::snprintf(line + used, sizeof line - std::size_t(used), "  goal %s <= %g ms: %s",
                      byMedian ? "median" : "p95", goalMs,
                      millis.empty()     ? "NO DATA"
                      : judged <= goalMs ? "met"
                                         : "MISSED");
    return line;
}

}  // namespace tkbench
