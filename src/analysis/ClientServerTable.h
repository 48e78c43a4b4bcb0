#pragma once
// The client/server table: one row per IP or IPX conversation with its client and server,
// protocol, counts, duration, response time, throughput in both directions and the problem
// columns A to I, built by running the analysis engine up to three times per conversation.
#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/BrisqonSettings.h"
#include "analysis/PackedTexts.h"
#include "decode/CaptureModel.h"

namespace corvanta {

class UserPorts;
class VendorTable;

enum ClientServerColumn : int {
  kCsColA = 0,  // low server-to-client throughput (mark)
  kCsColB,      // slow response time (mark)
  kCsColC,      // busy network or server (mark)
  kCsColD,      // inefficient client (mark)
  kCsColE,      // transport retransmissions
  kCsColF,      // frames in and out of the same router port
  kCsColG,      // TCP zero windows
  kCsColH,      // TCP resets
  kCsColI,      // ICMP error reports
  kCsColClient,
  kCsColServer,
  kCsColProtocol,
  kCsColPackets,
  kCsColBytes,
  kCsColDuration,
  kCsColResponseTime,
  kCsColClientToServer,  // throughput
  kCsColServerToClient,
  // Hidden columns that travel with the rows.
  kCsColClientKey,  // the client's address key bytes (4 IP, 10 IPX)
  kCsColServerKey,
  kCsColSenderKey,     // the sending address's key bytes
  kCsColConversation,  // the row's peer record and conversation head: "<peer> <head>"
};
inline constexpr int kCsVisibleColumns = 18;
inline constexpr int kCsColumns = 22;
inline constexpr int kCsProblemColumns = 9;

// The text of a marked problem cell (a middle dot, U+00B7, in UTF-8); the grid draws a check mark.
inline constexpr std::string_view kCsMark = "\u00B7";
inline constexpr std::string_view kCsInsufficientData = "-";
inline constexpr std::string_view kCsUnknownStation = "UNKNOWN";

// Which direction the packets and bytes columns count.
enum class PacketsBytesChoice : uint8_t { kBoth = 0, kClientToServer = 1, kServerToClient = 2 };
inline constexpr std::array<std::string_view, 3> kPacketsBytesChoiceNames = {"Client <-> Server", "Client -> Server",
                                                                             "Client <- Server"};

// The sort keys offered for the visible columns, in column order.
inline constexpr std::array<std::string_view, 18> kCsSortKeyNames = {"A - Low Svr-to-Clt Thput Checked",
                                                                     "B - Slow Response Time Checked",
                                                                     "C - Busy Network or Svr Checked",
                                                                     "D - Inefficient Client Checked",
                                                                     "E - # of Transport Retransmissions",
                                                                     "F - # of Pkts In/Out Router Port",
                                                                     "G - # of TCP Zero Windows",
                                                                     "H - # of TCP Resets",
                                                                     "I - # of ICMP Error Reports",
                                                                     "Client",
                                                                     "Server",
                                                                     "Protocol/Application",
                                                                     "Packets",
                                                                     "Bytes",
                                                                     "Duration",
                                                                     "Response Time",
                                                                     "Clt -> Svr Throughput",
                                                                     "Clt <- Svr Throughput"};

using ClientServerRow = PackedTexts<kCsColumns>;

// What each visible column means, for the header's tooltip.
inline constexpr std::array<std::string_view, kCsVisibleColumns> kCsColumnHints = {
    "A = Low Server to Client Throughput: checked when the server-to-client throughput is not above the Brisqon "
    "threshold (the Clt<-Svr Thput* cell turns yellow)",
    "B = Slow Response Time: checked when the average response time reaches the Brisqon threshold (the Resp Time "
    "cell turns yellow)",
    "C = Busy Network or Server: checked when the average response takes many times the fastest one, or the server "
    "reported itself busy",
    "D = Inefficient Client: checked when the client and server exchange small frames about one for one",
    "E = # of Transport Retransmissions",
    "F = # of Pkts In/Out Same Router Port",
    "G = # of TCP Zero Windows",
    "H = # of TCP Resets",
    "I = # of ICMP Error Reports",
    "The station that made the requests (its learned name with SmartNames)",
    "The station that answered (its learned name with SmartNames)",
    "Protocol or application, with the client's and the server's port or socket",
    "Packets in the direction chosen above the table",
    "Bytes in the direction chosen above the table",
    "How long the conversation lasted (hh:mm:ss.mmm)",
    "Average time from a request to its response, in milliseconds (- = no answered request)",
    "Client to server throughput in KBytes/second, K = 1000 (- = fewer than 4 packets or under 0.1 s)",
    "Server to client throughput in KBytes/second, K = 1000 (- = fewer than 4 packets or under 0.1 s)"};

// Why a conversation of the model is not a row. The answering half of a conversation is
// part of that conversation and is not counted on its own.
enum NotListedReason : int {
  kNotListedBroadcast = 0,  // its first packet went to a broadcast or multicast address
  kNotListedNoRequest,      // its first packet is neither a request nor a one-way reply
  kNotListedUnsupported,    // a protocol the analysis does not measure
  kNotListedUnanswered,     // requests without an answer the analysis can pair
  kNotListedReasons
};
inline constexpr std::array<std::string_view, kNotListedReasons> kNotListedReasonKeys = {"broadcast", "no_request",
                                                                                         "unsupported", "unanswered"};
inline constexpr std::array<std::string_view, kNotListedReasons> kNotListedReasonTexts = {
    "sent to a broadcast or multicast address", "without a request", "of a protocol not analyzed", "unanswered"};

class PeerDirectory;

// What the table is built from; all of it must outlive the Build call only.
struct ClientServerSources {
  const CaptureModel& Model;
  const BrisqonSettings& Settings;
  const VendorTable* Vendors = nullptr;  // null: no vendor names
  const UserPorts* Ports = nullptr;      // null: built-in port names only
  // Every pair of the model's addresses, where one is at hand; null: made here.
  const PeerDirectory* Directory = nullptr;
};

struct ClientServerOptions {
  PacketsBytesChoice Choice = PacketsBytesChoice::kBoth;
  bool SmartNames = true;         // learned names in place of addresses
  bool ShowIpxOui = true;         // IPX nodes with their vendor name
  int32_t LastFrame = INT32_MAX;  // the conversations are measured over frames 1 to this
  char ThousandsSep = ',';
  char DecimalSep = '.';
  // Threads measuring conversations; the rows come out the same whatever the number.
  int Threads = 1;
  // The hidden columns that open a row's conversation in the other windows (its sender's key,
  // its model identity); a reader of the visible columns alone may go without them, which
  // are then empty.
  bool SelectionColumns = true;
};

// The conversation the toolbox is asked to select: by model identity when the opener knows it
// (the sending address's key bytes, the peer record and the head), else by texts.
struct RequestedConversation {
  std::string SenderKey;  // empty: select by the texts
  int32_t Peer = -1;
  int32_t Head = -1;
  std::string Source;        // client address text
  std::string SourceVendor;  // the same with the vendor name (IPX only)
  std::string Destination;   // server
  std::string DestinationVendor;
  std::string App;  // the protocol/application text
};

// The client or server name: the learned name when smartNames and there is one, else the
// address (IP dotted decimal, IPX network.node, with the vendor when showIpxOui).
std::string ClientServerName(const CaptureModel& model, const VendorTable* vendors, std::string_view key,
                             bool smartNames, bool showIpxOui);
// The station a client or server address (its key bytes) sent from, with the vendor name
// where vendors are given; "UNKNOWN" for an address that never sent. Read from the model on
// demand: few rows are ever asked.
std::string ClientServerStation(const CaptureModel& model, const VendorTable* vendors, std::string_view key);

class ClientServerTable {
 public:
  // Where the rows go, in groups, for a caller that writes them out as they come instead of
  // keeping them. Format turns a group into text on whichever thread built it, so that the
  // writing is shared out too; Take gets the texts on the calling thread, in table order.
  struct RowSink {
    std::function<void(const std::vector<ClientServerRow>& rows, std::string& text)> Format;
    std::function<void(const std::string& text)> Take;
    explicit operator bool() const { return static_cast<bool>(Take); }
  };

