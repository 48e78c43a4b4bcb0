// The report's own pieces: argument parsing, the JSON writer, the text table, the frame line
// and the reading of table cells.
#include <gtest/gtest.h>

#include <array>

#include "cli/CliOptions.h"
#include "cli/FrameListing.h"
#include "cli/Json.h"
#include "cli/Reports.h"
#include "cli/TextTable.h"

namespace corvanta::cli {
namespace {

TEST(Arguments, ModesOptionsAndTraces) {
  ParsedArguments p = ParseArguments({"--json", "--bandwidth=100", "--full-duplex", "a.cap", "--", "--b.cap"});
  ASSERT_TRUE(p.options) << p.error;
  EXPECT_EQ(p.options->mode, OutputMode::kJson);
  EXPECT_EQ(p.options->bandwidthMbps, 100);
  EXPECT_TRUE(p.options->fullDuplex);
  EXPECT_EQ(p.options->traces, (std::vector<std::string>{"a.cap", "--b.cap"}));

  p = ParseArguments({"--locale-separator", "", "--frames", "--frames", "x"});
  ASSERT_TRUE(p.options) << p.error;
  EXPECT_EQ(p.options->thousandsSep, '\0');
  EXPECT_EQ(p.options->mode, OutputMode::kFrames);

  p = ParseArguments({"--locale-separator", ".", "x"});
  ASSERT_TRUE(p.options);
  EXPECT_EQ(p.options->thousandsSep, '.');
  EXPECT_EQ(p.options->decimalSep, ',');

  p = ParseArguments({"--threads=3", "x"});
  ASSERT_TRUE(p.options);
  EXPECT_EQ(p.options->threads, 3);
  EXPECT_EQ(ParseArguments({"x"}).options->threads, 0);  // the usable CPUs
  EXPECT_TRUE(ParseArguments({"--timings", "x"}).options->timings);

  EXPECT_TRUE(ParseArguments({"--help"}).options);  // no trace needed
  for (const std::vector<std::string>& bad : std::vector<std::vector<std::string>>{{"x", "--bandwidth", "1000001"},
                                                                                   {"--bandwidth", "-5", "x"},
                                                                                   {"--bandwidth", "10x", "x"},
                                                                                   {"--json=yes", "x"},
                                                                                   {"--locale-separator", "7", "x"},
                                                                                   {"--locale-separator", "\t", "x"},
                                                                                   {"--frames", "--json", "x"},
                                                                                   {"--threads", "65", "x"},
                                                                                   {"--threads", "two", "x"},
                                                                                   {"x", "--threads"},
                                                                                   {"--timings=1", "x"},
                                                                                   {"--frames", "--timings", "x"}})
    EXPECT_FALSE(ParseArguments(bad).options) << ::testing::PrintToString(bad);
}

TEST(Json, StringsAreEscapedAndAlwaysUtf8) {
  EXPECT_EQ(JsonQuote("a\"b\\c\n\t\x01"), R"("a\"b\\c\n\t\u0001")");
  EXPECT_EQ(JsonQuote("caf\xC3\xA9"), "\"caf\xC3\xA9\"");             // valid UTF-8 stays
  EXPECT_EQ(JsonQuote("caf\xE9"), "\"caf\xC3\xA9\"");                 // Latin-1 becomes UTF-8
  EXPECT_EQ(TextAsUtf8("\xC0\x80"), "\xC3\x80\xC2\x80");              // an overlong form is not UTF-8
  EXPECT_EQ(TextAsUtf8("\xED\xA0\x80"), "\xC3\xAD\xC2\xA0\xC2\x80");  // nor is a surrogate
  EXPECT_EQ(TextAsUtf8("\xF0\x9F\x98\x80"), "\xF0\x9F\x98\x80");
}

// A writer that hands out its text in pieces, and the pieces it handed out.
struct SpillingWriter {
  std::string rest, pieces;
  int spills = 0;
  JsonWriter w{rest};
  SpillingWriter() {
    w.SpillTo([this](std::string_view piece) {
      pieces += piece;
      ++spills;
    });
  }
};

// A long text handed out in pieces is the same text.
TEST(Json, SpilledPiecesMakeTheWholeText) {
  auto write = [](JsonWriter& w) {
    w.BeginArray();
    for (int i = 0; i < 20000; ++i) {
      w.BeginObject(true);
      w.Field("n", int64_t{i});
      w.Field("s", "text");
      w.EndObject();
      w.MaySpill();
    }
    w.EndArray();
  };
  std::string whole;
  JsonWriter plain(whole);
  write(plain);
  SpillingWriter spilling;
  write(spilling.w);
  EXPECT_GT(spilling.spills, 1);
  EXPECT_LT(spilling.rest.size(), whole.size() / 2);
  EXPECT_TRUE(spilling.pieces + spilling.rest == whole);
}

TEST(Json, WriterNestsAndSeparates) {
  std::string out;
  JsonWriter w(out);
  w.BeginObject();
  w.Field("a", int64_t{1});
  w.Key("b");
  w.BeginArray(true);
  w.Number(1.5);
  w.Number(2.0);
  w.Number(0.1234567);
  w.Number(std::numeric_limits<double>::infinity());
  w.EndArray();
  w.Key("c");
  w.BeginObject();
  w.EndObject();
  w.Field("d", false);
  w.EndObject();
  EXPECT_EQ(out, "{\n  \"a\": 1,\n  \"b\": [1.5, 2, 0.123, null],\n  \"c\": {},\n  \"d\": false\n}");

  // Keys too long to wait for their value, keys with escapes, and deep indentation read the
  // same as short plain ones.
  const std::string longKey(200, 'k');
  for (int depth : {1, 60}) {
    std::string text;
    JsonWriter nested(text);
    for (int i = 0; i < depth; ++i) nested.BeginArray();
    nested.BeginObject();
    nested.Field(longKey, int64_t{1});
    nested.Field("q\"t", "v");
    nested.Field(longKey, longKey);
    nested.Field("v", "a\"b");
    nested.NumberField(longKey, "1.5");
    nested.Field("x", int64_t{2});
    nested.EndObject();
    for (int i = 0; i < depth; ++i) nested.EndArray();
    const std::string in(2 * depth + 2, ' ');
    const std::string expected = "{\n" + in + "\"" + longKey + "\": 1,\n" + in + "\"q\\\"t\": \"v\",\n" + in + "\"" +
                                 longKey + "\": \"" + longKey + "\",\n" + in + "\"v\": \"a\\\"b\",\n" + in + "\"" +
                                 longKey + "\": 1.5,\n" + in + "\"x\": 2\n" + std::string(2 * depth, ' ') + "}";
    EXPECT_NE(text.find(expected), std::string::npos) << depth << "\n" << text;
  }

  // A key left without its value is not lost.
  std::string open;
  JsonWriter unfinished(open);
  unfinished.BeginObject(true);
  unfinished.Key("a");
  unfinished.Key("b");
  unfinished.Int(1);
  unfinished.Key("c");
  unfinished.Field("d", "e");
  unfinished.Key("f");
  unfinished.NumberField("g", "2");
  unfinished.Key("h");
  unfinished.EndObject();
  EXPECT_EQ(open, "{\"a\": , \"b\": 1, \"c\": , \"d\": \"e\", \"f\": , \"g\": 2, \"h\": }");
}

TEST(FrameListing, OneTabSeparatedLine) {
  FrameRecord f;
  f.FrameNumber = 12;
  f.Timestamp = 1234567.8916;
  f.Length = 64;
  f.CapturedLength = 60;
  f.Status = 0xC000;
  EXPECT_EQ(FrameLine(f), "12\t1234567.892\t64\t60\tC000");
  f.Timestamp = std::numeric_limits<double>::quiet_NaN();
  f.Status = 0x0A;
  EXPECT_EQ(FrameLine(f), "12\t0.000\t64\t60\t000A");
}

TEST(TextTable, AlignsByCharactersNotBytes) {
  TextTable t({Align::kLeft, Align::kRight, Align::kCentre});
  t.AddRow({"caf\xC3\xA9", "1", "x"});
  t.AddRow({"ab", "1,000", "wide"});
  t.AddRow({"tab\there", "", ""});
  EXPECT_EQ(t.Render(), "  caf\xC3\xA9          1   x\n  ab        1,000  wide\n  tab here\n");
}

TEST(Cells, NumbersOfTableCells) {
  EXPECT_EQ(CellNumber(" 1,234.500", ',', '.'), 1234.5);
  EXPECT_EQ(CellNumber("1.234,5", '.', ','), 1234.5);
  EXPECT_EQ(CellNumber("-", ',', '.'), std::nullopt);
  EXPECT_EQ(CellNumber("", ',', '.'), std::nullopt);
  EXPECT_EQ(CellNumber("12x", ',', '.'), std::nullopt);
  // What the fast reading refuses is still read as strtod reads it.
  EXPECT_EQ(CellNumber("+5", ',', '.'), 5.0);
  EXPECT_EQ(CellNumber("1e-400", ',', '.'), 0.0);
  EXPECT_EQ(CellNumber("1e400", ',', '.'), std::nullopt);
  EXPECT_EQ(CellNumber("inf", ',', '.'), std::nullopt);
  EXPECT_EQ(CellNumber(std::string(100, '1'), ',', '.'), 1.1111111111111111e99);
}

// The text taken from a cell must be exactly what reading and writing it again gives.
TEST(Cells, PlainNumbersWrittenAsReadAndWrittenAgain) {
  auto rewritten = [](std::string_view cell, int decimals) {
    std::string out;
    JsonWriter w(out);
    w.BeginArray(true);
    const double v = CellNumber(cell, '\0', '.').value_or(0);
    if (decimals == 0)
      w.Int(static_cast<int64_t>(v));
    else
      w.Number(v, decimals);
    w.EndArray();
    return out.substr(1, out.size() - 2);
  };
  for (std::string_view cell : {"0", "7", "22", "999999999999999", "0.5", " 0.373", "  7.940", "12.000", "0.000",
                                "123456789012.999", "1.001"}) {
    const auto text = PlainNumberText(cell, '.', 3);
    ASSERT_TRUE(text) << cell;
    EXPECT_EQ(*text, rewritten(cell, 3)) << cell;
  }
  for (std::string_view cell : {"", "-", " ", "-1", "+1", "007", ".5", "0.3733", "1e5", "1,234", "1234567890123.5",
                                "9999999999999999", "1 000", "2.5 ", "inf", "0x10"})
    EXPECT_FALSE(PlainNumberText(cell, '.', 3)) << cell;
  EXPECT_FALSE(PlainNumberText("2.5", '.', 0));  // a count is written whole
  EXPECT_FALSE(PlainNumberText("2.5", ',', 3));  // '.' separates thousands there
  EXPECT_EQ(PlainNumberText("25", ',', 3), "25");
  EXPECT_FALSE(PlainNumberText("123456789012.5", '.', 6));  // six places leave nine digits before them
  EXPECT_EQ(PlainNumberText("123456789.123456", '.', 6), rewritten("123456789.123456", 6));
  // Every fraction of up to three decimals on a large whole part reads back the same.
  for (int64_t whole : {int64_t{0}, int64_t{1}, int64_t{999999999999}, int64_t{549755813887}})
    for (int f = 0; f < 1000; f += 7) {
      const std::string cell = std::to_string(whole) + "." + std::to_string(1000 + f).substr(1);
      const auto text = PlainNumberText(cell, '.', 3);
      ASSERT_TRUE(text) << cell;
      ASSERT_EQ(*text, rewritten(cell, 3)) << cell;
    }
}

// A conversation row goes in one piece where every cell goes into JSON as it stands, else field
// by field; its text is the same either way.
TEST(Json, ConversationRowsInOnePieceOrFieldByField) {
  using Cells = std::array<std::string, kCsColumns>;
  const auto report = [](const std::vector<Cells>& rows) {
    std::string out;
    JsonWriter w(out);
    w.BeginObject();
    w.Key("conversations");
    w.BeginArray();
    ReportOptions o;
    o.thousandsSep = ',';
    o.decimalSep = '.';
    for (const Cells& cells : rows) ConversationRow(w, ClientServerRow::Pack(cells), o);
    w.EndArray();
    w.EndObject();
    return out;
  };
  Cells plain{};
  plain[kCsColClient] = "ws12";
  plain[kCsColServer] = "FS1";
  plain[kCsColClientKey] = std::string("\x0A\x00\x00\x01", 4);
  plain[kCsColServerKey] = std::string("\xC0\xA8\x01\x02", 4);
  plain[kCsColProtocol] = "TCP/Port 1024<->SMB";
  plain[kCsColPackets] = "1234";
  plain[kCsColDuration] = "00:00:01.250";
  plain[kCsColResponseTime] = "1234.5";
  plain[kCsColClientToServer] = "0.373";
  plain[kCsColServerToClient] = "-";
  plain[kCsColA] = std::string(kCsMark);
  plain[kCsColE] = "1000";
  const std::string one = report({plain});
  for (std::string_view part : {"\"client_address\": \"10.0.0.1\"", "\"packets\": 1234,", "\"bytes\": 0,",
                                "\"response_time_ms\": 1234.5,", "\"throughput_s2c\": null,", "\"marks\": \"A\",",
                                "\"events\": {\"E\": 1000, \"F\": 0, \"G\": 0, \"H\": 0, \"I\": 0}\n    }"})
    EXPECT_NE(one.find(part), std::string::npos) << part << " in " << one;

  // The same figures in cells that must be read as numbers.
  for (const auto& [column, cell] : std::initializer_list<std::pair<int, const char*>>{{kCsColPackets, "1,234"},
                                                                                       {kCsColResponseTime, "1,234.5"},
                                                                                       {kCsColClientToServer, "0.3733"},
                                                                                       {kCsColE, "1,000"}}) {
    Cells other = plain;
    other[static_cast<size_t>(column)] = cell;
    EXPECT_EQ(report({plain, other}), report({plain, plain})) << cell;
  }
  // Text that must be escaped, or is not UTF-8, goes field by field.
  Cells named = plain;
  named[kCsColClient] = "say \"hi\"\xF6";
  std::string expected = one;
  expected.replace(expected.find("\"ws12\""), 6, "\"say \\\"hi\\\"\xC3\xB6\"");
  EXPECT_EQ(report({named}), expected);
}

// A peer table's row goes in one piece where every cell goes into JSON as it stands, else field
// by field; its text is the same either way.
TEST(Json, PeerTableRowsInOnePieceOrFieldByField) {
  const PeerTableColumns columns({"Source Address", "Dests", "Utilization", "Ave Send", "Pkt Ratio"},
                                 [](size_t c) { return c == 0 || c == 2 || c == 4; });
  const auto table = [&](const std::vector<std::vector<std::string>>& rows) {
    std::string out;
    JsonWriter w(out);
    w.BeginObject();
    w.Key("stations_table");
    w.BeginArray();
    for (const auto& cells : rows) PeerTableRow(w, "00000C07AC00", columns, cells);
    w.EndArray();
    w.EndObject();
    return out;
  };
  const std::vector<std::string> plain = {"Cisco 07AC00", "8713", "30.90%", "", "1:1.5"};
  EXPECT_NE(table({plain}).find("{\"address\": \"00000C07AC00\", \"Source Address\": \"Cisco 07AC00\", \"Dests\": "
                                "8713, \"Utilization\": \"30.90%\", \"Ave Send\": null, \"Pkt Ratio\": \"1:1.5\"}"),
            std::string::npos)
      << table({plain});
  // The same figures in cells that must be read as numbers, and text that must be escaped.
  std::vector<std::string> other = plain;
  other[1] = "8713.0001";
  EXPECT_EQ(table({plain, other}), table({plain, plain}));
  other = plain;
  other[0] = "Cisco \"07\"";
  std::string expected = table({plain});
  expected.replace(expected.find("Cisco 07AC00"), 12, "Cisco \\\"07\\\"");
  EXPECT_EQ(table({other}), expected);

  // A row near the size of the one-piece buffer, its cells shorter than the "null" they write.
  const std::vector<std::string_view> letters = {"a", "b", "c", "d", "e", "f", "g", "h", "i", "j", "k", "l"};
  std::string out;
  JsonWriter w(out);
  const std::string address(900, 'x');
  PeerTableRow(w, address, PeerTableColumns(letters, [](size_t) { return false; }),
               std::vector<std::string>(letters.size()));
  std::string want = "{\"address\": \"" + address + "\"";
  for (std::string_view l : letters) want += ", \"" + std::string(l) + "\": null";
  EXPECT_EQ(out, want + "}");
}

// Text written aside, appended later, reads as if written in its place, spilled pieces and all.
TEST(Json, AsideAppendsAsIfWrittenInPlace) {
  const auto numbers = [](JsonWriter& w, std::string_view key, int count) {
    w.Key(key);
    w.BeginArray();
    for (int i = 0; i < count; ++i) w.Int(i);
    w.EndArray();
  };
  std::string whole;
  JsonWriter one(whole);
  one.BeginObject();
  one.Field("a", int64_t{1});
  numbers(one, "b", 3);
  numbers(one, "c", 20000);
  numbers(one, "d", 20000);
  one.EndObject();

  SpillingWriter spilling;
  JsonWriter& w = spilling.w;
  w.BeginObject();
  w.Field("a", int64_t{1});
  JsonAside aside(w);
  numbers(aside.Writer(), "c", 20000);
  numbers(aside.Writer(), "d", 20000);
  numbers(w, "b", 3);
  aside.AppendTo(w);
  w.EndObject();
  EXPECT_GE(spilling.spills, 2);  // the aside's text was held in pieces, each passed on as it came
  EXPECT_EQ(spilling.pieces + spilling.rest, whole);
}

// Groups of elements written by writers of their own (as on other threads) and appended in
// order read as if written in place: the array's first element has no separator, even after
// empty groups, compact or not, and a group too large to hold passes straight on.
TEST(Json, ElementsWrittenElsewhereJoinInOrder) {
  for (const bool compact : {false, true}) {
    const std::vector<int> groups = {0, 2, 0, 30000, 1};
    std::string whole;
    JsonWriter one(whole);
    one.BeginObject();
    one.Key("rows");
    one.BeginArray(compact);
    for (int count : groups)
      for (int i = 0; i < count; ++i) one.Int(i);
    one.EndArray();
    one.EndObject();

    SpillingWriter spilling;
    JsonWriter& w = spilling.w;
    w.BeginObject();
    w.Key("rows");
    w.BeginArray(compact);
    std::string unused;
    const JsonWriter elements = w.Elements(unused);
    for (int count : groups) {
      std::string text;
      JsonWriter group = elements.Continuation(text);
      for (int i = 0; i < count; ++i) group.Int(i);
      w.AppendElements(text);
    }
    w.EndArray();
    w.EndObject();
    EXPECT_EQ(spilling.pieces + spilling.rest, whole) << compact;
    EXPECT_GE(spilling.spills, 1) << compact;
  }
}

TEST(Json, WholeNumbersAndFractionsAlike) {
  std::string out;
  JsonWriter w(out);
  w.BeginArray(true);
  for (double v : {0.0, -0.0, 12.0, -7.0, 1e15, 0.0004, -0.0004, 2.5, 1.9999}) w.Number(v);
  w.EndArray();
  EXPECT_EQ(out, "[0, 0, 12, -7, 1000000000000000, 0, 0, 2.5, 2]");
}

}  // namespace
}  // namespace corvanta::cli
