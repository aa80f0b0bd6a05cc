#include "jfile/model/jfile.h"

#include <algorithm>

#include "common/coding.h"
#include "common/errors.h"
#include "common/strings.h"
#include "jfile/model/app_info.h"
#include "jfile/model/extra_data.h"

namespace jf {

using namespace pdb_layout;

namespace {

constexpr size_t kReadLimit = 32000;
constexpr size_t kMergerLimit = 16000;
constexpr size_t kWriteLimit = 4000;
constexpr size_t kJF6WriteLimit = 32000;
// The longest value a 16-bit length-table entry can describe (the entry counts the NUL as well).
constexpr size_t kLengthTableLimit = 0xFFFE;
constexpr size_t kLengthEntrySize = 2;

constexpr uint16_t kHeaderReadOnly = 0x0400;
constexpr uint16_t kConvertedAttributes = 0x0800;
constexpr int kHeaderCategoryShift = 12;
constexpr uint16_t kCategoryBits = 0x000F;
constexpr uint16_t kLowTwelveBits = 0x0FFF;

constexpr char kNewName[] = "Untitled";
constexpr int kNewWidth = 100;
constexpr int kNewViewWidth = 100;
constexpr int kMinWidth = 20;
constexpr uint32_t kBlockAlignment = 4;
constexpr char kTrueText[] = "TRUE";
constexpr char kFalseText[] = "FALSE";
constexpr char kStoredTrue[] = "1";
constexpr char kStoredFalse[] = "0";

const std::string kNoText;

// A value as the records store it: up to its first NUL character (a NUL inside would end the text early).
size_t StoredLength(const std::string& value) { return std::min(value.find('\0'), value.size()); }

}  // namespace

const std::string& TDATA::Get(int i) const {
  if (i < 1 || static_cast<size_t>(i) > values_.size()) return kNoText;
  return values_[static_cast<size_t>(i - 1)];
}

void TDATA::Set(int i, std::string value) {
  if (i < 1 || i > capacity_) return;
  if (static_cast<size_t>(i) > values_.size()) {
    if (value.empty()) return;
    values_.resize(static_cast<size_t>(i));
  }
  values_[static_cast<size_t>(i - 1)] = std::move(value);
}

TJFILE::TJFILE(LibraryGeneration generation) : generation_(generation) { TJFILE::InitHeader(); }

TJFILE::~TJFILE() = default;

DataBaseMode TJFILE::DefaultMode() const {
  return generation_ == LibraryGeneration::kEarlier ? DataBaseMode::JF5 : DataBaseMode::JF6;
}

size_t TJFILE::ReadLimit() const {
  // The earlier generation reads as much as the current one: it writes values at full length, and a shorter
  // read limit would cut the longer values of a JF6 file on their way through.
  return generation_ == LibraryGeneration::kMerger ? kMergerLimit : kReadLimit;
}

size_t TJFILE::WriteLimit() const {
  if (generation_ == LibraryGeneration::kEarlier) return kLengthTableLimit;
  if (mode_ != DataBaseMode::JF6) return kWriteLimit;
  return generation_ == LibraryGeneration::kMerger ? kMergerLimit : kJF6WriteLimit;
}

template <typename Value, typename Get, typename Set>
void TJFILE::ChangeSetting(const Value& value, Get get, Set set) {
  const auto before = get();
  if (before == value) return;
  set();
  // The block may cut or limit the value, so what it reads back decides whether anything changed.
  if (get() != before) Changed();
}

void TJFILE::InitHeader() {
  TPalmPilotDB::InitHeader();
  mode_ = DefaultMode();
  block_ = NewAppInfo(mode_);
  header_.name = kNewName;
  for (int i = 1; i <= kMaxFields; ++i) {
    block_->SetFieldWidth(kNewWidth, i);
    block_->SetFieldType(field_type::kUnset, i);
  }
  block_->SetViewWidth(kNewViewWidth);
  for (int k = 1; k <= app_info_layout::kSortFieldCount; ++k) block_->SetSortField(k, k);
  block_->SetFindField(1);
  block_->SetFilterField(1);
  block_->SetFirstColumn(1);
  header_.type = ModeType(mode_);
  header_.creator = ModeCreator(mode_);
  records_.clear();
  ClearExtras();
  modified_ = false;
  loaded_ = false;
  update_depth_ = 0;
  true_text_ = kTrueText;
  false_text_ = kFalseText;
}

void TJFILE::ReadDatabase() {
  TPalmPilotDB::ReadDatabase();
  mode_ = ModeFromCreator(header_.creator, generation_);
  if (RecordListTruncated()) throw EInOutError("Damaged database: the record list runs past the end of the file");
  block_ = NewAppInfo(mode_);
  const uint64_t block_start = header_.app_info_offset;
  if (block_start < DataStart()) {
    throw EInOutError("Damaged database: the application-info block starts inside the header or the record list");
  }
  if (block_start + block_->BlockSize() > DataEnd()) {
    throw EInOutError("Damaged database: the application-info block runs past the end of the file");
  }
  records_.clear();
  ClearExtras();
  Stream& stream = *stream_;
  stream.Seek(base_ + header_.app_info_offset);
  block_->ReadBlock(stream);
  int count = block_->GetFieldCount();
  int limit = MaxFieldCount(mode_);
  if (count > limit) {
    throw EInOutError("Too many fields in database: " + IntegerText(count) + " (at most " + IntegerText(limit) +
                      ")");
  }
  loaded_ = true;
  stream.Seek(base_ + header_.app_info_offset + block_->BlockSize());
  ReadExtraData(stream);
  ReadRecords();
  modified_ = false;
  true_text_ = kTrueText;
  false_text_ = kFalseText;
}

uint64_t TJFILE::DataStart() const { return kHeaderSize + static_cast<uint64_t>(rec_hdr_.size()) * kRecordEntrySize; }

uint64_t TJFILE::DataEnd() const {
  const uint64_t size = stream_->Size();
  return size > base_ ? size - base_ : 0;
}

void TJFILE::ReadRecords() {
  // Deleted records are dropped, together with their list entries, so entry r stays the entry of record r.
  std::vector<RecordEntry> kept;
  kept.reserve(rec_hdr_.size());
  for (size_t k = 0; k < rec_hdr_.size(); ++k) {
    if ((rec_hdr_[k].attributes & kRecordDeleted) != 0) continue;
    // Records are named by their place in the file's record list, as a dump of the file shows them.
    const std::string number = IntegerText(static_cast<int32_t>(k + 1));
    const uint32_t offset = rec_hdr_[k].offset;
    if (offset < DataStart()) {
      throw EInOutError("Damaged database: record " + number + " starts inside the header or the record list");
    }
    // An offset at the very end is an empty last record.
    if (offset > DataEnd()) {
      throw EInOutError("Damaged database: record " + number + " starts past the end of the file");
    }
    auto holder = std::make_unique<TDATA>();
    // A record is read only within its own bytes, up to the nearest record after it.
    ReadRecord(*holder, ReadRecordData(static_cast<int>(k + 1)), number);
    records_.push_back(std::move(holder));
    kept.push_back(rec_hdr_[k]);
  }
  rec_hdr_ = std::move(kept);
  RecordListChanged();
  header_.record_count = static_cast<uint16_t>(rec_hdr_.size());
}

void TJFILE::ReadRecord(TDATA& holder, const std::string& data, const std::string& number) {
  int count = GetFieldCount();
  if (count == 0) return;
  const size_t limit = ReadLimit();
  if (mode_ == DataBaseMode::STD) {
    // Texts are found by their NULs; a last text without one reads to the end of the record.
    MemoryStream stream(data);
    for (int i = 1; i <= count; ++i) holder.Set(i, ReadText(stream, limit));
    return;
  }
  const size_t table = static_cast<size_t>(count) * kLengthEntrySize;
  if (table > data.size()) {
    throw EInOutError("Damaged database: the length table of record " + number + " runs past the end of the record");
  }
  const uint8_t* lengths = reinterpret_cast<const uint8_t*>(data.data());
  size_t position = table;
  for (int i = 1; i <= count; ++i) {
    const size_t length = GetBig16(lengths + static_cast<size_t>(i - 1) * kLengthEntrySize);
    if (length > data.size() - position) {
      throw EInOutError("Damaged database: the values of record " + number + " run past the end of the record");
    }
    std::string value = data.substr(position, length);
    value.resize(std::min(StoredLength(value), limit));
    holder.Set(i, std::move(value));
    position += length;
  }
}

void TJFILE::SetRecordCount(uint16_t n) {
  if (n == header_.record_count) return;
  records_.resize(n);
  for (auto& holder : records_) {
    if (!holder) holder = std::make_unique<TDATA>();
  }
  TPalmPilotDB::SetRecordCount(n);
  Changed();
}

void TJFILE::MarkModified() { modified_ = true; }

void TJFILE::Report(const std::string&, const std::vector<std::string>&) {}

std::string TJFILE::GetDisplayValue(int i, int r) const {
  std::string value = GetFieldValue(i, r);
  if (GetFieldType(i) == field_type::kBoolean) {
    if (value == kStoredTrue) return true_text_;
    if (value == kStoredFalse) return false_text_;
  }
  return value;
}

void TJFILE::SetDataBaseMode(DataBaseMode mode) {
  if (generation_ == LibraryGeneration::kEarlier && mode == DataBaseMode::JF6) mode = DataBaseMode::JF5;
  if (mode == mode_) return;
  const bool into_jfile5 = mode == DataBaseMode::JF5 || mode == DataBaseMode::JF6;
  if (into_jfile5 && HasPresets()) {
    mode_ = mode;
    Changed();
    return;
  }
  const TAppInfo& old = *block_;
  const int n = GetFieldCount();
  const int category = GetCategory();
  const bool read_only = GetReadOnly();
  const uint16_t category_bits = static_cast<uint16_t>(category << app_info_layout::kCategoryShift);
  auto fresh = NewAppInfo(mode);
  const int copied = std::min(n, MaxFieldCount(mode));
  fresh->SetFieldCount(copied);
  for (int i = 1; i <= copied; ++i) {
    fresh->SetFieldName(old.GetFieldName(i), i);
    fresh->SetFieldType(old.GetFieldType(i), i);
    fresh->SetFieldWidth(old.GetFieldWidth(i), i);
  }
  fresh->SetAppInfoStamp(mode == DataBaseMode::STD ? app_info_layout::kStampStd : app_info_layout::kStampOther);
  fresh->SetViewWidth(old.GetViewWidth());
  for (int k = 1; k <= app_info_layout::kSortFieldCount; ++k) fresh->SetSortField(std::min(old.GetSortField(k), n), k);
  fresh->SetFindField(std::min(old.GetFindField(), n));
  fresh->SetFilterField(std::min(old.GetFilterField(), n));
  fresh->SetFindString(old.GetFindString());
  fresh->SetFilterString(old.GetFilterString());
  fresh->SetFirstColumn(mode == DataBaseMode::STD ? std::min(old.GetFirstColumn(), n) : old.GetFirstColumn());
  if (into_jfile5) {
    // The category and the read-only flag move from the block into the header; the backup bit stays.
    header_.attributes = static_cast<uint16_t>(category_bits | kConvertedAttributes |
                                               (read_only ? kHeaderReadOnly : 0) |
                                               (header_.attributes & kAttributeBackup));
    header_.version = static_cast<uint16_t>((header_.version & kLowTwelveBits) | category_bits);
  } else {
    fresh->SetFlags(category_bits | (read_only ? app_info_layout::kFlagReadOnly : 0));
  }
  header_.type = ModeType(mode);
  header_.creator = ModeCreator(mode);
  mode_ = mode;
  block_ = std::move(fresh);
  Changed();
}

int TJFILE::GetFieldCount() const { return block_ ? block_->GetFieldCount() : 0; }

void TJFILE::SetFieldCount(int n) {
  int limit = MaxFieldCount(mode_);
  if (n < 0 || n > limit) {
    throw ERangeError("Too many fields in database: " + IntegerText(n) + " (at most " + IntegerText(limit) + ")");
  }
  ChangeSetting(n, [&] { return block_->GetFieldCount(); }, [&] { block_->SetFieldCount(n); });
}

std::string TJFILE::GetFieldName(int i) const { return block_->GetFieldName(i); }
void TJFILE::SetFieldName(const std::string& name, int i) {
  ChangeSetting(name, [&] { return block_->GetFieldName(i); }, [&] { block_->SetFieldName(name, i); });
}

uint16_t TJFILE::GetFieldType(int i) const {
  if (i < 1 || i > GetFieldCount()) return field_type::kUnset;
  return block_->GetFieldType(i);
}

void TJFILE::SetFieldType(uint16_t code, int i) {
  ChangeSetting(code, [&] { return block_->GetFieldType(i); }, [&] { block_->SetFieldType(code, i); });
}

std::string TJFILE::GetFieldTypeName(int i) const { return FieldTypeName(GetFieldType(i), generation_); }

int TJFILE::GetFieldWidth(int i) const { return block_->GetFieldWidth(i); }

void TJFILE::SetFieldWidth(int width, int i) {
  if (width != 0 && width > -kMinWidth && width < kMinWidth) width = width < 0 ? -kMinWidth : kMinWidth;
  ChangeSetting(width, [&] { return block_->GetFieldWidth(i); }, [&] { block_->SetFieldWidth(width, i); });
}

int TJFILE::GetViewWidth() const { return block_->GetViewWidth(); }
void TJFILE::SetViewWidth(int v) {
  ChangeSetting(v, [&] { return block_->GetViewWidth(); }, [&] { block_->SetViewWidth(v); });
}
int TJFILE::GetSortField(int k) const { return block_->GetSortField(k); }
void TJFILE::SetSortField(int v, int k) {
  ChangeSetting(v, [&] { return block_->GetSortField(k); }, [&] { block_->SetSortField(v, k); });
}
int TJFILE::GetFindField() const { return block_->GetFindField(); }
void TJFILE::SetFindField(int v) {
  ChangeSetting(v, [&] { return block_->GetFindField(); }, [&] { block_->SetFindField(v); });
}
int TJFILE::GetFilterField() const { return block_->GetFilterField(); }
void TJFILE::SetFilterField(int v) {
  ChangeSetting(v, [&] { return block_->GetFilterField(); }, [&] { block_->SetFilterField(v); });
}
std::string TJFILE::GetFindString() const { return block_->GetFindString(); }
void TJFILE::SetFindString(const std::string& s) {
  ChangeSetting(s, [&] { return block_->GetFindString(); }, [&] { block_->SetFindString(s); });
}
std::string TJFILE::GetFilterString() const { return block_->GetFilterString(); }
void TJFILE::SetFilterString(const std::string& s) {
  ChangeSetting(s, [&] { return block_->GetFilterString(); }, [&] { block_->SetFilterString(s); });
}
int TJFILE::GetFirstColumn() const { return block_->GetFirstColumn(); }
void TJFILE::SetFirstColumn(int v) {
  ChangeSetting(v, [&] { return block_->GetFirstColumn(); }, [&] { block_->SetFirstColumn(v); });
}

int TJFILE::GetCategory() const {
  if (block_->HoldsCategoryAndReadOnly()) return block_->GetCategory();
  return (header_.version >> kHeaderCategoryShift) & kCategoryBits;
}

void TJFILE::SetCategory(int category) {
  if (block_->HoldsCategoryAndReadOnly()) {
    ChangeSetting(category, [&] { return block_->GetCategory(); }, [&] { block_->SetCategory(category); });
    return;
  }
  uint16_t version = static_cast<uint16_t>((header_.version & kLowTwelveBits) |
                                           ((category & kCategoryBits) << kHeaderCategoryShift));
  if (version == header_.version) return;
  header_.version = version;
  Changed();
}

bool TJFILE::GetReadOnly() const {
  if (!block_) return true;
  if (block_->HoldsCategoryAndReadOnly()) return (block_->GetFlags() & app_info_layout::kFlagReadOnly) != 0;
  return (header_.attributes & kHeaderReadOnly) != 0;
}

void TJFILE::SetReadOnly(bool read_only) {
  if (block_->HoldsCategoryAndReadOnly()) {
    int flags = block_->GetFlags();
    flags = read_only ? (flags | app_info_layout::kFlagReadOnly) : (flags & ~app_info_layout::kFlagReadOnly);
    ChangeSetting(read_only, [&] { return GetReadOnly(); }, [&] { block_->SetFlags(flags); });
    return;
  }
  uint16_t attributes = read_only ? static_cast<uint16_t>(header_.attributes | kHeaderReadOnly)
                                  : static_cast<uint16_t>(header_.attributes & ~kHeaderReadOnly);
  if (attributes == header_.attributes) return;
  header_.attributes = attributes;
  Changed();
}

std::string TJFILE::GetFieldValue(int i, int r) const {
  if (r < 1 || r > RecordCount() || static_cast<size_t>(r) > records_.size()) return std::string();
  if (i < 1 || i > GetFieldCount() || !records_[static_cast<size_t>(r - 1)]) return std::string();
  return records_[static_cast<size_t>(r - 1)]->Get(i);
}

void TJFILE::SetFieldValue(const std::string& value, int i, int r) {
  if (r < 1 || static_cast<size_t>(r) > records_.size() || i < 1 || i > kMaxFields) return;
  TDATA* holder = records_[static_cast<size_t>(r - 1)].get();
  if (holder == nullptr) return;
  std::string stored = value;
  if (GetFieldType(i) == field_type::kBoolean) {
    std::string upper = UpperText(value);
    if (upper == UpperText(true_text_)) {
      stored = kStoredTrue;
    } else if (upper == UpperText(false_text_)) {
      stored = kStoredFalse;
    }
  }
  if (holder->Get(i) == stored) return;
  holder->Set(i, std::move(stored));
  Changed();
}

void TJFILE::WriteRecords(Stream& stream) {
  const size_t limit = WriteLimit();
  const int count = GetFieldCount();
  for (int r = 1; r <= RecordCount(); ++r) {
    RecordEntry& entry = rec_hdr_[static_cast<size_t>(r - 1)];
    entry.offset = static_cast<uint32_t>(stream.Position() - base_);
    entry.attributes = kRecordDirty;
    entry.unique_id = {0, 0, 0};
    std::string table;
    std::string texts;
    for (int i = 1; i <= count; ++i) {
      std::string value = GetFieldValue(i, r);
      size_t length = std::min(StoredLength(value), limit);
      AppendBig16(&table, static_cast<uint16_t>(length + 1));
      texts.append(value, 0, length);
      texts.push_back('\0');
    }
    if (mode_ != DataBaseMode::STD) stream.Write(table.data(), table.size());
    stream.Write(texts.data(), texts.size());
  }
}

int TJFILE::SaveToStream(Stream& stream) {
  block_->SetAppInfoStamp(mode_ == DataBaseMode::STD ? app_info_layout::kStampStd : app_info_layout::kStampOther);
  // No sort-info block is written, so an offset carried from a read file would point at other data.
  header_.sort_info_offset = 0;
  WriteHeader(stream);
  WriteRecordList(stream);
  uint64_t offset = stream.Position() - base_;
  while (offset % kBlockAlignment != 0) {
    const char zero = '\0';
    stream.Write(&zero, 1);
    offset = stream.Position() - base_;
  }
  header_.app_info_offset = static_cast<uint32_t>(offset);
  WriteHeader(stream);
  stream.Seek(base_ + offset);
  block_->WriteBlock(stream);
  // The block in the file keeps the types as they stood; the new types hold in memory from here on.
  for (int i = 1; i <= GetFieldCount(); ++i) {
    if (block_->GetFieldType(i) == field_type::kUnset) block_->SetFieldType(field_type::kString, i);
  }
  WriteExtraData(stream);
  if (mode_ != DataBaseMode::STD) {
    WriteText(extra_data::kTrailer, stream);
    const char zero = '\0';
    stream.Write(&zero, 1);
  }
  WriteRecords(stream);
  WriteHeader(stream);
  WriteRecordList(stream);
  modified_ = false;
  return 0;
}

void TJFILE::SaveAs(const std::string& name) {
  // A failed write leaves the object describing the file it still has.
  const PalmHeader saved_header = header_;
  const std::vector<RecordEntry> saved_list = rec_hdr_;
  const bool saved_modified = modified_;
  header_.name = name.substr(0, kMaxNameLength);
  try {
    Rewrite([this](Stream& stream) { SaveToStream(stream); });
  } catch (...) {
    header_ = saved_header;
    rec_hdr_ = saved_list;
    RecordListChanged();
    modified_ = saved_modified;
    throw;
  }
}

void TJFILE::BeginUpdate() { ++update_depth_; }

void TJFILE::EndUpdate() {
  if (update_depth_ == 0) return;  // an unmatched end: no bracket to close
  --update_depth_;
  Changed();
}

void TJFILE::Changed() {
  if (update_depth_ == 0) MarkModified();
}

}  // namespace jf
