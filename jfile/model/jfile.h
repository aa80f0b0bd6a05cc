// TJFILE: the in-memory JFile database every tool works on. It reads a whole JFile database from a Palm database
// file, offers field, record, popup, preset and default access, converts between layouts and writes the whole
// database back. Indices of fields, records, popup positions and presets count from 1.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "jfile/container/pdb_file.h"
#include "jfile/model/field_types.h"

namespace jf {

class TAppInfo;

constexpr int kMaxFields = 50;
constexpr int kMaxFieldsStd = 20;
constexpr int kMaxFieldNameLength = 20;
constexpr int kMaxFindStringLength = 15;
constexpr int kPresetCount = 5;

// A holder of texts indexed from 1: a record's field values or a field's popup list. Reading outside 1..capacity
// gives an empty text; writing outside it is ignored.
class TDATA {
 public:
  explicit TDATA(int capacity = kMaxFields) : capacity_(capacity < 0 ? 0 : capacity) {}
  const std::string& Get(int i) const;
  void Set(int i, std::string value);
  int Capacity() const { return capacity_; }

 private:
  int capacity_;
  std::vector<std::string> values_;  // grows up to the highest index set, so an empty holder takes no room
};

// A named sort preset: three field numbers (signed 16-bit).
struct SortPreset {
  std::string name;  // at most 255 characters; the preset exists when the name is not empty
  std::array<int16_t, 3> fields{};
  bool operator==(const SortPreset&) const = default;
};

// A named filter preset. The five small numbers are held as the file's value plus one.
struct FilterPreset {
  std::string name;                  // at most 255 characters; the preset exists when the name is not empty
  std::array<std::string, 5> texts;  // each at most 255 characters
  uint16_t number = 0;
  std::array<int8_t, 5> small{};
  bool operator==(const FilterPreset&) const = default;
};

class TJFILE : public TPalmPilotDB {
 public:
  explicit TJFILE(LibraryGeneration generation = LibraryGeneration::kCurrent);
  ~TJFILE() override;

  // A new, empty JF6 database named "Untitled" (the earlier generation: JF5).
  void InitHeader() override;
  // Reads the whole JFile database at the stream's position. Raises EInOutError for data it cannot take:
  // "Not a JFile/JFile Pro database!", too many fields, an invalid field letter, and "Damaged database: ..."
  // for a record list or application-info block that runs past the end of the file, a live record that starts
  // inside the header and record list or past the end, or (outside STD) a record whose length table or values
  // run past its bytes. Each record is read within its own bytes (up to the nearest record after it); values
  // are cut at the generation's read limit. STD texts are found by their NULs, the last one may run to the end.
  void ReadDatabase() override;
  // Creates empty record holders for new records or releases those past n, then marks the change.
  void SetRecordCount(uint16_t n) override;
  virtual void MarkModified();
  // Progress hook: format is a text with %s placeholders filled from args in order; an empty format ends a
  // line. Does nothing here; tools override it to print.
  virtual void Report(const std::string& format, const std::vector<std::string>& args = {});
  // Field i of record r as shown: BOOLEAN "1"/"0" give TrueText/FalseText.
  virtual std::string GetDisplayValue(int i, int r) const;

  LibraryGeneration Generation() const { return generation_; }
  DataBaseMode GetDataBaseMode() const { return mode_; }
  // Converts the database to another layout (a no-op for the current one) and marks it modified.
  void SetDataBaseMode(DataBaseMode mode);
  int RecordCount() const { return header_.record_count; }

  int GetFieldCount() const;
  // Raises ERangeError "Too many fields in database: n (at most m)" for a count the layout cannot hold.
  void SetFieldCount(int n);
  std::string GetFieldName(int i) const;
  void SetFieldName(const std::string& name, int i);
  // 0 unless 1 <= i <= field count; 0xFFFF for an INT.DATE field of a JF6 database.
  uint16_t GetFieldType(int i) const;
  void SetFieldType(uint16_t code, int i);
  std::string GetFieldTypeName(int i) const;
  // Signed 16-bit column width.
  int GetFieldWidth(int i) const;
  // A width whose magnitude is below 20 becomes 20 with its sign (0 stays 0); the layout then applies its rule.
  void SetFieldWidth(int width, int i);

