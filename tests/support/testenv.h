// Test helpers: a temporary folder mapped to drive C:, so tests use literal
// Windows paths such as C:\a\b\c.zap, and a notifier that records every
// message and answers from a script.
#pragma once

#include <gtest/gtest.h>

#include <deque>
#include <filesystem>
#include <string>
#include <vector>

#include "util/notify.h"

namespace kessik::test {

class RecordingNotifier : public Notifier {
 public:
  std::vector<Message> messages;
  std::deque<Answer> answers;  // scripted answers; default when empty
  int beeps = 0;

  Answer show(const Message& m) override;
  void beep() override { ++beeps; }
  // The texts shown, as UTF-8, for readable assertions.
  std::vector<std::string> texts() const;
};

// Maps C: to a fresh temporary folder and installs a RecordingNotifier for the
// test's lifetime.
class TempDrive : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // The host path of a Windows path on the test drive.
  std::filesystem::path host(const std::string& windowsPath) const;
  // Writes bytes to a Windows path, creating folders; reads them back.
  void writeFile(const std::string& windowsPath, const std::string& bytes) const;
  std::string readFile(const std::string& windowsPath) const;
  bool hostExists(const std::string& windowsPath) const;

  std::filesystem::path root_;
  std::vector<std::filesystem::path> before_;  // Windows: what C:\ held before the test
  RecordingNotifier notes_;
  Notifier* previous_ = nullptr;
};

// UTF-8 literal to cp1251 bytes.
std::string cp(const std::string& utf8);
// Bytes from a hex text such as "01 0C 41".
std::string bytes(const std::string& hex);
std::string hex(const std::string& bytes);

}  // namespace kessik::test
