// What a power cut would keep, told by the host layer's durability hook: a
// written file's bytes and a folder's names are lost until they are synced.
// Installed for a test's lifetime, it records every publication (a rename or
// an exchange) of something whose bytes or names were not yet on the disk,
// so that a power cut right after it would have found the new name on lost
// data; and publications whose folder was not synced afterwards, so that a
// power cut after the work would have found the old name again, or neither.
//
//   PowerCutWatch watch;
//   ASSERT_TRUE(unpackDatabase(...));
//   EXPECT_EQ(watch.faults(), std::vector<std::string>{});
#pragma once

#include <filesystem>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "platform/host.h"

namespace kessik::test {

class PowerCutWatch : public platform::DurabilityObserver {
 public:
  PowerCutWatch() : previous_(platform::setDurabilityObserver(this)) {}
  ~PowerCutWatch() override { platform::setDurabilityObserver(previous_); }
  PowerCutWatch(const PowerCutWatch&) = delete;
  PowerCutWatch& operator=(const PowerCutWatch&) = delete;

  void wrote(const std::filesystem::path& file) override {
    std::lock_guard<std::mutex> lock(mutex_);
    unsyncedData_.insert(key(file));
    unsyncedNames_.insert(key(file.parent_path()));
  }
  void madeFolder(const std::filesystem::path& folder) override { nameMade(folder); }
  void linked(const std::filesystem::path& name) override { nameMade(name); }
  void syncedFile(const std::filesystem::path& file) override {
    std::lock_guard<std::mutex> lock(mutex_);
    unsyncedData_.erase(key(file));
  }
  void syncedFolder(const std::filesystem::path& folder) override {
    std::lock_guard<std::mutex> lock(mutex_);
    unsyncedNames_.erase(key(folder));
  }
  void syncedTree(const std::filesystem::path& folder) override {
    std::lock_guard<std::mutex> lock(mutex_);
    const std::string k = key(folder);
    for (auto* set : {&unsyncedData_, &unsyncedNames_})
      for (auto it = set->begin(); it != set->end();) it = within(*it, k) ? set->erase(it) : std::next(it);
  }
  void renamed(const std::filesystem::path& from, const std::filesystem::path& to) override {
    std::lock_guard<std::mutex> lock(mutex_);
    ++publications_;
    checkOnDisk(from, "renamed to " + key(to));
    published(from, to);
  }
  void exchanged(const std::filesystem::path& a, const std::filesystem::path& b) override {
    std::lock_guard<std::mutex> lock(mutex_);
    ++publications_;
    checkOnDisk(a, "exchanged with " + key(b));
    published(a, b);
  }

  // One line per fault found so far, and per publication whose folder is
  // still not synced.
  std::vector<std::string> faults() const {
    std::lock_guard<std::mutex> lock(mutex_);
    std::vector<std::string> out = faults_;
    for (const std::string& folder : publishedIn_)
      if (unsyncedNames_.count(folder)) out.push_back("not synced after a rename into it: " + folder);
    return out;
  }
  int publications() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return publications_;
  }

 private:
  static std::string key(const std::filesystem::path& p) { return p.lexically_normal().generic_string(); }
  static bool within(const std::string& path, const std::string& folder) {
    return path == folder || (path.size() > folder.size() && path.compare(0, folder.size(), folder) == 0 &&
                              path[folder.size()] == '/');
  }
  void nameMade(const std::filesystem::path& p) {
    std::lock_guard<std::mutex> lock(mutex_);
    unsyncedNames_.insert(key(p.parent_path()));
  }
  // What is published, and everything below it, must be on the disk.
  void checkOnDisk(const std::filesystem::path& p, const std::string& how) {
    const std::string k = key(p);
    for (const std::string& d : unsyncedData_)
      if (within(d, k)) faults_.push_back("bytes not synced before " + k + " was " + how + ": " + d);
    for (const std::string& n : unsyncedNames_)
      if (within(n, k)) faults_.push_back("names not synced before " + k + " was " + how + ": " + n);
  }
  void published(const std::filesystem::path& a, const std::filesystem::path& b) {
    for (const auto& p : {a, b}) {
      unsyncedNames_.insert(key(p.parent_path()));
      publishedIn_.insert(key(p.parent_path()));
    }
  }

  platform::DurabilityObserver* previous_;
  mutable std::mutex mutex_;
  std::set<std::string> unsyncedData_, unsyncedNames_, publishedIn_;
  std::vector<std::string> faults_;
  int publications_ = 0;
};

}  // namespace kessik::test
