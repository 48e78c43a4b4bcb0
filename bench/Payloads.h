#pragma once
// What the generated traffic carries above TCP and UDP: the application protocols' own
// messages (HTTP, TLS, SMB2, SSH, telnet, DNS, SNMP, NTP, syslog) rather than filler, so
// that a tool which dissects them does the work it does on real traffic.
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "Packets.h"

namespace corvanta::bench {

enum class App : uint8_t { kHttp, kTls, kSmb, kSsh, kTelnet, kBinary };
App AppOfPort(uint16_t serverPort);

// The web site a server answers for, as a DNS query asks for it.
std::string SiteName(int server);

// A stream one side sends in one round, cut into segments as they go out: a head (a protocol
// header or handshake), then a body that may be split into records each with its own header.
class AppStream {
 public:
  enum class Records : uint8_t { kNone, kTls, kSmbRead };
  enum class Body : uint8_t { kText, kBinary, kImage };

  AppStream() = default;
  AppStream(testing::Bytes head, uint64_t bodySize, Records records, Body body, uint32_t seed);

  uint64_t Size() const { return size_; }
  // count bytes from offset; the same offset gives the same bytes (a segment sent again).
  testing::Bytes Read(uint64_t offset, size_t count) const;

 private:
  size_t RecordHeader() const;
  size_t RecordPayload() const;
  void PutRecordHeader(uint64_t record, uint32_t payload, testing::Bytes& out) const;
  uint8_t BodyByte(uint64_t offset) const;

  testing::Bytes head_;
  uint64_t size_ = 0;
  Records records_ = Records::kNone;
  Body body_ = Body::kBinary;
  uint32_t seed_ = 0;
};

// The client's request of a round (counting from 0), of about size bytes where the protocol
// lets it choose.
testing::Bytes AppRequest(App app, int round, size_t size, const std::string& site, std::mt19937_64& rng);
// The server's answer to it, of about size bytes.
AppStream AppResponse(App app, int round, uint64_t size, std::mt19937_64& rng);

// Request and reply messages over UDP for a server port (DNS, mDNS, SNMP, NTP, syslog).
testing::Bytes UdpMessage(uint16_t serverPort, bool reply, int round, uint16_t id, const std::string& site,
                          const testing::Ip4Addr& siteAddress, std::mt19937_64& rng);

}  // namespace corvanta::bench
