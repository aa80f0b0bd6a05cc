// The export of a JFile database as a CSV file (field names and record values) plus a DEF file (what a CSV file
// cannot carry: types, widths, settings, popup lists, presets and defaults).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "common/settings.h"
#include "jfile/model/jfile.h"

namespace jf {

// Writes the CSV file and then the DEF file of the fields in selection (1-based field numbers; an entry 0 is
// skipped) to file_name: the CSV name gets the extension CSV when it has none, the DEF name has its extension
// replaced by DEF. Neither name is expanded, so pass a full path. Reports "Writing %s" with each name and an
// empty format after each file. The CSV file is replaced whole or not at all; a failure raises EInOutError and
// leaves the DEF file untouched. The DEF file keeps every key and section the export does not set, and is
// rewritten whole or not at all; a DEF file that cannot be written raises EFCreateError.
void ExportCSV(TJFILE& db, const std::vector<int32_t>& selection, const std::string& file_name);

// The CSV file's bytes: the field-name line and one line per record, each ended by CR LF.
std::string CsvExportBytes(const TJFILE& db, const std::vector<int32_t>& selection);

// Sets the export's keys in the DEF document, in the writer's order, with the same result as writing them one by
// one into the file the document was loaded from.
void SetDefKeys(const TJFILE& db, const std::vector<int32_t>& selection, ProfileDocument& def);

// A DATE value in the export date form "DD Mon YYYY", read as three numbers in the order of the short date
// format; unchanged when it is not such a date, or when the short date format has no two slashes or no
// four-digit year.
std::string ExportDateText(const std::string& value);

}  // namespace jf
