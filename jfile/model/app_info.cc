#include "jfile/model/app_info.h"

#include <algorithm>

#include "common/coding.h"
#include "jfile/model/field_types.h"

namespace jf {

using namespace app_info_layout;

namespace {

constexpr size_t kWordSize = 2;
constexpr size_t kOptionSize = 4;

// Offset of entry i (from 1) of a table of entries of the given width.
size_t Entry(size_t table, int i, size_t width) { return table + static_cast<size_t>(i - 1) * width; }

const uint8_t* At(const std::string& bytes, size_t offset) {
  return reinterpret_cast<const uint8_t*>(bytes.data()) + offset;
}
uint8_t* At(std::string& bytes, size_t offset) { return reinterpret_cast<uint8_t*>(bytes.data()) + offset; }

// A NUL-terminated text of at most max characters in a slot becomes length-prefixed; the slot's bytes after the
// text stay as they were.
void TextSlotToMemory(std::string& bytes, size_t offset, size_t max) {
  size_t length = 0;
  while (length < max && bytes[offset + length] != '\0') ++length;
  std::string text = bytes.substr(offset, length);
  bytes[offset] = static_cast<char>(length);
  bytes.replace(offset + 1, length, text);
}

// A length-prefixed text becomes NUL-terminated; the slot's bytes after the NUL stay as they were.
void TextSlotToFile(std::string& bytes, size_t offset, size_t max) {
  size_t length = std::min<size_t>(static_cast<uint8_t>(bytes[offset]), max);
  std::string text = bytes.substr(offset + 1, length);
  bytes.replace(offset, length, text);
  bytes[offset + length] = '\0';
}

// A field name becomes its stored form: at most 20 characters, then zero bytes to the end of the slot.
void NameSlotToFile(std::string& bytes, size_t offset) {
  size_t length = std::min<size_t>(static_cast<uint8_t>(bytes[offset]), kMaxNameLength);
  std::string slot = bytes.substr(offset + 1, length);
  slot.resize(kNameSlotSize, '\0');
  bytes.replace(offset, kNameSlotSize, slot);
}

std::string MemoryForm(std::string bytes, const BlockLayout& layout) {
  for (int i = 1; i <= layout.max_fields; ++i) {
    TextSlotToMemory(bytes, Entry(layout.names, i, kNameSlotSize), kMaxNameLength);
  }
  TextSlotToMemory(bytes, layout.find_string, kMaxTextLength);
  TextSlotToMemory(bytes, layout.filter_string, kMaxTextLength);
  return bytes;
}

}  // namespace

TAppInfo::TAppInfo(const BlockLayout& layout) : layout_(layout), image_(layout.size, '\0') {}
TAppInfo::~TAppInfo() = default;

uint16_t TAppInfo::Word(size_t offset) const { return GetBig16(At(image_, offset)); }
void TAppInfo::SetWord(size_t offset, int v) { PutBig16(At(image_, offset), static_cast<uint16_t>(v)); }

std::string TAppInfo::SlotText(size_t offset, size_t max) const {
  size_t length = std::min<size_t>(static_cast<uint8_t>(image_[offset]), max);
  return image_.substr(offset + 1, length);
}

void TAppInfo::SetSlotText(size_t offset, size_t max, const std::string& s) {
  size_t length = std::min(s.size(), max);
  image_[offset] = static_cast<char>(length);
  image_.replace(offset + 1, length, s, 0, length);
}

int TAppInfo::GetCategory() const { return (GetFlags() >> kCategoryShift) & kCategoryMask; }

void TAppInfo::SetCategory(int value) {
  SetFlags((GetFlags() & kLowTwelveBits) | ((value & kCategoryMask) << kCategoryShift));
}

std::string TAppInfo::GetFieldName(int i) const {
  if (!ValidField(i)) return std::string();
  return SlotText(Entry(layout_.names, i, kNameSlotSize), kMaxNameLength);
}

void TAppInfo::SetFieldName(const std::string& name, int i) {
  if (!ValidField(i)) return;
  size_t offset = Entry(layout_.names, i, kNameSlotSize);
  image_.replace(offset, kNameSlotSize, kNameSlotSize, '\0');
  SetSlotText(offset, kMaxNameLength, name);
}

uint16_t TAppInfo::GetFieldType(int i) const {
  return ValidField(i) ? Word(Entry(layout_.types, i, kWordSize)) : 0;
}

void TAppInfo::SetFieldType(uint16_t code, int i) {
  if (!ValidField(i)) return;
  if (code == field_type::kIntDate) code = field_type::kDate;
  SetWord(Entry(layout_.types, i, kWordSize), code);
}

int TAppInfo::GetFieldCount() const { return Word(layout_.field_count); }
void TAppInfo::SetFieldCount(int n) { SetWord(layout_.field_count, n); }
int TAppInfo::GetAppInfoStamp() const { return Word(layout_.stamp); }
void TAppInfo::SetAppInfoStamp(int v) { SetWord(layout_.stamp, v); }

int TAppInfo::GetFieldWidth(int i) const {
  return ValidField(i) ? static_cast<int16_t>(Word(Entry(layout_.widths, i, kWordSize))) : 0;
}

void TAppInfo::SetFieldWidth(int w, int i) {
  if (ValidField(i)) SetWord(Entry(layout_.widths, i, kWordSize), w);
}

int TAppInfo::ClampedWidth(int i) const {
  if (!ValidField(i)) return 0;
  return std::min<int>(Word(Entry(layout_.widths, i, kWordSize)), kMaxProWidth);
}

void TAppInfo::SetClampedWidth(int w, int i) {
  if (!ValidField(i)) return;
  SetWord(Entry(layout_.widths, i, kWordSize), std::max<int>(kMinProWidth, static_cast<uint16_t>(w)));
}

int TAppInfo::GetViewWidth() const { return Word(layout_.view_width); }
void TAppInfo::SetViewWidth(int v) { SetWord(layout_.view_width, v); }

int TAppInfo::GetSortField(int k) const {
  if (k < 1 || k > kSortFieldCount) return 0;
  return Word(Entry(layout_.sort_fields, k, kWordSize));
}

void TAppInfo::SetSortField(int v, int k) {
  if (k >= 1 && k <= kSortFieldCount) SetWord(Entry(layout_.sort_fields, k, kWordSize), v);
}

int TAppInfo::GetFindField() const { return Word(layout_.find_field); }
void TAppInfo::SetFindField(int v) { SetWord(layout_.find_field, v); }
int TAppInfo::GetFilterField() const { return Word(layout_.filter_field); }
void TAppInfo::SetFilterField(int v) { SetWord(layout_.filter_field, v); }

std::string TAppInfo::GetFindString() const { return SlotText(layout_.find_string, kMaxTextLength); }
void TAppInfo::SetFindString(const std::string& s) { SetSlotText(layout_.find_string, kMaxTextLength, s); }
std::string TAppInfo::GetFilterString() const { return SlotText(layout_.filter_string, kMaxTextLength); }
void TAppInfo::SetFilterString(const std::string& s) { SetSlotText(layout_.filter_string, kMaxTextLength, s); }

int TAppInfo::GetFlags() const { return Word(layout_.flags); }
void TAppInfo::SetFlags(int v) { SetWord(layout_.flags, v); }
int TAppInfo::GetFirstColumn() const { return Word(layout_.first_column); }
void TAppInfo::SetFirstColumn(int v) { SetWord(layout_.first_column, v); }

std::string TAppInfo::GetPassword() const { return std::string(); }
void TAppInfo::SetPassword(const std::string&) {}

uint32_t TAppInfo::GetFieldOption(int i, int t) const {
  if (!ValidField(i) || (t != 1 && t != 2)) return 0;
  size_t table = t == 1 ? layout_.options1 : layout_.options2;
  return GetBig32(At(image_, Entry(table, i, kOptionSize)));
}

void TAppInfo::SetFieldOption(uint32_t v, int i, int t) {
  if (!ValidField(i) || (t != 1 && t != 2)) return;
  size_t table = t == 1 ? layout_.options1 : layout_.options2;
  PutBig32(At(image_, Entry(table, i, kOptionSize)), v);
}

std::string TAppInfo::ToFileForm() const {
  std::string bytes = image_;
  for (int i = 1; i <= layout_.max_fields; ++i) {
    NameSlotToFile(bytes, Entry(layout_.names, i, kNameSlotSize));
  }
  TextSlotToFile(bytes, layout_.find_string, kMaxTextLength);
  TextSlotToFile(bytes, layout_.filter_string, kMaxTextLength);
  return bytes;
}

void TAppInfo::FromFileForm(const std::string& bytes) {
  std::string file = ToFileForm();
  file.replace(0, std::min(bytes.size(), file.size()), bytes, 0, std::min(bytes.size(), file.size()));
  image_ = MemoryForm(std::move(file), layout_);
}

void TAppInfo::ReadBlock(Stream& stream) {
  std::string file = ToFileForm();
  stream.Read(file.data(), file.size());  // a short read leaves the rest of the block as it was
  image_ = MemoryForm(std::move(file), layout_);
}

void TAppInfo::WriteBlock(Stream& stream) {
  std::string file = ToFileForm();
  stream.Write(file.data(), file.size());
  image_ = MemoryForm(std::move(file), layout_);
}

TAppInfo3::TAppInfo3() : TAppInfo(kBlock3) {}

std::string TAppInfo3::GetPassword() const { return SlotText(layout_.password, kMaxPasswordLength); }

void TAppInfo3::SetPassword(const std::string& s) {
  image_.replace(layout_.password, kPasswordSize, kPasswordSize, '\0');
  SetSlotText(layout_.password, kMaxPasswordLength, s);
}

TAppInfo4UP::TAppInfo4UP() : TAppInfo(kBlock4) {}

uint16_t TAppInfo6::GetFieldType(int i) const {
  uint16_t code = TAppInfo5::GetFieldType(i);
  if (code == field_type::kDate && GetFieldOption(i, kIntDateTable) == kIntDateMark) return field_type::kIntDate;
  return code;
}

void TAppInfo6::SetFieldType(uint16_t code, int i) {
  // Any other type takes the mark away, so a later DATE is a plain DATE and no other type carries it.
  if (code == field_type::kIntDate) {
    SetFieldOption(kIntDateMark, i, kIntDateTable);
  } else if (GetFieldOption(i, kIntDateTable) == kIntDateMark) {
    SetFieldOption(0, i, kIntDateTable);
  }
  TAppInfo5::SetFieldType(code, i);
}

std::unique_ptr<TAppInfo> NewAppInfo(DataBaseMode mode) {
  switch (mode) {
    case DataBaseMode::STD:
      return std::make_unique<TAppInfo3>();
    case DataBaseMode::PRO:
      return std::make_unique<TAppInfo4>();
    case DataBaseMode::JF5:
      return std::make_unique<TAppInfo5>();
    default:
      return std::make_unique<TAppInfo6>();
  }
}

}  // namespace jf
