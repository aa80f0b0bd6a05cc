#include "tools/ambrel/input_reader.h"

#include <algorithm>
#include <limits>
#include <map>
#include <utility>

#include "common/errors.h"
#include "common/strings.h"
#include "jfile/interchange/def_format.h"
#include "jfile/model/app_info.h"
#include "jfile/model/field_types.h"

namespace jf {
namespace {

constexpr char kQuote = '"';
constexpr char kComma = ',';
constexpr char kLineFeed = '\n';
constexpr char kCarriageReturn = '\r';
constexpr char kEndOfFile = '\x1A';
constexpr char kBooleanFalse[] = "0";
constexpr char kBooleanTrue[] = "1";
constexpr char kIntDateName[] = "INT.DATE";
constexpr size_t kTitleMax = pdb_layout::kMaxNameLength;
constexpr size_t kListScanWindow = 255;  // a list item must end within this many characters
constexpr uint16_t kLastNamedTypeCode = 255;

struct Range {
  int64_t low;
  int64_t high;
};
constexpr Range kInt16Range = {std::numeric_limits<int16_t>::min(), std::numeric_limits<int16_t>::max()};
constexpr Range kUInt16Range = {0, std::numeric_limits<uint16_t>::max()};
constexpr Range kInt8Range = {std::numeric_limits<int8_t>::min(), std::numeric_limits<int8_t>::max()};
constexpr Range kCategoryRange = {0, app_info_layout::kCategoryMask};  // the database keeps four bits

// Raises ERangeError when v lies outside range: the message names what, the value and the file.
void CheckRange(int64_t v, Range range, const std::string& what, const std::string& file_name) {
  if (v >= range.low && v <= range.high) return;
  throw ERangeError(file_name + ": " + what + " value " + std::to_string(v) + " is out of range (" +
                    std::to_string(range.low) + ".." + std::to_string(range.high) + ")");
}

std::string Cut(std::string s, size_t n) {
  if (s.size() > n) s.resize(n);
  return s;
}

std::string FieldNumberNote(int k, int n, size_t p) {
  return "(Field " + std::to_string(k) + " in record " + std::to_string(n) + " too long - " + std::to_string(p) +
         " bytes)";
}

// The value of key in the DEF section as it stands, empty when missing.
std::string DefValue(const ProfileDocument& def, const std::string& key) {
  return def.Get(kDefSection, key).value_or(std::string());
}

// Walks a DEF list value (Widths, Types) item by item: a comma is appended, and each item must end at a comma
// within the first kListScanWindow characters of what remains.
class ListScanner {
 public:
  explicit ListScanner(std::string value) : text_(std::move(value) + kComma) {}
  bool Next(std::string* item) {
    const size_t comma = text_.find(kComma, pos_);
    if (comma == std::string::npos || comma - pos_ >= kListScanWindow) return false;
    *item = text_.substr(pos_, comma - pos_);
    pos_ = comma + 1;
    return true;
  }

