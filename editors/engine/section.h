// The work of a section editor that needs no window: scanning a section's
// source folder into its record list, the mask rules, creating a record from
// a template, deleting with renumbering, sorting by mask with a backup
// folder, and saving a record as a template. Messages go through the
// installed Notifier; the command-line tool and the window both use these.
//
// The record list holds every record of the folder, however many: a section
// of more than 1000 records is listed whole (the scan reads each file once).
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "core/file_buf.h"
#include "core/progress.h"
#include "core/record.h"
#include "editors/engine/schema.h"

namespace kessik {

// Entry k - 1 of the list is record number k.
struct ZapEntry {
  std::string file;  // "0000001.zap"
  std::string mask;
};
using ZapListT = std::vector<ZapEntry>;

// The section's source folder: the game's source root and the schema folder.
std::string sectionSourceFolder(const std::string& sourcesRoot, const Schema& schema);
// The section's template folder: the program folder, "shablons\" and the
// schema folder.
std::string sectionTemplateFolder(const std::string& programDir, const Schema& schema);

// Reads record files 1, 2, 3 ... of the folder up to the first missing one,
// taking each one's mask (a record without field 1 gets "ERROR", with the
// record object's message once per scan); applies the schema's record-number
// rule, writing the record file at once when it changes; in a unique-mask
// section shows one warning for the scan when masks repeat
// (repeatedMasksMessage). Nothing when the folder does not exist (no
// message: the caller decides). The progress is given the number of records
// read so far.
std::optional<ZapListT> scanSection(const Schema& schema, const std::string& ishPath,
                                    Progress& progress = noProgress());

// "ВНИМАНИЕ!!, встречается повтор маски!", then a line per repeated mask
// naming its files («x»: 0000001.zap, 0000003.zap; eight at most, then
// "(и ещё N)"), at most 20 such lines, then "и ещё N" for the masks left out.
// Empty when no mask repeats.
std::string repeatedMasksMessage(const ZapListT& list);

// The mask checks over the list: no entry (other than the one at index)
// carries the mask. maskAllowed adds the schema's rule: repeatable masks and
// the schema's free mask always pass.
bool MaskUnique(const ZapListT& list, const std::string& mask);
bool MaskUniqueExcept(const ZapListT& list, const std::string& mask, int index);
bool maskAllowed(const Schema& schema, const ZapListT& list, const std::string& mask, int exceptIndex = -1);

// The record file name of the smallest number whose name is not in the list.
std::string nextFreeFileName(const ZapListT& list);

// Reads a record file into the buffer and the record object. False when the
// file could not be read (the buffer has shown its message).
bool loadRecordFile(const std::string& path, TFileInString& buffer, TZapisBaziZm& record);
// Writes the record's bytes through the buffer (the file is replaced whole).
bool writeRecordFile(const std::string& path, TFileInString& buffer, const TZapisBaziZm& record);

// A new record file: the template with field 1 replaced by the mask. False
// (with a message) when the template is unreadable or holds no field.
bool createRecordFromTemplate(const std::string& templatePath, const std::string& mask,
                              const std::string& recordPath);

// Closes the first gap in the folder's record numbering: the records after
// it move down one number each. False (with a message) when a rename failed.
bool CompactZapFiles(const std::string& folder);
// Deletes a record file and closes the gap, holding the lock of the
// section's database folder (refused while an unpack, pack or import holds
// it). folderChanged (when given) tells
// whether the folder was touched: false when the file could not be deleted,
// true once it was, even when closing the gap failed afterwards.
bool deleteRecord(const std::string& ishPath, const std::string& file, bool* folderChanged = nullptr);

// The list indices in mask order (case ignored; equal masks keep their order).
std::vector<int> sortedOrder(const ZapListT& list);
// Renumbers the records of the list in mask order through the backup folder
// (the source folder's name with "_old"), holding the lock of the section's
// database folder (refused while another run holds it). Files of the folder that are not
// records of the list stay in the source folder. When a step fails the error
// names the folder where the records are; false then. folderChanged (when
// given) tells whether any record left its place: a sort refused before its
// first step, or undone, leaves it false. The progress is given the number
// of records moved so far.
bool sortSection(const std::string& ishPath, const ZapListT& list, bool* folderChanged = nullptr,
                 Progress& progress = noProgress());
// The backup folder of a source folder: "...\prints\1_old\".
std::string backupFolderOf(const std::string& ishPath);

// The template name of a template path: the file name without its extension.
std::string templateNameOf(const std::string& templatePath);
// Writes a copy of the record, its field 1 replaced by the template name.
bool saveRecordAsTemplate(const TZapisBaziZm& record, const std::string& templatePath);

}  // namespace kessik
