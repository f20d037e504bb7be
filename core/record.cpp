#include "core/record.h"

#include <algorithm>

#include "util/cp1251.h"
#include "util/notify.h"

namespace kessik {

namespace {

// One field node inside a payload, with its payload clamped to the data.
struct FieldSpan {
  std::size_t start = 0;         // its type byte
  std::size_t payloadStart = 0;  // first payload byte (the end when the header is cut short)
  std::size_t end = 0;           // one past its last existing byte
  bool intact = false;           // header and payload lie inside the data
};

// The field that starts at `offset` (< data.size()).
FieldSpan fieldAt(std::string_view data, std::size_t offset) {
  FieldSpan f;
  f.start = offset;
  auto h = readNodeHeader(data, offset);
  if (!h) {
    f.payloadStart = f.end = data.size();
    return f;
  }
  f.payloadStart = offset + h->headerSize;
  f.intact = fitsIn(*h, data, offset);
  f.end = f.intact ? f.payloadStart + static_cast<std::size_t>(h->payloadLength) : data.size();
  return f;
}

// Field n (from 1) of the payload, nothing when it has fewer fields.
std::optional<FieldSpan> findField(std::string_view payload, int n) {
  if (n <= 0) return std::nullopt;
  std::size_t offset = 0;
  for (int i = 1; offset < payload.size(); ++i) {
    FieldSpan f = fieldAt(payload, offset);
    if (i == n) return f;
    offset = f.end;
  }
  return std::nullopt;
}

}  // namespace

void TZapisBaziZm::Parse(std::string_view bytes, std::int64_t length) {
  Bytes = ByteString(bytes);
  const auto used = static_cast<std::size_t>(std::clamp<std::int64_t>(length, 0, static_cast<std::int64_t>(bytes.size())));
  Length = static_cast<std::int32_t>(std::min<std::size_t>(used, INT32_MAX));
  Payload.clear();
  FieldCount = 0;
  PayloadLength = 0;
  if (used >= 2) {
    std::size_t start = (static_cast<std::uint8_t>(bytes[1]) & 1) == 0 ? 2 : 5;
    if (start < used) Payload = ByteString(bytes.substr(start, used - start));
  }
  PayloadLength = static_cast<std::uint32_t>(Payload.size());
  for (std::size_t offset = 0; offset < Payload.size(); offset = fieldAt(Payload, offset).end) ++FieldCount;
  Parsed = true;
  Built = true;
}

ByteString TZapisBaziZm::GetField(int n) {
  std::optional<FieldSpan> f;
  if (n >= 1 && n <= FieldCount) f = findField(Payload, n);
  if (!f) {
    messageDialog(Icon::Error, ru("Неправильный номер поля базы!"));
    return "ERROR!";
  }
  LastFieldLength = static_cast<std::int32_t>(f->end - f->payloadStart);
  return Payload.substr(f->payloadStart, f->end - f->payloadStart);
}

void TZapisBaziZm::SetField(int n, std::int64_t length, std::string_view bytes) {
  const auto take = static_cast<std::size_t>(std::clamp<std::int64_t>(length, 0, static_cast<std::int64_t>(bytes.size())));
  ByteString out;
  out.reserve(Payload.size() + take + 5);
  std::size_t offset = 0;
  for (int i = 1; i <= FieldCount && offset < Payload.size(); ++i) {
    FieldSpan f = fieldAt(Payload, offset);
    if (i == n) {
      appendNodeHeader(out, static_cast<std::uint8_t>(Payload[f.start]), take);
      out.append(bytes.substr(0, take));
    } else {
      out.append(Payload, f.start, f.end - f.start);
    }
    offset = f.end;
  }
  Payload = std::move(out);
  PayloadLength = static_cast<std::uint32_t>(Payload.size());
}

void TZapisBaziZm::Rebuild() {
  PayloadLength = static_cast<std::uint32_t>(Payload.size());
  Bytes.clear();
  appendNodeHeader(Bytes, 0x01, PayloadLength);
  Bytes += Payload;
  Length = static_cast<std::int32_t>(std::min<std::size_t>(Bytes.size(), INT32_MAX));
  Built = true;
}

std::optional<ByteString> TZapisBaziZm::FieldOrNothing(int n) const {
  if (n > FieldCount) return std::nullopt;
  auto f = findField(Payload, n);
  if (!f || !f->intact) return std::nullopt;
  return Payload.substr(f->payloadStart, f->end - f->payloadStart);
}

std::vector<std::optional<std::string_view>> TZapisBaziZm::FieldViews() const {
  std::vector<std::optional<std::string_view>> out;
  out.reserve(static_cast<std::size_t>(std::max(FieldCount, 0)));
  const std::string_view payload(Payload);
  for (std::size_t offset = 0; static_cast<std::int32_t>(out.size()) < FieldCount && offset < payload.size();) {
    FieldSpan f = fieldAt(payload, offset);
    if (f.intact) out.emplace_back(payload.substr(f.payloadStart, f.end - f.payloadStart));
    else out.emplace_back(std::nullopt);
    offset = f.end;
  }
  return out;
}

bool TZapisBaziZm::FieldIntact(int n) const {
  if (n > FieldCount) return false;
  auto f = findField(Payload, n);
  return f && f->intact;
}

std::optional<std::uint8_t> TZapisBaziZm::FieldType(int n) const {
  if (n > FieldCount) return std::nullopt;
  auto f = findField(Payload, n);
  if (!f) return std::nullopt;
  return static_cast<std::uint8_t>(Payload[f->start]);
}

bool TZapisBaziZm::FieldsIntact() const {
  for (std::size_t offset = 0; offset < Payload.size();) {
    FieldSpan f = fieldAt(Payload, offset);
    if (!f.intact) return false;
    offset = f.end;
  }
  return true;
}

}  // namespace kessik