  // The block's 16-bit settings, returned as unsigned 16-bit values; setters store the low 16 bits.
  int GetViewWidth() const;
  void SetViewWidth(int v);
  int GetSortField(int k) const;  // k = 1..3
  void SetSortField(int v, int k);
  int GetFindField() const;
  void SetFindField(int v);
  int GetFilterField() const;
  void SetFilterField(int v);
  std::string GetFindString() const;  // at most 15 characters
  void SetFindString(const std::string& s);
  std::string GetFilterString() const;  // at most 15 characters
  void SetFilterString(const std::string& s);
  int GetFirstColumn() const;
  void SetFirstColumn(int v);
  int GetCategory() const;  // 0..15, from the block or the header as the layout keeps it
  void SetCategory(int category);
  bool GetReadOnly() const;
  void SetReadOnly(bool read_only);

  // The stored text; empty outside 1..field count and 1..record count.
  std::string GetFieldValue(int i, int r) const;
  // Stores the value (BOOLEAN fields: TrueText/FalseText, compared after UpperText, become "1"/"0").
  void SetFieldValue(const std::string& value, int i, int r);

  const std::string& TrueText() const { return true_text_; }
  const std::string& FalseText() const { return false_text_; }
  void SetTrueText(const std::string& text) { true_text_ = text.substr(0, 255); }
  void SetFalseText(const std::string& text) { false_text_ = text.substr(0, 255); }

  // Popup lists, defaults and presets. Defaults and presets exist only in JF5 and JF6.
  int PopupCount(int i) const;
  std::string GetPopupValue(int j, int i) const;  // cut to 255 characters
  // In a database read from a file, renaming a popup value carries through every record that holds it.
  void SetPopupValue(const std::string& value, int j, int i);
  std::string GetDefault(int i) const;
  void SetDefault(const std::string& value, int i);
  std::string GetSortPresetName(int k) const;
  void SetSortPresetName(const std::string& name, int k);
  int GetSortPresetField(int j, int k) const;  // j = 1..3, signed 16-bit
  void SetSortPresetField(int v, int j, int k);
  FilterPreset GetFilterPreset(int k) const;  // all zero outside JF5/JF6 or 1..5
  void SetFilterPreset(const FilterPreset& preset, int k);

  // Writes the whole database at the base position of stream, in the library's write order; returns 0.
  int SaveToStream(Stream& stream);
  // Sets the database name (cut to 31 characters) and rewrites the object's own file or stream: a file is
  // replaced whole or not at all, and no old bytes remain after the new end.
  void SaveAs(const std::string& name);

  // Between BeginUpdate and its EndUpdate no change marks the database; the outermost EndUpdate marks it once,
  // whatever happened inside. An EndUpdate without a BeginUpdate does nothing.
  void BeginUpdate();
  void EndUpdate();
  void Changed();
  bool IsModified() const { return modified_; }
  bool IsLoaded() const { return loaded_; }

  // The application-info block object (for the dump and for tests).
  const TAppInfo& Block() const { return *block_; }

 private:
  DataBaseMode DefaultMode() const;
  // Value lengths kept when reading and when writing records (and texts of the extra data).
  size_t ReadLimit() const;
  size_t WriteLimit() const;
  bool HasPresets() const { return mode_ == DataBaseMode::JF5 || mode_ == DataBaseMode::JF6; }
  int PopupCapacity() const;
  // Calls set only when get() differs from value, and marks the database when get() then gives something else.
  template <typename Value, typename Get, typename Set>
  void ChangeSetting(const Value& value, Get get, Set set);
  // Where the record data may start (after the header and the record list) and end, relative to Base.
  uint64_t DataStart() const;
  uint64_t DataEnd() const;
  void ClearExtras();
  void ReadRecords();
  // number names the record in error messages.
  void ReadRecord(TDATA& holder, const std::string& data, const std::string& number);
  void WriteRecords(Stream& stream);
  void ReadExtraData(Stream& stream);
  void WriteExtraData(Stream& stream);
  bool IsMarker(const std::string& text) const;

  LibraryGeneration generation_;
  std::unique_ptr<TAppInfo> block_;
  std::vector<std::unique_ptr<TDATA>> records_;       // records_[r - 1]
  std::array<std::unique_ptr<TDATA>, kMaxFields> popups_;
  std::array<std::string, kMaxFields> defaults_;
  std::array<SortPreset, kPresetCount> sort_presets_;
  std::array<FilterPreset, kPresetCount> filter_presets_;
  bool modified_ = false;
  DataBaseMode mode_ = DataBaseMode::JF6;
  int update_depth_ = 0;
  std::string true_text_ = "TRUE";
  std::string false_text_ = "FALSE";
  bool loaded_ = false;
};

}  // namespace jf
