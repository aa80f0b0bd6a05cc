#include "jfile/interchange/csv_export.h"

#include <array>

#include "common/dates.h"
#include "common/errors.h"
#include "common/file_names.h"
#include "common/strings.h"
#include "jfile/interchange/def_format.h"
#include "platform/file_io.h"

namespace jf {
namespace {

constexpr char kLineEnd[] = "\r\n";
constexpr char kWritingFormat[] = "Writing %s";

// The date the short date format is probed with, and the texts its parts show in the rendering.
constexpr int kSampleDay = 31;
constexpr int kSampleMonth = 12;
constexpr int kSampleYear = 2001;
constexpr char kSampleDayText[] = "31";
constexpr char kSampleMonthText[] = "12";
constexpr char kSampleYearText[] = "2001";
constexpr int kDayDigits = 2;
constexpr int kMonthDigits = 2;
constexpr int kYearDigits = 4;
constexpr int kCenturyPivot = 80;

constexpr std::array<const char*, 12> kMonthAbbreviations = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                             "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

// Where the parts of a date stand in the short date format, probed once per export. Positions count from 1.
struct DateSample {
  bool usable = false;
  int first_slash = 0;
  int second_slash = 0;
  int length = 0;
  int year_at = 0;
  int month_at = 0;
  int day_at = 0;
};

DateSample ProbeDateSample() {
  DateSample sample;
  const std::string text = ShortDateRendering(kSampleDay, kSampleMonth, kSampleYear);
  sample.first_slash = CharPosFrom(text, '/', 1);
  sample.second_slash = sample.first_slash == 0 ? 0 : CharPosFrom(text, '/', sample.first_slash + 1);
  sample.length = static_cast<int>(text.size());
  sample.year_at = TextPosFrom(text, kSampleYearText, 1);
  sample.month_at = TextPosFrom(text, kSampleMonthText, 1);
  sample.day_at = TextPosFrom(text, kSampleDayText, 1);
  sample.usable = sample.second_slash != 0 && sample.year_at != 0 && sample.month_at != 0 && sample.day_at != 0;
  return sample;
}

// The number in the width characters of text at position at (from 1); 0 when they are not a number.
int NumberAt(const std::string& text, int at, int width) {
  size_t start = static_cast<size_t>(at - 1);
  return start < text.size() ? TextToInteger(text.substr(start, static_cast<size_t>(width))) : 0;
}

std::string ExportDate(const std::string& value, const DateSample& sample) {
  if (!sample.usable) return value;
  const int slash1 = CharPosFrom(value, '/', 1);
  if (slash1 == 0) return value;
  const int slash2 = CharPosFrom(value, '/', slash1 + 1);
  if (slash2 == 0) return value;
  // A part that is not a number ("3/7/", "3/7/2002 10:00") leaves the value as it is, rather than reading as
  // 0 and turning into the year 2000.
  const int32_t first = TextToInteger(value.substr(0, static_cast<size_t>(slash1 - 1)));
  if (ConversionFailed()) return value;
  const int32_t second =
      TextToInteger(value.substr(static_cast<size_t>(slash1), static_cast<size_t>(slash2 - slash1 - 1)));
  if (ConversionFailed()) return value;
  const int32_t third = TextToInteger(value.substr(static_cast<size_t>(slash2)));
  if (ConversionFailed()) return value;

  // The numbers laid out as the sample lays out 31, 12 and 2001, so each part can be read at its place.
  const std::string padded = PatternNumber(first, Replicate('0', sample.first_slash - 1)) + "/" +
                             PatternNumber(second, Replicate('0', sample.second_slash - sample.first_slash - 1)) +
                             "/" + PatternNumber(third, Replicate('0', sample.length - sample.second_slash));
  int year = NumberAt(padded, sample.year_at, kYearDigits);
  const int month = NumberAt(padded, sample.month_at, kMonthDigits);
  const int day = NumberAt(padded, sample.day_at, kDayDigits);
  if (year >= 0 && year < 100) year += year < kCenturyPivot ? 2000 : 1900;
  if (!IsValidDate(year, month, day)) return value;
  return PatternNumber(day, Replicate('0', kDayDigits)) + " " + kMonthAbbreviations[static_cast<size_t>(month - 1)] +
         " " + PatternNumber(year, Replicate('0', kYearDigits));
}

// The selection's entries that name a field, in list order.
std::vector<int32_t> SelectedFields(const std::vector<int32_t>& selection) {
  std::vector<int32_t> fields;
  for (int32_t f : selection) {
    if (f != 0) fields.push_back(f);
  }
  return fields;
}

// Items joined by commas.
std::string Joined(const std::vector<std::string>& items) {
  std::string s;
  for (size_t i = 0; i < items.size(); ++i) {
    if (i > 0) s += ',';
    s += items[i];
  }
  return s;
}

bool HasPresetsAndDefaults(const TJFILE& db) {
  return db.GetDataBaseMode() == DataBaseMode::JF5 || db.GetDataBaseMode() == DataBaseMode::JF6;
}

void SetKey(ProfileDocument& def, const std::string& key, const std::string& value) {
  def.Set(kDefSection, key, DefValueText(value));
}

}  // namespace

std::string ExportDateText(const std::string& value) { return ExportDate(value, ProbeDateSample()); }

std::string CsvExportBytes(const TJFILE& db, const std::vector<int32_t>& selection) {
  const std::vector<int32_t> fields = SelectedFields(selection);
  std::vector<bool> is_date;
  for (int32_t f : fields) is_date.push_back(db.GetFieldType(f) == field_type::kDate);
  const DateSample sample = ProbeDateSample();

  std::string out;
  auto append_quoted = [&out](const std::string& text, bool last) {
    out += '"';
    out += text;
    out += '"';
    if (!last) out += ',';
  };
  for (size_t k = 0; k < fields.size(); ++k) append_quoted(db.GetFieldName(fields[k]), k + 1 == fields.size());
  out += kLineEnd;
  for (int r = 1; r <= db.RecordCount(); ++r) {
    for (size_t k = 0; k < fields.size(); ++k) {
      std::string value = SubstituteLineFeeds(db.GetFieldValue(fields[k], r));
      if (is_date[k]) value = ExportDate(value, sample);
      append_quoted(value, k + 1 == fields.size());
    }
    out += kLineEnd;
  }
  return out;
}

void SetDefKeys(const TJFILE& db, const std::vector<int32_t>& selection, ProfileDocument& def) {
  const std::vector<int32_t> fields = SelectedFields(selection);
  std::vector<std::string> widths;
  std::vector<std::string> types;
  for (int32_t f : fields) {
    widths.push_back(IntegerText(db.GetFieldWidth(f)));
    types.push_back(db.GetFieldTypeName(f));
  }
  SetKey(def, def_key::kWidths, Joined(widths));
  SetKey(def, def_key::kTypes, Joined(types));
  SetKey(def, def_key::kTitle, db.Header().name);
  SetKey(def, def_key::kSort,
         Joined({NaturalText(static_cast<uint32_t>(db.GetSortField(1))),
                 NaturalText(static_cast<uint32_t>(db.GetSortField(2))),
                 NaturalText(static_cast<uint32_t>(db.GetSortField(3)))}));
  SetKey(def, def_key::kFind, NaturalText(static_cast<uint32_t>(db.GetFindField())) + "," + db.GetFindString());
  SetKey(def, def_key::kFilter,
         NaturalText(static_cast<uint32_t>(db.GetFilterField())) + "," + db.GetFilterString());
  SetKey(def, def_key::kFirstCol, NaturalText(static_cast<uint32_t>(db.GetFirstColumn())));
  SetKey(def, def_key::kCategory, NaturalText(static_cast<uint32_t>(db.GetCategory())));
  SetKey(def, def_key::kReadOnly, db.GetReadOnly() ? kDefTrue : kDefFalse);

  for (int32_t f : fields) {
    if (db.GetFieldType(f) != field_type::kList) continue;
    std::vector<std::string> values;
    for (int j = 1; j <= db.PopupCount(f); ++j) values.push_back(db.GetPopupValue(j, f));
    SetKey(def, PopupKey(f), Joined(values));
  }

  if (!HasPresetsAndDefaults(db)) return;
  for (int k = 1; k <= kPresetCount; ++k) SetKey(def, FilterPresetKey(k), FormatFilterPreset(db.GetFilterPreset(k)));
  for (int k = 1; k <= kPresetCount; ++k) {
    SortPreset preset;
    preset.name = db.GetSortPresetName(k);
    for (size_t j = 0; j < preset.fields.size(); ++j) {
      preset.fields[j] = static_cast<int16_t>(db.GetSortPresetField(static_cast<int>(j) + 1, k));
    }
    SetKey(def, SortPresetKey(k), FormatSortPreset(preset));
  }
  for (int32_t f : fields) {
    const std::string value = db.GetDefault(f);
    if (!value.empty()) {
      SetKey(def, DefaultKey(f), value);
    } else if (!def.Get(kDefSection, DefaultKey(f)).value_or("").empty()) {
      // Clear a default an earlier export left behind, without adding empty keys otherwise.
      SetKey(def, DefaultKey(f), "");
    }
  }
}

void ExportCSV(TJFILE& db, const std::vector<int32_t>& selection, const std::string& file_name) {
  const std::string csv_name = ExportCsvName(file_name);
  db.Report(kWritingFormat, {csv_name});
  WriteFileAtomically(csv_name, CsvExportBytes(db, selection));
  db.Report("");

  const std::string def_name = ExportDefName(file_name);
  db.Report(kWritingFormat, {def_name});
  // A name without a folder means the current folder here, as for the CSV file, not the configuration folder.
  const std::string def_path = FilePathPart(def_name).empty() ? "./" + def_name : def_name;
  ProfileDocument def;
  // An existing DEF file that cannot be read would lose its other keys when rewritten.
  if (!def.Load(def_path) && PathExists(def_path)) throw EFOpenError("Cannot open file " + def_name);
  SetDefKeys(db, selection, def);
  if (def.modified() && !def.Save(def_path)) throw EFCreateError("Cannot create file " + def_name);
  db.Report("");
}

}  // namespace jf
