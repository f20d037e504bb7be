// Whole-file buffers: a file read whole into a byte string, or built up and
// written whole. The text variant adds a 1-based position and CR LF lines.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "core/node.h"

namespace kessik {

class TFileInString {
 public:
  virtual ~TFileInString() = default;

  // Reads the whole file. A path that is no file: a message, false, data
  // empty. A file that cannot be opened: a message, data empty, Loaded set,
  // true.
  bool LoadFromFile(std::string_view path);
  // Empty data: creates (or truncates) the file. Otherwise, when Loaded: the
  // missing folders are created and the file replaced atomically. Not
  // Loaded: refused with a message. False when nothing was written.
  bool SaveToFile(std::string_view path);
  void Clear();
  void AppendByte(std::uint8_t b) { data_ += static_cast<char>(b); }
  void Append(std::string_view bytes) { data_ += bytes; }
  std::int64_t Size() const { return static_cast<std::int64_t>(data_.size()); }
  // count bytes from the 1-based position; empty unless all lie inside.
  ByteString CopyBytes(std::int64_t count, std::int64_t position) const;

  bool Loaded() const { return loaded_; }
  // The last LoadFromFile found the file but could not read it (its message
  // has been shown).
  bool ReadFailed() const { return readFailed_; }
  const ByteString& data() const { return data_; }
  ByteString& data() { return data_; }
  // Takes bytes built elsewhere as the buffer's content, ready to save.
  void Assign(ByteString bytes) {
    data_ = std::move(bytes);
    loaded_ = true;
  }

 protected:
  ByteString data_;
  bool loaded_ = false;
  bool readFailed_ = false;
};

class TTextFileInString : public TFileInString {
 public:
  std::int64_t Position = 0;

  void AppendLine(std::string_view text);
  std::string LineAt(std::int64_t position) const;
  std::string ReadLine();
  std::string ReadLineAndSkip();
  bool AtEnd();
  void InsertAt(std::string_view text, std::int64_t position);
  void ReplaceLineAt(std::string_view text, std::int64_t position);
  // Position of the CR that ends the line starting at position (Size + 1 at
  // the end of the data).
  std::int64_t LineEnd(std::int64_t position) const;
};

}  // namespace kessik
