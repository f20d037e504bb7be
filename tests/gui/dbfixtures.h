// Small database and record fixtures for the window tests of the sources
// workflow, and file access on the mapped test drive.
#pragma once

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "core/codecs.h"
#include "core/node.h"
#include "platform/host.h"

namespace kessik::fixtures {

inline std::string node(std::uint8_t type, const std::string& payload) {
  ByteString out;
  appendNodeHeader(out, type, payload.size());
  return out + payload;
}
inline std::string item(int type, const std::string& payload) {
  std::string out;
  appendItem(out, static_cast<std::uint8_t>(type), payload);
  return out;
}
inline std::string i32(std::int32_t v) {
  std::string out(4, '\0');
  for (int i = 0; i < 4; ++i) out[i] = static_cast<char>((static_cast<std::uint32_t>(v) >> (8 * i)) & 0xFF);
  return out;
}
inline std::string f32(float f) {
  std::uint32_t u;
  std::memcpy(&u, &f, 4);
  return i32(static_cast<std::int32_t>(u));
}
// A prints record: the mask, then the clear-weather and precipitation groups
// (opacity, lifetime, fadeout; lifetimes stored as 15 times the shown value).
inline std::string printsRecord(const std::string& mask, int life) {
  auto group = [](float o, int l, int f) { return item(1, f32(o)) + item(2, i32(l)) + item(3, i32(f)); };
  return node(1, item(1, mask + std::string(1, '\0')) + item(2, group(0.5f, life, 45)) + item(3, group(1.0f, 15, 15)));
}
// A database of the given section payloads, numbered 1, 2, ...
inline std::string databaseOf(const std::vector<std::string>& sections) {
  std::string payload;
  for (std::size_t s = 0; s < sections.size(); ++s) payload += node(static_cast<std::uint8_t>(s + 1), sections[s]);
  return node(1, payload) + std::string(kDatabaseTrailer);
}

inline std::filesystem::path host(const std::string& win) { return *platform::toHost(win); }
inline void writeHost(const std::string& win, const std::string& data) {
  std::filesystem::create_directories(host(win).parent_path());
  std::ofstream(host(win), std::ios::binary) << data;
}
inline std::string readHost(const std::string& win) {
  std::ifstream in(host(win), std::ios::binary);
  std::ostringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

}  // namespace kessik::fixtures
