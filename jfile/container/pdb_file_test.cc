#include "jfile/container/pdb_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "common/errors.h"
#include "platform/clock.h"
#include "platform/file_io.h"
#include "testing/test_util.h"

namespace jf {
namespace {

using testing::Hex;
using testing::ToHex;

// A header laid out field by field: name "Memo" with other bytes after its NUL, attributes 0x0048, version 3,
// the three times, modification number 0x11, application info at 0x66, sort info 0, type "DATA", creator "memo",
// unique-id seed 01 02 03 04, next record list id 0A 0B 0C 0D, 3 records.
const std::string kHeaderHex = R"(
  "Memo" 00 "junk" 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 41 42 43  # name, 32 bytes
  00 48            # attributes
  00 03            # version
  B6 A1 33 F2      # creation time
  B6 A1 33 F4      # modification time
  00 00 00 00      # backup time
  00 00 00 11      # modification number
  00 00 00 66      # application-info offset
  00 00 00 00      # sort-info offset
  "DATA" "memo"    # type, creator
  01 02 03 04      # unique-id seed
  0A 0B 0C 0D      # next record list id
  00 03            # record count
)";

// Three entries after that header (the list ends at 0x66), then the application-info block and the records:
// record 1 at 0x6E (4 bytes), record 2 at 0x72 deleted, record 3 at 0x72 running to the end of the file.
const std::string kRecordListHex = R"(
  00 00 00 6E 40 00 00 01
  00 00 00 72 C0 00 00 02
  00 00 00 72 00 12 34 56
)";
const std::string kDataHex = R"(
  "appinfo!"               # 0x66..0x6D
  "rec1"                   # 0x6E..0x71
  "third"                  # 0x72..0x76, the last record: to the end of the file
)";

std::string SampleImage() { return Hex(kHeaderHex) + Hex(kRecordListHex) + Hex(kDataHex); }

// Reads the image into a fresh container through a memory stream positioned at `base`.
void OpenImage(TPalmPilotDB& db, const std::string& image, size_t base = 0) {
  auto stream = std::make_unique<MemoryStream>(image);
  stream->Seek(base);
  db.OpenStream(std::move(stream));
}

// A memory stream that remembers the furthest byte any read asked for.
class WatchedStream : public MemoryStream {
 public:
  using MemoryStream::MemoryStream;
  size_t Read(void* buffer, size_t n) override {
    furthest_ = std::max<uint64_t>(furthest_, Position() + n);
    return MemoryStream::Read(buffer, n);
  }
  uint64_t furthest() const { return furthest_; }

 private:
  uint64_t furthest_ = 0;
};

TEST(PalmHeader, DecodesEveryFieldFromTheLayout) {
  std::string bytes = Hex(kHeaderHex);
  ASSERT_EQ(bytes.size(), pdb_layout::kHeaderSize);
  PalmHeader h = DecodeHeader(reinterpret_cast<const uint8_t*>(bytes.data()));
  EXPECT_EQ(h.name, "Memo");
  EXPECT_EQ(h.attributes, 0x0048);
  EXPECT_EQ(h.version, 3);
  EXPECT_EQ(h.creation_time, 0xB6A133F2u);
  EXPECT_EQ(h.modification_time, 0xB6A133F4u);
  EXPECT_EQ(h.backup_time, 0u);
  EXPECT_EQ(h.modification_number, 0x11u);
  EXPECT_EQ(h.app_info_offset, 0x66u);
  EXPECT_EQ(h.sort_info_offset, 0u);
  EXPECT_EQ(IdText(h.type), "DATA");
  EXPECT_EQ(IdText(h.creator), "memo");
  EXPECT_EQ(h.unique_id_seed, (FourBytes{1, 2, 3, 4}));
  EXPECT_EQ(h.next_record_list_id, (FourBytes{0x0A, 0x0B, 0x0C, 0x0D}));
  EXPECT_EQ(h.record_count, 3);
}

