// The round trip through CSV: databases of every layout, generated at random from a fixed seed, are saved,
// exported with ostrin and converted back with ambrel in the same layout. The result must match the original
// field by field and value by value, except where the conversion changes things on purpose; each such exception
// is named where the expectation is built.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <random>
#include <string>
#include <vector>

#include "jfile/model/jfile.h"
#include "testing/test_util.h"

namespace jf {
namespace {

using testing::RunProgram;
using testing::RunResult;
using testing::TempDir;

constexpr uint32_t kSeed = 20240611;
constexpr int kDatabases = 24;
constexpr size_t kPopupValueMax = 255;
constexpr int kMaxDataPopups = 20;

const std::array<const char*, 12> kMonths = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                             "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

// Type codes a generated field may have. INT.DATE is added for JF6 only.
const std::vector<uint16_t> kTypes = {
    field_type::kUnset,   field_type::kString,  field_type::kString,  field_type::kString,   field_type::kBoolean,
    field_type::kDate,    field_type::kDate,    field_type::kInteger, field_type::kFloat,    field_type::kTime,
    field_type::kList,    field_type::kList,    field_type::kAutoDate, field_type::kAutoTime, field_type::kAutoInc,
    field_type::kBinary,  field_type::kRelList, field_type::kCalc,    field_type::kCalcV1,   field_type::kCalcV2,
    field_type::kModDate, field_type::kModTime, field_type::kMultList, 3,
};

std::string Pad2(int v) { return (v < 10 ? "0" : "") + std::to_string(v); }
std::string Pad4(int v) {
  std::string s = std::to_string(v);
  return std::string(4 - std::min<size_t>(4, s.size()), '0') + s;
}

// A generated value of a DATE field, with what it must become: in the layouts up to JF5 a date in any form the
// export understands comes back in the system's short date form (MM/dd/yyyy in the C locale the tools run in);
// in JF6 it comes back in the export form DD Mon YYYY. Anything else comes back unchanged.
struct DateValue {
  std::string text;
  std::string as_short;
  std::string as_export;
  bool parses = false;  // the value after export is empty or in the export form
};

class Generator {
 public:
  explicit Generator(uint32_t seed) : rng_(seed) {}

  int Between(int a, int b) { return std::uniform_int_distribution<int>(a, b)(rng_); }
  bool Chance(int percent) { return Between(1, 100) <= percent; }
  template <typename T>
  const T& Pick(const std::vector<T>& v) { return v[static_cast<size_t>(Between(0, static_cast<int>(v.size()) - 1))]; }

  // Text of the given characters; never a carriage return, a line-feed substitute 0xCF, Ctrl-Z or NUL (the format
  // cannot carry those).
  std::string Text(int min, int max, const std::string& alphabet) {
    std::string s;
    const int n = Between(min, max);
    for (int i = 0; i < n; ++i) s += alphabet[static_cast<size_t>(Between(0, static_cast<int>(alphabet.size()) - 1))];
    return s;
  }

  static const std::string& Plain() {
    static const std::string s = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789 .-_!?()&+=/;:#";
    return s;
  }
  // Record values may also hold commas, quotes, line feeds and Windows-1252 letters.
  static const std::string& Rich() {
    static const std::string s = Plain() + ",,\"\"\n\xE9\xFC\xC4\xDF'";
    return s;
  }

  // A record value. Outside the last field a quote directly followed by a comma cannot be told from the end of
  // the value, so such pairs are not generated there.
  std::string Value(bool last_field, size_t max_length) {
    std::string s;
    const int kind = Between(1, 100);
    if (kind <= 10) return s;
    if (kind <= 97) {
      s = Text(1, 30, Rich());
    } else {
      s = Text(static_cast<int>(max_length / 2), static_cast<int>(max_length), Rich());
    }
    if (!last_field) {
      for (size_t p = s.find("\","); p != std::string::npos; p = s.find("\",", p)) s[p + 1] = ';';
    }
    return s;
  }

