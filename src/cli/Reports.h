#pragma once
// The text report and the JSON object of an analysed trace.
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "cli/Json.h"
#include "cli/TraceAnalysis.h"

namespace corvanta::cli {

struct ReportOptions {
  char thousandsSep = ',';
  char decimalSep = '.';
  const VendorTable* vendors = nullptr;
  bool peerPairs = false;  // the JSON report also lists the peer maps' pairs
  int threads = 1;         // the JSON report may write its two peer tables side by side
};

// The text report of an accepted trace: file attributes, frame statistics, media
// utilisation, encapsulations, protocol table, DLC errors and the client/server table.
std::string TextReport(const TraceAnalysis& analysis, const ReportOptions& options);

// Builds the client/server table handing each row to the given writer, in table order.
using RowStream = std::function<void(const ClientServerTable::RowSink& write)>;

// The JSON object of a trace; a refused one gives only "file" and "error". The client/server
// table must have been built without thousands separators. `more` (may be empty) writes
// further members of an accepted trace's object at its end. With `stream` the table is built
// while its rows are written, and none is held (the table's counts are read after it).
void WriteJsonReport(const TraceAnalysis& analysis, const std::string& file, const ReportOptions& options,
                     JsonWriter& json, const std::function<void(JsonWriter&)>& more = {},
                     const RowStream& stream = {});

// The number in a table cell ("1,234.5" with the given separators); nullopt for "-" or an
// empty cell.
std::optional<double> CellNumber(std::string_view cell, char thousandsSep, char decimalSep);
// The text JsonWriter::Number (with `decimals`; Int when 0) writes for the number in a cell,
// when the cell itself tells it: spaces before, digits with no sign or leading zero, at most
// 15 for a whole number, or up to `decimals` decimals after at most 15 - `decimals` digits
// (trailing zeros are dropped). nullopt for any other cell, which must be read as a number.
std::optional<std::string_view> PlainNumberText(std::string_view cell, char decimalSep, int decimals);
// A row of the client/server table as an element of the report's "conversations" array.
void ConversationRow(JsonWriter& json, const ClientServerRow& row, const ReportOptions& options);
// A peer table's columns: each heading, whether its cells are text (else numbers), and
// whether every heading goes into JSON as it stands; looked at once for all the rows.
struct PeerTableColumns {
  PeerTableColumns(std::vector<std::string_view> headings, const std::function<bool(size_t)>& isText);
  std::vector<std::string_view> Headings;
  std::vector<uint8_t> Text;
  bool PlainHeadings = true;
};
// A peer table's row as a one-line object: the node's address, then each cell under its
// heading, as text or as a number (null for none).
void PeerTableRow(JsonWriter& json, std::string_view address, const PeerTableColumns& columns,
                  const std::vector<std::string>& cells);
// Key and the number in a table cell, with up to `decimals` decimals; null when it holds none.
void CellNumberField(JsonWriter& json, std::string_view key, std::string_view cell, char thousandsSep,
                     char decimalSep, int decimals = 3);

}  // namespace corvanta::cli
