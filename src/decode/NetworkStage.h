#pragma once
// The network stage of decoding: IP and IPX headers, transports, name learning, and the
// conversation and packet records, for frames of categories IP, IPX and NetBIOS-IPX.
#include <cstddef>
#include <cstdint>

#include "decode/CaptureModel.h"
#include "decode/DecodeTypes.h"
#include "trace/Bytes.h"
#include "trace/FrameRecord.h"

namespace corvanta {

class NetworkStage {
 public:
  NetworkStage(CaptureModel& model, const DecodeEnvironment& env) : model_(model), env_(env) {}

  enum class ChecksumVerdict : uint8_t { kNotJudged, kRight, kWrong };

  // What the header decoding found in one frame. Parse works it out from the frame's bytes
  // alone, so it can be done ahead of Decode, on another thread; Decode files it.
  struct Packet {
    ByteView data;       // the frame; bytes past what was read are zero
    size_t network = 0;  // 0-based start of the network header
    size_t transport = 0;
    bool ip = false;
    bool group = false;
    AddressKey source;
    AddressKey destination;
    SubProtocol sub = 0;
    uint16_t sourcePort = 0;
    uint16_t destinationPort = 0;
    TPacket record;               // the fields of the packet record, links unused
    uint16_t fragmentOffset = 0;  // kept beside the record (PacketList::FragmentOffset)
    uint16_t maxSegment = 0;      // a SYN's, kept by the conversation (TTransHead::MaxSegment)
    ChecksumVerdict checksum = ChecksumVerdict::kNotJudged;  // TCP or UDP
  };
  // Reads the headers of a frame of the data-link stage, usable for the network stage; false
  // for one Decode does not take. time is the frame's timestamp carried on across midnight,
  // so that packet times never run backwards.
  static bool Parse(const FrameRecord& frame, const DataLinkResult& link, double time, Packet& p);
  // The two steps of Parse, for a caller that takes them apart: the source and destination
  // addresses of a frame Decode would take (false for others), then the rest of the headers
  // of a frame whose addresses are in p.
  static bool AddressKeys(const FrameRecord& frame, const DataLinkResult& link, AddressKey& source,
                          AddressKey& destination);
  static void ParseHeaders(const FrameRecord& frame, const DataLinkResult& link, double time, Packet& p);
  // Files the frame Parse read into p (whose data view is that frame's).
  void Decode(const FrameRecord& frame, const DataLinkResult& link, Packet& p);
  // The same for a frame on its own, at its own time.
  void Decode(const FrameRecord& frame, const DataLinkResult& link);
  // After the last frame: corrects directions for servers on learned ports.
  void MarkLearnedServers();
  // After the last frame: a sending IP address none of whose judged TCP and UDP checksums
  // (at least kOffloadMinJudged) was right, or none of those of its packets with data, fills
  // them in on its adapter, after the capture took the frame. Its packets lose their
  // transport checksum marks and the address is listed in CaptureModel::ChecksumOffload.
  void DetectChecksumOffload();
  static constexpr int32_t kOffloadMinJudged = 3;

 private:
  // Counters are 32-bit; a trace large enough to pass their range holds them at the top
  // instead of wrapping to negative values.
  static void Accumulate(int32_t& counter, uint32_t amount) {
    const int64_t sum = int64_t{counter} + amount;
    counter = sum > INT32_MAX ? INT32_MAX : static_cast<int32_t>(sum);
  }

  // Header decoding (NetworkStage.cpp).
  static void ParseIpx(Packet& p);
  static void ParseIp(Packet& p, const FrameRecord& frame);
  static void ParseIpTransport(Packet& p, bool checks);
  static void JudgeTransportChecksum(Packet& p);
  NetAddressNode& NoteSource(const Packet& p, const DataLinkResult& link, bool& newSender);
  // The receiver's node id.
  int32_t NoteDestination(const Packet& p, const DataLinkResult& link);
  // What the headers say that depends on earlier frames: fragments' ports, learned names
  // and servers.
  void FileIpTransport(Packet& p);
  void LearnIpxNames(const Packet& p, const DataLinkResult& link);

  // Name learning (NetworkNames.cpp).
  void LearnNetBiosName(const Packet& p);
  void LearnSapNames(const Packet& p, const DataLinkResult& link);
  void LearnDnsAnswers(const Packet& p);

  // Conversation and packet tracking (Conversation.cpp).
  int32_t CreatePeer(int32_t receiver);
  int32_t CreateConversation(const Packet& p);
  // Sets index to the conversation's record index.
  TTransHead& FileConversation(const Packet& p, NetAddressNode& source, int32_t receiver, bool newSender,
                               uint64_t position, int32_t& index);
  // Returns the new packet's index; previous is the real packet before it in its
  // conversation (-1: none).
  int32_t AppendPacket(const Packet& p, TTransHead& conversation, const FrameRecord& frame, int32_t& previous);
  int32_t PreviousReal(int32_t index) const;
  template <class Match>
  void WalkCandidates(int32_t previous, int limit, Match match);
  void MarkTcpFlags(const Packet& p, TPacket& packet);
  void MarkRepeats(const Packet& p, int32_t index, int32_t previous, const TTransHead& conversation,
                   const RepeatFilter& filter);
  void KeepRecent(const TTransHead& conversation, RepeatFilter& filter, int32_t index);
  void MarkMissingFragment(TPacket& packet, uint16_t offset, int32_t previous);
  void MarkTcpRetransmission(int32_t index, int32_t previous, const TTransHead& conversation,
                             const RepeatFilter& filter);
  void MarkSequencedRepeat(const Packet& p, TPacket& packet, int32_t previous);
  void MarkSpx2Repeat(int32_t index, int32_t previous);
  void MarkPacketBurstRepeat(const Packet& p, TPacket& packet, int32_t previous);
  void FileIcmpReport(const Packet& p, int32_t index);

  CaptureModel& model_;
  const DecodeEnvironment& env_;
};

}  // namespace corvanta
