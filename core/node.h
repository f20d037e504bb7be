// The node encoding shared by database files, record files and field items:
// a type byte, a size code (one byte 2*L for L < 128, else four bytes
// 2*L+1 little-endian) and L payload bytes.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kessik {

using ByteString = std::string;

struct NodeHeader {
  std::uint8_t type = 0;
  std::size_t headerSize = 0;   // 2 or 5
  std::uint64_t payloadLength = 0;
  std::size_t payloadStart() const { return headerSize; }
};

// Reads the header of the node that starts at offset. Nothing when the header
// itself does not fit in the data. The payload may still run past the end:
// callers that need it whole test fitsIn().
std::optional<NodeHeader> readNodeHeader(std::string_view data, std::size_t offset = 0);

// True when the node at offset (header and payload) lies inside the data.
inline bool fitsIn(const NodeHeader& h, std::string_view data, std::size_t offset) {
  return offset + h.headerSize <= data.size() && h.payloadLength <= data.size() - offset - h.headerSize;
}

// The size code of a payload length, in its one- or four-byte form.
void appendSizeCode(ByteString& out, std::uint64_t payloadLength);
std::size_t sizeCodeWidth(std::uint64_t payloadLength);
void appendNodeHeader(ByteString& out, std::uint8_t type, std::uint64_t payloadLength);

// The 10 bytes that follow the database node in every database file.
extern const std::string_view kDatabaseTrailer;

}  // namespace kessik
