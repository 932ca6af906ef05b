// Whole-process start-up runs: the benchmark starts itself as a child that behaves like
// tkviewer and quits right after the main window's first paint.
#pragma once

#include <string>

namespace tkbench {

// The child: starts the viewer on productDir (with book, when not empty, as its command-line
// dictionary), waits for the first paint, prints one line
// "marks app=.. data=.. shown=.. paint=.. cpu=.." (milliseconds since the parent's clock
// reading in TK_BENCH_T0_NS; cpu is the process's processor time) and returns its exit code.
int RunStartupChild(int argc, char **argv, const std::string &productDir, const std::string &book);

// The parent: one warm-up and `runs` measured children; prints the figures beside
// their goals. Non-zero when a child failed.
int RunStartupSeries(const std::string &self, const std::string &productDir,
                     const std::string &book, int runs);

}  // namespace tkbench
