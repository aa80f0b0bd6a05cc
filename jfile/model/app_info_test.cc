#include "jfile/model/app_info.h"

#include <gtest/gtest.h>

#include "jfile/model/field_types.h"
#include "jfile/model/model_test_support.h"

namespace jf {
namespace {

using model_test::Hex;
using model_test::Place;
using model_test::ToHex;

// Reads a block from file bytes.
template <typename Block>
std::unique_ptr<Block> FromBytes(const std::string& bytes) {
  auto block = std::make_unique<Block>();
  MemoryStream stream(bytes);
  block->ReadBlock(stream);
  return block;
}

std::string Written(TAppInfo& block) {
  MemoryStream out;
  block.WriteBlock(out);
  return out.bytes();
}

// A 3.x block written down from its table: field 1 has a 20-character name that fills its slot without a NUL.
std::string Block3Fixture() {
  std::string b(564, '\0');
  Place(b, 0, Hex(R"("ABCDEFGHIJKLMNOPQRST" "U")"));  // 21 bytes, no NUL
  Place(b, 21, Hex(R"("Qty" 00 "junk")"));
  Place(b, 420, Hex("0001 0008"));
  Place(b, 460, Hex("0002 01C4"));  // 2 fields, stamp 452
  Place(b, 464, Hex("0050 0014"));
  Place(b, 504, Hex("00A0 0002 0001 0000 0001 0002"));
  Place(b, 516, Hex(R"("fi" 00 "xyz")"));
  Place(b, 532, Hex(R"("filterfilterfilt")"));  // 16 characters, no NUL
  Place(b, 548, Hex("7002 0002"));
  Place(b, 552, Hex(R"(03 "abc" 00 00 00 00 00 00 00 09)"));
  return b;
}

TEST(AppInfo3Test, ReadsTheBlockFromItsTable) {
  auto block = FromBytes<TAppInfo3>(Block3Fixture());
  EXPECT_EQ(block->GetFieldName(1), "ABCDEFGHIJKLMNOPQRST");
  EXPECT_EQ(block->GetFieldName(2), "Qty");
  EXPECT_EQ(block->GetFieldType(1), 1);
  EXPECT_EQ(block->GetFieldType(2), 8);
  EXPECT_EQ(block->GetFieldCount(), 2);
  EXPECT_EQ(block->GetAppInfoStamp(), 452);
  EXPECT_EQ(block->GetFieldWidth(1), 80);
  EXPECT_EQ(block->GetViewWidth(), 160);
  EXPECT_EQ(block->GetSortField(1), 2);
  EXPECT_EQ(block->GetSortField(2), 1);
  EXPECT_EQ(block->GetSortField(3), 0);
  EXPECT_EQ(block->GetFindField(), 1);
  EXPECT_EQ(block->GetFilterField(), 2);
  EXPECT_EQ(block->GetFindString(), "fi");
  EXPECT_EQ(block->GetFilterString(), "filterfilterfil");
  EXPECT_EQ(block->GetFlags(), 0x7002);
  EXPECT_EQ(block->GetCategory(), 7);
  EXPECT_EQ(block->GetFirstColumn(), 2);
  EXPECT_EQ(block->GetPassword(), "abc");
  EXPECT_EQ(block->GetFieldOption(1, 1), 0u);
  EXPECT_TRUE(block->HoldsCategoryAndReadOnly());
}

TEST(AppInfo3Test, WritesNamesZeroFilledAndKeepsOtherBytes) {
  auto block = FromBytes<TAppInfo3>(Block3Fixture());
  std::string expected = Block3Fixture();
  Place(expected, 0, Hex(R"("ABCDEFGHIJKLMNOPQRST" 00)"));  // a name slot always ends in zeros
  Place(expected, 21, Hex(R"("Qty" 00 00 00 00 00)"));
  Place(expected, 532 + 15, Hex("00"));  // a 15-character text gets its NUL
  EXPECT_EQ(ToHex(Written(*block)), ToHex(expected));
  // Writing twice gives the same bytes: the block returns to memory form after writing.
  EXPECT_EQ(ToHex(Written(*block)), ToHex(expected));
}

TEST(AppInfo3Test, SettersCutTextsToTheirSlots) {
  TAppInfo3 block;
  block.SetFieldName("ABCDEFGHIJKLMNOPQRSTUVWXY", 3);
  block.SetFindString("0123456789ABCDEFGH");
  block.SetPassword("0123456789ABCDEF");
  EXPECT_EQ(block.GetFieldName(3), "ABCDEFGHIJKLMNOPQRST");
  EXPECT_EQ(block.GetFindString(), "0123456789ABCDE");
  EXPECT_EQ(block.GetPassword(), "0123456789A");
  std::string file = Written(block);
  EXPECT_EQ(file.substr(42, 21), Hex(R"("ABCDEFGHIJKLMNOPQRST" 00)"));
  EXPECT_EQ(file.substr(516, 16), Hex(R"("0123456789ABCDE" 00)"));
  EXPECT_EQ(file.substr(552, 12), Hex(R"(0B "0123456789A")"));
}

TEST(AppInfoTest, FindTextKeepsTheBytesAfterItsNul) {
  std::string bytes(1702, '\0');
  Place(bytes, 1266, Hex(R"("abc" 00 "tail-bytes!!")"));
  auto block = FromBytes<TAppInfo4>(bytes);
  EXPECT_EQ(ToHex(Written(*block)), ToHex(bytes));
  block->SetFindString("ab");
  // The slot's other bytes stay as they were; only the text and its NUL are new.
  EXPECT_EQ(Written(*block).substr(1266, 16), Hex(R"("ab" 00 "c" "tail-bytes!!")"));
}

TEST(AppInfoTest, WidthRulePerBlock) {
  TAppInfo3 std_block;
  TAppInfo4 pro;
  TAppInfo5 jf5;
  TAppInfo6 jf6;
  struct Case {
    TAppInfo* block;
    int set;
    int get;
    const char* stored;
  };
  const Case cases[] = {
      {&std_block, 5, 20, "0014"}, {&pro, 5, 20, "0014"},       {&pro, 300, 300, "012C"},
      {&pro, -20, 32767, "FFEC"},  {&pro, 0, 20, "0014"},       {&jf5, 5, 5, "0005"},
      {&jf5, -20, -20, "FFEC"},    {&jf6, 0, 0, "0000"},        {&jf6, 40000, 40000 - 65536, "9C40"},
  };
  for (const Case& c : cases) {
    c.block->SetFieldWidth(c.set, 2);
    EXPECT_EQ(c.block->GetFieldWidth(2), c.get) << c.set;
    size_t widths = c.block->Layout().widths;
    EXPECT_EQ(ToHex(Written(*c.block).substr(widths + 2, 2)), ToHex(Hex(c.stored))) << c.set;
  }
}

TEST(AppInfoTest, IntDateOnlyInTheJF6Block) {
  TAppInfo6 jf6;
  jf6.SetFieldType(field_type::kIntDate, 3);
  EXPECT_EQ(jf6.GetFieldType(3), field_type::kIntDate);
  std::string file = Written(jf6);
  EXPECT_EQ(file.substr(1050 + 4, 2), Hex("0004"));
  EXPECT_EQ(file.substr(1302 + 8, 4), Hex("00000001"));
  EXPECT_EQ(file.substr(1502 + 8, 4), Hex("00000000"));
  // Every other type takes the mark away, so INT.DATE -> STRING -> DATE gives a plain DATE.
  for (uint16_t other : {field_type::kString, field_type::kDate, field_type::kUnset}) {
    jf6.SetFieldType(field_type::kIntDate, 3);
    jf6.SetFieldType(other, 3);
    EXPECT_EQ(jf6.GetFieldType(3), other);
    EXPECT_EQ(jf6.GetFieldOption(3, 1), 0u);
    EXPECT_EQ(Written(jf6).substr(1302 + 8, 4), Hex("00000000"));
    jf6.SetFieldType(field_type::kDate, 3);
    EXPECT_EQ(jf6.GetFieldType(3), field_type::kDate);
  }
  // A value other than the mark in the table is not the mark and is carried.
  jf6.SetFieldOption(7, 3, 1);
  jf6.SetFieldType(field_type::kString, 3);
  EXPECT_EQ(jf6.GetFieldOption(3, 1), 7u);

  TAppInfo3 std_block;
  TAppInfo4 pro;
  TAppInfo5 jf5;
  for (TAppInfo* block : std::initializer_list<TAppInfo*>{&std_block, &pro, &jf5}) {
    block->SetFieldType(field_type::kIntDate, 1);
    EXPECT_EQ(block->GetFieldType(1), field_type::kDate);
    EXPECT_EQ(block->GetFieldOption(1, 1), 0u);
  }
  // A JF5 block carries a mark it finds without reading it.
  jf5.SetFieldOption(1, 1, 1);
  EXPECT_EQ(jf5.GetFieldType(1), field_type::kDate);
}

TEST(AppInfoTest, CategoryAndFlagsPerBlock) {
  TAppInfo4 pro;
  pro.SetFlags(0x0ABC);
  pro.SetCategory(5);
  EXPECT_EQ(pro.GetFlags(), 0x5ABC);
  EXPECT_EQ(pro.GetCategory(), 5);
  pro.SetCategory(0x13);  // only the low four bits count
  EXPECT_EQ(pro.GetCategory(), 3);
  EXPECT_EQ(Written(pro).substr(1298, 2), Hex("3ABC"));

  // The JFile 5 blocks carry the flags word but neither read nor set it.
  std::string bytes(1702, '\0');
  Place(bytes, 1298, Hex("5002"));
  auto jf5 = FromBytes<TAppInfo5>(bytes);
  EXPECT_EQ(jf5->GetFlags(), 0);
  EXPECT_EQ(jf5->GetCategory(), 0);
  jf5->SetFlags(0x1234);
  jf5->SetCategory(9);
  EXPECT_EQ(Written(*jf5).substr(1298, 2), Hex("5002"));
  EXPECT_FALSE(jf5->HoldsCategoryAndReadOnly());
  EXPECT_TRUE(pro.HoldsCategoryAndReadOnly());
  EXPECT_EQ(jf5->GetPassword(), "");
}

TEST(AppInfoTest, OptionTablesOfTheLargerBlock) {
  TAppInfo5 block;
  block.SetFieldOption(0x01020304, 50, 1);
  block.SetFieldOption(0xA0B0C0D0, 1, 2);
  std::string file = Written(block);
  EXPECT_EQ(file.substr(1302 + 49 * 4, 4), Hex("01020304"));
  EXPECT_EQ(file.substr(1502, 4), Hex("A0B0C0D0"));
  EXPECT_EQ(block.GetFieldOption(50, 1), 0x01020304u);
}

TEST(AppInfoTest, IndicesOutOfRangeTouchNothing) {
  for (DataBaseMode mode : {DataBaseMode::STD, DataBaseMode::JF6}) {
    auto block = NewAppInfo(mode);
    std::string before = block->Image();
    int beyond = block->MaxFields() + 1;
    for (int i : {0, -1, beyond}) {
      block->SetFieldName("x", i);
      block->SetFieldType(2, i);
      block->SetFieldWidth(50, i);
      block->SetFieldOption(7, i, 1);
      EXPECT_EQ(block->GetFieldName(i), "");
      EXPECT_EQ(block->GetFieldType(i), 0);
      EXPECT_EQ(block->GetFieldWidth(i), 0);
    }
    block->SetSortField(9, 0);
    block->SetSortField(9, 4);
    block->SetFieldOption(7, 1, 3);
    EXPECT_EQ(block->GetSortField(4), 0);
    EXPECT_EQ(block->Image(), before);
  }
}

TEST(AppInfoTest, ShortStreamLeavesTheRestAsItWas) {
  // Only the first 25 bytes exist: the first name and a part of the second.
  auto block = FromBytes<TAppInfo4>(Hex(R"("Name" 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 "Ot")"));
  EXPECT_EQ(block->GetFieldName(1), "Name");
  EXPECT_EQ(block->GetFieldName(2), "Ot");
  EXPECT_EQ(block->GetFieldCount(), 0);
  EXPECT_EQ(Written(*block).size(), 1702u);

  auto empty = FromBytes<TAppInfo3>("");
  EXPECT_EQ(ToHex(Written(*empty)), ToHex(std::string(564, '\0')));
}

TEST(AppInfoTest, NewBlockClassPerLayout) {
  EXPECT_NE(dynamic_cast<TAppInfo3*>(NewAppInfo(DataBaseMode::STD).get()), nullptr);
  EXPECT_NE(dynamic_cast<TAppInfo4*>(NewAppInfo(DataBaseMode::PRO).get()), nullptr);
  auto jf5 = NewAppInfo(DataBaseMode::JF5);
  EXPECT_NE(dynamic_cast<TAppInfo5*>(jf5.get()), nullptr);
  EXPECT_EQ(dynamic_cast<TAppInfo6*>(jf5.get()), nullptr);
  EXPECT_NE(dynamic_cast<TAppInfo6*>(NewAppInfo(DataBaseMode::JF6).get()), nullptr);
  EXPECT_EQ(NewAppInfo(DataBaseMode::STD)->BlockSize(), 564u);
  EXPECT_EQ(NewAppInfo(DataBaseMode::PRO)->BlockSize(), 1702u);
}

}  // namespace
}  // namespace jf
