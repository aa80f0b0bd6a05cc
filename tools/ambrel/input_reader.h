// Ambrel's reading half: one CSV file and its DEF file into the tables the database is built from. The reader is
// lenient where a hand-made CSV file needs it (quotes inside values, the last field taking the rest of its line,
// oversized values and surplus fields cut with a note) and infers field types from the data before the DEF file
// can override them.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "common/settings.h"
#include "jfile/model/jfile.h"

namespace jf {

// Most lines one CSV file may keep, the field-name line counted.
inline constexpr int kMaxKeptLines = 65535;
// Most entries a DEF popup list keeps.
inline constexpr int kMaxDefPopupEntries = 100;
// Type inference: how many distinct values are looked at, and when a column counts as a popup list.
inline constexpr int kInferenceValues = 20;
inline constexpr int kListMinKeptLines = 40;
inline constexpr size_t kListMaxValueLength = 20;
// Sort fields, sort preset fields and filter preset items.
inline constexpr int kSortFieldCount = 3;
inline constexpr int kSortPresetTexts = 4;  // name and three field texts
inline constexpr int kFilterPresetTexts = 5;

// What the whole run hands to the reader.
struct ReaderOptions {
  size_t length_limit = 16000;  // L: a value of L characters or more keeps L - 1 of them
  std::string filter;           // keep only data lines whose first value starts with this; empty: all
  bool strip_filter = false;    // also remove the filter text from those first values
};

// The kept lines of one CSV file: line 1 holds the field names, lines 2 onward the records. Values are held as
// spans of one text, so a large file costs little more than its own size.
class CsvLines {
 public:
  int Count() const { return static_cast<int>(line_first_.size()); }
  int DataLineCount() const { return Count() > 1 ? Count() - 1 : 0; }
  // Value field (1..50) of line (1..Count()); empty when the line has no such value.
  std::string_view Value(int line, int field) const;
  // How many values line (1..Count()) holds; 0 for any other line.
  int ValueCount(int line) const;

  void Clear();
  // Building, used by the reader.
  void Adopt(std::string text);
  std::string& Text() { return text_; }
  void StartLine();
  void DropLastLine();
  void AddValue(size_t offset, size_t length);

 private:
  struct Span {
    uint32_t offset;
    uint32_t length;
  };
  // Index into spans_ just past the last value of line (1..Count()).
  size_t EndOfLine(int line) const;

  std::string text_;
  std::vector<Span> spans_;
  std::vector<uint32_t> line_first_;  // index into spans_ of each line's first value
};

// The tables one file is read into. Some entries are reset for every file; the others keep what the previous
// file of the run gave until a DEF file sets them (see ResetForFile).
struct AmbrelTables {
  CsvLines lines;
  int field_count = 0;  // F: the largest field number stored
  std::array<uint16_t, kMaxFields> types{};
  std::array<int16_t, kMaxFields> widths{};
  std::array<std::vector<std::string>, kMaxFields> popups;

  int find_field = 0;
  std::string find_text;
  int filter_field = 0;
  std::string filter_text;
  int first_column = 0;
  std::array<int, kSortFieldCount> sort_fields{};
  int category = 0;
  bool read_only = false;
  std::string title;

  std::array<std::array<std::string, kSortPresetTexts>, kPresetCount> sort_presets;
  std::array<FilterPreset, kPresetCount> filter_presets;
  std::array<std::string, kMaxFields> defaults;

  // Clears the lines, F, find and filter settings, first column and sort fields, and sets the title to
  // "JFile Pro DataBase". Widths, category, read-only flag, presets, defaults and popup lists stay.
  void ResetForFile();
};

inline constexpr char kDefaultTitle[] = "JFile Pro DataBase";

// Receives each note for the "Reading" line as soon as it arises, without its line break, so that notes already
// given are shown even when a later error ends the run.
using NoteSink = std::function<void(const std::string&)>;

// Reads the CSV file's bytes into tables.lines and tables.field_count, giving notes for oversized values and
// surplus fields. Returns false, reading no further, when the field-name line holds text but no quoted field
// name: the file is not a CSV file of this format. (An empty field-name line is a database without fields.)
// Raises ERangeError naming file_name when more than kMaxKeptLines lines are kept.
bool ReadCsvText(std::string bytes, const std::string& file_name, const ReaderOptions& options,
                 AmbrelTables& tables, const NoteSink& note);

// Sets the type of fields 1..F from their values: BOOLEAN for 0/1 columns, LIST for a few short distinct values
// in a long file, STRING otherwise.
void InferTypes(AmbrelTables& tables);

// Applies a DEF file to the tables: widths, types, title, sort, find and filter settings, first column, category,
// read-only flag, popup lists (sorted), presets and defaults, giving a note for each popup list cut to 100
// entries. Values are taken as they stand, but for the defaults, whose line-feed substitutes become line feeds.
// Raises ERangeError naming file_name for a number outside what the database can hold.
void ReadDefDocument(const ProfileDocument& def, const std::string& file_name, AmbrelTables& tables,
                     const NoteSink& note);

// The type code a DEF Types item names: the codes 1..255 by their names (letter case counts), and INT.DATE as
// DATE; 0 when the item names none.
uint16_t TypeCodeOfName(const std::string& item);

}  // namespace jf