  // Rebuilds the table from the model. poll runs on the calling thread before every group of
  // conversations so that the caller can keep its window responsive. With a sink the rows
  // go to it instead of being kept (RowCount still counts them).
  void Build(const ClientServerSources& sources, const ClientServerOptions& options,
             const std::function<void()>& poll = {}, const RowSink& sink = {});

  const std::vector<ClientServerRow>& Rows() const { return rows_; }
  size_t RowCount() const { return rows_.size() + passed_; }
  // The header cells of the 18 visible columns; those of packets and bytes follow the choice.
  std::array<std::string, kCsVisibleColumns> Headers() const;
  // Totals of the problem columns A to I.
  const std::array<int32_t, kCsProblemColumns>& Totals() const { return totals_; }

  // Conversations of the model that are not rows, by reason, and their sum.
  const std::array<int32_t, kNotListedReasons>& NotListed() const { return notListed_; }
  int32_t NotListedCount() const;
  // "N conversations of the trace not listed: a sent to a broadcast or multicast address,
  // b unanswered." with the reasons that occur; empty when every conversation is a row.
  std::string NotListedText() const;

  // "N Conversations Analyzed", "1 Conversation Analyzed", or empty without rows.
  std::string ConversationsCaption() const;
  // The three legend memos: A to D, E to H, and I with the footnotes.
  std::array<std::string, 4> LegendAToD() const;
  std::array<std::string, 4> LegendEToH() const;
  std::array<std::string, 4> LegendI() const;

  // Sorts the rows by a visible column. Asking again for the column and direction of the
  // last sort does nothing and returns false; a build forgets the last sort.
  bool Sort(int column, bool ascending);

  // Rewrites the client and server names of every row from the hidden address keys.
  void RewriteNames(const CaptureModel& model, const VendorTable* vendors, bool smartNames, bool showIpxOui);

  // Clipboard text of a cell range in grid coordinates (row 0 is the header): the header
  // cells of the columns, then the data rows; tab-separated, every line ending in CR LF.
  std::string CopyText(int left, int top, int right, int bottom) const;

  // The rows whose texts in a column are longest, at most count of them, longest first (ties:
  // the earlier row first): where a column's widest cell is found without measuring them all.
  std::vector<size_t> LongestCells(int column, size_t count) const;

  // The texts that select the row's conversation in the toolbox; empty for a row out of range.
  RequestedConversation Request(size_t row, const VendorTable* vendors) const;

 private:
  std::vector<ClientServerRow> rows_;
  size_t passed_ = 0;  // rows handed to a sink
  std::array<int32_t, kCsProblemColumns> totals_{};
  std::array<int32_t, kNotListedReasons> notListed_{};
  ClientServerOptions options_;
  int sortedColumn_ = -1;
  bool sortedAscending_ = true;
};

}  // namespace corvanta
