#include "jfile/container/output_guard.h"

#include <gtest/gtest.h>

#include "testing/test_util.h"

namespace jf {
namespace {

using testing::Hex;
using testing::TempDir;
using testing::WriteFileBytes;

TEST(OutputGuardTest, RefusesOnlyFilesOfTheOtherKind) {
  TempDir dir;
  // An empty database: a header with no records passes the database test.
  std::string empty_db = Hex("\"Empty\"") + std::string(27, '\0') + std::string(28, '\0') +
                         Hex("\"DATAtest\"") + std::string(10, '\0');
  ASSERT_EQ(empty_db.size(), 78u);
  WriteFileBytes(dir.File("a.pdb"), empty_db);
  WriteFileBytes(dir.File("a.csv"), "\"Name\"\r\n");

  EXPECT_EQ(OutputRefusal(dir.File("new.csv"), OutputKind::kText), "");
  EXPECT_EQ(OutputRefusal(dir.File("new.pdb"), OutputKind::kDatabase), "");
  EXPECT_EQ(OutputRefusal(dir.File("a.csv"), OutputKind::kText), "");
  EXPECT_EQ(OutputRefusal(dir.File("a.pdb"), OutputKind::kDatabase), "");
  EXPECT_EQ(OutputRefusal(dir.File("a.pdb"), OutputKind::kText),
            dir.File("a.pdb") + " is a Palm database, not overwritten");
  EXPECT_EQ(OutputRefusal(dir.File("a.csv"), OutputKind::kDatabase),
            dir.File("a.csv") + " is not a Palm database, not overwritten");
}

}  // namespace
}  // namespace jf
