#include "tools/dbdump/report.h"

#include <algorithm>
#include <string_view>
#include <vector>

#include "common/coding.h"
#include "common/dates.h"
#include "common/strings.h"
#include "jfile/model/field_types.h"
#include "jfile/model/jfile.h"
#include "platform/console_text.h"
#include "platform/std_output.h"

namespace jf {

namespace {

constexpr size_t kDumpBytesPerLine = 16;
constexpr size_t kDumpHalfLine = 8;
// Offsets within a record print with at least this many hex digits.
constexpr size_t kDumpOffsetDigits = 4;
constexpr int kBooleanColumnWidth = 5;

// The date book's record: start hour and minute, end hour and minute, the creation time, the text.
constexpr size_t kDateBookStartHour = 0;
constexpr size_t kDateBookStartMinute = 1;
constexpr size_t kDateBookEndHour = 2;
constexpr size_t kDateBookEndMinute = 3;
constexpr size_t kDateBookCreated = 4;
constexpr size_t kDateBookText = 18;
// A shorter record holds no creation time and is dumped in hex.
constexpr size_t kDateBookMinSize = kDateBookCreated + 4;

void Line(const std::string& text = std::string()) {
  Out(text);
  Out("\r\n");
}

// The four stored bytes of an id as the header report shows them: read as a little-endian number.
std::string StoredBytesHex(const FourBytes& id) { return HexLong(GetLittle32(id.data())); }

// Cut or filled with blanks to exactly width characters (record values may be longer than a short text).
std::string PadToWidth(std::string s, size_t width) {
  s.resize(width, ' ');
  return s;
}

std::string RecordNumber(int r) { return PatternNumber(r, "0000"); }

std::string FieldNumber(int i) { return PatternNumber(i, " 0"); }

std::string TwoDigits(uint8_t v) { return PatternNumber(v, "00"); }

// A record offset of a dump line: 4 hex digits, more when the record is longer than 64 KiB.
std::string DumpOffset(size_t offset) {
  std::string hex = HexLong(static_cast<uint32_t>(offset));
  size_t first = std::min(hex.find_first_not_of('0'), hex.size() - kDumpOffsetDigits);
  return hex.substr(first);
}

std::string HexDumpLine(std::string_view data, size_t start) {
  std::string line = DumpOffset(start) + "  ";
  std::string chars;
  for (size_t k = 0; k < kDumpBytesPerLine; ++k) {
    if (k == kDumpHalfLine) line += "- ";
    size_t at = start + k;
    if (at < data.size()) {
      uint8_t b = static_cast<uint8_t>(data[at]);
      line += HexByte(b) + " ";
      chars += DumpCharToConsole(b);
    } else {
      line += "   ";
      chars += ".";
    }
  }
  return line + "  \"" + chars + "\"";
}

bool IsDateBook(const PalmHeader& header) {
  return header.type == IdBytes("DATA") && header.creator == IdBytes("date");
}

std::string DateBookLine(std::string_view data) {
  const uint8_t* p = reinterpret_cast<const uint8_t*>(data.data());
  uint32_t created = GetBig32(p + kDateBookCreated) & ~uint32_t{1};  // two-second resolution
  std::string line = "  Created at " + PalmTimeText(created) + " at " + TwoDigits(p[kDateBookStartHour]) + ":" +
                     TwoDigits(p[kDateBookStartMinute]) + " to " + TwoDigits(p[kDateBookEndHour]) + ":" +
                     TwoDigits(p[kDateBookEndMinute]) + ": ";
  if (data.size() > kDateBookText) line += CTextToShort(data.substr(kDateBookText), data.size());
  return line;
}

}  // namespace

void PrintHeaderReport(TPalmPilotDB& db) {
  const PalmHeader& h = db.Header();
  Line("DataBase Name    : " + h.name);
  Line("Flags            : " + HexWord(h.attributes));
  Line("Version          : " + IntegerText(h.version));
  Line("Creation Time    : " + PalmTimeText(h.creation_time));
  Line("Modification Time: " + PalmTimeText(h.modification_time));
  Line("Backup Time      : " + PalmTimeText(h.backup_time));
  Line("Modification No. : " + HexLong(h.modification_number));
  Line("Application Info : " + HexLong(h.app_info_offset));
  Line("Sort Info        : " + HexLong(h.sort_info_offset));
  Line("DataBase ID      : " + StoredBytesHex(h.type) + " " + IdText(h.type));
  Line("Application ID   : " + StoredBytesHex(h.creator) + " " + IdText(h.creator));
  Line("Unique ID        : " + StoredBytesHex(h.unique_id_seed));
  Line("Next Record ID   : " + StoredBytesHex(h.next_record_list_id));
  Line("Records          : " + IntegerText(h.record_count));
  // A file shorter than a header shows zeros for what it lacks; say so rather than pass them off as values.
  const uint64_t size = db.GetStream().Size();
  const uint64_t held = size > db.Base() ? size - db.Base() : 0;
  if (held < pdb_layout::kHeaderSize) {
    Line("Header cut short: the file holds " + IntegerText(static_cast<int32_t>(held)) + " of " +
         IntegerText(static_cast<int32_t>(pdb_layout::kHeaderSize)) + " bytes");
  }
}

bool IsReportedAsJFile(const PalmHeader& h) {
  return (h.type == IdBytes("JfDb") && h.creator == IdBytes("JFil")) ||
         (h.type == IdBytes("JfD5") && h.creator == IdBytes("JFi5"));
}

void PrintRecordReport(TPalmPilotDB& db, bool interpret) {
  Line();
  const bool date_book = interpret && IsDateBook(db.Header());
  const int entries = static_cast<int>(db.RecordList().size());
  for (int i = 1; i <= entries; ++i) {
    Line("Record #" + RecordNumber(i) + " at offset " + HexLong(db.RecordOffset(i)));
    bool deleted = false;
    const std::string data = db.ReadRecordData(i, &deleted);
    if (deleted) continue;
    if (date_book && data.size() >= kDateBookMinSize) {
      Line(DateBookLine(data));
      continue;
    }
    for (size_t start = 0; start < data.size(); start += kDumpBytesPerLine) Line(HexDumpLine(data, start));
  }
  if (db.RecordListTruncated()) {
    Line("Record list cut short: the file holds " + IntegerText(entries) + " of " +
         IntegerText(db.Header().record_count) + " entries");
  }
}

void PrintJFileReport(const TJFILE& db) {
  const int n = db.GetFieldCount();
  const int records = db.RecordCount();

  Line("Category         : " + IntegerText(db.GetCategory()));
  Line(std::string("Read/Only        : ") + (db.GetReadOnly() ? "TRUE" : "FALSE"));
  Line();

  std::vector<size_t> width(static_cast<size_t>(n) + 1, 0);
  size_t longest_name = 0;
  size_t longest_list_name = 0;
  for (int i = 1; i <= n; ++i) {
    const std::string name = db.GetFieldName(i);
    size_t w = name.size();
    if (db.GetFieldType(i) == field_type::kBoolean) w = std::max<size_t>(w, kBooleanColumnWidth);
    for (int r = 1; r <= records; ++r) w = std::max(w, db.GetFieldValue(i, r).size());
    width[static_cast<size_t>(i)] = w;
    longest_name = std::max(longest_name, name.size());
    if (db.GetFieldType(i) == field_type::kList) longest_list_name = std::max(longest_list_name, name.size());
  }

  for (int i = 1; i <= n; ++i) {
    Line("Field " + FieldNumber(i) + " " + PadToWidth("(" + db.GetFieldName(i) + ")", longest_name + 2) +
         " is of type " + db.GetFieldTypeName(i));
  }
  Line();

  for (int i = 1; i <= n; ++i) {
    if (db.GetFieldType(i) != field_type::kList) continue;
    std::string line = "Field " + FieldNumber(i) + " " +
                       PadToWidth("(" + db.GetFieldName(i) + ")", longest_list_name + 2) + " PopUp List:";
    for (int j = 1; j <= db.PopupCount(i); ++j) line += " " + db.GetPopupValue(j, i);
    Line(line);
  }
  if (longest_list_name > 0) Line();

  std::string head = "Rec#  Offset ";
  for (int i = 1; i <= n; ++i) {
    const std::string name = db.GetFieldName(i);
    head += " " + (i == n ? name : PadToWidth(name, width[static_cast<size_t>(i)]));
  }
  Line(head);

  for (int r = 1; r <= records; ++r) {
    std::string line = RecordNumber(r) + " " + HexLong(db.RecordOffset(r));
    for (int i = 1; i <= n; ++i) {
      const std::string value = db.GetDisplayValue(i, r);
      line += " " + DatabaseTextToConsole(i == n ? value : PadToWidth(value, width[static_cast<size_t>(i)]), true);
    }
    Line(line);
  }
}

}  // namespace jf
