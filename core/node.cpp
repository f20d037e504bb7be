#include "core/node.h"

namespace kessik {

const std::string_view kDatabaseTrailer("\x00\x00\x02\x0C\x02\x08\x01\x00\x00\x00", 10);

std::optional<NodeHeader> readNodeHeader(std::string_view data, std::size_t offset) {
  if (offset >= data.size() || data.size() - offset < 2) return std::nullopt;
  NodeHeader h;
  h.type = static_cast<std::uint8_t>(data[offset]);
  auto k = static_cast<std::uint8_t>(data[offset + 1]);
  if ((k & 1) == 0) {
    h.headerSize = 2;
    h.payloadLength = k / 2;
    return h;
  }
  if (data.size() - offset < 5) return std::nullopt;
  std::uint32_t n = 0;
  for (int i = 3; i >= 0; --i) n = (n << 8) | static_cast<std::uint8_t>(data[offset + 1 + i]);
  h.headerSize = 5;
  h.payloadLength = (n - 1) / 2;
  return h;
}

std::size_t sizeCodeWidth(std::uint64_t payloadLength) { return payloadLength < 128 ? 1 : 4; }

void appendSizeCode(ByteString& out, std::uint64_t payloadLength) {
  if (payloadLength < 128) {
    out += static_cast<char>(payloadLength * 2);
    return;
  }
  auto code = static_cast<std::uint32_t>(payloadLength * 2 + 1);
  for (int i = 0; i < 4; ++i) out += static_cast<char>((code >> (8 * i)) & 0xFF);
}

void appendNodeHeader(ByteString& out, std::uint8_t type, std::uint64_t payloadLength) {
  out += static_cast<char>(type);
  appendSizeCode(out, payloadLength);
}

}  // namespace kessik
