#include "tools/ambrel/input_reader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/errors.h"
#include "jfile/model/field_types.h"

namespace jf {
namespace {

constexpr char kFile[] = "/data/in.csv";
constexpr char kDefFile[] = "/data/in.DEF";

struct ReadResult {
  AmbrelTables tables;
  std::vector<std::string> notes;
};

// A note sink that keeps the notes in order.
NoteSink CollectInto(std::vector<std::string>& notes) {
  return [&notes](const std::string& note) { notes.push_back(note); };
}

ReadResult ReadCsv(const std::string& csv, const ReaderOptions& options = {}) {
  ReadResult r;
  r.tables.ResetForFile();
  ReadCsvText(csv, kFile, options, r.tables, CollectInto(r.notes));
  return r;
}

// All values of a kept line, fields 1..F.
std::vector<std::string> LineValues(const AmbrelTables& t, int line) {
  std::vector<std::string> values;
  for (int i = 1; i <= t.field_count; ++i) values.emplace_back(t.lines.Value(line, i));
  return values;
}

std::string Quoted(const std::string& s) { return "\"" + s + "\""; }

// A line of n quoted values prefix1, prefix2, ...
std::string NumberedLine(const std::string& prefix, int n) {
  std::string line;
  for (int i = 1; i <= n; ++i) line += (i > 1 ? "," : "") + Quoted(prefix + std::to_string(i));
  return line + "\r\n";
}

using Lines = std::vector<std::vector<std::string>>;

struct CsvCase {
  const char* name;
  std::string csv;
  ReaderOptions options;
  Lines expected;  // every kept line, fields 1..F
  std::vector<std::string> notes;
};

TEST(AmbrelCsvReader, ReadsLinesAsTheLenientRulesSay) {
  ReaderOptions filter_ab;
  filter_ab.filter = "AB";
  ReaderOptions strip_ab = filter_ab;
  strip_ab.strip_filter = true;
  ReaderOptions filter_dash;
  filter_dash.filter = "A";

  const std::vector<CsvCase> cases = {
      {"plain lines with CR LF ends", "\"Name\",\"Phone\"\r\n\"Ann\",\"123\"\r\n\"Bob\",\"456\"\r\n", {},
       {{"Name", "Phone"}, {"Ann", "123"}, {"Bob", "456"}}, {}},
      {"a quoted word inside a value stays whole", "\"A\",\"B\",\"C\"\n\"x\",\"say \"hi\"\",\"z\"\n", {},
       {{"A", "B", "C"}, {"x", "say \"hi\"", "z"}}, {}},
      {"the last field takes the rest of its line, quote-comma included",
       "\"A\",\"B\"\r\n\"x\",\"one\",\"two\"\r\n", {}, {{"A", "B"}, {"x", "one\",\"two"}}, {}},
      {"a quote at the end of a middle value", "\"A\",\"B\",\"C\"\n\"x\"\"\",\"\"y\",\"z\"\n", {},
       {{"A", "B", "C"}, {"x\"\"", "\"y", "z"}}, {}},
      {"missing values of a short line stay empty", "\"A\",\"B\",\"C\"\n\"x\"\n\"\",\"\",\"\"\n", {},
       {{"A", "B", "C"}, {"x", "", ""}, {"", "", ""}}, {}},
      {"an unquoted line keeps no value; a line that stops being quoted keeps what it read",
       "\"A\",\"B\",\"C\"\nx,y,z\n\"1\",2,\"3\"\n", {}, {{"A", "B", "C"}, {"", "", ""}, {"1", "", ""}}, {}},
      {"carriage returns vanish, the substitute byte becomes a line feed, Ctrl-Z ends the file",
       "\"A\",\"B\"\r\n\"a\rb\",\"c\xCF" "d\"\r\n\x1A\"never\",\"read\"\r\n", {}, {{"A", "B"}, {"ab", "c\nd"}}, {}},
      {"a last line without a line end counts", "\"A\"\n\"x\"", {}, {{"A"}, {"x"}}, {}},
      {"the filter keeps exact prefixes; letter case counts; the field-name line is never filtered",
       "\"ABName\",\"B\"\n\"ab1\",\"x\"\n\"AB2\",\"y\"\n\"A\",\"z\"\n\n", filter_ab, {{"ABName", "B"}, {"AB2", "y"}}, {}},
      {"with '-' the filter text is removed from kept first values",
       "\"Name\",\"B\"\n\"AB2\",\"y\"\n\"AB\",\"z\"\n\"ab3\",\"w\"\n", strip_ab, {{"Name", "B"}, {"2", "y"}, {"", "z"}}, {}},
      {"a filter longer than the value does not reach across the closing quote", "\"N\",\"B\"\n\"A\",\"x\"\n",
       ReaderOptions{16000, "A,", true}, {{"N", "B"}}, {}},
      {"the filter on a file of one field", "\"N\"\n\"Apple\"\n\"Pear\"\n", filter_dash,
       {{"N"}, {"Apple"}}, {}},
      {"under a filter, a first value without its closing quote has nothing to match",
       "\"N\",\"B\"\n\"AB,\"x\n\"AB\n\"\nx\n\"AB1\",\"y\"\n", filter_ab, {{"N", "B"}, {"AB1", "y"}}, {}},
      {"without a filter such lines are kept with what they hold", "\"N\",\"B\"\n\"AB,\"x\n\"AB1\",\"y\"\n", {},
       {{"N", "B"}, {"", ""}, {"AB1", "y"}}, {}},
  };
  for (const CsvCase& c : cases) {
    SCOPED_TRACE(c.name);
    ReadResult r = ReadCsv(c.csv, c.options);
    ASSERT_EQ(r.tables.lines.Count(), static_cast<int>(c.expected.size()));
    for (size_t line = 0; line < c.expected.size(); ++line) {
      EXPECT_EQ(LineValues(r.tables, static_cast<int>(line + 1)), c.expected[line]) << "line " << line + 1;
    }
    EXPECT_EQ(r.notes, c.notes);
  }
}

TEST(AmbrelCsvReader, SixtyFieldsAreCutToFiftyWithANote) {
  const std::string csv = NumberedLine("F", 60) + NumberedLine("v", 60) + NumberedLine("w", 49);
  ReadResult r = ReadCsv(csv);
  EXPECT_EQ(r.notes, std::vector<std::string>{"Input file truncated from 60 fields to 50 fields!"});
  EXPECT_EQ(r.tables.field_count, 50);
  EXPECT_EQ(r.tables.lines.Value(1, 50), "F50");
  // Field 50 is not the last field of a 60-field line, so it does not swallow fields 51 to 60.
  EXPECT_EQ(r.tables.lines.Value(2, 50), "v50");
  EXPECT_EQ(r.tables.lines.Value(2, 51), "");
  EXPECT_EQ(r.tables.lines.Value(3, 49), "w49");
  EXPECT_EQ(r.tables.lines.Value(3, 50), "");
}

TEST(AmbrelCsvReader, OversizedValuesAreCutWithANote) {
  ReaderOptions options;
  options.length_limit = 4000;
  const std::string big(5000, 'x');
  ReadResult r = ReadCsv("\"A\",\"B\"\n\"a\",\"" + big + "\"\n\"" + std::string(3999, 'y') + "\",\"b\"\n" +
                             "\"" + std::string(4000, 'z') + "\",\"c\"\n",
                         options);
  EXPECT_EQ(r.notes, (std::vector<std::string>{"(Field 2 in record 2 too long - 5001 bytes)",
                                               "(Field 1 in record 4 too long - 4001 bytes)"}));
  EXPECT_EQ(r.tables.lines.Value(2, 2), std::string(3999, 'x'));
  EXPECT_EQ(r.tables.lines.Value(3, 1).size(), 3999u);
  EXPECT_EQ(r.tables.lines.Value(4, 1).size(), 3999u);
}

TEST(AmbrelCsvReader, NotesCountKeptLinesAfterFiltering) {
  ReaderOptions options;
  options.length_limit = 10;
  options.filter = "K";
  ReadResult r = ReadCsv("\"A\",\"B\"\n\"drop\",\"x\"\n\"K\",\"0123456789\"\n", options);
  EXPECT_EQ(r.notes, std::vector<std::string>{"(Field 2 in record 2 too long - 11 bytes)"});
}

TEST(AmbrelCsvReader, MoreThan65535KeptLinesEndTheRun) {
  std::string csv = "\"A\"\n";
  for (int i = 0; i < kMaxKeptLines - 1; ++i) csv += "\"x\"\n";
  ReadResult ok = ReadCsv(csv);
  EXPECT_EQ(ok.tables.lines.Count(), kMaxKeptLines);

  // The notes given before the error are not lost.
  csv.replace(csv.find("\"x\""), 3, "\"" + std::string(20, 'x') + "\"");
  csv += "\"x\"\n";
  AmbrelTables tables;
  std::vector<std::string> notes;
  ReaderOptions short_values;
  short_values.length_limit = 10;
  try {
    ReadCsvText(csv, kFile, short_values, tables, CollectInto(notes));
    FAIL() << "no error";
  } catch (const ERangeError& e) {
    EXPECT_EQ(notes, std::vector<std::string>{"(Field 1 in record 2 too long - 21 bytes)"});
    EXPECT_NE(std::string(e.what()).find(kFile), std::string::npos) << e.what();
    EXPECT_NE(std::string(e.what()).find("65535"), std::string::npos) << e.what();
  }

  // Lines the filter drops do not count.
  ReaderOptions filter;
  filter.filter = "y";
  csv += "\"y\"\n\"y\"\n";
  EXPECT_EQ(ReadCsv(csv, filter).tables.lines.Count(), 3);
}

TEST(AmbrelCsvReader, EmptyFileHasNoLines) {
  ReadResult r = ReadCsv("");
  EXPECT_EQ(r.tables.lines.Count(), 0);
  EXPECT_EQ(r.tables.lines.DataLineCount(), 0);
  EXPECT_EQ(r.tables.lines.ValueCount(1), 0);
  EXPECT_EQ(r.tables.field_count, 0);
}

// A field-name line of text without a complete quoted value marks some other kind of file: reading stops there,
// so neither its data nor its length matters. An empty field-name line is a database without fields.
TEST(AmbrelCsvReader, TextWithoutFieldNamesIsNoCsvFile) {
  std::string many_lines;
  for (int i = 0; i <= kMaxKeptLines; ++i) many_lines += "\"x\"\n";
  const std::vector<std::string> files = {"Name,Phone\r\nAnn,123\r\n", "[JFilePro]\r\nTitle=T\r\n",
                                         "\"Name,Phone\n\"a\",\"b\"\n", "x\n" + many_lines, " \"A\"\n\"x\"\n"};
  for (const std::string& csv : files) {
    SCOPED_TRACE(csv.substr(0, 20));
    AmbrelTables tables;
    std::vector<std::string> notes;
    EXPECT_FALSE(ReadCsvText(csv, kFile, {}, tables, CollectInto(notes)));
    EXPECT_EQ(tables.lines.Count(), 1);
    EXPECT_EQ(tables.field_count, 0);
    EXPECT_TRUE(notes.empty());
  }
  for (const std::string& csv : std::vector<std::string>{"", "\r\n\r\n\r\n"}) {
    AmbrelTables tables;
    EXPECT_TRUE(ReadCsvText(csv, kFile, {}, tables, [](const std::string&) {}));
    EXPECT_EQ(tables.field_count, 0);
    EXPECT_EQ(tables.lines.DataLineCount(), csv.empty() ? 0 : 2) << "records without fields are kept";
  }
  ReadResult one = ReadCsv("\"A\",\"B\"\n\"x\"\n");
  EXPECT_EQ(one.tables.lines.ValueCount(1), 2);
  EXPECT_EQ(one.tables.lines.ValueCount(2), 1);
  EXPECT_EQ(one.tables.lines.ValueCount(3), 0);
}

// A file with a field-name line and the given data values in one column, repeated to data_lines lines.
std::string Column(const std::vector<std::string>& values, int data_lines) {
  std::string csv = "\"C\",\"Other\"\n";
  for (int i = 0; i < data_lines; ++i) csv += Quoted(values[static_cast<size_t>(i) % values.size()]) + ",\"o\"\n";
  return csv;
}

TEST(AmbrelCsvReader, InfersTypesFromTheValues) {
  struct InferCase {
    const char* name;
    std::vector<std::string> values;
    int data_lines;
    uint16_t expected;
  };
  std::vector<std::string> twenty;
  for (int i = 0; i < 20; ++i) twenty.push_back("v" + std::to_string(i));
  std::vector<std::string> nineteen(twenty.begin(), twenty.begin() + 19);
  const std::vector<InferCase> cases = {
      {"1, 0, empty, 1", {"1", "0", "", "1"}, 4, field_type::kBoolean},
      {"only 1", {"1"}, 50, field_type::kBoolean},
      {"only 0 and empties", {"0", ""}, 3, field_type::kBoolean},
      {"0, 1 and another value", {"0", "1", "2"}, 60, field_type::kList},
      {"0, 1 and another value in a short file", {"0", "1", "2"}, 10, field_type::kString},
      {"three colours on 40 data lines", {"red", "green", "blue"}, 40, field_type::kList},
      {"three colours on 39 data lines", {"red", "green", "blue"}, 39, field_type::kString},
      {"one colour on 100 lines", {"red"}, 100, field_type::kString},
      {"19 distinct values", nineteen, 60, field_type::kList},
      {"20 distinct values", twenty, 60, field_type::kString},
      {"a value of 21 characters", {"a", std::string(21, 'b')}, 60, field_type::kString},
      {"values of 20 characters", {"a", std::string(20, 'b')}, 60, field_type::kList},
      {"all empty", {""}, 60, field_type::kString},
      {"TRUE and FALSE are not 0 and 1", {"TRUE", "FALSE"}, 10, field_type::kString},
  };
  for (const InferCase& c : cases) {
    SCOPED_TRACE(c.name);
    ReadResult r = ReadCsv(Column(c.values, c.data_lines));
    InferTypes(r.tables);
    EXPECT_EQ(r.tables.types[0], c.expected);
    EXPECT_EQ(r.tables.types[1], field_type::kString);
  }
}

// Tables of a four-field file (A, B, C, D, each inferred BOOLEAN from its one value 1) after reading def_text.
struct DefResult {
  AmbrelTables tables;
  std::vector<std::string> notes;
};

DefResult ReadDef(const std::string& def_text, AmbrelTables tables = {}) {
  DefResult r;
  r.tables = std::move(tables);
  r.tables.ResetForFile();
  ReadCsvText("\"A\",\"B\",\"C\",\"D\"\n\"1\",\"1\",\"1\",\"1\"\n", kFile, {}, r.tables, CollectInto(r.notes));
  InferTypes(r.tables);
  ReadDefDocument(ProfileDocument("[JFilePro]\r\n" + def_text), kDefFile, r.tables, CollectInto(r.notes));
  return r;
}

TEST(AmbrelDefReader, ReadsSettingsKeys) {
  DefResult r = ReadDef(
      "Widths=40,-25,abc,70\r\n"
      "Types=STRING,LIST,date,[0003]\r\n"
      "Title=  A title that is much longer than thirty-one characters  \r\n"
      "Sort=3,2\r\n"
      "Find=2,needle, with comma\xCF\r\n"
      "Filter=nocomma\r\n"
      "FirstCol=4\r\n"
      "Category=7\r\n"
      "ReadOnly=yes\r\n");
  EXPECT_EQ(r.tables.widths[0], 40);
  EXPECT_EQ(r.tables.widths[1], -25);
  EXPECT_EQ(r.tables.widths[2], 0) << "the scan stops at a non-number";
  EXPECT_EQ(r.tables.widths[3], 0);
  EXPECT_EQ(r.tables.types[0], field_type::kString);
  EXPECT_EQ(r.tables.types[1], field_type::kList);
  EXPECT_EQ(r.tables.types[2], field_type::kBoolean) << "date in lower case is no type name; the inferred type stays";
  EXPECT_EQ(r.tables.types[3], 3);
  EXPECT_EQ(r.tables.title, "A title that is much longer tha");
  EXPECT_EQ(r.tables.sort_fields, (std::array<int, 3>{3, 2, 0}));
  EXPECT_EQ(r.tables.find_field, 2);
  EXPECT_EQ(r.tables.find_text, "needle, with comma\xCF") << "only defaults turn the substitute into a line feed";
  EXPECT_EQ(r.tables.filter_field, 0) << "a value without a comma changes nothing";
  EXPECT_EQ(r.tables.filter_text, "");
  EXPECT_EQ(r.tables.first_column, 4);
  EXPECT_EQ(r.tables.category, 7);
  EXPECT_TRUE(r.tables.read_only);
  EXPECT_TRUE(r.notes.empty());

  // 0xCF is a letter in a name (Lo\xCF" "c); only defaults may hold line feeds.
  DefResult named = ReadDef("Title=Lo\xCF" "c\r\nTypes=STRING,LIST\r\nPopup2=Lo\xCF" "c,x\r\n"
                            "Sort1=\"Lo\xCF" "c\",1\r\nFilter1=\"Lo\xCF" "c\",\"\xCF\",,,,,1\r\n");
  EXPECT_EQ(named.tables.title, "Lo\xCF" "c");
  EXPECT_EQ(named.tables.popups[1], (std::vector<std::string>{"Lo\xCF" "c", "x"}));
  EXPECT_EQ(named.tables.sort_presets[0][0], "Lo\xCF" "c");
  EXPECT_EQ(named.tables.filter_presets[0].name, "Lo\xCF" "c");
  EXPECT_EQ(named.tables.filter_presets[0].texts[0], "\xCF");
}

TEST(AmbrelDefReader, TypeNames) {
  EXPECT_EQ(TypeCodeOfName("STRING"), field_type::kString);
  EXPECT_EQ(TypeCodeOfName("MULTLIST"), field_type::kMultList);
  EXPECT_EQ(TypeCodeOfName("[00FF]"), 255);
  EXPECT_EQ(TypeCodeOfName("[0100]"), field_type::kUnset);
  EXPECT_EQ(TypeCodeOfName("string"), field_type::kUnset);
  // A field exported as INT.DATE comes back as DATE; the database marks it again where every value is a date.
  EXPECT_EQ(TypeCodeOfName("INT.DATE"), field_type::kDate);
}

TEST(AmbrelDefReader, ReadOnlyWords) {
  for (const char* yes : {"TRUE", "true", "Y", "yes", "1"}) {
    EXPECT_TRUE(ReadDef(std::string("ReadOnly=") + yes + "\r\n").tables.read_only) << yes;
  }
  for (const char* no : {"FALSE", "no", "0", "T"}) {
    AmbrelTables was_read_only;
    was_read_only.read_only = true;
    EXPECT_FALSE(ReadDef(std::string("ReadOnly=") + no + "\r\n", was_read_only).tables.read_only) << no;
  }
}

TEST(AmbrelDefReader, PopupListsAreSortedByLettersAndDigits) {
  struct PopupCase {
    const char* name;
    std::string value;
    std::vector<std::string> expected;
  };
  const std::vector<PopupCase> cases = {
      {"b,A,c", "b,A,c", {"A", "b", "c"}},
      {"an empty entry sorts first", "b,,a", {"", "a", "b"}},
      {"equal keys keep their order", "x-1,a,X1,x 1", {"a", "x-1", "X1", "x 1"}},
      {"digits before letters", "b,10,2", {"10", "2", "b"}},
  };
  for (const PopupCase& c : cases) {
    SCOPED_TRACE(c.name);
    DefResult r = ReadDef("Types=STRING,LIST,STRING,STRING\r\nPopup2=" + c.value + "\r\nPopup3=x,y\r\n");
    EXPECT_EQ(r.tables.popups[1], c.expected);
    EXPECT_TRUE(r.tables.popups[2].empty()) << "field 3 is no LIST field";
  }
}

TEST(AmbrelDefReader, PopupListsKeepAHundredEntriesWithANote) {
  std::string list;
  for (int i = 1; i <= 101; ++i) list += (i > 1 ? "," : "") + std::string("v") + std::to_string(1000 + i);
  DefResult r = ReadDef("Types=STRING,LIST,STRING,STRING\r\nPopup2=" + list + "\r\n");
  EXPECT_EQ(r.notes, std::vector<std::string>{"PopUp list for field \"B\" truncated to 100 entries."});
  ASSERT_EQ(r.tables.popups[1].size(), 100u);
  EXPECT_EQ(r.tables.popups[1].back(), "v1100");

  DefResult exact = ReadDef("Types=STRING,LIST,STRING,STRING\r\nPopup2=" + list.substr(0, list.rfind(',')) + "\r\n");
  EXPECT_TRUE(exact.notes.empty());
}

TEST(AmbrelDefReader, PresetsAndDefaults) {
  DefResult r = ReadDef(
      "Sort1=\"By name, then age\",1,-2,3\r\n"
      "Sort2=plain,4\r\n"
      "Filter1=\"F one\",\"a\",\"\",\"c,d\",\"\",\"e\",65535,-128,0,1,2,127\r\n"
      "Filter2=\"short\",\"x\",\"\",\"\",\"\",\"\",5\r\n"
      "Default2=two\xCFlines\r\n"
      "Default50=fifty\r\n");
  EXPECT_EQ(r.tables.sort_presets[0], (std::array<std::string, 4>{"By name, then age", "1", "-2", "3"}));
  EXPECT_EQ(r.tables.sort_presets[1], (std::array<std::string, 4>{"plain", "4", "", ""}));
  EXPECT_EQ(r.tables.sort_presets[2], (std::array<std::string, 4>{}));
  FilterPreset f1;
  f1.name = "F one";
  f1.texts = {"a", "", "c,d", "", "e"};
  f1.number = 65535;
  f1.small = {-128, 0, 1, 2, 127};
  EXPECT_EQ(r.tables.filter_presets[0], f1);
  FilterPreset f2;
  f2.name = "short";
  f2.texts[0] = "x";
  f2.number = 5;
  EXPECT_EQ(r.tables.filter_presets[1], f2);
  EXPECT_EQ(r.tables.filter_presets[2], FilterPreset());
  EXPECT_EQ(r.tables.defaults[0], "");
  EXPECT_EQ(r.tables.defaults[1], "two\nlines");
  EXPECT_EQ(r.tables.defaults[49], "fifty");
}

TEST(AmbrelDefReader, NumbersOutsideTheTablesEndTheRun) {
  struct RangeCase {
    std::string def;
    std::string value;
  };
  const std::vector<RangeCase> cases = {
      {"Widths=10,32768", "32768"},
      {"Widths=-32769", "-32769"},
      {"Category=16", "16"},
      {"Category=-1", "-1"},
      {"Find=70000,x", "70000"},
      {"Find=-3,x", "-3"},
      {"Filter=65536,x", "65536"},
      {"FirstCol=70000", "70000"},
      {"FirstCol=-3", "-3"},
      {"Sort=1,65536", "65536"},
      {"Sort=-1", "-1"},
      {"Sort3=\"s\",1,40000,1", "40000"},
      {"Filter1=\"f\",\"\",\"\",\"\",\"\",\"\",65536", "65536"},
      {"Filter2=\"f\",\"\",\"\",\"\",\"\",\"\",1,0,128", "128"},
      {"Filter5=\"f\",\"\",\"\",\"\",\"\",\"\",1,0,0,0,0,-129", "-129"},
  };
  for (const RangeCase& c : cases) {
    SCOPED_TRACE(c.def);
    try {
      ReadDef(c.def + "\r\n");
      ADD_FAILURE() << "no error";
    } catch (const ERangeError& e) {
      const std::string message = e.what();
      EXPECT_NE(message.find(kDefFile), std::string::npos) << message;
      EXPECT_NE(message.find(" " + c.value + " "), std::string::npos) << message;
    }
  }
  // The edges themselves are accepted.
  DefResult edges = ReadDef("Widths=-32768,32767\r\nCategory=15\r\nSort=0,65535\r\n"
                            "Filter1=\"f\",\"\",\"\",\"\",\"\",\"\",65535,-128,127\r\n"
                            "Find=65535,a\r\nFilter=0,b\r\nFirstCol=65535\r\n");
  EXPECT_EQ(edges.tables.category, 15);
  EXPECT_EQ(edges.tables.find_field, 65535);
  EXPECT_EQ(edges.tables.first_column, 65535);

  // A popup note given before the error is not lost.
  std::string list;
  for (int i = 1; i <= 101; ++i) list += (i > 1 ? "," : "") + std::to_string(i);
  AmbrelTables tables;
  std::vector<std::string> notes;
  ReadCsvText("\"A\"\n\"x\"\n", kFile, {}, tables, CollectInto(notes));
  const ProfileDocument def("[JFilePro]\r\nTypes=LIST\r\nPopup1=" + list + "\r\nFilter1=\"f\",,,,,,70000\r\n");
  EXPECT_THROW(ReadDefDocument(def, kDefFile, tables, CollectInto(notes)), ERangeError);
  EXPECT_EQ(notes, std::vector<std::string>{"PopUp list for field \"A\" truncated to 100 entries."});
}

TEST(AmbrelDefReader, WhatADefFileLeavesAloneCarriesOverToTheNextFile) {
  DefResult first = ReadDef("Widths=40,50,60,70\r\nCategory=3\r\nReadOnly=TRUE\r\nSort1=\"s\",1,2,3\r\n"
                            "Default1=d\r\nTypes=STRING,LIST,STRING,STRING\r\nPopup2=p,q\r\nTitle=T\r\n"
                            "Sort=2,3,4\r\nFind=2,f\r\nFirstCol=2\r\n");
  AmbrelTables tables = std::move(first.tables);
  tables.ResetForFile();
  EXPECT_EQ(tables.widths[2], 60);
  EXPECT_EQ(tables.category, 3);
  EXPECT_TRUE(tables.read_only);
  EXPECT_EQ(tables.sort_presets[0][0], "s");
  EXPECT_EQ(tables.defaults[0], "d");
  EXPECT_EQ(tables.popups[1], (std::vector<std::string>{"p", "q"}));
  EXPECT_EQ(tables.title, kDefaultTitle);
  EXPECT_EQ(tables.sort_fields, (std::array<int, 3>{}));
  EXPECT_EQ(tables.find_field, 0);
  EXPECT_EQ(tables.find_text, "");
  EXPECT_EQ(tables.first_column, 0);

  // A later DEF file clears the popup lists and sets widths only as far as it goes.
  DefResult second = ReadDef("Widths=41\r\n", std::move(tables));
  EXPECT_EQ(second.tables.widths[0], 41);
  EXPECT_EQ(second.tables.widths[1], 50);
  EXPECT_TRUE(second.tables.popups[1].empty());
  EXPECT_EQ(second.tables.defaults[0], "");
}

}  // namespace
}  // namespace jf
