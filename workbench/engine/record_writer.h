// Writing a set of changed records of one section, all or nothing: every new
// record file is written beside its record first; only when all of them are
// whole do they take their records' places. A refusal or a failed write
// leaves every record file as it was.
//
//   std::map<std::string, ByteString> files{{"0000003.zap", bytes}};
//   if (auto error = writeSectionRecords("C:\\src\\items\\2\\", files)) say(*error);
//
// Qt-free. Messages are cp1251.
#pragma once

#include <map>
#include <optional>
#include <string>

#include "core/node.h"

namespace kessik {

// Writes the record files (file name -> the record's bytes) into the section
// folder. Nothing when all were written; otherwise the message saying what
// failed (nothing was written then, unless the message says otherwise).
std::optional<std::string> writeSectionRecords(const std::string& sectionFolder,
                                               const std::map<std::string, ByteString>& files);

}  // namespace kessik
