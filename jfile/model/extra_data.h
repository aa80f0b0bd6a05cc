// The extra data of a JFile database: the NUL-terminated texts between the application-info block and the
// records that carry the popup lists, sort presets, defaults and filter presets, and the field letters that name
// fields in it. TJFILE reads and writes it; these are the pieces it is built from.
#pragma once

#include <cstddef>
#include <string>

#include "platform/stream.h"

namespace jf {

namespace extra_data {
constexpr char kPopup[] = "popup";
constexpr char kSortPreset[] = "soort";
constexpr char kDefault[] = "deflt";
constexpr char kFilterPreset[] = "flllt";
constexpr size_t kKeywordLength = 5;
constexpr size_t kMarkerLength = 6;
constexpr char kEmptyFilterText[] = "-*-";
constexpr char kTrailer[] = "EndJFileData";
constexpr int kPopupCountLimit = 100;  // PopupCount looks at no more positions than this
constexpr int kPopupCapacity = 50;
constexpr int kEarlierPopupCapacity = 1000;
constexpr size_t kMaxPresetText = 255;
constexpr size_t kEndMarkEmpty = 4;  // NUL bytes that end an extra data without sections
}  // namespace extra_data

// Reads a NUL-terminated text at the stream's position: the bytes up to the NUL or the end of the stream, of
// which the first limit are kept. The NUL is consumed; at the end of the stream the result is empty.
std::string ReadText(Stream& stream, size_t limit);
// Writes the text up to its first NUL character, then one NUL byte.
void WriteText(const std::string& text, Stream& stream);

// The letter that names field i in the extra data: 1..26 "a".."z", 27..50 "A".."X", anything else "Z".
char FieldLetter(int i);
// The field a letter names: "a".."z" 1..26, "A".."Z" 27..52. Raises EInOutError "Invalid Field Index: "
// followed by the letter in double quotes for any other character.
int FieldOfLetter(char letter);
// The letter of preset k (1..5: "a".."e").
char PresetLetter(int k);

}  // namespace jf
