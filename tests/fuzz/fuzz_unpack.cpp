// Database unpacking on arbitrary bytes: the layout reader must stay inside
// the data, unpacking must write nothing but the database folder (and none
// when it refuses), and a sound file must come back from packing with
// the records it went in with.
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

#include "core/database.h"
#include "core/node.h"
#include "fuzz_support.h"

namespace fs = std::filesystem;
using namespace kessik;

namespace {

fs::path gRoot;

void check(bool ok) {
  if (!ok) std::abort();
}

std::string readAll(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

std::size_t countEntries(const fs::path& dir) {
  std::size_t n = 0;
  for (auto it = fs::recursive_directory_iterator(dir); it != fs::recursive_directory_iterator(); ++it) ++n;
  return n;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  gRoot = fuzz::mapScratchDrive("kessik-fuzz");
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  const std::string_view data(reinterpret_cast<const char*>(bytes), size);
  const LayoutResult r = readDatabaseLayout(data);
  std::size_t records = 0;
  if (r.fault == LayoutFault::None) {
    for (const SectionLayout& s : r.layout.sections) {
      check(s.offset < size);
      for (const RecordSpan& rec : s.records) {
        check(rec.offset < size && rec.size <= size - rec.offset);
        auto h = readNodeHeader(data, rec.offset);
        check(h && h->headerSize + h->payloadLength == rec.size);
        ++records;
      }
    }
  }
  // Writing files is slow: the whole round only for modest inputs.
  if (size > 1 << 16 || records > 2000) return 0;

  std::error_code ec;
  fs::remove_all(gRoot / "s", ec);
  fs::remove(gRoot / "o.db", ec);
  fs::create_directories(gRoot / "s");
  std::ofstream(gRoot / "in.db", std::ios::binary).write(data.data(), static_cast<std::streamsize>(size));

  const bool unpacked = unpackDatabase("C:\\in.db", "C:\\s\\");
  check(unpacked == (r.fault == LayoutFault::None));
  // Nothing but the database folder appears under the root: no temporary
  // folder is left beside it, and a refusal leaves no folder at all.
  check(countEntries(gRoot) == 2 + (fs::exists(gRoot / "s" / "in") ? 1 + countEntries(gRoot / "s" / "in") : 0));
  if (!unpacked) {
    check(!fs::exists(gRoot / "s" / "in"));
    return 0;
  }
  check(countEntries(gRoot / "s" / "in") == r.layout.sections.size() + records);

  // Packing gives the records back, sections numbered 1, 2, ... by folder.
  check(packDatabase("C:\\s\\in\\", "C:\\o.db"));
  std::string expected, sections;
  for (std::uint8_t i = 1; i <= kMaxPackedSections; ++i) {
    const SectionLayout* found = nullptr;
    for (const SectionLayout& s : r.layout.sections) {
      if (s.number == i) found = &s;
    }
    if (!found) break;
    std::string body;
    for (const RecordSpan& rec : found->records) body.append(data.substr(rec.offset, rec.size));
    appendNodeHeader(sections, i, body.size());
    sections += body;
  }
  appendNodeHeader(expected, 1, sections.size());
  expected += sections;
  expected += kDatabaseTrailer;
  check(readAll(gRoot / "o.db") == expected);
  return 0;
}