TEST(PalmHeader, EncodesTheSameBytesWithTheNameFieldZeroFilled) {
  std::string bytes = Hex(kHeaderHex);
  PalmHeader h = DecodeHeader(reinterpret_cast<const uint8_t*>(bytes.data()));
  std::string out(pdb_layout::kHeaderSize, '\x55');
  EncodeHeader(h, reinterpret_cast<uint8_t*>(out.data()));
  std::string expected = bytes;
  std::fill(expected.begin() + 4, expected.begin() + 32, '\0');  // what followed the name's NUL is not kept
  EXPECT_EQ(ToHex(out), ToHex(expected));
}

TEST(PalmHeader, NameLengthsAtTheLimit) {
  const std::string name31(31, 'N');
  const std::string name32 = name31 + "X";
  struct Case {
    std::string name;
    std::string stored;  // the 32 bytes of the name field
  } cases[] = {
      {"", std::string(32, '\0')},
      {name31, name31 + std::string(1, '\0')},
      {name32, name31 + std::string(1, '\0')},  // cut to 31 characters
      {std::string(40, 'L'), std::string(31, 'L') + std::string(1, '\0')},
  };
  for (const Case& c : cases) {
    PalmHeader h;
    h.name = c.name;
    std::string out(pdb_layout::kHeaderSize, '\x55');
    EncodeHeader(h, reinterpret_cast<uint8_t*>(out.data()));
    EXPECT_EQ(ToHex(out.substr(0, 32)), ToHex(c.stored)) << c.name;
    EXPECT_EQ(DecodeHeader(reinterpret_cast<const uint8_t*>(out.data())).name, c.name.substr(0, 31));
  }
}

TEST(PalmHeader, NameFieldWithoutNulReadsAsItsFirst31Characters) {
  std::string bytes = Hex(kHeaderHex);
  std::string all(32, 'A');
  all[30] = 'Y';
  all[31] = 'Z';
  bytes.replace(0, 32, all);
  PalmHeader h = DecodeHeader(reinterpret_cast<const uint8_t*>(bytes.data()));
  EXPECT_EQ(h.name, std::string(30, 'A') + "Y");
}

TEST(RecordEntry, DecodesAndEncodesTheEightBytes) {
  std::string bytes = Hex("00 01 02 03 C0 AB CD EF");
  RecordEntry e = DecodeRecordEntry(reinterpret_cast<const uint8_t*>(bytes.data()));
  EXPECT_EQ(e.offset, 0x00010203u);
  EXPECT_EQ(e.attributes, 0xC0);
  EXPECT_EQ(e.unique_id, (std::array<uint8_t, 3>{0xAB, 0xCD, 0xEF}));
  std::string out(8, '\0');
  EncodeRecordEntry(e, reinterpret_cast<uint8_t*>(out.data()));
  EXPECT_EQ(ToHex(out), ToHex(bytes));
}

TEST(TPalmPilotDB, ReadsHeaderRecordListAndRecords) {
  TPalmPilotDB db;
  OpenImage(db, SampleImage());
  EXPECT_EQ(db.Base(), 0u);
  EXPECT_EQ(db.FileName(), "");
  EXPECT_FALSE(db.RecordListTruncated());
  EXPECT_EQ(db.Header().name, "Memo");
  ASSERT_EQ(db.RecordList().size(), 3u);
  EXPECT_EQ(db.RecordOffset(1), 0x6Eu);
  EXPECT_EQ(db.RecordOffset(2), 0x72u);
  EXPECT_EQ(db.RecordList()[0].attributes, 0x40);
  EXPECT_EQ(db.RecordList()[2].unique_id, (std::array<uint8_t, 3>{0x12, 0x34, 0x56}));

  bool deleted = true;
  EXPECT_EQ(db.ReadRecordData(1, &deleted), "rec1");
  EXPECT_FALSE(deleted);
  EXPECT_EQ(db.ReadRecordData(2, &deleted), "");
  EXPECT_TRUE(deleted);
  EXPECT_EQ(db.ReadRecordData(3, &deleted), "third");  // to the end of the stream
  EXPECT_FALSE(deleted);
  EXPECT_EQ(db.RecordSize(3), 5u);
}

