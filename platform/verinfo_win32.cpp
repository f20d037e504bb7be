// The program file's own version resource.
#include <windows.h>

#include <vector>

#include "platform/host.h"
#include "platform/verinfo.h"

namespace kessik::platform {

bool TVerInfoFromFile::read(const std::string& programFile) {
  std::wstring file = widen(programFile);
  if (programFile.empty()) {
    std::vector<wchar_t> self(32768);
    const DWORD n = GetModuleFileNameW(nullptr, self.data(), static_cast<DWORD>(self.size()));
    file.assign(self.data(), n);
  }
  DWORD handle = 0;
  InfoSize = GetFileVersionInfoSizeW(file.c_str(), &handle);
  Handle = handle;
  Block.assign(InfoSize, '\0');
  if (InfoSize == 0 || !GetFileVersionInfoW(file.c_str(), 0, InfoSize, Block.data())) {
    fill(std::nullopt, nullptr);
    return true;
  }
  std::optional<std::pair<std::uint16_t, std::uint16_t>> translation;
  void* table = nullptr;
  UINT length = 0;
  if (VerQueryValueW(Block.data(), L"\\VarFileInfo\\Translation", &table, &length) && table && length >= 4) {
    const auto* words = static_cast<const WORD*>(table);
    translation = std::pair<std::uint16_t, std::uint16_t>{words[0], words[1]};
  }
  fill(translation, [this](const std::string& path) -> std::optional<std::string> {
    void* text = nullptr;
    UINT chars = 0;
    if (!VerQueryValueW(Block.data(), widen(path).c_str(), &text, &chars) || !text) return std::nullopt;
    std::wstring w(static_cast<const wchar_t*>(text));
    // A text cp1251 cannot hold is shown as missing rather than altered.
    return narrow(w);
  });
  Scratch = length;
  return true;
}

}  // namespace kessik::platform
