#pragma once
// Fills a capture model directly: addresses, peers, conversations and packets with given
// times, lengths, flags and sequence numbers, so that the analyses can be tested on
// conversations shaped exactly as a test needs.
#include <algorithm>
#include <array>
#include <cstdint>
#include <initializer_list>

#include "analysis/Selection.h"
#include "decode/CaptureModel.h"
#include "decode/PacketFlags.h"

namespace corvanta::testing {

inline AddressKey Ip(uint8_t a, uint8_t b, uint8_t c, uint8_t d) {
  const uint8_t bytes[] = {a, b, c, d};
  return AddressKey::Of(bytes, 4);
}
inline AddressKey Ipx(uint32_t network, std::array<uint8_t, 6> node) {
  const uint8_t bytes[] = {static_cast<uint8_t>(network >> 24),
                           static_cast<uint8_t>(network >> 16),
                           static_cast<uint8_t>(network >> 8),
                           static_cast<uint8_t>(network),
                           node[0],
                           node[1],
                           node[2],
                           node[3],
                           node[4],
                           node[5]};
  return AddressKey::Of(bytes, 10);
}

// The two ends of most test conversations.
inline const AddressKey kClientAddress = Ip(10, 0, 0, 1);
inline const AddressKey kServerAddress = Ip(10, 0, 0, 2);

// One packet record; fields left alone stay as a decoded UDP-sized IP packet would have them.
struct Pkt {
  int32_t frame = 1;
  double time = 0;  // microseconds
  uint16_t length = 64;
  PacketFlags flags = 0;
  uint32_t seq = 0;
  uint32_t ack = 0;
  uint16_t tcpFlags = 0;
  uint16_t totalLength = 46;
  uint8_t headerLength = 20;
  uint8_t transportHeaderLength = 0;
  uint16_t window = 0;
  uint16_t id = 0;
};

// A TCP segment of `payload` bytes on Ethernet (14-byte header and 4-byte check sequence).
inline Pkt Tcp(int32_t frame, double time, uint32_t seq, uint32_t ack, int payload, PacketFlags flags = 0,
               uint16_t tcpFlags = 0x10) {
  Pkt p;
  p.frame = frame;
  p.time = time;
  p.seq = seq;
  p.ack = ack;
  p.tcpFlags = tcpFlags;
  p.flags = flags;
  p.headerLength = 20;
  p.transportHeaderLength = 20;
  p.totalLength = static_cast<uint16_t>(40 + payload);
  p.length = static_cast<uint16_t>(std::max(64, 14 + 40 + payload + 4));
  return p;
}

class ModelBuilder {
 public:
  CaptureModel model;

  // As in a decoded trace, a data-link peer is the first record, so no network peer has
  // index 0 (which means "none" in the peer chains).
  ModelBuilder() { model.Objects.New<TDLCPeer>(); }

  // The address node, created as a receiver when new.
  NetAddressNode& Node(const AddressKey& key) { return *model.NetAddresses.At(NodeId(key)); }
  int32_t NodeId(const AddressKey& key) {
    bool inserted = false;
    const int32_t id = model.NetAddresses.FindOrInsertId(key, inserted);
    if (inserted) model.NetAddresses.At(id)->Category = key.Length == 4 ? kCatIp : kCatIpx;
    return id;
  }
  // Gives an address the station it was seen with.
  StationNode& Station(const AddressKey& address, std::array<uint8_t, 6> mac, uint16_t vendorIndex = 0) {
    bool inserted = false;
    StationNode& station = model.Stations.FindOrInsert(AddressKey::Of(mac.data(), 6), inserted);
    station.VendorIndex = vendorIndex;
    Node(address).Station = &station;
    return station;
  }
  // The peer record from -> to, created (with the sender's node) when new.
  int32_t Peer(const AddressKey& from, const AddressKey& to) {
    const int32_t receiver = NodeId(to);
    NetAddressNode& sender = Node(from);
    int32_t found = FindNetPeer(model, sender, to);
    if (found >= 0) return found;
    int32_t index = model.Objects.New<TNetPeer>();
    model.Objects.Get<TNetPeer>(index).Receiver = receiver;
    model.Objects.Get<TNetPeer>(index).NextPeer = 0;
    if (sender.FirstPeer == 0) {
      sender.FirstPeer = index;
      sender.Roles = kRolesSent;
    } else {
      int32_t last = sender.FirstPeer;
      while (model.Objects.Get<TNetPeer>(last).NextPeer != 0) last = model.Objects.Get<TNetPeer>(last).NextPeer;
      model.Objects.Get<TNetPeer>(last).NextPeer = index;
    }
    return index;
  }
  // A new conversation appended to the peer's chain.
  int32_t Conversation(int32_t peer, SubProtocol sub, uint16_t sourcePort = 0, uint16_t destinationPort = 0) {
    int32_t index = model.Objects.New<TTransHead>();
    TTransHead& head = model.Objects.Get<TTransHead>(index);
    head.SubProtocol = sub;
    head.SourcePort = sourcePort;
    head.DestinationPort = destinationPort;
    TNetPeer& p = model.Objects.Get<TNetPeer>(peer);
    if (p.FirstConversation < 0) {
      p.FirstConversation = index;
    } else {
      int32_t last = p.FirstConversation;
      while (model.Objects.Get<TTransHead>(last).NextConversation >= 0)
        last = model.Objects.Get<TTransHead>(last).NextConversation;
      model.Objects.Get<TTransHead>(last).NextConversation = index;
    }
    return index;
  }
  int32_t Add(int32_t conversation, const Pkt& given) {
    int32_t index = model.Packets.Append(model.Objects.Get<TTransHead>(conversation));
    TPacket& p = model.Packets.At(index);
    p.FrameNumber = given.frame;
    p.Time = given.time;
    p.Length = given.length;
    p.Flags = given.flags;
    p.Sequence = given.seq;
    p.Acknowledge = given.ack;
    p.TcpFlags = given.tcpFlags;
    p.TotalLength = given.totalLength;
    p.HeaderLength = given.headerLength;
    p.TransportHeaderLength = given.transportHeaderLength;
    p.Window = given.window;
    p.Identification = given.id;
    return index;
  }
  void Add(int32_t conversation, std::initializer_list<Pkt> packets) {
    for (const Pkt& p : packets) Add(conversation, p);
  }

  // The forward selection of a conversation of the peer from -> to.
  Selection Select(const AddressKey& from, int32_t peer, int32_t conversation, int32_t first = 1,
                   int32_t last = INT32_MAX) {
    Selection s;
    s.SourceStation = model.NetAddresses.Find(from);
    s.DestPeer = peer;
    s.CurrentConversation = conversation;
    s.FirstPacketNumber = first;
    s.LastPacketNumber = last;
    return s;
  }
};

}  // namespace corvanta::testing
