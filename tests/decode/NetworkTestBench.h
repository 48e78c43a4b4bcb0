#pragma once
// A bench for the network stage: hands frames built in the tests to NetworkStage::Decode
// as the data-link stage would, and reads back the records it filed.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <vector>

#include "Packets.h"
#include "TraceWriter.h"
#include "decode/CaptureModel.h"
#include "decode/DecodeTypes.h"
#include "decode/NetworkStage.h"
#include "decode/PacketFlags.h"
#include "trace/FrameRecord.h"

namespace corvanta::testing {

inline constexpr MacAddr kMacA = {0x00, 0x00, 0x0C, 0x00, 0x00, 0x0A};
inline constexpr MacAddr kMacB = {0x00, 0x00, 0x0C, 0x00, 0x00, 0x0B};
inline constexpr Ip4Addr kIpA = {10, 0, 0, 1};
inline constexpr Ip4Addr kIpB = {10, 0, 0, 2};
inline constexpr Ip4Addr kIpC = {192, 168, 1, 254};

inline AddressKey IpKey(const Ip4Addr& a) { return AddressKey::Of(a.data(), a.size()); }
inline AddressKey IpxKey(const IpxAddress& a) {
  Bytes b;
  PutBe32(b, a.network);
  b.insert(b.end(), a.node.begin(), a.node.end());
  return AddressKey::Of(b.data(), b.size());
}
inline AddressKey MacKey(const MacAddr& m) { return AddressKey::Of(m.data(), m.size()); }

// An Ethernet II frame carrying an IP packet, A to B.
inline Bytes EtherIp(const Bytes& ipPacket, const MacAddr& dst = kMacB, const MacAddr& src = kMacA) {
  return PadFrame(EthernetII(dst, src, 0x0800, ipPacket));
}
inline Bytes EtherIpx(const Bytes& ipxPacket, const MacAddr& dst = kMacB, const MacAddr& src = kMacA) {
  return PadFrame(EthernetII(dst, src, 0x8137, ipxPacket));
}

// A TCP segment with an acknowledgement of 1 (unless given) and payload bytes of filler.
inline TcpSegment Tcp(uint16_t src, uint16_t dst, uint32_t seq, size_t payload = 0, uint8_t flags = kTcpAck,
                      uint32_t ack = 1) {
  TcpSegment s;
  s.srcPort = src;
  s.dstPort = dst;
  s.seq = seq;
  s.ack = ack;
  s.flags = flags;
  s.payload = Filler(payload);
  return s;
}

struct FeedOptions {
  uint16_t status = 0;
  int missing = 0;   // bytes at the end not captured (CapturedLength = Length - missing)
  double time = -1;  // microseconds; -1: 1 ms after the previous frame
};

class NetworkBench : public ::testing::Test {
 protected:
  CaptureModel model;
  DecodeEnvironment env;
  NetworkStage stage{model, env};
  std::unique_ptr<FrameRecord> frame = std::make_unique<FrameRecord>();
  double clock = 0;

  // The data-link stage creates the sender's TDLCPeer before any TNetPeer, so no TNetPeer
  // has index 0 (the "none" of the peer chains).
  NetworkBench() { model.Objects.New<TDLCPeer>(); }

  // Decodes an Ethernet frame given without its check sequence (4 zero bytes are added).
  // Ethernet II types 0x0800 and 0x8137 and Novell raw 802.3 are understood.
  void Feed(const Bytes& ethernet, const FeedOptions& o = {}) {
    FrameRecord& f = *frame;
    std::memset(f.Data.data(), 0xEE, f.Data.size());  // an earlier frame's bytes
    std::memcpy(f.Data.data(), ethernet.data(), ethernet.size());
    std::memset(f.Data.data() + ethernet.size(), 0, 4);
    f.Length = static_cast<uint16_t>(ethernet.size() + 4);
    f.CapturedLength = static_cast<uint16_t>(f.Length - o.missing);
    if (o.missing > 0) std::memset(f.Data.data() + f.CapturedLength, 0xEE, static_cast<size_t>(o.missing));
    f.Status = o.status;
    ++f.FrameNumber;
    clock = o.time >= 0 ? o.time : clock + 1000;
    f.Timestamp = clock;

    DataLinkResult link;
    link.destination = AddressKey::Of(ethernet.data(), 6);
    link.source = AddressKey::Of(ethernet.data() + 6, 6);
    link.group = (ethernet[0] & 1) != 0;
    const uint16_t type = static_cast<uint16_t>(ethernet[12] << 8 | ethernet[13]);
    link.networkOffset = 15;
    link.encapsulation = type > 1500 ? kEncapEtype : kEncapNovRaw;
    link.category = type == 0x0800 ? kCatIp : kCatIpx;
    bool inserted = false;
    link.sourceStation = &model.Stations.FindOrInsert(link.source, inserted);
    link.destinationStation = &model.Stations.FindOrInsert(link.destination, inserted);
    stage.Decode(f, link);
  }

  // The conversation of the address pair with these ports (any sub-protocol); null if none.
  const TTransHead* Conversation(const AddressKey& src, const AddressKey& dst, uint16_t sourcePort = 0,
                                 uint16_t destinationPort = 0) const {
    const TTransHead* found = nullptr;
    const NetAddressNode* node = model.NetAddresses.Find(src);
    if (!node) return nullptr;
    model.ForEachNetPeer(*node, [&](int32_t, const TNetPeer& peer) {
      if (model.NetAddresses.AddressAt(peer.Receiver) != dst) return true;
      model.ForEachConversation(peer, [&](int32_t, const TTransHead& c) {
        if (c.SourcePort != sourcePort || c.DestinationPort != destinationPort) return true;
        found = &c;
        return false;
      });
      return false;
    });
    return found;
  }
  const TNetPeer* Peer(const AddressKey& src, const AddressKey& dst) const {
    const TNetPeer* found = nullptr;
    if (const NetAddressNode* node = model.NetAddresses.Find(src))
      model.ForEachNetPeer(*node, [&](int32_t, const TNetPeer& peer) {
        if (model.NetAddresses.AddressAt(peer.Receiver) == dst) found = &peer;
        return found == nullptr;
      });
    return found;
  }
  std::vector<TPacket> PacketsOf(const TTransHead* c) const {
    std::vector<TPacket> out;
    if (c) model.ForEachPacket(*c, [&](int32_t, const TPacket& p) { out.push_back(p); });
    return out;
  }
  // The record of the last frame fed (the newest record when no report was inserted).
  const TPacket& Newest() const { return model.Packets.At(model.Packets.Count() - 1); }
  uint8_t NewestDistance() const { return model.Packets.RetransmitDistance(model.Packets.Count() - 1); }
};

}  // namespace corvanta::testing