TEST(TPalmPilotDB, BytesAfterTheLastRecordBelongToIt) {
  TPalmPilotDB db;
  OpenImage(db, SampleImage() + "tail");
  EXPECT_EQ(db.ReadRecordData(3), "thirdtail");
}

TEST(TPalmPilotDB, OffsetsCountFromTheBasePosition) {
  const std::string prefix = "0123456789";
  TPalmPilotDB db;
  OpenImage(db, prefix + SampleImage(), prefix.size());
  EXPECT_EQ(db.Base(), prefix.size());
  EXPECT_EQ(db.Header().name, "Memo");
  EXPECT_EQ(db.ReadRecordData(1), "rec1");
  EXPECT_EQ(db.ReadRecordData(3), "third");

  MemoryStream out(std::string(prefix.size(), '-'));
  db.WriteHeader(out);
  EXPECT_EQ(out.bytes().substr(0, prefix.size()), std::string(prefix.size(), '-'));
  EXPECT_EQ(out.bytes().size(), prefix.size() + pdb_layout::kHeaderSize);
}

TEST(TPalmPilotDB, WritesHeaderAndRecordListBackByteForByte) {
  // A name field without stray bytes, so the whole header must come back unchanged, ids included.
  std::string image = SampleImage();
  image.replace(4, 28, std::string(28, '\0'));
  image.replace(pdb_layout::kUniqueIdSeedOffset, 8, Hex("FF 00 80 7F  DE AD BE EF"));
  TPalmPilotDB db;
  OpenImage(db, image);
  MemoryStream out;
  db.WriteHeader(out);
  db.WriteRecordList(out);
  size_t list_end = pdb_layout::kHeaderSize + 3 * pdb_layout::kRecordEntrySize;
  EXPECT_EQ(ToHex(out.bytes()), ToHex(image.substr(0, list_end)));
  EXPECT_EQ(db.Header().unique_id_seed, (FourBytes{0xFF, 0x00, 0x80, 0x7F}));
}

TEST(TPalmPilotDB, RecordCountZeroReadsNothingAfterTheHeader) {
  std::string image = Hex(kHeaderHex);
  image[pdb_layout::kRecordCountOffset + 1] = 0;
  image += "whatever follows";
  auto stream = std::make_unique<WatchedStream>(image);
  WatchedStream* watched = stream.get();
  TPalmPilotDB db;
  db.OpenStream(std::move(stream));
  EXPECT_EQ(db.Header().record_count, 0);
  EXPECT_TRUE(db.RecordList().empty());
  EXPECT_LE(watched->furthest(), pdb_layout::kHeaderSize);
}

TEST(TPalmPilotDB, ShortStreamLeavesZeroBytes) {
  TPalmPilotDB db;
  OpenImage(db, "Mem");
  EXPECT_EQ(db.Header().name, "Mem");
  EXPECT_EQ(db.Header().record_count, 0);
  EXPECT_EQ(db.Header().creator, (FourBytes{0, 0, 0, 0}));
}

TEST(TPalmPilotDB, SetRecordCountKeepsTheFirstEntries) {
  TPalmPilotDB db;
  OpenImage(db, SampleImage());
  db.SetRecordCount(3);
  EXPECT_EQ(db.RecordOffset(3), 0x72u);
  db.SetRecordCount(2);
  EXPECT_EQ(db.Header().record_count, 2);
  ASSERT_EQ(db.RecordList().size(), 2u);
  EXPECT_EQ(db.RecordOffset(2), 0x72u);
  EXPECT_EQ(db.RecordList()[1].attributes, 0xC0);
  db.SetRecordCount(5);
  EXPECT_EQ(db.Header().record_count, 5);
  ASSERT_EQ(db.RecordList().size(), 5u);
  EXPECT_EQ(db.RecordOffset(1), 0x6Eu);
  EXPECT_EQ(db.RecordOffset(2), 0x72u);
  db.SetRecordCount(0);
  EXPECT_TRUE(db.RecordList().empty());
}

