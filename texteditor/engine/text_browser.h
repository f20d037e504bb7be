// The text editor's Qt-free rules: the name filters kept in one text of
// "mask|label" pairs, the kinds of the folder listing's entries and which of
// them a mask lets through, and when a text file is small enough to open.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/files.h"

namespace kessik::texted {

// ---- Filters ----
//
// A filter list is one text of fields separated by "|", read in pairs: mask,
// label, mask, label ... Filter i (from 1) is the i-th pair.

// (number of "|" + 1) div 2: a trailing odd field is no filter.
int filterCount(std::string_view list);
// Pair i as "mask|label" (parsed at "|" twice per pair, i times).
std::string filterPair(std::string_view list, int i);
std::string filterMask(std::string_view list, int i);
std::string filterLabel(std::string_view list, int i);
// The last filter among 1 .. count whose mask equals mask ignoring case; 0
// when none does.
int filterIndex(std::string_view list, int count, std::string_view mask);
// A combo box item: mask, four blanks, "|", four blanks, label.
std::string comboItemText(std::string_view list, int i);
// The mask a combo text names: up to its first "|", then before its first
// blank.
std::string maskOfComboText(std::string_view text);
// The text before its first blank (a "|" does not end it).
std::string textBeforeBlank(std::string_view text);
// The list with "|" + mask + "|" + label appended (no leading "|" when the
// list was empty). A last field without its pair is dropped first.
std::string appendFilter(std::string_view list, std::string_view mask, std::string_view label);
// Pairs 1 .. count except pair index, joined by "|".
std::string removeFilter(std::string_view list, int count, int index);

// Why a new filter is refused; None when it may be added.
enum class NewFilterProblem { None, Empty, Exists, BadMask, BadLabel };
// The mask must be non-empty, hold no blank and no "|" and not be a filter
// already (ignoring case); the label must hold no "|".
NewFilterProblem checkNewFilter(std::string_view list, int count, std::string_view mask, std::string_view label);

// ---- Listing ----

enum class EntryKind { Up, Folder, Text, Archive, Rtf };

struct Entry {
  std::string name;
  EntryKind kind;
};

// A folder ("..": up), an archive ("*.res", "*.mq"), an RTF file ("*.rtf"),
// else a text file; letter case is ignored.
EntryKind entryKind(const RListOfDirElem& elem);

// The entries a mask lets through, in listing order: never "."; ".." and
// every folder whatever the mask; a file only when its name matches the mask.
std::vector<Entry> visibleEntries(const RListOfDirResult& listing, std::string_view mask);

// True for a drive's root folder ("C:\"), which has no ".." entry.
bool isDriveRoot(std::string_view folder);

// Whether a text file of this size opens: always without the limit, else
// only below it.
bool textFileOpens(bool useLimit, std::int32_t limit, std::uint64_t size);

}  // namespace kessik::texted
