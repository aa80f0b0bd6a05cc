// The dump tool's report: the header of any Palm database, its records raw (hex dump, or the date book's line),
// and the structure and record table of a JFile database. Every line ends with CR LF.
#pragma once

#include <string>

#include "jfile/container/pdb_file.h"

namespace jf {

class TJFILE;

// The fourteen "Label : value" lines of the header, and a note when the file is shorter than a header.
void PrintHeaderReport(TPalmPilotDB& db);

// True for the databases whose records are shown as a JFile table: type JfDb with creator JFil, or JfD5 with
// JFi5 (a 3.x database, creator JBas, is dumped raw).
bool IsReportedAsJFile(const PalmHeader& header);

// An empty line, then each record's "Record #" line and its contents: nothing for a deleted record, the date
// book's line when interpret is on and the database is the date book's, otherwise a hex dump.
void PrintRecordReport(TPalmPilotDB& db, bool interpret);

// Category, read-only flag, field list, popup lists and the record table of a JFile database.
void PrintJFileReport(const TJFILE& db);

}  // namespace jf
