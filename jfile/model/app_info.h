// The application-info block of a JFile database: field names, types and widths, sort, find and filter settings,
// first column and flags. The TAppInfo family holds one block as a byte image in the layout of the file and gives
// uniform access to it, so the database never looks at a layout directly.
//
// The image is kept in memory form: field names and the find and filter texts are length-prefixed in their slots
// (a length byte, then the characters); numbers stay big-endian and are decoded by the accessors. ToFileForm
// gives the bytes as stored in a file (NUL-terminated texts), FromFileForm takes them back.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "jfile/container/pdb_file.h"
#include "platform/stream.h"

namespace jf {

// Offsets of one block layout, from the block's first byte. Field-indexed tables start with field 1.
struct BlockLayout {
  int max_fields;
  size_t size;
  size_t names;          // max_fields slots of kNameSlotSize bytes
  size_t types;          // max_fields 16-bit codes
  size_t field_count;
  size_t stamp;
  size_t widths;         // max_fields 16-bit widths
  size_t view_width;
  size_t sort_fields;    // three 16-bit field numbers
  size_t find_field;
  size_t filter_field;
  size_t find_string;    // kTextSlotSize bytes
  size_t filter_string;  // kTextSlotSize bytes
  size_t flags;
  size_t first_column;
  size_t password;       // kPasswordSize bytes; 3.x layout only
  size_t options1;       // max_fields 32-bit values; 4.x-and-later layout only
  size_t options2;
};

namespace app_info_layout {
constexpr size_t kNameSlotSize = 21;
constexpr size_t kMaxNameLength = 20;
constexpr size_t kTextSlotSize = 16;
constexpr size_t kMaxTextLength = 15;
constexpr size_t kPasswordSize = 12;
constexpr size_t kMaxPasswordLength = 11;
constexpr int kSortFieldCount = 3;
constexpr size_t kNone = 0;

// The JFile 3.x block (layout STD), 564 bytes.
constexpr BlockLayout kBlock3{20, 564, 0, 420, 460, 462, 464, 504, 506, 512, 514, 516, 532, 548, 550, 552, kNone,
                              kNone};
// The JFile 4.x-and-later block (layouts PRO, JF5, JF6), 1702 bytes.
constexpr BlockLayout kBlock4{50, 1702, 0, 1050, 1150, 1152, 1154, 1254, 1256, 1262, 1264, 1266, 1282, 1298, 1300,
                              kNone, 1302, 1502};

constexpr uint16_t kStampStd = 452;
constexpr uint16_t kStampOther = 576;
constexpr uint16_t kFlagReadOnly = 0x0002;
constexpr int kCategoryShift = 12;
constexpr uint16_t kCategoryMask = 0x000F;
constexpr uint16_t kLowTwelveBits = 0x0FFF;
constexpr int kIntDateTable = 1;       // the options table that holds the INT.DATE mark (JF6)
constexpr uint32_t kIntDateMark = 1;  // the value that marks a DATE field as INT.DATE
constexpr int kMinProWidth = 20;
constexpr int kMaxProWidth = 32767;
}  // namespace app_info_layout

// One application-info block. Indices out of range (fields outside 1..MaxFields, sort fields outside 1..3, option
// tables outside 1..2) read as zero or empty and are ignored by the setters.
class TAppInfo {
 public:
  virtual ~TAppInfo();
  TAppInfo(const TAppInfo&) = delete;
  TAppInfo& operator=(const TAppInfo&) = delete;

  // Bits 12 to 15 of the flags word; the setter keeps bits 0 to 11 and stores the value's low four bits.
  virtual int GetCategory() const;
  virtual void SetCategory(int value);

  // At most 20 characters; the setter cuts the name and zero-fills the rest of the slot.
  virtual std::string GetFieldName(int i) const;
  virtual void SetFieldName(const std::string& name, int i);
  // The stored code; 0xFFFF (INT.DATE) is stored as DATE except in TAppInfo6.
  virtual uint16_t GetFieldType(int i) const;
  virtual void SetFieldType(uint16_t code, int i);
  virtual int GetFieldCount() const;
  virtual void SetFieldCount(int n);
  virtual int GetAppInfoStamp() const;
  virtual void SetAppInfoStamp(int v);
  // Here as stored, read as a signed 16-bit number; the 3.x and Pro blocks apply their own rule.
  virtual int GetFieldWidth(int i) const;
  virtual void SetFieldWidth(int w, int i);
  virtual int GetViewWidth() const;
  virtual void SetViewWidth(int v);
  virtual int GetSortField(int k) const;
  virtual void SetSortField(int v, int k);
  virtual int GetFindField() const;
  virtual void SetFindField(int v);
  virtual int GetFilterField() const;
  virtual void SetFilterField(int v);
  // At most 15 characters; the setters cut the text and leave the slot's other bytes as they were.
  virtual std::string GetFindString() const;
  virtual void SetFindString(const std::string& s);
  virtual std::string GetFilterString() const;
  virtual void SetFilterString(const std::string& s);
  // The flags word (0 and no effect in the JFile 5 blocks).
  virtual int GetFlags() const;
  virtual void SetFlags(int v);
  virtual int GetFirstColumn() const;
  virtual void SetFirstColumn(int v);
  // Only the 3.x block has a password; the others give an empty text and ignore the setter.
  virtual std::string GetPassword() const;
  virtual void SetPassword(const std::string& s);
  // The FieldOptions tables t = 1, 2 of the larger block; the 3.x block gives 0 and ignores the setter.
  virtual uint32_t GetFieldOption(int i, int t) const;
  virtual void SetFieldOption(uint32_t v, int i, int t);

