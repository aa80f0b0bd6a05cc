// Ambrel's writing half: fills a new database from the tables the reader produced, in the chosen JFile layout.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

#include "jfile/model/jfile.h"
#include "tools/ambrel/input_reader.h"

namespace jf {

// The number given with /V when the switch is absent.
inline constexpr int kDefaultVersion = 55;

// The longest value kept from the CSV file for a version, the terminating zero counted.
size_t FieldLengthLimit(int version);
// The layout a version asks for; none for a version that names no layout (the new database stays JF6).
std::optional<DataBaseMode> TargetMode(int version);
// The note after the "Writing" line's name: " (JFile 3.x)" for 3, " (JFile 4.x)" for 4, else empty.
std::string VersionNote(int version);
// The note for fields the version's layout cannot hold, as "(Fields 21 to 30 dropped: JFile 3.x holds at most 20
// fields)"; empty when all field_count fields fit.
std::string DroppedFieldsNote(int field_count, int version);

// Fills db, a new database, from the tables: field count and names, records, settings, dates in the form the
// version wants, types, widths, popup lists, the layout, and in JFile 5 layouts the presets and defaults. The
// caller names and saves it.
void FillDatabase(TJFILE& db, const AmbrelTables& tables, int version);

}  // namespace jf
