// Field type codes and their names, the four JFile layouts with their Palm ids, and the library generations.
#pragma once

#include <cstdint>
#include <string>

#include "jfile/container/pdb_file.h"

namespace jf {

// Which generation of the library's behaviour a tool uses. kCurrent: every tool not named below. kMerger: the
// merger's copy, with JF6 values read and written up to 16000 characters. kEarlier: the splitter, the HTML tool
// and the layout converter: three layouts (a JFi5 file reads as JF5), no INT.DATE, values read up to 32000
// characters and written at full length, popup lists of up to 1000 values (at most 100 written back).
enum class LibraryGeneration { kCurrent, kMerger, kEarlier };

namespace field_type {
constexpr uint16_t kUnset = 0;
constexpr uint16_t kString = 1;
constexpr uint16_t kBoolean = 2;
constexpr uint16_t kDate = 4;
constexpr uint16_t kIntDate = 0xFFFF;  // pseudo-type: DATE plus a mark, JF6 only
constexpr uint16_t kInteger = 8;
constexpr uint16_t kFloat = 16;
constexpr uint16_t kTime = 32;
constexpr uint16_t kList = 64;
constexpr uint16_t kAutoDate = 65;
constexpr uint16_t kAutoTime = 66;
constexpr uint16_t kAutoInc = 67;
constexpr uint16_t kBinary = 68;
constexpr uint16_t kRelList = 69;
constexpr uint16_t kCalc = 70;
constexpr uint16_t kCalcV1 = 71;
constexpr uint16_t kCalcV2 = 72;
constexpr uint16_t kModDate = 73;
constexpr uint16_t kModTime = 80;
constexpr uint16_t kMultList = 81;
}  // namespace field_type

// The name of a type code ("STRING", "BOOLEAN", ..., "[0003]" for a code without a name). The earlier
// generation has no "INT.DATE": 0xFFFF gives "[FFFF]" there.
std::string FieldTypeName(uint16_t code, LibraryGeneration generation = LibraryGeneration::kCurrent);

// The layout of a read file from its creator id; raises EInOutError "Not a JFile/JFile Pro database!".
DataBaseMode ModeFromCreator(const FourBytes& creator, LibraryGeneration generation);

// The Palm type and creator a database of the mode carries.
FourBytes ModeType(DataBaseMode mode);
FourBytes ModeCreator(DataBaseMode mode);

// The most fields a layout holds: 20 for STD, 50 otherwise.
int MaxFieldCount(DataBaseMode mode);

}  // namespace jf