 private:
  std::string text_;
  size_t pos_ = 0;
};

// Stable order of popup items by their letters and digits, upper-cased.
void SortPopupItems(std::vector<std::string>& items) {
  std::vector<std::pair<std::string, std::string>> keyed;
  keyed.reserve(items.size());
  for (std::string& item : items) keyed.emplace_back(UpperLettersDigits(item), std::move(item));
  std::stable_sort(keyed.begin(), keyed.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
  items.clear();
  for (auto& entry : keyed) items.push_back(std::move(entry.second));
}

// Parses one line of the text (already free of carriage returns, substitutes turned back) and stores its values.
class LineParser {
 public:
  LineParser(const std::string& text, const ReaderOptions& options, AmbrelTables& tables, const NoteSink& note)
      : text_(text), options_(options), tables_(tables), note_(note) {}

  // Reads the line [begin, end) as kept line n. Returns false when the filter drops it. Sets *fields to the
  // number of fields met on the line.
  bool Parse(size_t begin, size_t end, int n, int header_fields, int* fields) {
    const bool data_line = n > 1;
    const bool filtered = data_line && !options_.filter.empty();
    bool first_value_matched = false;
    size_t cur = begin;
    int k = 0;
    while (cur < end && text_[cur] == kQuote) {
      ++cur;
      ++k;
      const size_t remaining = end - cur;
      size_t p = 0;  // 1-based position of the closing quote in the remaining text; 0: none
      // The last field of a data line takes the rest of the line, so its value may hold a quote and a comma.
      // When the field-name line had more fields than are kept, field 50 is not the line's last field.
      if (data_line && k == tables_.field_count && header_fields <= kMaxFields) {
        p = remaining;
      } else {
        // Searched within the line only: the text after it is not cleaned yet.
        const size_t close = std::string_view(text_.data() + cur, remaining).find("\",");
        if (close != std::string_view::npos) {
          p = close + 1;
        } else if (remaining > 0 && text_[end - 1] == kQuote) {
          p = remaining;
        }
      }
      if (p == 0) break;
      const size_t next = std::min(end, cur + p + 1);  // past the value, its closing quote and the comma
      if (k > kMaxFields) {
        cur = next;
        continue;
      }
      size_t value_start = cur;
      size_t value_length = p - 1;
      if (k == 1 && filtered) {
        const std::string_view value(text_.data() + value_start, value_length);
        if (!value.starts_with(options_.filter)) {
          *fields = k;
          return false;
        }
        first_value_matched = true;
        if (options_.strip_filter) {
          value_start += options_.filter.size();
          value_length -= options_.filter.size();
        }
      }
      if (value_length + 1 > options_.length_limit) {
        note_(FieldNumberNote(k, n, value_length + 1));
        value_length = options_.length_limit == 0 ? 0 : options_.length_limit - 1;
      }
      tables_.lines.AddValue(value_start, value_length);
      tables_.field_count = std::max(tables_.field_count, k);
      cur = next;
    }
    *fields = k;
    // A data line without a complete first value has nothing a filter could match.
    return !filtered || first_value_matched;
  }

 private:
  const std::string& text_;
  const ReaderOptions& options_;
  AmbrelTables& tables_;
  const NoteSink& note_;
};

}  // namespace

size_t CsvLines::EndOfLine(int line) const {
  return static_cast<size_t>(line) < line_first_.size() ? line_first_[static_cast<size_t>(line)] : spans_.size();
}

std::string_view CsvLines::Value(int line, int field) const {
  if (line < 1 || line > Count() || field < 1) return {};
  const size_t first = line_first_[static_cast<size_t>(line - 1)];
  const size_t last = EndOfLine(line);
  const size_t index = first + static_cast<size_t>(field - 1);
  if (index >= last) return {};
  const Span& span = spans_[index];
  return std::string_view(text_.data() + span.offset, span.length);
}

int CsvLines::ValueCount(int line) const {
  if (line < 1 || line > Count()) return 0;
  return static_cast<int>(EndOfLine(line) - line_first_[static_cast<size_t>(line - 1)]);
}

void CsvLines::Clear() {
  text_.clear();
  text_.shrink_to_fit();
  spans_.clear();
  spans_.shrink_to_fit();
  line_first_.clear();
  line_first_.shrink_to_fit();
}

void CsvLines::Adopt(std::string text) {
  Clear();
  text_ = std::move(text);
}

void CsvLines::StartLine() { line_first_.push_back(static_cast<uint32_t>(spans_.size())); }

void CsvLines::DropLastLine() {
  if (line_first_.empty()) return;
  spans_.resize(line_first_.back());
  line_first_.pop_back();
}

void CsvLines::AddValue(size_t offset, size_t length) {
  spans_.push_back({static_cast<uint32_t>(offset), static_cast<uint32_t>(length)});
}

void AmbrelTables::ResetForFile() {
  lines.Clear();
  field_count = 0;
  find_field = 0;
  find_text.clear();
  filter_field = 0;
  filter_text.clear();
  first_column = 0;
  sort_fields = {};
  title = kDefaultTitle;
}

bool ReadCsvText(std::string bytes, const std::string& file_name, const ReaderOptions& options,
                 AmbrelTables& tables, const NoteSink& note) {
  if (bytes.size() > std::numeric_limits<uint32_t>::max()) {
    throw ERangeError(file_name + ": the file is too large to convert");
  }
  const size_t eof = bytes.find(kEndOfFile);
  if (eof != std::string::npos) bytes.resize(eof);
  tables.lines.Adopt(std::move(bytes));
  std::string& text = tables.lines.Text();

  LineParser parser(text, options, tables, note);
  int n = 0;
  int header_fields = 0;
  size_t read = 0;   // start of the next raw line
  size_t write = 0;  // where the next cleaned line goes: lines only shrink, so it never passes read
  while (read < text.size()) {
    size_t raw_end = text.find(kLineFeed, read);
    const bool has_line_end = raw_end != std::string::npos;
    if (!has_line_end) raw_end = text.size();
    // Carriage returns go wherever they stand; substitutes become line feeds once the line is cut out.
    const size_t begin = write;
    for (size_t i = read; i < raw_end; ++i) {
      const char c = text[i];
      if (c == kCarriageReturn) continue;
      text[write++] = c == kLineFeedSubstitute ? kLineFeed : c;
    }
    const size_t end = write;
    read = has_line_end ? raw_end + 1 : raw_end;

    ++n;
    tables.lines.StartLine();
    int fields = 0;
    if (!parser.Parse(begin, end, n, header_fields, &fields)) {
      tables.lines.DropLastLine();
      --n;
      continue;
    }
    if (n == 1) {
      // Text without field names marks some other kind of file; what follows is not read.
      if (tables.lines.ValueCount(1) == 0 && end > begin) return false;
      header_fields = fields;
      if (fields > kMaxFields) {
        note("Input file truncated from " + std::to_string(fields) + " fields to " + std::to_string(kMaxFields) +
             " fields!");
      }
    }
    if (n > kMaxKeptLines) {
      throw ERangeError(file_name + ": more than " + std::to_string(kMaxKeptLines) +
                        " lines to convert (the field-name line counted)");
    }
  }
  return true;
}

void InferTypes(AmbrelTables& tables) {
  const CsvLines& lines = tables.lines;
  for (int i = 1; i <= tables.field_count; ++i) {
    std::vector<std::string_view> found;
    for (int line = 2; line <= lines.Count() && static_cast<int>(found.size()) < kInferenceValues; ++line) {
      const std::string_view value = lines.Value(line, i);
      if (value.empty() || std::find(found.begin(), found.end(), value) != found.end()) continue;
      found.push_back(value);
    }
    uint16_t type = field_type::kString;
    const auto is_bit = [](std::string_view v) { return v == kBooleanFalse || v == kBooleanTrue; };
    const bool all_short = std::all_of(found.begin(), found.end(),
                                       [](std::string_view v) { return v.size() <= kListMaxValueLength; });
    if (static_cast<int>(found.size()) >= kInferenceValues) {
      type = field_type::kString;
    } else if ((found.size() == 1 && is_bit(found[0])) ||
               (found.size() == 2 && is_bit(found[0]) && is_bit(found[1]))) {
      type = field_type::kBoolean;
    } else if (lines.Count() > kListMinKeptLines && found.size() >= 2 && all_short) {
      type = field_type::kList;
    }
    tables.types[static_cast<size_t>(i - 1)] = type;
  }
}

uint16_t TypeCodeOfName(const std::string& item) {
  static const std::map<std::string, uint16_t> codes = [] {
    std::map<std::string, uint16_t> m;
    for (uint16_t code = kLastNamedTypeCode; code >= 1; --code) m[FieldTypeName(code)] = code;  // lowest wins
    return m;
  }();
  // INT.DATE is DATE plus a mark the database sets itself where every value is a date.
  if (item == kIntDateName) return field_type::kDate;
  const auto it = codes.find(item);
  return it == codes.end() ? field_type::kUnset : it->second;
}

void ReadDefDocument(const ProfileDocument& def, const std::string& file_name, AmbrelTables& tables,
                     const NoteSink& note) {
  const int f = tables.field_count;
  for (auto& popup : tables.popups) popup.clear();

  {
    ListScanner scan(DefValue(def, def_key::kWidths));
    std::string item;
    for (int i = 1; i <= f && scan.Next(&item); ++i) {
      const int32_t width = TextToInteger(item);
      if (ConversionFailed()) break;
      CheckRange(width, kInt16Range, def_key::kWidths, file_name);
      tables.widths[static_cast<size_t>(i - 1)] = static_cast<int16_t>(width);
    }
  }
  {
    ListScanner scan(DefValue(def, def_key::kTypes));
    std::string item;
    for (int i = 1; i <= f && scan.Next(&item); ++i) {
      const uint16_t code = TypeCodeOfName(item);
      if (code != field_type::kUnset) tables.types[static_cast<size_t>(i - 1)] = code;
    }
  }
  if (std::string title = DefValue(def, def_key::kTitle); !title.empty()) {
    tables.title = Cut(Trimmed(std::move(title)), kTitleMax);
  }
  if (const std::string sort = DefValue(def, def_key::kSort); !sort.empty()) {
    const int count = std::min(kSortFieldCount, ListItemCount(sort));
    for (int j = 1; j <= count; ++j) {
      const int32_t v = TextToInteger(ListItem(sort, j));
      CheckRange(v, kUInt16Range, def_key::kSort, file_name);
      tables.sort_fields[static_cast<size_t>(j - 1)] = v;
    }
  }
  const auto read_field_and_text = [&](const char* key, int* field, std::string* text) {
    const std::string value = DefValue(def, key);
    const size_t comma = value.find(kComma);
    if (comma == std::string::npos) return;
    const int32_t number = TextToInteger(value.substr(0, comma));
    CheckRange(number, kUInt16Range, key, file_name);
    *field = number;
    *text = Cut(value.substr(comma + 1), kShortTextMax);
  };
  read_field_and_text(def_key::kFind, &tables.find_field, &tables.find_text);
  read_field_and_text(def_key::kFilter, &tables.filter_field, &tables.filter_text);
  if (const std::string v = DefValue(def, def_key::kFirstCol); !v.empty()) {
    const int32_t first_column = TextToInteger(v);
    CheckRange(first_column, kUInt16Range, def_key::kFirstCol, file_name);
    tables.first_column = first_column;
  }
  if (const std::string v = DefValue(def, def_key::kCategory); !v.empty()) {
    const int32_t category = TextToInteger(v);
    CheckRange(category, kCategoryRange, def_key::kCategory, file_name);
    tables.category = category;
  }
  if (const std::string v = DefValue(def, def_key::kReadOnly); !v.empty()) {
    const std::string upper = UpperText(v);
    tables.read_only = upper == "TRUE" || upper == "Y" || upper == "YES" || upper == "1";
  }

  for (int i = 1; i <= f; ++i) {
    if (tables.types[static_cast<size_t>(i - 1)] != field_type::kList) continue;
    const std::string value = DefValue(def, PopupKey(i));
    if (value.empty()) continue;
    const std::string text = value + kComma;
    std::vector<std::string>& items = tables.popups[static_cast<size_t>(i - 1)];
    size_t pos = 0;
    while (pos < text.size() && static_cast<int>(items.size()) < kMaxDefPopupEntries) {
      const size_t comma = text.find(kComma, pos);
      items.push_back(Cut(text.substr(pos, comma - pos), kShortTextMax));
      pos = comma + 1;
    }
    if (pos < text.size()) {
      note("PopUp list for field \"" + std::string(tables.lines.Value(1, i)) + "\" truncated to " +
           std::to_string(kMaxDefPopupEntries) + " entries.");
    }
    SortPopupItems(items);
  }

  for (int k = 1; k <= kPresetCount; ++k) {
    auto& preset = tables.sort_presets[static_cast<size_t>(k - 1)];
    preset = {};
    const std::string key = SortPresetKey(k);
    const std::vector<std::string> items = SplitPresetItems(DefValue(def, key), kSortPresetItems);
    for (size_t j = 0; j < items.size(); ++j) {
      preset[j] = Cut(items[j], kShortTextMax);
      if (j > 0) CheckRange(TextToInteger(preset[j]), kInt16Range, key, file_name);
    }
  }
  for (int k = 1; k <= kPresetCount; ++k) {
    FilterPreset preset;
    const std::string key = FilterPresetKey(k);
    const std::vector<std::string> items = SplitPresetItems(DefValue(def, key), kFilterPresetItems);
    const auto item = [&items](size_t index) { return index < items.size() ? items[index] : std::string(); };
    constexpr size_t kNameItem = 0;
    constexpr size_t kFirstTextItem = 1;
    constexpr size_t kNumberItem = kFirstTextItem + kFilterPresetTexts;
    constexpr size_t kFirstSmallItem = kNumberItem + 1;
    preset.name = Cut(item(kNameItem), kShortTextMax);
    for (size_t t = 0; t < preset.texts.size(); ++t) preset.texts[t] = Cut(item(kFirstTextItem + t), kShortTextMax);
    const int32_t number = TextToInteger(item(kNumberItem));
    CheckRange(number, kUInt16Range, key, file_name);
    preset.number = static_cast<uint16_t>(number);
    for (size_t s = 0; s < preset.small.size(); ++s) {
      const int32_t small = TextToInteger(item(kFirstSmallItem + s));
      CheckRange(small, kInt8Range, key, file_name);
      preset.small[s] = static_cast<int8_t>(small);
    }
    tables.filter_presets[static_cast<size_t>(k - 1)] = preset;
  }
  // A default may span lines; the exporter writes its line feeds as substitutes.
  for (int i = 1; i <= kMaxFields; ++i) {
    tables.defaults[static_cast<size_t>(i - 1)] = RestoreLineFeeds(DefValue(def, DefaultKey(i)));
  }
}

}  // namespace jf
