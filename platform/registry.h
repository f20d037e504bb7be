// Read access to the Windows registry, used only at the first start: the
// game's own key (where it is installed) and the record our older versions
// left behind. On Windows this is the real registry; elsewhere there is no
// registry and every key reads as missing. Tests use MemoryRegistry.
//
// Key paths are written as in the registry editor below their root, with or
// without leading and trailing backslashes ("\Software\Kessikor"). Names and
// values are cp1251.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace kessik::platform {

enum class RegistryRoot { CurrentUser, LocalMachine };

class Registry {
 public:
  virtual ~Registry() = default;
  virtual bool keyExists(RegistryRoot root, std::string_view key) = 0;
  // A text value of a key (opened without creating it); nothing when the key
  // or the value is missing, or the value is no text.
  virtual std::optional<std::string> readString(RegistryRoot root, std::string_view key,
                                                std::string_view name) = 0;
  // A 32-bit integer value; nothing when missing or no integer.
  virtual std::optional<std::int32_t> readInteger(RegistryRoot root, std::string_view key,
                                                  std::string_view name) = 0;
  // Deletes a key with everything below it; false when it could not.
  virtual bool deleteKey(RegistryRoot root, std::string_view key) = 0;
};

// The host's registry: the real one on Windows, an always-empty one elsewhere.
std::unique_ptr<Registry> openHostRegistry();

// Strips leading and trailing backslashes: the form every implementation
// compares and stores keys in.
inline std::string normalizedRegistryKey(std::string_view key) {
  while (!key.empty() && key.front() == '\\') key.remove_prefix(1);
  while (!key.empty() && key.back() == '\\') key.remove_suffix(1);
  return std::string(key);
}

// A registry held in memory, for tests and for hosts without one. A key exists
// when it was added or holds a value; deleting a key removes its sub-keys.
// Key names compare exactly (the tests spell them as the program does).
class MemoryRegistry : public Registry {
 public:
  void addKey(RegistryRoot root, std::string_view key) { keys_[{root, normalizedRegistryKey(key)}]; }
  void setString(RegistryRoot root, std::string_view key, std::string_view name, std::string value) {
    keys_[{root, normalizedRegistryKey(key)}].strings[std::string(name)] = std::move(value);
  }
  void setInteger(RegistryRoot root, std::string_view key, std::string_view name, std::int32_t value) {
    keys_[{root, normalizedRegistryKey(key)}].integers[std::string(name)] = value;
  }

  bool keyExists(RegistryRoot root, std::string_view key) override {
    std::string k = normalizedRegistryKey(key);
    for (const auto& [id, values] : keys_)
      if (id.first == root && (id.second == k || id.second.starts_with(k + "\\"))) return true;
    return false;
  }
  std::optional<std::string> readString(RegistryRoot root, std::string_view key, std::string_view name) override {
    return find(root, key, name, &Values::strings);
  }
  std::optional<std::int32_t> readInteger(RegistryRoot root, std::string_view key, std::string_view name) override {
    return find(root, key, name, &Values::integers);
  }
  bool deleteKey(RegistryRoot root, std::string_view key) override {
    std::string k = normalizedRegistryKey(key);
    bool any = false;
    for (auto it = keys_.begin(); it != keys_.end();) {
      if (it->first.first == root && (it->first.second == k || it->first.second.starts_with(k + "\\"))) {
        it = keys_.erase(it);
        any = true;
      } else {
        ++it;
      }
    }
    return any;
  }

 private:
  struct Values {
    std::map<std::string, std::string> strings;
    std::map<std::string, std::int32_t> integers;
  };
  template <typename T>
  std::optional<T> find(RegistryRoot root, std::string_view key, std::string_view name,
                        std::map<std::string, T> Values::*values) const {
    auto it = keys_.find({root, normalizedRegistryKey(key)});
    if (it == keys_.end()) return std::nullopt;
    auto v = (it->second.*values).find(std::string(name));
    if (v == (it->second.*values).end()) return std::nullopt;
    return v->second;
  }

  std::map<std::pair<RegistryRoot, std::string>, Values> keys_;
};

}  // namespace kessik::platform
