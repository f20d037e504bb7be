// How long work reports its progress: the progress window in the GUI, a bar
// on a terminal for the command-line tool, nothing in tests. The work calls
// these in order: show, line 1, stage, maximum, positions, close.
#pragma once

#include <cstdint>
#include <string>

namespace kessik {

class Progress {
 public:
  virtual ~Progress() = default;
  virtual void show() {}
  virtual void setLine1(const std::string& /*cp1251*/) {}
  // Sets line 2 and moves the bar back to its minimum.
  virtual void setStage(const std::string& /*cp1251*/) {}
  virtual void setMaximum(std::uint64_t) {}
  // Called often; an implementation redraws only when what it shows changes.
  virtual void setPosition(std::uint64_t) {}
  virtual void close() {}
};

// Reports nothing.
inline Progress& noProgress() {
  static Progress p;
  return p;
}

}  // namespace kessik
