// Record object on arbitrary bytes: parsing, reading, replacing and building
// never read out of bounds, and well-formed records survive untouched.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "core/record.h"
#include "fuzz_support.h"
#include "util/notify.h"

using namespace kessik;

namespace {

class Silent : public Notifier {
 public:
  Answer show(const Message&) override { return Answer::Ok; }
};

// The record's own header is the one the writer would produce for its payload.
bool canonicalHeader(const std::string& b, std::size_t payloadLength) {
  std::string expect;
  appendNodeHeader(expect, 0x01, payloadLength);
  return b.compare(0, expect.size(), expect) == 0 && b.size() == expect.size() + payloadLength;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static Silent silent;
  setNotifier(&silent);
  if (size < 2) return 0;
  // The first two bytes choose a Length (as given, shorter or longer) and the
  // field to replace; the rest is the record.
  const std::uint8_t mode = data[0];
  const int target = data[1] % 8;
  std::string bytes(reinterpret_cast<const char*>(data) + 2, size - 2);
  std::int64_t length = static_cast<std::int64_t>(bytes.size());
  if (mode % 4 == 1) length -= mode / 4;
  if (mode % 4 == 2) length += mode;
  if (mode % 4 == 3) length = -1;

  TZapisBaziZm z;
  z.Parse(bytes, length);
  require(z.PayloadLength == z.Payload.size());
  require(z.Length >= 0 && static_cast<std::size_t>(z.Length) <= bytes.size());
  require(z.FieldCount >= 0 && static_cast<std::size_t>(z.FieldCount) <= z.Payload.size());

  const int shown = z.FieldCount < 64 ? z.FieldCount : 64;
  std::string canonical;  // the fields as the writer would write them
  for (int n = 1; n <= shown; ++n) {
    std::string v = z.GetField(n);
    require(static_cast<std::size_t>(z.LastFieldLength) == v.size());
    auto quiet = z.FieldOrNothing(n);
    require(quiet.has_value() == z.FieldIntact(n));
    if (quiet) require(*quiet == v);
    require(z.FieldType(n).has_value());
    appendNodeHeader(canonical, *z.FieldType(n), v.size());
    canonical += v;
  }
  // Re-setting each field of a record written the writer's way with its own
  // value keeps the payload byte for byte.
  if (z.FieldCount <= 64 && z.FieldsIntact() && canonical == z.Payload) {
    for (int n = 1; n <= z.FieldCount; ++n) {
      TZapisBaziZm copy = z;
      copy.SetField(n, copy.GetField(n));
      require(copy.Payload == z.Payload);
    }
  }

  // An untouched well-formed record builds back to the same bytes.
  if (!bytes.empty() && static_cast<std::uint8_t>(bytes[0]) == 0x01 && mode % 4 == 0 &&
      canonicalHeader(bytes, z.Payload.size())) {
    TZapisBaziZm again = z;
    again.Rebuild();
    require(again.Bytes == bytes);
    require(again.Length == z.Length);
  }

  // Replacing a field keeps the field count, and the field reads back.
  const std::string value = bytes.substr(0, bytes.size() % 200);
  z.SetField(target, static_cast<std::int64_t>(value.size()), value);
  z.Rebuild();
  TZapisBaziZm back;
  back.Parse(z.Bytes, z.Length);
  require(back.FieldCount == z.FieldCount);
  require(back.Payload == z.Payload);
  if (target >= 1 && target <= z.FieldCount) {
    require(back.GetField(target) == value);
    require(back.FieldIntact(target));
  }
  return 0;
}