TEST(TPalmPilotDB, NewHeaderValues) {
  FixLocalTime({2001, 2, 3, 4, 5, 7});
  TPalmPilotDB db;
  db.InitHeader();
  ClearFixedLocalTime();
  const PalmHeader& h = db.Header();
  EXPECT_EQ(db.Base(), 0u);
  EXPECT_EQ(h.attributes, 0x0008);
  EXPECT_EQ(h.version, 1);
  EXPECT_EQ(h.modification_number, 2287u);
  EXPECT_EQ(h.creation_time, 0xB6A133F2u);  // 2001-02-03 04:05:06: two-second resolution
  EXPECT_EQ(h.modification_time, 0xB6A133F2u);
  EXPECT_EQ(h.backup_time, 0u);
  EXPECT_EQ(h.app_info_offset, 0u);
  EXPECT_EQ(h.sort_info_offset, 0u);
  EXPECT_EQ(h.name, "");
  EXPECT_EQ(h.type, (FourBytes{0, 0, 0, 0}));
  EXPECT_EQ(h.creator, (FourBytes{0, 0, 0, 0}));
  EXPECT_EQ(h.unique_id_seed, (FourBytes{0, 0, 0, 0}));
  EXPECT_EQ(h.next_record_list_id, (FourBytes{0, 0, 0, 0}));
  EXPECT_EQ(h.record_count, 0);

  FixLocalTime({1979, 12, 31, 23, 59, 58});
  db.InitHeader();
  ClearFixedLocalTime();
  EXPECT_EQ(db.Header().creation_time, 0u);  // a year outside 1980..2079
}

TEST(TPalmPilotDB, CreateNewWritesNothingYet) {
  testing::TempDir dir;
  TPalmPilotDB db;
  db.CreateNew(dir.File("new.pdb"));
  EXPECT_EQ(db.FileName(), dir.File("new.pdb"));
  EXPECT_EQ(db.Header().version, 1);
  EXPECT_FALSE(testing::FileExists(dir.File("new.pdb")));
}

TEST(TPalmPilotDB, OpenAndCreateFailuresCarryTheName) {
  testing::TempDir dir;
  TPalmPilotDB db;
  const std::string missing = dir.File("missing.pdb");
  try {
    db.OpenFile(missing);
    FAIL() << "no error";
  } catch (const EFOpenError& e) {
    EXPECT_EQ(std::string(e.what()), "Cannot open file " + missing);
  }
  const std::string nowhere = dir.File("no/such/folder/x.pdb");
  try {
    db.CreateNew(nowhere);
    FAIL() << "no error";
  } catch (const EFCreateError& e) {
    EXPECT_EQ(std::string(e.what()), "Cannot create file " + nowhere);
  }
}

TEST(TPalmPilotDB, OpenFileFindsTheNameInAnotherLetterCase) {
  testing::TempDir dir;
  testing::WriteFileBytes(dir.File("memo.pdb"), SampleImage());
  TPalmPilotDB db;
  db.OpenFile(dir.File("MEMO.PDB"));
  EXPECT_EQ(db.FileName(), dir.File("memo.pdb"));
  EXPECT_EQ(db.ReadRecordData(1), "rec1");
}

