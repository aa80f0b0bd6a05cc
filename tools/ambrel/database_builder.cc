#include "tools/ambrel/database_builder.h"

#include <algorithm>
#include <vector>

#include "common/dates.h"
#include "common/errors.h"
#include "common/strings.h"
#include "jfile/model/field_types.h"

namespace jf {
namespace {

constexpr int kLastOldVersion = 5;  // versions up to this one keep short-date texts and 4000-byte values
constexpr size_t kOldLengthLimit = 4000;
constexpr size_t kDefaultLengthLimit = 16000;
constexpr size_t kLongLengthLimit = 32000;
constexpr int kMaxDataValuePopups = 20;

// A value in the export date form becomes the system's short date; anything else stays as it is.
std::string ShortDateOf(const std::string& value) {
  int day = 0;
  int month = 0;
  int year = 0;
  if (value.empty() || !ParseDayMonthYear(value, day, month, year)) return value;
  try {
    return ShortDateRendering(day, month, year);
  } catch (const EConvertError&) {
    return value;  // a date the short date format cannot show stays as written
  }
}

bool AllValuesAreDates(const TJFILE& db, int field) {
  for (int r = 1; r <= db.RecordCount(); ++r) {
    int day = 0;
    int month = 0;
    int year = 0;
    if (!ParseDayMonthYear(db.GetFieldValue(field, r), day, month, year)) return false;
  }
  return true;
}

// The popup values of a LIST field: the DEF file's list when its first entry is not empty (up to its first
// empty entry), otherwise the field's distinct non-empty values in order of first appearance, up to 20.
std::vector<std::string> PopupValuesFor(const AmbrelTables& tables, int field) {
  std::vector<std::string> values;
  const std::vector<std::string>& def_list = tables.popups[static_cast<size_t>(field - 1)];
  if (!def_list.empty() && !def_list.front().empty()) {
    for (const std::string& v : def_list) {
      if (v.empty()) break;
      values.push_back(v);
    }
    return values;
  }
  for (int line = 2; line <= tables.lines.Count() && static_cast<int>(values.size()) < kMaxDataValuePopups;
       ++line) {
    const std::string_view v = tables.lines.Value(line, field);
    if (v.empty() || std::find(values.begin(), values.end(), v) != values.end()) continue;
    values.emplace_back(v);
  }
  return values;
}

// The layout a version names for the user; empty where the version makes no point of it.
std::string LayoutName(int version) {
  if (version == 3) return "JFile 3.x";
  if (version == 4) return "JFile 4.x";
  return std::string();
}

}  // namespace

size_t FieldLengthLimit(int version) {
  if (version <= kLastOldVersion) return kOldLengthLimit;
  return version == kDefaultVersion ? kDefaultLengthLimit : kLongLengthLimit;
}

std::optional<DataBaseMode> TargetMode(int version) {
  switch (version) {
    case 3: return DataBaseMode::STD;
    case 4: return DataBaseMode::PRO;
    case 5: return DataBaseMode::JF5;
    case 6:
    case kDefaultVersion: return DataBaseMode::JF6;
    default: return std::nullopt;
  }
}

std::string VersionNote(int version) {
  const std::string name = LayoutName(version);
  return name.empty() ? name : " (" + name + ")";
}

std::string DroppedFieldsNote(int field_count, int version) {
  const std::optional<DataBaseMode> mode = TargetMode(version);
  if (!mode) return std::string();
  const int kept = MaxFieldCount(*mode);
  if (field_count <= kept) return std::string();
  const std::string first = std::to_string(kept + 1);
  const std::string fields =
      field_count == kept + 1 ? "Field " + first : "Fields " + first + " to " + std::to_string(field_count);
  std::string layout = LayoutName(version);
  if (layout.empty()) layout = "this layout";
  return "(" + fields + " dropped: " + layout + " holds at most " + std::to_string(kept) + " fields)";
}

void FillDatabase(TJFILE& db, const AmbrelTables& tables, int version) {
  const int f = tables.field_count;
  const int records = tables.lines.DataLineCount();
  db.SetFieldCount(f);
  db.SetRecordCount(static_cast<uint16_t>(records));

  db.SetFindField(tables.find_field);
  db.SetFindString(tables.find_text);
  db.SetFilterField(tables.filter_field);
  db.SetFilterString(tables.filter_text);
  db.SetCategory(tables.category);
  db.SetReadOnly(tables.read_only);
  for (int k = 1; k <= kSortFieldCount; ++k) db.SetSortField(tables.sort_fields[static_cast<size_t>(k - 1)], k);
  db.SetFirstColumn(tables.first_column);

  for (int i = 1; i <= f; ++i) db.SetFieldName(std::string(tables.lines.Value(1, i)), i);

  const bool short_dates = version <= kLastOldVersion;
  for (int r = 1; r <= records; ++r) {
    for (int i = 1; i <= f; ++i) {
      std::string value(tables.lines.Value(r + 1, i));
      if (short_dates && tables.types[static_cast<size_t>(i - 1)] == field_type::kDate) value = ShortDateOf(value);
      db.SetFieldValue(value, i, r);
    }
  }

  std::vector<uint16_t> types(tables.types.begin(), tables.types.begin() + f);
  if (version > kLastOldVersion) {
    for (int i = 1; i <= f; ++i) {
      uint16_t& type = types[static_cast<size_t>(i - 1)];
      if (type == field_type::kDate && AllValuesAreDates(db, i)) type = field_type::kIntDate;
    }
  }

  for (int i = 1; i <= f; ++i) {
    const uint16_t type = types[static_cast<size_t>(i - 1)];
    db.SetFieldType(type, i);
    db.SetFieldWidth(tables.widths[static_cast<size_t>(i - 1)], i);
    if (type != field_type::kList) continue;
    const std::vector<std::string> popups = PopupValuesFor(tables, i);
    for (size_t j = 0; j < popups.size(); ++j) db.SetPopupValue(popups[j], static_cast<int>(j + 1), i);
  }

  if (const std::optional<DataBaseMode> mode = TargetMode(version)) db.SetDataBaseMode(*mode);

  if (db.GetDataBaseMode() == DataBaseMode::JF5 || db.GetDataBaseMode() == DataBaseMode::JF6) {
    for (int k = 1; k <= kPresetCount; ++k) {
      const auto& preset = tables.sort_presets[static_cast<size_t>(k - 1)];
      db.SetSortPresetName(preset[0], k);
      for (int j = 1; j < kSortPresetTexts; ++j) db.SetSortPresetField(TextToInteger(preset[static_cast<size_t>(j)]), j, k);
    }
    for (int i = 1; i <= kMaxFields; ++i) db.SetDefault(tables.defaults[static_cast<size_t>(i - 1)], i);
    for (int k = 1; k <= kPresetCount; ++k) db.SetFilterPreset(tables.filter_presets[static_cast<size_t>(k - 1)], k);
  }
}

}  // namespace jf