  // A value of a DATE field: dates_only leaves out the values that are no dates, export_forms_only gives only
  // export forms and empty values (those of an INT.DATE field).
  DateValue Date(bool dates_only, bool export_forms_only) {
    DateValue v;
    const int kind = export_forms_only ? Between(3, 4) : dates_only ? Between(1, 4) : Between(1, 6);
    const int month = Between(1, 12);
    const int day = Between(1, 28);
    int year = Between(1900, 2099);
    switch (kind) {
      case 1:  // the short date form
        v.text = Pad2(month) + "/" + Pad2(day) + "/" + Pad4(year);
        break;
      case 2:  // unpadded, with a two-digit year
        year = Between(1980, 2079);
        v.text = std::to_string(month) + "/" + std::to_string(day) + "/" + Pad2(year % 100);
        break;
      case 3: {  // already the export form, month in any letter case (or the Danish MAJ and OKT)
        std::string name = kMonths[static_cast<size_t>(month - 1)];
        if (Chance(30)) std::transform(name.begin(), name.end(), name.begin(), ::toupper);
        if (month == 5 && Chance(50)) name = "Maj";
        if (month == 10 && Chance(50)) name = "okt";
        v.text = Pad2(day) + " " + name + " " + Pad4(year);
        v.as_short = Pad2(month) + "/" + Pad2(day) + "/" + Pad4(year);
        v.as_export = v.text;
        v.parses = true;
        return v;
      }
      case 4:
        v.parses = true;
        return v;
      default:  // not a date the export understands
        v.text = Pick(std::vector<std::string>{"soon", "13/45/2001", "2001-03-07", "1/2", "n/a"});
        v.as_short = v.as_export = v.text;
        return v;
    }
    v.as_short = Pad2(month) + "/" + Pad2(day) + "/" + Pad4(year);
    v.as_export = Pad2(day) + " " + kMonths[static_cast<size_t>(month - 1)] + " " + Pad4(year);
    v.parses = true;
    return v;
  }

