// The plain timing harness of the window benchmarks: a step run several
// times, its best and its median time, and the processor time the process
// spent in the median run (all its threads), which a busy machine disturbs
// less than the time on the clock.
#pragma once

#include <QElapsedTimer>

#include <algorithm>
#include <ctime>
#include <functional>
#include <utility>
#include <vector>

namespace kessik::bench {

struct Figures {
  double best = 0, median = 0;  // milliseconds on the clock
  double cpu = 0;               // processor milliseconds of the median run
};

// Times step, after an untimed setup each run.
inline Figures measure(int runs, const std::function<void()>& step, const std::function<void()>& setup = {}) {
  std::vector<std::pair<double, double>> ms;  // clock, processor
  for (int i = 0; i < runs; ++i) {
    if (setup) setup();
    QElapsedTimer t;
    const std::clock_t c = std::clock();
    t.start();
    step();
    ms.emplace_back(t.nsecsElapsed() / 1e6, (std::clock() - c) * 1000.0 / CLOCKS_PER_SEC);
  }
  std::sort(ms.begin(), ms.end());
  return {ms.front().first, ms[ms.size() / 2].first, ms[ms.size() / 2].second};
}

}  // namespace kessik::bench
