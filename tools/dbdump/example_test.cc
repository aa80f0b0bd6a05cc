// The example database of the README demonstration (examples/Contacts.pdb). The disabled test writes it; run
//   dbdump_test --gtest_also_run_disabled_tests --gtest_filter='ExampleDatabase.DISABLED_Write'
// with JF_SOURCE_DIR set to the source tree to make it again. The other test checks the committed file.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "jfile/container/pdb_file.h"
#include "jfile/model/field_types.h"
#include "jfile/model/jfile.h"
#include "platform/clock.h"
#include "testing/test_util.h"

namespace jf {
namespace {

struct ExampleField {
  const char* name;
  uint16_t type;
};

const ExampleField kFields[] = {
    {"Name", field_type::kString},    {"Phone", field_type::kString},  {"Birthday", field_type::kDate},
    {"Visits", field_type::kInteger}, {"Group", field_type::kList},    {"Favorite", field_type::kBoolean},
    {"Notes", field_type::kString},
};

const char* const kGroups[] = {"Family", "Friends", "Work"};

// Name, phone, birthday, visits, group, favorite, notes (Windows-1252 text).
const std::vector<std::vector<std::string>> kRecords = {
    {"Anna Berg", "555-0101", "03/14/1980", "12", "Family", "TRUE", "Likes green tea"},
    {"Carlos D\xED" "az", "555-0142", "11/02/1975", "3", "Work", "FALSE",
     "Office: 4th floor\nDesk 12, by the window"},
    {"Mei Tanaka", "555-0177", "", "7", "Friends", "TRUE", ""},
    {"Olaf \xD8ster", "555-0190", "07/30/1990", "0", "Work", "FALSE", "Call after 5 pm"},
};

TEST(ExampleDatabase, DISABLED_Write) {
  FixLocalTime({2024, 5, 1, 10, 0, 0});
  TJFILE db;
  db.CreateNew(testing::SourcePath("examples/Contacts.pdb"));
  db.SetDataBaseMode(DataBaseMode::JF5);
  const int n = static_cast<int>(std::size(kFields));
  db.SetFieldCount(n);
  for (int i = 1; i <= n; ++i) {
    db.SetFieldName(kFields[i - 1].name, i);
    db.SetFieldType(kFields[i - 1].type, i);
  }
  for (int j = 1; j <= static_cast<int>(std::size(kGroups)); ++j) db.SetPopupValue(kGroups[j - 1], j, 5);
  db.SetRecordCount(static_cast<uint16_t>(kRecords.size()));
  for (size_t r = 0; r < kRecords.size(); ++r) {
    for (int i = 1; i <= n; ++i) db.SetFieldValue(kRecords[r][i - 1], i, static_cast<int>(r + 1));
  }
  db.SaveAs("Contacts");
  ClearFixedLocalTime();
}

TEST(ExampleDatabase, CommittedFileReads) {
  const std::string path = testing::SourcePath("examples/Contacts.pdb");
  TJFILE db;
  db.OpenFile(path);
  EXPECT_EQ(db.Header().name, "Contacts");
  EXPECT_EQ(IdText(db.Header().type), "JfD5");
  ASSERT_EQ(db.GetFieldCount(), static_cast<int>(std::size(kFields)));
  for (int i = 1; i <= db.GetFieldCount(); ++i) {
    EXPECT_EQ(db.GetFieldName(i), kFields[i - 1].name);
    EXPECT_EQ(db.GetFieldType(i), kFields[i - 1].type) << i;
  }
  ASSERT_EQ(db.PopupCount(5), 3);
  EXPECT_EQ(db.GetPopupValue(2, 5), "Friends");
  ASSERT_EQ(db.RecordCount(), static_cast<int>(kRecords.size()));
  for (size_t r = 0; r < kRecords.size(); ++r) {
    for (int i = 1; i <= db.GetFieldCount(); ++i) {
      EXPECT_EQ(db.GetDisplayValue(i, static_cast<int>(r + 1)), kRecords[r][i - 1]) << r + 1 << ", " << i;
    }
  }

  if (!testing::PalmPdbAvailable()) GTEST_SKIP() << "Palm::PDB (libpalm-pdb-perl) is not installed";
  testing::PalmPdbView view = testing::ReadWithPalmPdb(path);
  ASSERT_TRUE(view.ok) << view.error;
  EXPECT_EQ(view.name, "Contacts");
  EXPECT_EQ(view.creator, "JFi5");
  EXPECT_EQ(view.records.size(), kRecords.size());
}

}  // namespace
}  // namespace jf
