#include "jfile/model/field_types.h"

#include <gtest/gtest.h>

#include "common/errors.h"

namespace jf {
namespace {

TEST(FieldTypeNameTest, NamesOfEveryCode) {
  struct Case {
    uint16_t code;
    const char* name;
  };
  const Case cases[] = {
      {0, "STRING"},      {1, "STRING"},     {2, "BOOLEAN"},   {4, "DATE"},       {0xFFFF, "INT.DATE"},
      {8, "INTEGER"},     {16, "FLOAT"},     {32, "TIME"},     {64, "LIST"},      {65, "AUTODATE"},
      {66, "AUTOTIME"},   {67, "AUTOINC"},   {68, "BINARY"},   {69, "RELLIST"},   {70, "CALC"},
      {71, "CALC_V1"},    {72, "CALC_V2"},   {73, "MODDATE"},  {80, "MODTIME"},   {81, "MULTLIST"},
      {3, "[0003]"},      {0x1234, "[1234]"}, {0xABCD, "[ABCD]"}, {74, "[004A]"},
  };
  for (const Case& c : cases) EXPECT_EQ(FieldTypeName(c.code), c.name) << c.code;
}

TEST(FieldTypeNameTest, EarlierGenerationHasNoIntDate) {
  EXPECT_EQ(FieldTypeName(0xFFFF, LibraryGeneration::kEarlier), "[FFFF]");
  EXPECT_EQ(FieldTypeName(0xFFFF, LibraryGeneration::kMerger), "INT.DATE");
  EXPECT_EQ(FieldTypeName(4, LibraryGeneration::kEarlier), "DATE");
}

TEST(ModeFromCreatorTest, OnlyTheCreatorCounts) {
  struct Case {
    const char* creator;
    LibraryGeneration generation;
    DataBaseMode mode;
  };
  const Case cases[] = {
      {"JFil", LibraryGeneration::kCurrent, DataBaseMode::PRO},
      {"JBas", LibraryGeneration::kCurrent, DataBaseMode::STD},
      {"JFi5", LibraryGeneration::kCurrent, DataBaseMode::JF6},
      {"JFi5", LibraryGeneration::kMerger, DataBaseMode::JF6},
      {"JFi5", LibraryGeneration::kEarlier, DataBaseMode::JF5},
      {"JFil", LibraryGeneration::kEarlier, DataBaseMode::PRO},
      {"JBas", LibraryGeneration::kEarlier, DataBaseMode::STD},
  };
  for (const Case& c : cases) {
    FourBytes creator{static_cast<uint8_t>(c.creator[0]), static_cast<uint8_t>(c.creator[1]),
                      static_cast<uint8_t>(c.creator[2]), static_cast<uint8_t>(c.creator[3])};
    EXPECT_EQ(ModeFromCreator(creator, c.generation), c.mode) << c.creator;
  }
}

TEST(ModeFromCreatorTest, UnknownCreatorIsRejected) {
  for (const FourBytes& creator : {IdBytes("JfD5"), IdBytes("jfi5"), IdBytes("memo"), FourBytes{}}) {
    try {
      ModeFromCreator(creator, LibraryGeneration::kCurrent);
      ADD_FAILURE() << IdText(creator);
    } catch (const EInOutError& e) {
      EXPECT_STREQ(e.what(), "Not a JFile/JFile Pro database!");
    }
  }
}

TEST(ModeIdsTest, TypeCreatorAndFieldLimitPerLayout) {
  EXPECT_EQ(IdText(ModeType(DataBaseMode::STD)), "JfDb");
  EXPECT_EQ(IdText(ModeCreator(DataBaseMode::STD)), "JBas");
  EXPECT_EQ(IdText(ModeType(DataBaseMode::PRO)), "JfDb");
  EXPECT_EQ(IdText(ModeCreator(DataBaseMode::PRO)), "JFil");
  for (DataBaseMode mode : {DataBaseMode::JF5, DataBaseMode::JF6}) {
    EXPECT_EQ(IdText(ModeType(mode)), "JfD5");
    EXPECT_EQ(IdText(ModeCreator(mode)), "JFi5");
    EXPECT_EQ(MaxFieldCount(mode), 50);
  }
  EXPECT_EQ(MaxFieldCount(DataBaseMode::STD), 20);
  EXPECT_EQ(MaxFieldCount(DataBaseMode::PRO), 50);
}

}  // namespace
}  // namespace jf
