// What the CSV and DEF interchange files share between their writer and their readers: the DEF section and key
// names, the file names of an export, the line-feed substitute of CSV values, and the text form of the sort and
// filter presets with the rule that splits it back into items.
#pragma once

#include <string>
#include <vector>

#include "jfile/model/jfile.h"

namespace jf {

// The one section of a DEF file.
inline constexpr char kDefSection[] = "JFilePro";

// The DEF keys, in the order the writer produces them.
namespace def_key {
inline constexpr char kWidths[] = "Widths";
inline constexpr char kTypes[] = "Types";
inline constexpr char kTitle[] = "Title";
inline constexpr char kSort[] = "Sort";
inline constexpr char kFind[] = "Find";
inline constexpr char kFilter[] = "Filter";
inline constexpr char kFirstCol[] = "FirstCol";
inline constexpr char kCategory[] = "Category";
inline constexpr char kReadOnly[] = "ReadOnly";
inline constexpr char kPopupPrefix[] = "Popup";
inline constexpr char kDefaultPrefix[] = "Default";
}  // namespace def_key

// The ReadOnly values the writer gives.
inline constexpr char kDefTrue[] = "TRUE";
inline constexpr char kDefFalse[] = "FALSE";

// "Popup<n>" and "Default<n>": n is the field's number in the database.
std::string PopupKey(int field);
std::string DefaultKey(int field);
// "Sort<k>" and "Filter<k>" for preset k = 1..5.
std::string SortPresetKey(int k);
std::string FilterPresetKey(int k);

// Items of a Sort<k> value (name and three field numbers) and of a Filter<k> value (name, five texts, the 16-bit
// number and the five small numbers).
inline constexpr int kSortPresetItems = 4;
inline constexpr int kFilterPresetItems = 12;

// A line feed inside a CSV value is written as this byte; readers turn it back into a line feed.
inline constexpr char kLineFeedSubstitute = '\xCF';
// Every line feed of value replaced by the substitute byte.
std::string SubstituteLineFeeds(std::string value);
// Every substitute byte of value turned back into a line feed.
std::string RestoreLineFeeds(std::string value);

// A value as a DEF line can hold it: line feeds become the substitute byte and carriage returns are dropped,
// so a multi-line value is neither lost nor able to break the file's lines.
std::string DefValueText(std::string value);

// The CSV name of an export: name with the extension CSV added when it has none.
std::string ExportCsvName(const std::string& name);
// The DEF name of an export: name with its extension replaced by DEF.
std::string ExportDefName(const std::string& name);

// Sort<k> value: the name in double quotes, then the three field numbers (signed decimal), comma-separated.
std::string FormatSortPreset(const SortPreset& preset);
// Filter<k> value: the name and the five texts each in double quotes, the 16-bit number (unsigned decimal), the
// five small numbers as held in memory (signed decimal), comma-separated.
std::string FormatFilterPreset(const FilterPreset& preset);

// Splits a Sort<k> or Filter<k> value into at most max_items items. While items are wanted and text remains: one
// leading comma is dropped; an item starting with a double quote runs to the next double quote (quotes removed;
// without a closing quote the reading stops), any other item runs to the next comma or the end. Fewer items
// than wanted come back when the text runs out; a caller treats missing items as empty.
std::vector<std::string> SplitPresetItems(const std::string& value, int max_items);

}  // namespace jf
