// The RTF reader on arbitrary bytes: it never reads out of bounds or runs
// away, bytes that do not start like RTF are refused with a message, and what
// it reads is written and read back as the same document.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz_support.h"
#include "texteditor/engine/rtf.h"

using namespace kessik;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const rtf::ReadResult first = rtf::read(bytes);
  if (!first.isRtf) {
    require(!first.problem.empty());
    require(first.document.paragraphs.empty());
    return 0;
  }
  require(!first.document.paragraphs.empty());
  const std::string written = rtf::write(first.document);
  const rtf::ReadResult again = rtf::read(written);
  require(again.isRtf);
  require(again.problem.empty());
  require(again.document == first.document);
  require(rtf::write(again.document) == written);
  return 0;
}