// Damaged files: every size stays within the stream and nothing is read outside it (ASan checks the reads). A
// record runs to the nearest higher offset, so records listed out of order keep their data.
TEST(TPalmPilotDB, DamagedRecordOffsetsGiveSizesInsideTheFile) {
  const std::string header = Hex(kHeaderHex).substr(0, pdb_layout::kRecordCountOffset);
  struct Case {
    const char* what;
    std::string list;                 // count and entries
    std::string data;                 // bytes after the list (the list ends at 0x66 with 3 entries)
    std::vector<uint32_t> sizes;      // expected RecordSize of each record
  } cases[] = {
      {"offset past the end", Hex("00 03  00000066 00 000000  000000FF 00 000000  00000068 00 000000"),
       "abcd", {2, 0, 2}},
      {"offsets out of order", Hex("00 03  00000068 00 000000  00000066 00 000000  00000069 00 000000"),
       "abcd", {1, 2, 1}},
      {"deleted entry with offset 0 between records",
       Hex("00 03  00000066 00 000000  00000000 80 000000  00000068 00 000000"), "abcd", {2, 0, 2}},
      {"two live records at the same offset", Hex("00 03  00000066 00 000000  00000066 00 000000  00000068 00 000000"),
       "abcd", {0, 2, 2}},
      {"offset into the header", Hex("00 03  00000010 00 000000  00000066 00 000000  00000068 00 000000"),
       "abcd", {0, 2, 2}},
      {"offset into the record list", Hex("00 03  00000050 00 000000  00000067 00 000000  FFFFFFFF 00 000000"),
       "abcd", {0, 3, 0}},
      {"all offsets huge", Hex("00 03  FFFFFFF0 00 000000  FFFFFFF8 00 000000  FFFFFFFF 00 000000"),
       "abcd", {0, 0, 0}},
  };
  for (const Case& c : cases) {
    std::string image = header + c.list + c.data;
    TPalmPilotDB db;
    OpenImage(db, image);
    ASSERT_EQ(db.RecordList().size(), c.sizes.size()) << c.what;
    for (size_t i = 0; i < c.sizes.size(); ++i) {
      int r = static_cast<int>(i + 1);
      EXPECT_EQ(db.RecordSize(r), c.sizes[i]) << c.what << ", record " << r;
      std::string data = db.ReadRecordData(r);
      EXPECT_EQ(data.size(), c.sizes[i]) << c.what << ", record " << r;
      if (!data.empty()) {
        EXPECT_EQ(data, image.substr(db.RecordOffset(r), data.size()));
      }
    }
  }
}

TEST(TPalmPilotDB, RecordListRunningPastTheEndOfTheFile) {
  // 65535 records declared, two entries present.
  std::string image = Hex(kHeaderHex).substr(0, pdb_layout::kRecordCountOffset) +
                      Hex("FF FF  00000060 00 000000  00000062 00 000000  0000");
  TPalmPilotDB db;
  OpenImage(db, image);
  EXPECT_TRUE(db.RecordListTruncated());
  EXPECT_EQ(db.Header().record_count, 65535);
  ASSERT_EQ(db.RecordList().size(), 2u) << "only the entries the file holds";
  EXPECT_EQ(db.RecordOffset(1), 0x60u);
  EXPECT_EQ(db.RecordOffset(2), 0x62u);
  for (int r : {1, 2}) {
    EXPECT_EQ(db.RecordSize(r), 0u) << r;
    EXPECT_EQ(db.ReadRecordData(r), "") << r;
  }
}

