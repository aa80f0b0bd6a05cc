// The Palm database container: the 78-byte header, the record list and the raw bytes of single records of any
// Palm database (.PDB) file. It knows nothing of JFile; TJFILE derives from it.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/stream.h"

namespace jf {

// The JFile layouts, in their fixed order. Declared here beside the container; the JFile model gives them meaning.
enum class DataBaseMode : uint8_t { STD = 0, PRO = 1, JF5 = 2, JF6 = 3 };

// Byte layout of the header and the record list, offsets from the start of each.
namespace pdb_layout {
constexpr size_t kNameOffset = 0;
constexpr size_t kNameSize = 32;
constexpr size_t kMaxNameLength = 31;
constexpr size_t kAttributesOffset = 32;
constexpr size_t kVersionOffset = 34;
constexpr size_t kCreationTimeOffset = 36;
constexpr size_t kModificationTimeOffset = 40;
constexpr size_t kBackupTimeOffset = 44;
constexpr size_t kModificationNumberOffset = 48;
constexpr size_t kAppInfoOffsetOffset = 52;
constexpr size_t kSortInfoOffsetOffset = 56;
constexpr size_t kTypeOffset = 60;
constexpr size_t kCreatorOffset = 64;
constexpr size_t kUniqueIdSeedOffset = 68;
constexpr size_t kNextRecordListOffset = 72;
constexpr size_t kRecordCountOffset = 76;
constexpr size_t kHeaderSize = 78;

constexpr size_t kEntryOffsetOffset = 0;
constexpr size_t kEntryAttributesOffset = 4;
constexpr size_t kEntryUniqueIdOffset = 5;
constexpr size_t kRecordEntrySize = 8;

constexpr uint8_t kRecordDeleted = 0x80;
constexpr uint8_t kRecordDirty = 0x40;
constexpr uint16_t kAttributeBackup = 0x0008;
constexpr uint32_t kMaxRecords = 65535;
}  // namespace pdb_layout

using FourBytes = std::array<uint8_t, 4>;

// Four stored bytes from a four-character id such as "JfD5".
FourBytes IdBytes(const char (&id)[5]);
// The four stored bytes as a text of four characters.
std::string IdText(const FourBytes& id);

// The header in memory: numbers in host order; type, creator, unique-id seed and next record list id as stored.
struct PalmHeader {
  std::string name;  // at most 31 characters
  uint16_t attributes = 0;
  uint16_t version = 0;
  uint32_t creation_time = 0;
  uint32_t modification_time = 0;
  uint32_t backup_time = 0;
  uint32_t modification_number = 0;
  uint32_t app_info_offset = 0;
  uint32_t sort_info_offset = 0;
  FourBytes type{};
  FourBytes creator{};
  FourBytes unique_id_seed{};
  FourBytes next_record_list_id{};
  uint16_t record_count = 0;
};

// One record list entry: the data offset in host order, attributes and unique id as stored.
struct RecordEntry {
  uint32_t offset = 0;
  uint8_t attributes = 0;
  std::array<uint8_t, 3> unique_id{};
};

// Decodes the 78 header bytes at p: the name is taken up to its first NUL, at most 31 characters.
PalmHeader DecodeHeader(const uint8_t* p);
// Encodes the header into 78 bytes at p: the name cut to 31 characters and NUL-filled to 32 bytes.
void EncodeHeader(const PalmHeader& header, uint8_t* p);
RecordEntry DecodeRecordEntry(const uint8_t* p);
void EncodeRecordEntry(const RecordEntry& entry, uint8_t* p);

// True when bytes hold a Palm database: at least the header and its whole record list, and every record offset
// (and the application-info offset when not 0) lies after the record list, within the bytes, in ascending order.
bool IsPalmDatabaseImage(const std::string& bytes);
// The same test on a file; false when it cannot be read.
bool IsPalmDatabaseFile(const std::string& name);

// One Palm database bound to a stream. Build an object, then call one of the three constructors (CreateNew,
// OpenFile, OpenStream) once; they reach the virtual InitHeader and ReadDatabase of the most derived class.
class TPalmPilotDB {
 public:
  TPalmPilotDB();
  virtual ~TPalmPilotDB();
  TPalmPilotDB(const TPalmPilotDB&) = delete;
  TPalmPilotDB& operator=(const TPalmPilotDB&) = delete;

  // A new database to be written at name. Nothing is written until the database is saved, and the save replaces
  // the file whole; raises EFCreateError "Cannot create file %s" when no file can be created there.
  void CreateNew(const std::string& name);
  // Reads an existing file whole (letter case of the name resolved as on disk) in the process-wide open mode,
  // then ReadDatabase. Raises EFOpenError "Cannot open file %s".
  void OpenFile(const std::string& name);
  // Takes the caller's stream and reads the database from its current position.
  void OpenStream(std::unique_ptr<Stream> stream);

  virtual void InitHeader();
  // Reads the header and the record list at the stream's current position.
  virtual void ReadDatabase();
  // Sets the record count and resizes the record list, keeping the first entries.
  virtual void SetRecordCount(uint16_t n);

  void ReadHeader(Stream& stream);
  // Writes the 78 header bytes at Base.
  void WriteHeader(Stream& stream) const;
  // Writes the record list right after the header.
  void WriteRecordList(Stream& stream) const;

  // Data offset of record i (1-based), relative to Base; i within 1..RecordList().size().
  uint32_t RecordOffset(int i) const;
  // Number of data bytes of record i: from its offset to the nearest higher offset of any record in the list,
  // or to the end of the stream when none is higher. For a file written in list order that is the next
  // record's offset; offsets out of order or of deleted records never cut a record short. Where several
  // entries share an offset, the last of them in the list has the bytes and the others are empty (as an empty
  // record shares its offset with the next one), so no byte of the file belongs to two records. 0 when the
  // offset lies inside the header and record list or past the end of the stream.
  uint32_t RecordSize(int i) const;
  // The raw bytes of record i; a deleted record gives no bytes (deleted is set true).
  std::string ReadRecordData(int i, bool* deleted = nullptr);

  PalmHeader& Header() { return header_; }
  const PalmHeader& Header() const { return header_; }
  std::vector<RecordEntry>& RecordList() {
    RecordListChanged();
    return rec_hdr_;
  }
  const std::vector<RecordEntry>& RecordList() const { return rec_hdr_; }
  uint64_t Base() const { return base_; }
  const std::string& FileName() const { return file_name_; }
  Stream& GetStream() { return *stream_; }
  // True when the record list ran past the end of the stream. RecordList() then holds only the entries that lie
  // within it, fewer than the header's record count.
  bool RecordListTruncated() const { return record_list_truncated_; }

 protected:
  // Builds a new image of the database with write (given a stream positioned at Base) and makes it the object's
  // contents: a file is replaced whole or not at all; a caller's stream is rewritten and cut at the new end.
  void Rewrite(const std::function<void(Stream&)>& write);
  // Subclasses that change rec_hdr_ directly call this so record sizes are measured afresh.
  void RecordListChanged() { extents_valid_ = false; }

  PalmHeader header_;
  std::vector<RecordEntry> rec_hdr_;
  uint64_t base_ = 0;
  std::string file_name_;
  std::unique_ptr<Stream> stream_;
  bool record_list_truncated_ = false;

 private:
  // One entry per distinct record offset, in ascending order, with the index of the record that has the bytes
  // there; built on first use after the list changed.
  struct Extent {
    uint32_t offset;
    size_t owner;
  };
  const std::vector<Extent>& Extents() const;
  mutable std::vector<Extent> extents_;
  mutable bool extents_valid_ = false;
};

}  // namespace jf
