// The Windows registry. Keys are opened read-only and never created. Our old
// versions and the game were 32-bit programs, so keys are looked up in the
// 32-bit view (the same view on a 32-bit system).
#include <windows.h>

#include <filesystem>
#include <string>

#include "platform/host.h"
#include "platform/registry.h"
#include "util/cp1251.h"

namespace kessik::platform {
namespace {

// Registry names and texts are UTF-16; ours are cp1251. A registry text that
// cp1251 cannot hold is not altered into something else: it reads as missing
// (narrow() gives nothing).

HKEY rootKey(RegistryRoot root) {
  return root == RegistryRoot::CurrentUser ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE;
}

class OpenKey {
 public:
  OpenKey(RegistryRoot root, std::string_view key, REGSAM access) {
    std::wstring path = widen(normalizedRegistryKey(key));
    if (RegOpenKeyExW(rootKey(root), path.c_str(), 0, access | KEY_WOW64_32KEY, &key_) != ERROR_SUCCESS)
      key_ = nullptr;
  }
  ~OpenKey() {
    if (key_) RegCloseKey(key_);
  }
  OpenKey(const OpenKey&) = delete;
  OpenKey& operator=(const OpenKey&) = delete;
  explicit operator bool() const { return key_ != nullptr; }
  HKEY get() const { return key_; }

 private:
  HKEY key_ = nullptr;
};

class HostRegistry : public Registry {
 public:
  bool keyExists(RegistryRoot root, std::string_view key) override {
    return static_cast<bool>(OpenKey(root, key, KEY_READ));
  }

  std::optional<std::string> readString(RegistryRoot root, std::string_view key, std::string_view name) override {
    OpenKey k(root, key, KEY_QUERY_VALUE);
    if (!k) return std::nullopt;
    std::wstring valueName = widen(name);
    DWORD type = 0, size = 0;
    if (RegQueryValueExW(k.get(), valueName.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
      return std::nullopt;
    if (type != REG_SZ && type != REG_EXPAND_SZ) return std::nullopt;
    std::wstring text(size / sizeof(wchar_t) + 1, L'\0');
    DWORD got = static_cast<DWORD>(text.size() * sizeof(wchar_t));
    if (RegQueryValueExW(k.get(), valueName.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(text.data()), &got) !=
        ERROR_SUCCESS)
      return std::nullopt;
    text.resize(got / sizeof(wchar_t));
    while (!text.empty() && text.back() == L'\0') text.pop_back();
    return narrow(text);
  }

  std::optional<std::int32_t> readInteger(RegistryRoot root, std::string_view key, std::string_view name) override {
    OpenKey k(root, key, KEY_QUERY_VALUE);
    if (!k) return std::nullopt;
    std::wstring valueName = widen(name);
    DWORD type = 0, value = 0, size = sizeof value;
    if (RegQueryValueExW(k.get(), valueName.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) !=
            ERROR_SUCCESS ||
        type != REG_DWORD || size != sizeof value)
      return std::nullopt;
    return static_cast<std::int32_t>(value);
  }

  bool deleteKey(RegistryRoot root, std::string_view key) override {
    {
      OpenKey k(root, key, DELETE | KEY_ENUMERATE_SUB_KEYS | KEY_QUERY_VALUE | KEY_SET_VALUE);
      if (!k) return false;
      // Empties the key (values and sub-keys) but leaves the key itself.
      if (RegDeleteTreeW(k.get(), nullptr) != ERROR_SUCCESS) return false;
    }
    std::wstring path = widen(normalizedRegistryKey(key));
    return RegDeleteKeyExW(rootKey(root), path.c_str(), KEY_WOW64_32KEY, 0) == ERROR_SUCCESS;
  }
};

}  // namespace

std::unique_ptr<Registry> openHostRegistry() { return std::make_unique<HostRegistry>(); }

}  // namespace kessik::platform
