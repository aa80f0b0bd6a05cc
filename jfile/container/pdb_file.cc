#include "jfile/container/pdb_file.h"

#include <algorithm>
#include <cstring>

#include "common/coding.h"
#include "common/dates.h"
#include "common/errors.h"
#include "platform/file_io.h"

namespace jf {

using namespace pdb_layout;

namespace {

constexpr uint16_t kNewVersion = 1;
constexpr uint32_t kNewModificationNumber = 2287;

FourBytes GetId(const uint8_t* p) {
  FourBytes id;
  std::memcpy(id.data(), p, 4);
  return id;
}

}  // namespace

FourBytes IdBytes(const char (&id)[5]) {
  return FourBytes{static_cast<uint8_t>(id[0]), static_cast<uint8_t>(id[1]), static_cast<uint8_t>(id[2]),
                   static_cast<uint8_t>(id[3])};
}

std::string IdText(const FourBytes& id) { return std::string(id.begin(), id.end()); }

PalmHeader DecodeHeader(const uint8_t* p) {
  PalmHeader h;
  size_t length = 0;
  while (length < kMaxNameLength && p[kNameOffset + length] != 0) ++length;
  h.name.assign(reinterpret_cast<const char*>(p + kNameOffset), length);
  h.attributes = GetBig16(p + kAttributesOffset);
  h.version = GetBig16(p + kVersionOffset);
  h.creation_time = GetBig32(p + kCreationTimeOffset);
  h.modification_time = GetBig32(p + kModificationTimeOffset);
  h.backup_time = GetBig32(p + kBackupTimeOffset);
  h.modification_number = GetBig32(p + kModificationNumberOffset);
  h.app_info_offset = GetBig32(p + kAppInfoOffsetOffset);
  h.sort_info_offset = GetBig32(p + kSortInfoOffsetOffset);
  h.type = GetId(p + kTypeOffset);
  h.creator = GetId(p + kCreatorOffset);
  h.unique_id_seed = GetId(p + kUniqueIdSeedOffset);
  h.next_record_list_id = GetId(p + kNextRecordListOffset);
  h.record_count = GetBig16(p + kRecordCountOffset);
  return h;
}

void EncodeHeader(const PalmHeader& h, uint8_t* p) {
  std::memset(p + kNameOffset, 0, kNameSize);
  std::memcpy(p + kNameOffset, h.name.data(), std::min(h.name.size(), kMaxNameLength));
  PutBig16(p + kAttributesOffset, h.attributes);
  PutBig16(p + kVersionOffset, h.version);
  PutBig32(p + kCreationTimeOffset, h.creation_time);
  PutBig32(p + kModificationTimeOffset, h.modification_time);
  PutBig32(p + kBackupTimeOffset, h.backup_time);
  PutBig32(p + kModificationNumberOffset, h.modification_number);
  PutBig32(p + kAppInfoOffsetOffset, h.app_info_offset);
  PutBig32(p + kSortInfoOffsetOffset, h.sort_info_offset);
  std::memcpy(p + kTypeOffset, h.type.data(), 4);
  std::memcpy(p + kCreatorOffset, h.creator.data(), 4);
  std::memcpy(p + kUniqueIdSeedOffset, h.unique_id_seed.data(), 4);
  std::memcpy(p + kNextRecordListOffset, h.next_record_list_id.data(), 4);
  PutBig16(p + kRecordCountOffset, h.record_count);
}

RecordEntry DecodeRecordEntry(const uint8_t* p) {
  RecordEntry e;
  e.offset = GetBig32(p + kEntryOffsetOffset);
  e.attributes = p[kEntryAttributesOffset];
  std::memcpy(e.unique_id.data(), p + kEntryUniqueIdOffset, 3);
  return e;
}

void EncodeRecordEntry(const RecordEntry& e, uint8_t* p) {
  PutBig32(p + kEntryOffsetOffset, e.offset);
  p[kEntryAttributesOffset] = e.attributes;
  std::memcpy(p + kEntryUniqueIdOffset, e.unique_id.data(), 3);
}

bool IsPalmDatabaseImage(const std::string& bytes) {
  if (bytes.size() < kHeaderSize) return false;
  const uint8_t* p = reinterpret_cast<const uint8_t*>(bytes.data());
  PalmHeader h = DecodeHeader(p);
  uint64_t list_end = kHeaderSize + uint64_t{h.record_count} * kRecordEntrySize;
  if (list_end > bytes.size()) return false;
  uint64_t previous = list_end;
  if (h.app_info_offset != 0) {
    if (h.app_info_offset < list_end || h.app_info_offset > bytes.size()) return false;
    previous = h.app_info_offset;
  }
  for (uint32_t i = 0; i < h.record_count; ++i) {
    uint32_t offset = GetBig32(p + kHeaderSize + i * kRecordEntrySize + kEntryOffsetOffset);
    if (offset < previous || offset > bytes.size()) return false;
    previous = offset;
  }
  return true;
}

bool IsPalmDatabaseFile(const std::string& name) {
  try {
    return IsPalmDatabaseImage(ReadWholeFile(name, FileOpenMode::kReadOnly));
  } catch (const EError&) {
    return false;
  }
}

TPalmPilotDB::TPalmPilotDB() : stream_(std::make_unique<MemoryStream>()) {}
TPalmPilotDB::~TPalmPilotDB() = default;

void TPalmPilotDB::CreateNew(const std::string& name) {
  if (!CanCreateFile(name)) throw EFCreateError("Cannot create file " + name);
  stream_ = std::make_unique<MemoryStream>();
  InitHeader();
  file_name_ = name;
}

void TPalmPilotDB::OpenFile(const std::string& name) {
  stream_ = std::make_unique<MemoryStream>(ReadWholeFile(name, DefaultFileOpenMode()));
  file_name_ = ResolveExistingCase(name);
  ReadDatabase();
}

void TPalmPilotDB::OpenStream(std::unique_ptr<Stream> stream) {
  stream_ = std::move(stream);
  file_name_.clear();
  ReadDatabase();
}

void TPalmPilotDB::InitHeader() {
  base_ = 0;
  header_ = PalmHeader();
  header_.creation_time = PalmTimeNow();
  header_.modification_time = PalmTimeNow();
  header_.attributes = kAttributeBackup;
  header_.version = kNewVersion;
  header_.modification_number = kNewModificationNumber;
  rec_hdr_.clear();
}

void TPalmPilotDB::ReadHeader(Stream& stream) {
  uint8_t bytes[kHeaderSize] = {};
  stream.Seek(base_);
  stream.Read(bytes, kHeaderSize);  // a short read leaves zero bytes
  header_ = DecodeHeader(bytes);
}

void TPalmPilotDB::ReadDatabase() {
  base_ = stream_->Position();
  ReadHeader(*stream_);
  // Only the entries that lie within the stream are kept: a damaged count never makes up entries or asks for
  // more memory than the file holds.
  uint64_t size = stream_->Size();
  uint64_t room = size > base_ + kHeaderSize ? size - base_ - kHeaderSize : 0;
  size_t present = static_cast<size_t>(std::min<uint64_t>(header_.record_count, room / kRecordEntrySize));
  record_list_truncated_ = present < header_.record_count;
  rec_hdr_.assign(present, RecordEntry());
  RecordListChanged();
  if (present == 0) return;
  std::vector<uint8_t> list(present * kRecordEntrySize, 0);
  stream_->Seek(base_ + kHeaderSize);
  stream_->Read(list.data(), list.size());
  for (size_t i = 0; i < present; ++i) rec_hdr_[i] = DecodeRecordEntry(&list[i * kRecordEntrySize]);
}

void TPalmPilotDB::SetRecordCount(uint16_t n) {
  if (n == header_.record_count) return;
  rec_hdr_.resize(n);
  header_.record_count = n;
  RecordListChanged();
}

void TPalmPilotDB::WriteHeader(Stream& stream) const {
  uint8_t bytes[kHeaderSize];
  EncodeHeader(header_, bytes);
  stream.Seek(base_);
  stream.Write(bytes, kHeaderSize);
}

void TPalmPilotDB::WriteRecordList(Stream& stream) const {
  std::vector<uint8_t> list(rec_hdr_.size() * kRecordEntrySize);
  for (size_t i = 0; i < rec_hdr_.size(); ++i) EncodeRecordEntry(rec_hdr_[i], &list[i * kRecordEntrySize]);
  stream.Seek(base_ + kHeaderSize);
  if (!list.empty()) stream.Write(list.data(), list.size());
}

uint32_t TPalmPilotDB::RecordOffset(int i) const { return rec_hdr_[static_cast<size_t>(i - 1)].offset; }

const std::vector<TPalmPilotDB::Extent>& TPalmPilotDB::Extents() const {
  if (extents_valid_) return extents_;
  std::vector<size_t> order(rec_hdr_.size());
  for (size_t k = 0; k < order.size(); ++k) order[k] = k;
  std::stable_sort(order.begin(), order.end(),
                   [this](size_t a, size_t b) { return rec_hdr_[a].offset < rec_hdr_[b].offset; });
  extents_.clear();
  for (size_t k : order) {
    if (extents_.empty() || extents_.back().offset != rec_hdr_[k].offset) {
      extents_.push_back(Extent{rec_hdr_[k].offset, k});
    } else {
      extents_.back().owner = k;  // the last entry at this offset has the bytes, the earlier ones are empty
    }
  }
  extents_valid_ = true;
  return extents_;
}

uint32_t TPalmPilotDB::RecordSize(int i) const {
  uint64_t stream_size = stream_->Size();
  uint64_t data_end = stream_size > base_ ? stream_size - base_ : 0;
  uint64_t listed = std::max<uint64_t>(rec_hdr_.size(), header_.record_count);
  uint64_t data_start = kHeaderSize + listed * kRecordEntrySize;
  const uint32_t start = RecordOffset(i);
  const std::vector<Extent>& extents = Extents();
  auto here = std::lower_bound(extents.begin(), extents.end(), start,
                               [](const Extent& e, uint32_t offset) { return e.offset < offset; });
  if (here == extents.end() || here->owner != static_cast<size_t>(i - 1)) return 0;
  auto next = here + 1;
  uint64_t end = next == extents.end() ? data_end : std::min<uint64_t>(next->offset, data_end);
  if (start < data_start || end <= start) return 0;
  return static_cast<uint32_t>(end - start);
}

std::string TPalmPilotDB::ReadRecordData(int i, bool* deleted) {
  bool is_deleted = (rec_hdr_[static_cast<size_t>(i - 1)].attributes & kRecordDeleted) != 0;
  if (deleted != nullptr) *deleted = is_deleted;
  if (is_deleted) return std::string();
  std::string data(RecordSize(i), '\0');
  stream_->Seek(base_ + RecordOffset(i));
  data.resize(stream_->Read(data.data(), data.size()));
  return data;
}

void TPalmPilotDB::Rewrite(const std::function<void(Stream&)>& write) {
  // The image is built apart at base 0, so a failure while building it leaves the database untouched.
  auto image = std::make_unique<MemoryStream>();
  uint64_t saved_base = base_;
  base_ = 0;
  try {
    write(*image);
  } catch (...) {
    base_ = saved_base;
    RecordListChanged();
    throw;
  }
  RecordListChanged();
  if (!file_name_.empty()) {
    WriteFileAtomically(file_name_, image->bytes());
    stream_ = std::move(image);
    return;
  }
  base_ = saved_base;
  stream_->Seek(base_);
  stream_->Write(image->bytes().data(), image->bytes().size());
  stream_->Truncate();
}

}  // namespace jf
