#include "editors/engine/soundlist.h"

#include <optional>

#include "core/codecs.h"
#include "core/file_buf.h"
#include "util/cp1251.h"
#include "util/paths.h"

namespace kessik {

namespace {

// The payload of the whole item at the front of data, which then moves past
// it; nothing (data unchanged) when the item does not lie inside the data.
std::optional<std::string_view> wholeItem(std::string_view& data) {
  auto h = readNodeHeader(data, 0);
  if (!h || !fitsIn(*h, data, 0)) return std::nullopt;
  std::string_view payload = data.substr(h->headerSize, static_cast<std::size_t>(h->payloadLength));
  data.remove_prefix(h->headerSize + static_cast<std::size_t>(h->payloadLength));
  return payload;
}

// A name item's text: its bytes up to the first 00 (all of them without one).
// Exact when the 00 is there and is the last byte.
std::string nameOf(std::string_view payload, bool& exact) {
  const std::size_t zero = payload.find('\0');
  exact = exact && zero != std::string_view::npos && zero + 1 == payload.size();
  return std::string(payload.substr(0, zero));
}

// The element at the front of data (which then moves past it): its four
// values; nothing when it is cut short or its payload does not begin with
// four whole items. An element that would not be written back as it was
// keeps its bytes.
std::optional<ASoundRec> readElement(std::string_view& data) {
  const std::string_view from = data;
  auto item = wholeItem(data);
  if (!item) return std::nullopt;
  std::string_view payload = *item;
  std::optional<std::string_view> parts[4];
  for (auto& p : parts) {
    p = wholeItem(payload);
    if (!p) return std::nullopt;
  }
  bool exact = payload.empty() && parts[1]->size() == 4;
  ASoundRec e;
  e.File = nameOf(*parts[0], exact);
  e.Unknown1 = static_cast<std::int32_t>(*parseInt32(decode(Codec::Int32, *parts[1])));
  e.Text = nameOf(*parts[2], exact);
  e.Code = nameOf(*parts[3], exact);
  if (!exact) e.original = ByteString(from.substr(0, from.size() - data.size()));
  return e;
}

bool sameValues(const ASoundRec& a, const ASoundRec& b) {
  return a.File == b.File && a.Unknown1 == b.Unknown1 && a.Text == b.Text && a.Code == b.Code;
}

ByteString nameBytes(const std::string& text) { return text + '\0'; }

}  // namespace

SoundListRead readSoundList(std::string_view bytes) {
  SoundListRead out;
  out.items = countItems(bytes);
  if (out.items > kSoundTableSize) {
    out.state = SoundListState::TooMany;
    return out;
  }
  while (!bytes.empty()) {
    std::optional<ASoundRec> e = readElement(bytes);
    if (!e) {
      out.state = SoundListState::Damaged;
      break;
    }
    out.elements.push_back(std::move(*e));
  }
  return out;
}

ByteString encodeSoundList(const std::vector<ASoundRec>& elements) {
  ByteString out;
  for (const ASoundRec& e : elements) {
    if (!e.original.empty()) {
      std::string_view kept = e.original;
      const auto read = readElement(kept);
      if (read && sameValues(*read, e)) {
        out += e.original;
        continue;
      }
    }
    ByteString payload;
    appendItem(payload, 1, nameBytes(e.File));
    appendItem(payload, 2, encode(Codec::Int32, std::to_string(e.Unknown1)).bytes);
    appendItem(payload, 3, nameBytes(e.Text));
    appendItem(payload, 4, nameBytes(e.Code));
    appendItem(out, 1, payload);
  }
  return out;
}

std::string SoundCountText(std::string_view bytes) { return soundListDescription(bytes); }

std::string soundTemplateFolder(const std::string& programDir) {
  return withTrailingBackslash(programDir) + "shablons\\ASounds\\";
}

std::string soundTemplateText(const ASoundRec& element) {
  TTextFileInString buf;
  buf.Clear();
  buf.AppendLine(element.File);
  buf.AppendLine(std::to_string(element.Unknown1));
  buf.AppendLine(element.Text);
  buf.AppendLine(element.Code);
  return buf.data();
}

SoundTemplateRead readSoundTemplate(std::string_view text) {
  TTextFileInString buf;
  buf.Assign(ByteString(text));
  buf.Position = 1;
  std::string lines[3];
  for (auto& line : lines) {
    if (buf.AtEnd()) {
      SoundTemplateRead r;
      r.error = ru("в шаблоне меньше трёх строк (нужны File, Unknown1 и Text).");
      return r;
    }
    line = buf.ReadLineAndSkip();
  }
  SoundTemplateRead r;
  // A 00 byte ends a name in the list: the value would be cut short there
  // and the list after it could not be read back.
  const char* const names[] = {"File", "Unknown1", "Text"};
  for (int k = 0; k < 3; ++k) {
    if (lines[k].find('\0') == std::string::npos) continue;
    r.error = ru("в строке ") + std::to_string(k + 1) + ru(" шаблона (") + names[k] +
              ru(") стоит байт 00, а в списке звуков такого символа быть не может.");
    return r;
  }
  auto number = isIntegerText(lines[1]) ? parseInt32(lines[1]) : std::nullopt;
  if (!number) {
    r.error = ru("во второй строке шаблона (Unknown1) должно стоять целое число от -2147483648 до 2147483647, а "
                 "там \"") +
              lines[1] + "\".";
    return r;
  }
  r.ok = true;
  r.element.File = lines[0];
  r.element.Unknown1 = *number;
  r.element.Text = lines[2];
  return r;
}

}  // namespace kessik
