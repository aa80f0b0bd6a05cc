#include "jfile/interchange/def_format.h"

#include <algorithm>
#include <utility>

#include "common/file_names.h"
#include "common/strings.h"

namespace jf {
namespace {

constexpr char kPresetSortPrefix[] = "Sort";
constexpr char kPresetFilterPrefix[] = "Filter";
constexpr char kCsvExtension[] = "CSV";
constexpr char kDefExtension[] = "DEF";

std::string Quoted(const std::string& s) { return "\"" + s + "\""; }

}  // namespace

std::string PopupKey(int field) { return def_key::kPopupPrefix + IntegerText(field); }
std::string DefaultKey(int field) { return def_key::kDefaultPrefix + IntegerText(field); }
std::string SortPresetKey(int k) { return kPresetSortPrefix + IntegerText(k); }
std::string FilterPresetKey(int k) { return kPresetFilterPrefix + IntegerText(k); }

std::string SubstituteLineFeeds(std::string value) {
  std::replace(value.begin(), value.end(), '\n', kLineFeedSubstitute);
  return value;
}

std::string RestoreLineFeeds(std::string value) {
  std::replace(value.begin(), value.end(), kLineFeedSubstitute, '\n');
  return value;
}

std::string DefValueText(std::string value) {
  value.erase(std::remove(value.begin(), value.end(), '\r'), value.end());
  return SubstituteLineFeeds(std::move(value));
}

std::string ExportCsvName(const std::string& name) { return DefaultExtension(name, kCsvExtension); }
std::string ExportDefName(const std::string& name) { return ForceExtension(name, kDefExtension); }

std::string FormatSortPreset(const SortPreset& preset) {
  std::string s = Quoted(preset.name);
  for (int16_t field : preset.fields) s += "," + IntegerText(field);
  return s;
}

std::string FormatFilterPreset(const FilterPreset& preset) {
  std::string s = Quoted(preset.name);
  for (const std::string& text : preset.texts) s += "," + Quoted(text);
  s += "," + NaturalText(preset.number);
  for (int8_t small : preset.small) s += "," + IntegerText(small);
  return s;
}

std::vector<std::string> SplitPresetItems(const std::string& value, int max_items) {
  std::vector<std::string> items;
  size_t pos = 0;  // start of the text that remains
  while (static_cast<int>(items.size()) < max_items && pos < value.size()) {
    if (value[pos] == ',') ++pos;
    if (pos < value.size() && value[pos] == '"') {
      size_t close = value.find('"', pos + 1);
      if (close == std::string::npos) break;
      items.push_back(value.substr(pos + 1, close - pos - 1));
      pos = close + 1;
    } else {
      size_t comma = std::min(value.find(',', pos), value.size());
      items.push_back(value.substr(pos, comma - pos));
      pos = comma;
    }
  }
  return items;
}

}  // namespace jf
