// Helpers for the JFile model tests: fixtures placed at offsets, loading a database from bytes, and saving it
// with a check that the independent Palm::PDB reader sees the same records and application-info bytes.
#pragma once

#include <gtest/gtest.h>

#include <iostream>
#include <memory>
#include <string>

#include "common/coding.h"
#include "common/errors.h"
#include "jfile/model/jfile.h"
#include "platform/stream.h"
#include "testing/test_util.h"

namespace jf::model_test {

using jf::testing::Hex;
using jf::testing::ToHex;

// bytes with part written over it at offset (bytes grow with zeros when needed).
inline void Place(std::string& bytes, size_t offset, const std::string& part) {
  if (bytes.size() < offset + part.size()) bytes.resize(offset + part.size(), '\0');
  bytes.replace(offset, part.size(), part);
}

inline std::string Zeros(size_t n) { return std::string(n, '\0'); }

inline std::unique_ptr<TJFILE> Load(const std::string& bytes,
                                    LibraryGeneration generation = LibraryGeneration::kCurrent) {
  auto db = std::make_unique<TJFILE>(generation);
  db->OpenStream(std::make_unique<MemoryStream>(bytes));
  return db;
}

// What the file says in its own terms: record i's bytes run to the next record's offset (the last one to the
// end), the application-info bytes from their offset to the first record.
struct FileView {
  std::vector<std::string> records;
  std::string appinfo;
};

inline FileView ViewOf(const std::string& bytes) {
  FileView view;
  const uint8_t* p = reinterpret_cast<const uint8_t*>(bytes.data());
  uint16_t count = GetBig16(p + 76);
  uint32_t appinfo = GetBig32(p + 52);
  std::vector<uint32_t> offsets;
  for (int i = 0; i < count; ++i) offsets.push_back(GetBig32(p + 78 + 8 * i));
  offsets.push_back(static_cast<uint32_t>(bytes.size()));
  for (int i = 0; i < count; ++i) view.records.push_back(bytes.substr(offsets[i], offsets[i + 1] - offsets[i]));
  view.appinfo = bytes.substr(appinfo, offsets[0] - appinfo);
  return view;
}

// Reads the bytes with Palm::PDB and expects the records and the application-info bytes the file describes.
inline void ExpectPalmPdbAgrees(const std::string& bytes) {
  if (!jf::testing::PalmPdbAvailable()) {
    std::cerr << "Palm::PDB is not installed; the independent check is skipped\n";
    return;
  }
  jf::testing::TempDir dir;
  std::string path = dir.File("check.pdb");
  jf::testing::WriteFileBytes(path, bytes);
  jf::testing::PalmPdbView pdb = jf::testing::ReadWithPalmPdb(path);
  ASSERT_TRUE(pdb.ok) << pdb.error;
  FileView own = ViewOf(bytes);
  EXPECT_EQ(pdb.name, bytes.substr(0, bytes.find('\0')));
  EXPECT_EQ(pdb.type, bytes.substr(60, 4));
  EXPECT_EQ(pdb.creator, bytes.substr(64, 4));
  ASSERT_EQ(pdb.records.size(), own.records.size());
  for (size_t i = 0; i < own.records.size(); ++i) EXPECT_EQ(pdb.records[i], own.records[i]) << "record " << i + 1;
  EXPECT_EQ(ToHex(pdb.appinfo), ToHex(own.appinfo));
}

// Saves the database into memory (at its base position) and checks the result with Palm::PDB.
inline std::string Save(TJFILE& db) {
  MemoryStream out;
  db.SaveToStream(out);
  ExpectPalmPdbAgrees(out.bytes());
  return out.bytes();
}

// Saves, then loads the saved bytes in the same generation.
inline std::unique_ptr<TJFILE> Reload(TJFILE& db) { return Load(Save(db), db.Generation()); }

// The message of the EInOutError that loading bytes raises, or "(loaded)" when they load.
inline std::string LoadError(const std::string& bytes) {
  try {
    Load(bytes);
  } catch (const EInOutError& e) {
    return e.what();
  }
  return "(loaded)";
}

}  // namespace jf::model_test
