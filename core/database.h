// Unpacking a database file into its source tree and packing the tree back.
//
// Source tree of a database file F under a source root R:
//   R + baseName(F) + "\"                      the database folder
//       + section number in decimal + "\"      one folder per section
//           + recordFileName(n)                one record node per file
//
// Both operations show their messages through the installed Notifier and
// report their progress to a Progress; both return whether they succeeded.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/progress.h"

namespace kessik {

// Sections 1 .. kMaxPackedSections are packed; a section folder above that
// is left out with a warning.
inline constexpr int kMaxPackedSections = 10;

// The largest database file the format can describe: a 4-byte size code
// holds 2 * L + 1 in 32 bits, so the database node is at most 5 + 2^31 - 1
// bytes, and the trailer follows. A larger file is refused by its size.
inline constexpr std::uint64_t kMaxDatabaseFileSize = 5 + 0x7FFFFFFFull + 10;

// "0000001.zap" for 1; seven digits, and a single leading "0" for numbers of
// seven or more digits ("01234567.zap").
std::string recordFileName(std::uint64_t n);

// The text after the last backslash up to the first "." after it
// ("C:\x\items.idb" gives "items").
std::string baseName(std::string_view path);

// The layout of a database file, read without trusting its size codes.
struct RecordSpan {
  std::size_t offset = 0;  // of the record node in the file
  std::size_t size = 0;    // the whole node, header included
};
struct SectionLayout {
  std::uint8_t number = 0;  // the section node's type byte
  std::size_t offset = 0;   // of the section node in the file
  std::vector<RecordSpan> records;
};
struct DatabaseLayout {
  std::uint8_t firstByte = 0;
  std::vector<SectionLayout> sections;
};

// Why a file is not a database we can unpack.
enum class LayoutFault {
  None,
  Empty,              // no bytes at all
  FirstByteZero,      // first byte 00
  HeaderCut,          // the database node's size code runs past the end
  LengthMismatch,     // file size is not the database node + 10
  SectionPastEnd,     // a section header or payload runs past the database node
  RecordPastEnd,      // a record header or payload runs past its section
  RepeatedSection,    // a section number seen before
};
struct LayoutResult {
  LayoutFault fault = LayoutFault::None;
  // Where the fault was found; for LengthMismatch the file size the header
  // announces (database node + trailer).
  std::size_t offset = 0;
  std::uint8_t section = 0;      // the section concerned, where there is one
  DatabaseLayout layout;         // complete only when fault is None
};

// Walks the whole structure of a database file. Every span it returns lies
// inside data; nothing is read past its end.
LayoutResult readDatabaseLayout(std::string_view data);

// Why a record file is not one whole record node: a header that does not
// fit, or a length other than the one its size code gives (the file holds
// part of a record, or more than one), or field nodes that do not fill its
// payload exactly. The type bytes are not judged.
enum class RecordFault { None, Empty, HeaderCut, LengthMismatch, FieldPastEnd };
struct RecordCheck {
  RecordFault fault = RecordFault::None;
  std::uint64_t announced = 0;  // LengthMismatch: the node's size by its header
  std::size_t offset = 0;       // FieldPastEnd: where the field that does not fit starts
};
// Judges the node, and its fields only when withFields is set: a database
// needs whole record nodes; the editor needs whole fields too.
RecordCheck checkRecordNode(std::string_view bytes, bool withFields);
// What is wrong, for a message about a file of size bytes ("в нём 7 байт, а
// по заголовку записи 9"); empty for None.
std::string recordFaultText(const RecordCheck& check, std::size_t size);

// Unpacks the database file into sourceRoot + baseName + "\" (sourceRoot ends
// with a backslash and must exist). The new tree is written beside the
// database folder ("prints.~kessik\") and takes the old folder's place only
// when it is whole, so an interruption at any moment leaves the old tree or
// the new one; what an interrupted unpack left beside the folder is put right
// first. Anything refused (a missing file, one that is not a regular file or
// is larger than any database, a malformed database, a database folder that
// is a link or a file, too little memory) leaves every file as it was.
// Nothing outside the database folder and its two temporary names is
// touched. The sections are written at the same time, one thread per
// section and no more threads than cores; the first failure stops them all,
// and progress is reported from the calling thread only. True when the whole
// database was written.
// With records given, the number of records unpacked is added to it.
bool unpackDatabase(std::string_view databaseFile, std::string_view sourceRoot,
                    Progress& progress = noProgress(), std::uint64_t* records = nullptr);

// Packs the database folder (R + name + "\") into databaseFile: sections
// 1, 2, ... up to the first missing folder (at most kMaxPackedSections),
// records 1, 2, ... up to the first missing file, then the 10-byte trailer.
// Each record file is read once: threads read the records ahead while the
// calling thread streams them into a temporary file (size codes filled in
// at the end of their node) that replaces databaseFile whole, synced. The
// source tree is never changed, except that what an interrupted unpack or
// import left beside the folder is put right first. A missing database
// folder, a record file that cannot be read or is no whole record node, or
// too little memory is refused naming the file, and the file is left as it
// was. True when the file was written.
// With records given, the number of records packed is added to it.
bool packDatabase(std::string_view databaseFolder, std::string_view databaseFile,
                  Progress& progress = noProgress(), std::uint64_t* records = nullptr);

}  // namespace kessik