  // True when the category and the read-only flag live in this block's flags word (3.x and Pro blocks);
  // otherwise the database keeps them in the Palm header.
  virtual bool HoldsCategoryAndReadOnly() const { return false; }

  // Reads BlockSize bytes at the stream's position; bytes the stream does not have stay as they were.
  void ReadBlock(Stream& stream);
  // Writes BlockSize bytes at the stream's position, in file form.
  void WriteBlock(Stream& stream);
  // The block as stored in a file: names NUL-terminated and zero-filled, find and filter texts NUL-terminated.
  std::string ToFileForm() const;
  // Takes a block in file form (BlockSize bytes; a shorter text leaves the remaining bytes as they were).
  void FromFileForm(const std::string& bytes);

  size_t BlockSize() const { return layout_.size; }
  int MaxFields() const { return layout_.max_fields; }
  const BlockLayout& Layout() const { return layout_; }
  // The image in memory form.
  const std::string& Image() const { return image_; }

 protected:
  explicit TAppInfo(const BlockLayout& layout);

  bool ValidField(int i) const { return i >= 1 && i <= layout_.max_fields; }
  uint16_t Word(size_t offset) const;
  void SetWord(size_t offset, int v);
  std::string SlotText(size_t offset, size_t max) const;
  void SetSlotText(size_t offset, size_t max, const std::string& s);
  // The width rule of the 3.x and Pro blocks: stored at least 20, read at most 32767.
  int ClampedWidth(int i) const;
  void SetClampedWidth(int w, int i);

  const BlockLayout& layout_;
  std::string image_;
};

// The JFile 3.x block (STD).
class TAppInfo3 : public TAppInfo {
 public:
  TAppInfo3();
  int GetFieldWidth(int i) const override { return ClampedWidth(i); }
  void SetFieldWidth(int w, int i) override { SetClampedWidth(w, i); }
  std::string GetPassword() const override;
  void SetPassword(const std::string& s) override;
  uint32_t GetFieldOption(int, int) const override { return 0; }
  void SetFieldOption(uint32_t, int, int) override {}
  bool HoldsCategoryAndReadOnly() const override { return true; }
};

// Base of the larger block: no password.
class TAppInfo4UP : public TAppInfo {
 protected:
  TAppInfo4UP();
};

// The JFile Pro block (PRO).
class TAppInfo4 : public TAppInfo4UP {
 public:
  TAppInfo4() = default;
  int GetFieldWidth(int i) const override { return ClampedWidth(i); }
  void SetFieldWidth(int w, int i) override { SetClampedWidth(w, i); }
  bool HoldsCategoryAndReadOnly() const override { return true; }
};

// Base of the JFile 5 blocks: the flags word is carried but reads as 0 and cannot be set.
class TAppInfo5UP : public TAppInfo4UP {
 public:
  int GetFlags() const override { return 0; }
  void SetFlags(int) override {}

 protected:
  TAppInfo5UP() = default;
};

// The JFile 5 block (JF5): widths stored and read unchanged.
class TAppInfo5 : public TAppInfo5UP {
 public:
  TAppInfo5() = default;
};

// The JFile 5 block with the INT.DATE pseudo-type (JF6): a DATE field whose options table 1 holds 1 reads as
// INT.DATE (0xFFFF). Setting INT.DATE stores DATE and the mark; setting any other type clears the mark.
class TAppInfo6 : public TAppInfo5 {
 public:
  TAppInfo6() = default;
  uint16_t GetFieldType(int i) const override;
  void SetFieldType(uint16_t code, int i) override;
};

// A new, all-zero block of the layout's class.
std::unique_ptr<TAppInfo> NewAppInfo(DataBaseMode mode);

}  // namespace jf
