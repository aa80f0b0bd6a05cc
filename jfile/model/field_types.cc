#include "jfile/model/field_types.h"

#include "common/errors.h"
#include "common/strings.h"
#include "jfile/model/jfile.h"

namespace jf {

namespace {

struct TypeName {
  uint16_t code;
  const char* name;
};

constexpr TypeName kTypeNames[] = {
    {field_type::kUnset, "STRING"},     {field_type::kString, "STRING"},     {field_type::kBoolean, "BOOLEAN"},
    {field_type::kDate, "DATE"},        {field_type::kInteger, "INTEGER"},   {field_type::kFloat, "FLOAT"},
    {field_type::kTime, "TIME"},        {field_type::kList, "LIST"},         {field_type::kAutoDate, "AUTODATE"},
    {field_type::kAutoTime, "AUTOTIME"}, {field_type::kAutoInc, "AUTOINC"},  {field_type::kBinary, "BINARY"},
    {field_type::kRelList, "RELLIST"},  {field_type::kCalc, "CALC"},         {field_type::kCalcV1, "CALC_V1"},
    {field_type::kCalcV2, "CALC_V2"},   {field_type::kModDate, "MODDATE"},   {field_type::kModTime, "MODTIME"},
    {field_type::kMultList, "MULTLIST"},
};

}  // namespace

std::string FieldTypeName(uint16_t code, LibraryGeneration generation) {
  for (const TypeName& entry : kTypeNames) {
    if (entry.code == code) return entry.name;
  }
  if (code == field_type::kIntDate && generation != LibraryGeneration::kEarlier) return "INT.DATE";
  return "[" + HexWord(code) + "]";
}

DataBaseMode ModeFromCreator(const FourBytes& creator, LibraryGeneration generation) {
  if (creator == IdBytes("JFil")) return DataBaseMode::PRO;
  if (creator == IdBytes("JBas")) return DataBaseMode::STD;
  if (creator == IdBytes("JFi5")) {
    return generation == LibraryGeneration::kEarlier ? DataBaseMode::JF5 : DataBaseMode::JF6;
  }
  throw EInOutError("Not a JFile/JFile Pro database!");
}

FourBytes ModeType(DataBaseMode mode) {
  return mode == DataBaseMode::STD || mode == DataBaseMode::PRO ? IdBytes("JfDb") : IdBytes("JfD5");
}

FourBytes ModeCreator(DataBaseMode mode) {
  switch (mode) {
    case DataBaseMode::STD:
      return IdBytes("JBas");
    case DataBaseMode::PRO:
      return IdBytes("JFil");
    default:
      return IdBytes("JFi5");
  }
}

int MaxFieldCount(DataBaseMode mode) { return mode == DataBaseMode::STD ? kMaxFieldsStd : kMaxFields; }

}  // namespace jf