TEST(IsPalmDatabaseImage, Cases) {
  const std::string head = Hex(kHeaderHex).substr(0, pdb_layout::kRecordCountOffset);
  auto with_app_info = [&](uint32_t offset, const std::string& rest) {
    std::string h = head;
    h[pdb_layout::kAppInfoOffsetOffset + 2] = static_cast<char>(offset >> 8);
    h[pdb_layout::kAppInfoOffsetOffset + 3] = static_cast<char>(offset);
    return h + rest;
  };
  struct Case {
    const char* what;
    std::string bytes;
    bool expected;
  } cases[] = {
      {"empty", "", false},
      {"77 bytes", std::string(77, '\0'), false},
      {"text file", std::string(200, 'x') + "\r\nName,Phone\r\n", false},
      {"the sample", SampleImage(), true},
      {"header only, no records, no block", with_app_info(0, Hex("00 00")), true},
      {"record list cut short", with_app_info(0, Hex("00 02  00000066 00 000000")), false},
      {"empty last record at the end", with_app_info(0, Hex("00 01  00000058 00 000000") + "ab"), true},
      {"record past the end", with_app_info(0, Hex("00 01  00000059 00 000000") + "ab"), false},
      {"record inside the list", with_app_info(0, Hex("00 01  00000050 00 000000") + "ab"), false},
      {"records out of order",
       with_app_info(0, Hex("00 02  00000060 00 000000  0000005F 00 000000") + "abcd"), false},
      {"block inside the list", with_app_info(0x40, Hex("00 00") + "ab"), false},
      {"block past the end", with_app_info(0x51, Hex("00 00") + "ab"), false},
      {"block after the first record",
       with_app_info(0x57, Hex("00 01  00000056 00 000000") + "ab"), false},
      {"block then record", with_app_info(0x56, Hex("00 01  00000057 00 000000") + "ab"), true},
  };
  for (const Case& c : cases) EXPECT_EQ(IsPalmDatabaseImage(c.bytes), c.expected) << c.what;
}

TEST(IsPalmDatabaseFile, ReadsTheFile) {
  testing::TempDir dir;
  testing::WriteFileBytes(dir.File("good.pdb"), SampleImage());
  testing::WriteFileBytes(dir.File("list.csv"), "Name,Phone\r\nAnn,123\r\n");
  EXPECT_TRUE(IsPalmDatabaseFile(dir.File("good.pdb")));
  EXPECT_FALSE(IsPalmDatabaseFile(dir.File("list.csv")));
  EXPECT_FALSE(IsPalmDatabaseFile(dir.File("missing.pdb")));
  EXPECT_FALSE(IsPalmDatabaseFile(dir.path()));
}

// Every database of the real-device corpus reads as the independent Palm::PDB reader sees it.
TEST(TPalmPilotDB, ReadsTheDeviceCorpusLikePalmPdb) {
  if (!testing::PalmPdbAvailable()) GTEST_SKIP() << "Palm::PDB (libpalm-pdb-perl) is not installed";
  const char* files[] = {"AddressDB-LifeDrive.pdb", "AddressDB-Palm_V-FR.pdb", "AddressDB-Palm_V-JP.pdb",
                         "DatebookDB.pdb",          "ExpenseDB.pdb",           "MemoDB.pdb",
                         "OnBoardHeaderV40.pdb",    "ToDoDB.pdb"};
  SetDefaultFileOpenMode(FileOpenMode::kReadOnly);
  for (const char* file : files) {
    std::string path = testing::SourcePath(std::string("tools/dbdump/testdata/") + file);
    testing::PalmPdbView view = testing::ReadWithPalmPdb(path);
    ASSERT_TRUE(view.ok) << file << ": " << view.error;
    TPalmPilotDB db;
    db.OpenFile(path);
    EXPECT_TRUE(IsPalmDatabaseFile(path)) << file;
    EXPECT_EQ(db.Header().name, view.name) << file;
    EXPECT_EQ(IdText(db.Header().type), view.type) << file;
    EXPECT_EQ(IdText(db.Header().creator), view.creator) << file;
    ASSERT_EQ(db.Header().record_count, view.records.size()) << file;
    for (size_t i = 0; i < view.records.size(); ++i) {
      int r = static_cast<int>(i + 1);
      bool deleted = false;
      std::string data = db.ReadRecordData(r, &deleted);
      EXPECT_EQ(deleted, (view.record_attributes[i] & 128) != 0) << file << " record " << r;
      if (!deleted) {
        EXPECT_EQ(ToHex(data), ToHex(view.records[i])) << file << " record " << r;
      }
    }
  }
  SetDefaultFileOpenMode(FileOpenMode::kReadWrite);
}

}  // namespace
}  // namespace jf
