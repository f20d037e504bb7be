// The plain timing harness of the window benchmarks: a step run several
// times, its best and its median time.
#pragma once

#include <QElapsedTimer>

#include <algorithm>
#include <functional>
#include <vector>

namespace kessik::bench {

struct Figures {
  double best = 0, median = 0;  // milliseconds
};

inline Figures measure(int runs, const std::function<void()>& step) {
  std::vector<double> ms;
  for (int i = 0; i < runs; ++i) {
    QElapsedTimer t;
    t.start();
    step();
    ms.push_back(t.nsecsElapsed() / 1e6);
  }
  std::sort(ms.begin(), ms.end());
  return {ms.front(), ms[ms.size() / 2]};
}

}  // namespace kessik::bench
