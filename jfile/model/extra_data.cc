#include "jfile/model/extra_data.h"

#include <algorithm>
#include <cstring>

#include "common/errors.h"
#include "common/strings.h"
#include "jfile/model/app_info.h"
#include "jfile/model/jfile.h"

namespace jf {

using namespace extra_data;

namespace {

constexpr size_t kReadChunk = 256;
constexpr int kLettersInAlphabet = 26;

// The five small numbers of a filter preset are held as the file's value plus one.
constexpr int kSmallNumberBias = 1;

std::string Cut(const std::string& s, size_t n) { return s.size() > n ? s.substr(0, n) : s; }

void WriteNul(Stream& stream, size_t count) {
  const std::string zeros(count, '\0');
  stream.Write(zeros.data(), zeros.size());
}

}  // namespace

std::string ReadText(Stream& stream, size_t limit) {
  std::string text;
  char buffer[kReadChunk];
  for (;;) {
    uint64_t start = stream.Position();
    size_t got = stream.Read(buffer, sizeof buffer);
    if (got == 0) return text;
    const char* nul = static_cast<const char*>(std::memchr(buffer, '\0', got));
    size_t used = nul != nullptr ? static_cast<size_t>(nul - buffer) : got;
    if (text.size() < limit) text.append(buffer, std::min(used, limit - text.size()));
    if (nul != nullptr) {
      stream.Seek(start + used + 1);
      return text;
    }
  }
}

void WriteText(const std::string& text, Stream& stream) {
  size_t length = text.find('\0');
  if (length == std::string::npos) length = text.size();
  stream.Write(text.data(), length);
  WriteNul(stream, 1);
}

char FieldLetter(int i) {
  if (i >= 1 && i <= kLettersInAlphabet) return static_cast<char>('a' + i - 1);
  if (i > kLettersInAlphabet && i <= kMaxFields) return static_cast<char>('A' + i - kLettersInAlphabet - 1);
  return 'Z';
}

int FieldOfLetter(char letter) {
  if (letter >= 'a' && letter <= 'z') return letter - 'a' + 1;
  if (letter >= 'A' && letter <= 'Z') return letter - 'A' + kLettersInAlphabet + 1;
  throw EInOutError(std::string("Invalid Field Index: \"") + letter + "\"");
}

char PresetLetter(int k) { return static_cast<char>('a' + k - 1); }

// ---- Popup lists, defaults and presets of TJFILE ----

int TJFILE::PopupCapacity() const {
  return generation_ == LibraryGeneration::kEarlier ? kEarlierPopupCapacity : kPopupCapacity;
}

void TJFILE::ClearExtras() {
  for (auto& list : popups_) list.reset();
  for (auto& value : defaults_) value.clear();
  sort_presets_.fill(SortPreset());
  filter_presets_.fill(FilterPreset());
}

int TJFILE::PopupCount(int i) const {
  if (i < 1 || i > kMaxFields || !popups_[i - 1]) return 0;
  const TDATA& list = *popups_[i - 1];
  int count = 0;
  while (count < kPopupCountLimit && !list.Get(count + 1).empty()) ++count;
  return count;
}

std::string TJFILE::GetPopupValue(int j, int i) const {
  if (i < 1 || i > kMaxFields || !popups_[i - 1]) return std::string();
  return Cut(popups_[i - 1]->Get(j), kShortTextMax);
}

void TJFILE::SetPopupValue(const std::string& value, int j, int i) {
  if (i < 1 || i > kMaxFields) return;
  // Compared in full, so a long value is neither renamed by its first 255 characters nor stored again.
  std::string old = popups_[i - 1] ? popups_[i - 1]->Get(j) : std::string();
  if (loaded_ && !old.empty()) {
    for (int r = 1; r <= RecordCount(); ++r) {
      if (GetFieldValue(i, r) == old) SetFieldValue(value, i, r);
    }
  }
  if (!popups_[i - 1]) popups_[i - 1] = std::make_unique<TDATA>(PopupCapacity());
  TDATA& list = *popups_[i - 1];
  if (j < 1 || j > list.Capacity() || list.Get(j) == value) return;
  list.Set(j, value);
  Changed();
}

std::string TJFILE::GetDefault(int i) const {
  if (!HasPresets() || i < 1 || i > kMaxFields) return std::string();
  return defaults_[static_cast<size_t>(i - 1)];
}

void TJFILE::SetDefault(const std::string& value, int i) {
  if (!HasPresets() || i < 1 || i > kMaxFields) return;
  std::string& slot = defaults_[static_cast<size_t>(i - 1)];
  if (slot == value) return;
  slot = value;
  Changed();
}

std::string TJFILE::GetSortPresetName(int k) const {
  if (!HasPresets() || k < 1 || k > kPresetCount) return std::string();
  return sort_presets_[static_cast<size_t>(k - 1)].name;
}

void TJFILE::SetSortPresetName(const std::string& name, int k) {
  if (!HasPresets() || k < 1 || k > kPresetCount) return;
  std::string cut = Cut(name, kMaxPresetText);
  std::string& slot = sort_presets_[static_cast<size_t>(k - 1)].name;
  if (slot == cut) return;
  slot = cut;
  Changed();
}

int TJFILE::GetSortPresetField(int j, int k) const {
  if (!HasPresets() || k < 1 || k > kPresetCount || j < 1 || j > 3) return 0;
  return sort_presets_[static_cast<size_t>(k - 1)].fields[static_cast<size_t>(j - 1)];
}

void TJFILE::SetSortPresetField(int v, int j, int k) {
  if (!HasPresets() || k < 1 || k > kPresetCount || j < 1 || j > 3) return;
  int16_t& slot = sort_presets_[static_cast<size_t>(k - 1)].fields[static_cast<size_t>(j - 1)];
  if (slot == static_cast<int16_t>(v)) return;
  slot = static_cast<int16_t>(v);
  Changed();
}

FilterPreset TJFILE::GetFilterPreset(int k) const {
  if (!HasPresets() || k < 1 || k > kPresetCount) return FilterPreset();
  return filter_presets_[static_cast<size_t>(k - 1)];
}

void TJFILE::SetFilterPreset(const FilterPreset& preset, int k) {
  if (!HasPresets() || k < 1 || k > kPresetCount) return;
  FilterPreset cut = preset;
  cut.name = Cut(cut.name, kMaxPresetText);
  for (std::string& text : cut.texts) text = Cut(text, kMaxPresetText);
  FilterPreset& slot = filter_presets_[static_cast<size_t>(k - 1)];
  if (slot == cut) return;
  slot = cut;
  Changed();
}

// ---- Reading and writing the extra data ----

bool TJFILE::IsMarker(const std::string& text) const {
  if (text.size() != kMarkerLength) return false;
  std::string keyword = text.substr(0, kKeywordLength);
  if (keyword == kPopup) return true;
  return HasPresets() && (keyword == kSortPreset || keyword == kDefault || keyword == kFilterPreset);
}

void TJFILE::ReadExtraData(Stream& stream) {
  const size_t limit = ReadLimit();
  for (;;) {
    std::string marker = ReadText(stream, limit);
    if (!IsMarker(marker)) return;
    std::string keyword = marker.substr(0, kKeywordLength);
    char letter = marker[kKeywordLength];
    if (keyword == kPopup) {
      int i = FieldOfLetter(letter);
      auto list = std::make_unique<TDATA>(PopupCapacity());
      int j = 0;
      for (;;) {
        uint64_t position = stream.Position();
        std::string value = ReadText(stream, limit);
        if (value.empty() || IsMarker(value)) {
          stream.Seek(position);
          break;
        }
        if (j < list->Capacity()) list->Set(++j, std::move(value));
      }
      // Fields 51 and 52 (letters Y and Z) have no list: their values are read and dropped.
      if (i <= kMaxFields) popups_[static_cast<size_t>(i - 1)] = std::move(list);
    } else if (keyword == kSortPreset) {
      int k = letter - 'a' + 1;
      if (k < 1 || k > kPresetCount) continue;
      SortPreset& preset = sort_presets_[static_cast<size_t>(k - 1)];
      preset.name = Cut(ReadText(stream, limit), kMaxPresetText);
      for (int16_t& field : preset.fields) field = static_cast<int16_t>(TextToInteger(ReadText(stream, limit)));
    } else if (keyword == kDefault) {
      int i = FieldOfLetter(letter);
      SetDefault(ReadText(stream, limit), i);
    } else {
      int k = letter - 'a' + 1;
      if (k < 1 || k > kPresetCount) continue;
      FilterPreset preset;
      preset.name = ReadText(stream, limit);
      for (std::string& text : preset.texts) {
        text = ReadText(stream, limit);
        if (text == kEmptyFilterText) text.clear();
      }
      preset.number = static_cast<uint16_t>(TextToInteger(ReadText(stream, limit)));
      for (int8_t& small : preset.small) {
        // Taken modulo 256 (as unsigned, so even the largest number cannot overflow).
        small = static_cast<int8_t>(static_cast<uint32_t>(TextToInteger(ReadText(stream, limit))) + kSmallNumberBias);
      }
      SetFilterPreset(preset, k);
    }
  }
}

void TJFILE::WriteExtraData(Stream& stream) {
  bool any = false;
  for (int i = 1; i <= GetFieldCount(); ++i) {
    int count = PopupCount(i);
    if (count == 0) continue;
    block_->SetFieldType(field_type::kList, i);
    WriteText(kPopup + std::string(1, FieldLetter(i)), stream);
    for (int j = 1; j <= count; ++j) WriteText(popups_[static_cast<size_t>(i - 1)]->Get(j), stream);
    any = true;
  }
  if (HasPresets()) {
    for (int k = 1; k <= kPresetCount; ++k) {
      const SortPreset& preset = sort_presets_[static_cast<size_t>(k - 1)];
      if (preset.name.empty()) continue;
      WriteText(kSortPreset + std::string(1, PresetLetter(k)), stream);
      WriteText(preset.name, stream);
      for (int16_t field : preset.fields) WriteText(IntegerText(field), stream);
      any = true;
    }
    for (int i = 1; i <= kMaxFields; ++i) {
      const std::string& value = defaults_[static_cast<size_t>(i - 1)];
      if (value.empty()) continue;
      WriteText(kDefault + std::string(1, FieldLetter(i)), stream);
      WriteText(value, stream);
      any = true;
    }
    for (int k = 1; k <= kPresetCount; ++k) {
      const FilterPreset& preset = filter_presets_[static_cast<size_t>(k - 1)];
      if (preset.name.empty()) continue;
      WriteText(kFilterPreset + std::string(1, PresetLetter(k)), stream);
      WriteText(preset.name, stream);
      for (const std::string& text : preset.texts) WriteText(text.empty() ? kEmptyFilterText : text, stream);
      WriteText(NaturalText(preset.number), stream);
      for (int8_t small : preset.small) WriteText(IntegerText(small - kSmallNumberBias), stream);
      any = true;
    }
  }
  WriteNul(stream, any ? 1 : kEndMarkEmpty);
}

}  // namespace jf
