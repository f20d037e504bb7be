// Sound lists: the lists of sounds that the acks.db records hold in their
// fields, and the element templates of the sound list editor.
//
// A list is a run of items of type 1, one per element; an element's payload
// is four items: File (type 1, name), Unknown1 (type 2, int32), Text (type 3,
// name) and Code (type 4, name). Reading ignores the type bytes; writing
// always uses them. An empty list is an empty payload.
//
//   SoundListRead r = readSoundList(fieldBytes);
//   if (r.state == SoundListState::Whole) ... r.elements ...
//   ByteString bytes = encodeSoundList(r.elements);
//
// Texts are cp1251. Qt-free.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/node.h"

namespace kessik {

// One element of a sound list.
struct ASoundRec {
  std::string File;
  std::int32_t Unknown1 = 0;
  std::string Text;
  std::string Code;
  // The element's bytes (its item) as they were read, kept for an element whose values
  // would not give its bytes back when written (bytes after a name's 00, a
  // name without its 00, an Unknown1 of other than 4 bytes, items after the
  // fourth); empty for every other element. While the four values are those
  // read from them, the element is written as these bytes.
  ByteString original{};
  bool operator==(const ASoundRec&) const = default;
};

// The sound list editor's table holds at most this many elements.
inline constexpr std::size_t kSoundTableSize = 1000;

enum class SoundListState {
  Whole,    // every byte belongs to an element read whole
  Damaged,  // the bytes stop making elements somewhere: `elements` are those before
  TooMany,  // more elements than the table holds: nothing read
};

struct SoundListRead {
  std::vector<ASoundRec> elements;
  SoundListState state = SoundListState::Whole;
  std::uint32_t items = 0;  // the items counted as SoundCountText counts them
};

// Reads a list front to back. An element is whole when its item lies inside
// the list and its payload starts with four whole items: File, Text and Code
// are the bytes of their item up to its first 00 (a name lacking its 00 as it
// stands), Unknown1 the first four bytes of its item (missing bytes as 00).
// An element that would not come back the same when written keeps its
// bytes (ASoundRec::original). The type bytes and the form of the size
// codes are not looked at. The list is damaged where an element is cut short
// or has fewer than four items.
SoundListRead readSoundList(std::string_view bytes);

// The list of the elements in order, with the type bytes 1 and 1, 2, 3, 4 and
// the shortest size codes; an element still holding the values read from its
// kept bytes is written as those bytes.
ByteString encodeSoundList(const std::vector<ASoundRec>& elements);

// What a record editor's cell shows for a sound list: "Пусто. Элементов
// (звуков) в поле нет." or "В поле содержится N элементов (звуков).".
std::string SoundCountText(std::string_view bytes);

// ---------------------------------------------------------------------------
// Element templates: text files of four CR LF lines, File, Unknown1 in
// decimal, Text and Code, in "shablons\ASounds\" beside the program.

// The folder of the element templates below the program's folder.
std::string soundTemplateFolder(const std::string& programDir);

// The four lines of a template of the element.
std::string soundTemplateText(const ASoundRec& element);

struct SoundTemplateRead {
  bool ok = false;
  ASoundRec element;  // File, Unknown1 and Text; Code is left empty
  std::string error;  // cp1251, when not ok
};
// Reads the first three lines of a template's text. Refused, with the reason,
// when there are fewer than three lines, one of them holds a 00 byte, or the
// second is no 32-bit integer.
SoundTemplateRead readSoundTemplate(std::string_view text);

}  // namespace kessik
