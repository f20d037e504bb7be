#include "texteditor/engine/text_browser.h"

#include <algorithm>

#include "util/cp1251.h"
#include "util/paths.h"

namespace kessik::texted {

int filterCount(std::string_view list) {
  const auto bars = std::count(list.begin(), list.end(), '|');
  return static_cast<int>((bars + 1) / 2);
}

std::string filterPair(std::string_view list, int i) {
  std::string rest(list), mask, label;
  for (int k = 0; k < i; ++k) {
    mask = parseToken(rest, "|");
    label = parseToken(rest, "|");
  }
  return mask + "|" + label;
}

std::string filterMask(std::string_view list, int i) {
  std::string pair = filterPair(list, i);
  return parseToken(pair, "|");
}

std::string filterLabel(std::string_view list, int i) {
  std::string pair = filterPair(list, i);
  parseToken(pair, "|");
  return pair;
}

int filterIndex(std::string_view list, int count, std::string_view mask) {
  // One pass over the pairs rather than parsing the list again for each.
  const std::string wanted = upperCase(mask);
  std::string rest(list);
  int found = 0;
  for (int i = 1; i <= count; ++i) {
    std::string m = parseToken(rest, "|");
    parseToken(rest, "|");
    if (upperCase(m) == wanted) found = i;
  }
  return found;
}

std::string comboItemText(std::string_view list, int i) {
  std::string pair = filterPair(list, i);
  std::string mask = parseToken(pair, "|");
  return mask + "    |    " + pair;
}

std::string maskOfComboText(std::string_view text) {
  std::string t(text);
  std::string head = parseToken(t, "|");
  return parseToken(head, " ");
}

std::string textBeforeBlank(std::string_view text) {
  std::string t(text);
  return parseToken(t, " ");
}

std::string appendFilter(std::string_view list, std::string_view mask, std::string_view label) {
  // A last field without its pair (never shown) would become the mask of a
  // pair with the new mask as its label: it goes.
  const auto bars = std::count(list.begin(), list.end(), '|');
  std::string out = bars % 2 == 0 && !list.empty() ? removeFilter(list, filterCount(list), 0) : std::string(list);
  if (!out.empty()) out += '|';
  out += mask;
  out += '|';
  out += label;
  return out;
}

std::string removeFilter(std::string_view list, int count, int index) {
  std::string out;
  bool first = true;
  for (int i = 1; i <= count; ++i) {
    if (i == index) continue;
    if (!first) out += '|';
    out += filterPair(list, i);
    first = false;
  }
  return out;
}

NewFilterProblem checkNewFilter(std::string_view list, int count, std::string_view mask, std::string_view label) {
  if (mask.empty()) return NewFilterProblem::Empty;
  if (filterIndex(list, count, mask) != 0) return NewFilterProblem::Exists;
  // A blank or a bar in the mask, or a bar in the label, would shift every
  // later pair of the list.
  if (mask.find_first_of(" |") != std::string_view::npos) return NewFilterProblem::BadMask;
  if (label.find('|') != std::string_view::npos) return NewFilterProblem::BadLabel;
  return NewFilterProblem::None;
}

EntryKind entryKind(const RListOfDirElem& elem) {
  if (elem.kind == kessik::EntryKind::Folder) return elem.name == ".." ? EntryKind::Up : EntryKind::Folder;
  if (wildcardMatch(elem.name, "*.res") || wildcardMatch(elem.name, "*.mq")) return EntryKind::Archive;
  if (wildcardMatch(elem.name, "*.rtf")) return EntryKind::Rtf;
  return EntryKind::Text;
}

std::vector<Entry> visibleEntries(const RListOfDirResult& listing, std::string_view mask) {
  std::vector<Entry> out;
  for (const RListOfDirElem& e : listing.entries) {
    if (e.kind == kessik::EntryKind::Folder) {
      if (e.name == ".") continue;
    } else if (!wildcardMatch(e.name, mask)) {
      continue;
    }
    out.push_back({e.name, entryKind(e)});
  }
  return out;
}

bool isDriveRoot(std::string_view folder) {
  return folder.size() == 3 && folder[1] == ':' && folder[2] == '\\';
}

bool textFileOpens(bool useLimit, std::int32_t limit, std::uint64_t size) {
  if (!useLimit) return true;
  return limit > 0 && size < static_cast<std::uint64_t>(limit);
}

}  // namespace kessik::texted