 private:
  std::mt19937 rng_;
};

struct FieldSpec {
  std::string name;
  uint16_t type = 0;
  int width = 0;
  std::vector<std::string> popups;
  std::string default_value;
  bool dates_only = false;  // a DATE field whose values are all dates or empty
};

struct DatabaseSpec {
  DataBaseMode mode = DataBaseMode::JF6;
  std::string name;
  std::vector<FieldSpec> fields;
  std::vector<std::vector<std::string>> records;
  std::vector<std::vector<DateValue>> dates;  // per record, per field; used for DATE and INT.DATE fields
};

bool IsDateField(uint16_t type) { return type == field_type::kDate || type == field_type::kIntDate; }

DatabaseSpec Generate(Generator& g, DataBaseMode mode, int index) {
  DatabaseSpec spec;
  spec.mode = mode;
  const bool jf6 = mode == DataBaseMode::JF6;
  const int max_fields = mode == DataBaseMode::STD ? kMaxFieldsStd : kMaxFields;
  int field_count = g.Chance(15) ? max_fields : g.Between(1, 8);
  if (index == 1) field_count = 0;  // a database without fields still has its records
  const int record_count = g.Chance(15) ? g.Between(41, 60) : g.Between(0, 12);
  const size_t max_length = jf6 ? 31999 : 3999;
  spec.name = g.Text(1, 1, "ABCDEFGHIJKLMNOPQRSTUVWXYZ") + g.Text(0, 30, Generator::Plain());
  spec.name = spec.name.substr(0, 31);
  while (spec.name.back() == ' ') spec.name.pop_back();

  for (int i = 0; i < field_count; ++i) {
    FieldSpec f;
    f.name = g.Text(0, 20, Generator::Plain() + ",\"");
    for (size_t p = f.name.find("\","); p != std::string::npos; p = f.name.find("\",", p)) f.name[p + 1] = ';';
    std::vector<uint16_t> types = kTypes;
    if (jf6) types.insert(types.end(), {field_type::kIntDate, field_type::kIntDate});
    f.type = g.Pick(types);
    if (jf6 && g.Chance(10)) f.type = field_type::kIntDate;
    f.dates_only = g.Chance(50);
    f.width = g.Chance(20) ? 0 : g.Chance(70) ? g.Between(-200, 200) : g.Between(-32768, 32767);
    if (f.type == field_type::kList && g.Chance(80)) {
      // Popup values: no commas (a comma splits a value) and no quotes or blanks at their ends (the settings
      // file takes those off the ends of the list).
      const int n = g.Between(1, g.Chance(20) ? 50 : 8);
      for (int j = 0; j < n; ++j) {
        f.popups.push_back(g.Text(1, 1, "abcXYZ019") + g.Text(0, 12, "aBc Yz09-!=.&") + g.Text(1, 1, "xY7"));
      }
    }
    if (g.Chance(40)) {
      // Defaults: no blanks at the ends and no leading quote, which the settings file would take off.
      f.default_value = g.Text(1, 1, "abcXYZ019") + g.Text(0, 40, Generator::Plain() + ",\n\xE9") + "x";
    }
    spec.fields.push_back(f);
  }
  for (int r = 0; r < record_count; ++r) {
    std::vector<std::string> values;
    std::vector<DateValue> dates;
    for (int i = 0; i < field_count; ++i) {
      const FieldSpec& f = spec.fields[static_cast<size_t>(i)];
      const bool last = i + 1 == field_count;
      DateValue date;
      if (IsDateField(f.type)) {
        date = g.Date(f.dates_only, f.type == field_type::kIntDate);
        values.push_back(date.text);
      } else if (f.type == field_type::kList && !f.popups.empty() && g.Chance(70)) {
        values.push_back(g.Pick(f.popups));
      } else if (f.type == field_type::kBoolean) {
        values.push_back(g.Pick(std::vector<std::string>{"0", "1", "", "maybe"}));
      } else {
        values.push_back(g.Value(last, max_length));
      }
      dates.push_back(date);
    }
    spec.records.push_back(values);
    spec.dates.push_back(dates);
  }
  return spec;
}

// Writes the database with the library, settings and presets chosen at random.
void Save(Generator& g, const DatabaseSpec& spec, const std::string& path) {
  TJFILE db;
  db.CreateNew(path);
  const int n = static_cast<int>(spec.fields.size());
  db.SetFieldCount(n);
  db.SetRecordCount(static_cast<uint16_t>(spec.records.size()));
  for (int i = 1; i <= n; ++i) {
    const FieldSpec& f = spec.fields[static_cast<size_t>(i - 1)];
    db.SetFieldName(f.name, i);
    db.SetFieldType(f.type, i);
    db.SetFieldWidth(f.width, i);
    for (size_t j = 0; j < f.popups.size(); ++j) db.SetPopupValue(f.popups[j], static_cast<int>(j + 1), i);
  }
  for (size_t r = 0; r < spec.records.size(); ++r) {
    for (int i = 1; i <= n; ++i) db.SetFieldValue(spec.records[r][static_cast<size_t>(i - 1)], i, static_cast<int>(r + 1));
  }
  // Sort, find and filter fields within the field count: a conversion into 3.x or 4.x limits them to it.
  for (int k = 1; k <= 3; ++k) db.SetSortField(g.Between(0, n), k);
  db.SetFindField(g.Between(0, n));
  db.SetFilterField(g.Between(0, n));
  // Find and filter texts: no blank at the end, which the settings file would take off.
  db.SetFindString(g.Chance(30) ? "" : g.Text(0, 14, Generator::Plain() + ",\"") + "f");
  db.SetFilterString(g.Chance(30) ? "" : g.Text(0, 14, Generator::Plain() + ",\"") + "g");
  db.SetFirstColumn(g.Between(0, n));
  db.SetCategory(g.Between(0, 15));
  db.SetReadOnly(g.Chance(30));
  db.SetDataBaseMode(spec.mode);
  if (spec.mode == DataBaseMode::JF5 || spec.mode == DataBaseMode::JF6) {
    for (int i = 1; i <= n; ++i) db.SetDefault(spec.fields[static_cast<size_t>(i - 1)].default_value, i);
    for (int k = 1; k <= kPresetCount; ++k) {
      if (g.Chance(40)) continue;
      // Preset names and texts: no double quotes, which end an item.
      db.SetSortPresetName(g.Text(1, 40, Generator::Plain() + ","), k);
      for (int j = 1; j <= 3; ++j) db.SetSortPresetField(g.Between(-32768, 32767), j, k);
      FilterPreset preset;
      preset.name = g.Text(1, 40, Generator::Plain() + ",");
      for (std::string& text : preset.texts) text = g.Chance(30) ? "" : g.Text(1, 20, Generator::Plain() + ",");
      preset.number = static_cast<uint16_t>(g.Between(0, 65535));
      for (int8_t& small : preset.small) small = static_cast<int8_t>(g.Between(-127, 127));
      db.SetFilterPreset(preset, k);
    }
  }
  db.SaveAs(spec.name);
}

std::string UpperLettersAndDigits(const std::string& s) {
  std::string key;
  for (unsigned char c : s) {
    if (std::isalnum(c)) key += static_cast<char>(std::toupper(c));
  }
  return key;
}

std::vector<std::string> Popups(const TJFILE& db, int field) {
  std::vector<std::string> values;
  for (int j = 1; j <= db.PopupCount(field); ++j) values.push_back(db.GetPopupValue(j, field));
  return values;
}

// What the original's popup list of a LIST field becomes.
std::vector<std::string> ExpectedPopups(const TJFILE& original, int field) {
  std::vector<std::string> values = Popups(original, field);
  if (!values.empty()) {
    // Exception: popup lists come back sorted by their letters and digits, equal keys in their old order.
    std::stable_sort(values.begin(), values.end(), [](const std::string& a, const std::string& b) {
      return UpperLettersAndDigits(a) < UpperLettersAndDigits(b);
    });
    return values;
  }
  // Exception: a LIST field without popup values gets the first 20 distinct values of its records.
  for (int r = 1; r <= original.RecordCount() && static_cast<int>(values.size()) < kMaxDataPopups; ++r) {
    const std::string v = original.GetFieldValue(field, r);
    if (!v.empty() && std::find(values.begin(), values.end(), v) == values.end()) values.push_back(v);
  }
  for (std::string& v : values) v = v.substr(0, kPopupValueMax);
  return values;
}

std::string VersionSwitch(DataBaseMode mode) {
  switch (mode) {
    case DataBaseMode::STD: return "/V3";
    case DataBaseMode::PRO: return "/V4";
    case DataBaseMode::JF5: return "/V5";
    case DataBaseMode::JF6: return "/V6";
  }
  return "";
}

void CompareRoundTrip(const DatabaseSpec& spec, const TJFILE& original, const TJFILE& back) {
  const bool jf6 = spec.mode == DataBaseMode::JF6;
  EXPECT_EQ(back.Header().name, original.Header().name);
  EXPECT_EQ(IdText(back.Header().type), IdText(original.Header().type));
  EXPECT_EQ(IdText(back.Header().creator), IdText(original.Header().creator));
  EXPECT_EQ(back.GetDataBaseMode(), original.GetDataBaseMode());
  ASSERT_EQ(back.GetFieldCount(), original.GetFieldCount());
  ASSERT_EQ(back.RecordCount(), original.RecordCount());
  const int n = original.GetFieldCount();

  for (int i = 1; i <= n; ++i) {
    SCOPED_TRACE("field " + std::to_string(i));
    const uint16_t generated_type = spec.fields[static_cast<size_t>(i - 1)].type;
    EXPECT_EQ(back.GetFieldName(i), original.GetFieldName(i));
    EXPECT_EQ(back.GetFieldWidth(i), original.GetFieldWidth(i));

    uint16_t type = original.GetFieldType(i);
    // Exception: a type the save gives (unset becomes STRING).
    if (type == field_type::kUnset) type = field_type::kString;
    bool all_dates = true;
    for (int r = 1; r <= original.RecordCount(); ++r) {
      std::string expected = original.GetFieldValue(i, r);
      if (generated_type == field_type::kDate) {
        // Exception: dates come back in the short date form up to JF5 and in the export form in JF6.
        const DateValue& date = spec.dates[static_cast<size_t>(r - 1)][static_cast<size_t>(i - 1)];
        expected = jf6 ? date.as_export : date.as_short;
        all_dates = all_dates && date.parses;
      }
      EXPECT_EQ(back.GetFieldValue(i, r), expected) << "record " << r;
    }
    // Exception: in JF6 a DATE field whose values are all in the export form (or empty) becomes INT.DATE.
    if (jf6 && type == field_type::kDate && all_dates) type = field_type::kIntDate;
    EXPECT_EQ(back.GetFieldType(i), type);

    if (original.GetFieldType(i) == field_type::kList) {
      EXPECT_EQ(Popups(back, i), ExpectedPopups(original, i));
    } else {
      EXPECT_EQ(back.PopupCount(i), 0);
    }
    EXPECT_EQ(back.GetDefault(i), original.GetDefault(i));
  }

  for (int k = 1; k <= 3; ++k) EXPECT_EQ(back.GetSortField(k), original.GetSortField(k)) << "sort field " << k;
  EXPECT_EQ(back.GetFindField(), original.GetFindField());
  EXPECT_EQ(back.GetFindString(), original.GetFindString());
  EXPECT_EQ(back.GetFilterField(), original.GetFilterField());
  EXPECT_EQ(back.GetFilterString(), original.GetFilterString());
  EXPECT_EQ(back.GetFirstColumn(), original.GetFirstColumn());
  EXPECT_EQ(back.GetCategory(), original.GetCategory());
  EXPECT_EQ(back.GetReadOnly(), original.GetReadOnly());
  for (int k = 1; k <= kPresetCount; ++k) {
    SCOPED_TRACE("preset " + std::to_string(k));
    EXPECT_EQ(back.GetSortPresetName(k), original.GetSortPresetName(k));
    for (int j = 1; j <= 3; ++j) EXPECT_EQ(back.GetSortPresetField(j, k), original.GetSortPresetField(j, k));
    EXPECT_EQ(back.GetFilterPreset(k), original.GetFilterPreset(k));
  }
}

TEST(AmbrelRoundTrip, DatabasesOfEveryLayoutComeBackThroughCsv) {
  Generator g(kSeed);
  const std::array<DataBaseMode, 4> modes = {DataBaseMode::STD, DataBaseMode::PRO, DataBaseMode::JF5,
                                             DataBaseMode::JF6};
  TempDir dir;
  testing::RunOptions options;
  options.cwd = dir.path();
  for (int index = 0; index < kDatabases; ++index) {
    const DataBaseMode mode = modes[static_cast<size_t>(index) % modes.size()];
    SCOPED_TRACE("database " + std::to_string(index) + ", layout " + VersionSwitch(mode));
    const DatabaseSpec spec = Generate(g, mode, index);
    const std::string base = "db" + std::to_string(index);
    Save(g, spec, dir.File(base + ".pdb"));

    RunResult r = RunProgram(testing::ToolPath("ostrin"), {base + ".pdb"}, options);
    ASSERT_EQ(r.exit_code, 0) << r.out << r.err;
    r = RunProgram(testing::ToolPath("ambrel"), {VersionSwitch(mode), base + ".CSV", "back" + std::to_string(index)},
                   options);
    ASSERT_EQ(r.exit_code, 0) << r.out << r.err;
    EXPECT_EQ(r.out.find("  ("), std::string::npos) << "no value may be cut: " << r.out;

    TJFILE original;
    original.OpenFile(dir.File(base + ".pdb"));
    TJFILE back;
    back.OpenFile(dir.File("back" + std::to_string(index) + ".PDB"));
    CompareRoundTrip(spec, original, back);
    if (HasFatalFailure()) return;
  }
}

}  // namespace
}  // namespace jf
