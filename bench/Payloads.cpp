#include "Payloads.h"

#include <algorithm>
#include <string_view>

#include "TraceWriter.h"

namespace corvanta::bench {

using namespace corvanta::testing;

namespace {

constexpr std::string_view kPage =
    "<div class=\"story\"><h2><a href=\"/news/2024/11/markets-open-higher\">Markets open higher as "
    "rates hold</a></h2><p class=\"summary\">Shares rose in early trading on Tuesday after the central "
    "bank left its benchmark rate unchanged.</p><img src=\"/img/thumb/story-1187.jpg\" width=\"120\" "
    "height=\"80\" alt=\"\"></div>\n";
constexpr std::string_view kTerminal = "total 48\r\ndrwxr-xr-x  5 admin staff  4096 Nov 12 09:14 logs\r\n$ ";

// Bytes that look random but come back the same for the same offset and seed.
uint8_t Scrambled(uint64_t offset, uint32_t seed) {
  uint64_t x = (offset + 1) * 0x9E3779B97F4A7C15ull ^ seed;
  x ^= x >> 29;
  x *= 0xBF58476D1CE4E5B9ull;
  return static_cast<uint8_t>(x >> 56);
}

void PutRandom(Bytes& out, size_t count, std::mt19937_64& rng) {
  for (size_t i = 0; i < count; ++i) out.push_back(static_cast<uint8_t>(rng()));
}
void PutText(Bytes& out, std::string_view text) { out.insert(out.end(), text.begin(), text.end()); }
void PutBe24(Bytes& out, uint32_t v) {
  out.push_back(static_cast<uint8_t>(v >> 16));
  PutBe16(out, static_cast<uint16_t>(v));
}
void PutLe64(Bytes& out, uint64_t v) {
  PutLe32(out, static_cast<uint32_t>(v));
  PutLe32(out, static_cast<uint32_t>(v >> 32));
}

// An SMB2 header after its NetBIOS session length, for a READ request or its response.
void PutSmb2Header(Bytes& out, uint32_t messageLength, bool response, uint64_t messageId) {
  out.push_back(0);
  PutBe24(out, messageLength);
  PutText(out, "\xFESMB");
  PutLe16(out, 64);  // structure size
  PutLe16(out, 1);   // credit charge
  PutLe32(out, 0);   // status
  PutLe16(out, 8);   // READ
  PutLe16(out, 1);   // credits
  PutLe32(out, response ? 1 : 0);
  PutLe32(out, 0);  // next command
  PutLe64(out, messageId);
  PutLe32(out, 0xFEFF);  // process
  PutLe32(out, 1);       // tree
  PutLe64(out, 0x0000100000000041ull);
  out.insert(out.end(), 16, 0);  // signature
}
constexpr size_t kSmbReadHeader = 4 + 64 + 16;
constexpr uint32_t kSmbReadSize = 65536;

// An HTTP request of about size bytes (a cookie takes up the rest).
Bytes HttpRequest(size_t size, const std::string& site, std::mt19937_64& rng) {
  static constexpr std::string_view kPaths[] = {"/",
                                                "/index.html",
                                                "/news/",
                                                "/static/js/app.min.js",
                                                "/static/css/site.css",
                                                "/img/thumb/story-1187.jpg",
                                                "/api/v2/feed?page=2",
                                                "/favicon.ico"};
  std::string text = "GET ";
  text += kPaths[rng() % std::size(kPaths)];
  text += " HTTP/1.1\r\nHost: " + site +
          "\r\nUser-Agent: Mozilla/5.0 (Windows NT 10.0; Win64; x64) AppleWebKit/537.36 (KHTML, like Gecko) "
          "Chrome/120.0.0.0 Safari/537.36\r\nAccept: text/html,application/xhtml+xml,*/*;q=0.8\r\n"
          "Accept-Encoding: gzip, deflate\r\nAccept-Language: en-US,en;q=0.9\r\nConnection: keep-alive\r\n";
  const std::string cookie = "Cookie: session=";
  if (text.size() + cookie.size() + 6 < size) {
    text += cookie;
    const size_t value = size - text.size() - 4;
    for (size_t i = 0; i < value; ++i) text += "0123456789abcdef"[rng() % 16];
    text += "\r\n";
  }
  text += "\r\n";
  return TextBytes(text);
}

// An HTTP response head for a whole response of about size bytes.
Bytes HttpResponseHead(uint64_t size, bool text, uint64_t& bodySize) {
  const std::string type = text ? "text/html; charset=utf-8" : "image/jpeg";
  auto head = [&](uint64_t body) {
    return "HTTP/1.1 200 OK\r\nServer: nginx/1.24.0\r\nContent-Type: " + type +
           "\r\nContent-Length: " + std::to_string(body) + "\r\nCache-Control: max-age=600\r\n\r\n";
  };
  const size_t guess = head(size).size();
  bodySize = size > guess ? size - guess : 64;
  return TextBytes(head(bodySize));
}

// A TLS 1.3 ClientHello of about size bytes (a padding extension takes up the rest).
Bytes ClientHello(size_t size, const std::string& site, std::mt19937_64& rng) {
  Bytes body;
  PutBe16(body, 0x0303);
  PutRandom(body, 32, rng);
  body.push_back(32);
  PutRandom(body, 32, rng);
  static constexpr uint16_t kSuites[] = {0x1301, 0x1302, 0x1303, 0xC02B, 0xC02F, 0xC02C, 0xC030, 0xCCA9,
                                         0xCCA8, 0xC013, 0xC014, 0x009C, 0x009D, 0x002F, 0x0035, 0x000A};
  PutBe16(body, static_cast<uint16_t>(2 * std::size(kSuites)));
  for (uint16_t s : kSuites) PutBe16(body, s);
  body.push_back(1);
  body.push_back(0);
  Bytes ext;
  PutBe16(ext, 0x0000);  // server name
  PutBe16(ext, static_cast<uint16_t>(site.size() + 5));
  PutBe16(ext, static_cast<uint16_t>(site.size() + 3));
  ext.push_back(0);
  PutBe16(ext, static_cast<uint16_t>(site.size()));
  PutText(ext, site);
  PutBe16(ext, 0x002B);  // supported versions
  PutBe16(ext, 3);
  ext.push_back(2);
  PutBe16(ext, 0x0304);
  PutBe16(ext, 0x000A);  // groups
  PutBe16(ext, 4);
  PutBe16(ext, 2);
  PutBe16(ext, 0x001D);
  PutBe16(ext, 0x0033);  // key share
  PutBe16(ext, 38);
  PutBe16(ext, 36);
  PutBe16(ext, 0x001D);
  PutBe16(ext, 32);
  PutRandom(ext, 32, rng);
  const size_t fixed = 5 + 4 + body.size() + 2 + ext.size();
  if (fixed + 4 < size) {
    PutBe16(ext, 0x0015);  // padding
    const size_t pad = size - fixed - 4;
    PutBe16(ext, static_cast<uint16_t>(pad));
    ext.insert(ext.end(), pad, 0);
  }
  PutBe16(body, static_cast<uint16_t>(ext.size()));
  Append(body, ext);
  Bytes out = {0x16, 0x03, 0x01};
  PutBe16(out, static_cast<uint16_t>(body.size() + 4));
  out.push_back(1);
  PutBe24(out, static_cast<uint32_t>(body.size()));
  Append(out, body);
  return out;
}

// ServerHello and ChangeCipherSpec, as a TLS 1.3 server answers.
Bytes ServerHello(std::mt19937_64& rng) {
  Bytes out = {0x16, 0x03, 0x03, 0x00, 0x7A, 0x02, 0x00, 0x00, 0x76, 0x03, 0x03};
  PutRandom(out, 32, rng);
  out.push_back(32);
  PutRandom(out, 32, rng);
  PutBe16(out, 0x1301);
  out.push_back(0);
  PutBe16(out, 46);
  PutBe16(out, 0x0033);
  PutBe16(out, 36);
  PutBe16(out, 0x001D);
  PutBe16(out, 32);
  PutRandom(out, 32, rng);
  PutBe16(out, 0x002B);
  PutBe16(out, 2);
  PutBe16(out, 0x0304);
  Append(out, {0x14, 0x03, 0x03, 0x00, 0x01, 0x01});
  return out;
}

Bytes SmbReadRequest(int round, uint64_t length) {
  Bytes out;
  PutSmb2Header(out, 64 + 49, false, static_cast<uint64_t>(round) + 5);
  PutLe16(out, 49);
  out.push_back(0x50);
  out.push_back(0);
  PutLe32(out, static_cast<uint32_t>(std::min<uint64_t>(length, kSmbReadSize)));
  PutLe64(out, static_cast<uint64_t>(round) * kSmbReadSize);
  PutLe64(out, 0x0000000400000011ull);  // file id
  PutLe64(out, 0x0000000400000009ull);
  PutLe32(out, 1);  // minimum count
  PutLe32(out, 0);  // channel
  PutLe32(out, 0);  // remaining
  PutLe32(out, 0);  // channel info
  out.push_back(0);
  return out;
}

// SNMP: a GetRequest or GetResponse for sysUpTime.
Bytes SnmpMessage(bool reply, uint32_t requestId, uint32_t upTime) {
  Bytes varbind = {0x30, 0, 0x06, 0x08, 0x2B, 0x06, 0x01, 0x02, 0x01, 0x01, 0x03, 0x00};
  if (reply) {
    Append(varbind, {0x43, 0x04});
    PutBe32(varbind, upTime);
  } else {
    Append(varbind, {0x05, 0x00});
  }
  varbind[1] = static_cast<uint8_t>(varbind.size() - 2);
  Bytes pdu = {0x02, 0x04};
  PutBe32(pdu, requestId);
  Append(pdu, {0x02, 0x01, 0x00, 0x02, 0x01, 0x00, 0x30, static_cast<uint8_t>(varbind.size())});
  Append(pdu, varbind);
  Bytes message = {0x02,
                   0x01,
                   0x01,
                   0x04,
                   0x06,
                   'p',
                   'u',
                   'b',
                   'l',
                   'i',
                   'c',
                   static_cast<uint8_t>(reply ? 0xA2 : 0xA0),
                   static_cast<uint8_t>(pdu.size())};
  Append(message, pdu);
  Bytes out = {0x30, static_cast<uint8_t>(message.size())};
  Append(out, message);
  return out;
}

Bytes NtpMessage(bool reply, std::mt19937_64& rng) {
  Bytes out = {static_cast<uint8_t>(reply ? 0x24 : 0x23), static_cast<uint8_t>(reply ? 2 : 0), 6,
               static_cast<uint8_t>(0xE9)};
  PutBe32(out, reply ? 0x00000A3Bu : 0);
  PutBe32(out, reply ? 0x00001C4Fu : 0);
  if (reply)
    Append(out, {192, 168, 1, 1});
  else
    out.insert(out.end(), 4, 0);
  const uint32_t seconds = 0xEB0A2C80u + static_cast<uint32_t>(rng() % 86400);
  for (int i = 0; i < 4; ++i) {
    PutBe32(out, reply || i == 3 ? seconds : 0);
    PutBe32(out, reply || i == 3 ? static_cast<uint32_t>(rng()) : 0);
  }
  return out;
}

}  // namespace

App AppOfPort(uint16_t serverPort) {
  switch (serverPort) {
    case 80:
    case 8080: return App::kHttp;
    case 443: return App::kTls;
    case 445: return App::kSmb;
    case 22: return App::kSsh;
    case 23: return App::kTelnet;
    default: return App::kBinary;
  }
}

std::string SiteName(int server) {
  static constexpr std::string_view kWords[] = {"news", "shop", "mail", "cdn", "static", "api", "media", "files"};
  return std::string("www.") + std::string(kWords[server % std::size(kWords)]) + std::to_string(server) +
         ".example.com";
}

AppStream::AppStream(Bytes head, uint64_t bodySize, Records records, Body body, uint32_t seed)
    : head_(std::move(head)), records_(records), body_(body), seed_(seed) {
  if (records_ != Records::kNone) {
    // Every record carries at least one byte: a short tail is lengthened.
    const uint64_t whole = RecordHeader() + RecordPayload();
    const uint64_t tail = bodySize % whole;
    if (bodySize == 0 || (tail != 0 && tail <= RecordHeader())) bodySize += RecordHeader() + 1 - tail;
  }
  size_ = head_.size() + bodySize;
}

size_t AppStream::RecordHeader() const {
  return records_ == Records::kTls ? 5 : records_ == Records::kSmbRead ? kSmbReadHeader : 0;
}
size_t AppStream::RecordPayload() const {
  return records_ == Records::kTls ? 16384 : records_ == Records::kSmbRead ? kSmbReadSize : 0;
}

void AppStream::PutRecordHeader(uint64_t record, uint32_t payload, Bytes& out) const {
  if (records_ == Records::kTls) {
    Append(out, {0x17, 0x03, 0x03});
    PutBe16(out, static_cast<uint16_t>(payload));
    return;
  }
  PutSmb2Header(out, static_cast<uint32_t>(64 + 16 + payload), true, record + 5);
  PutLe16(out, 17);
  out.push_back(0x50);
  out.push_back(0);
  PutLe32(out, payload);
  PutLe32(out, 0);
  PutLe32(out, 0);
}

uint8_t AppStream::BodyByte(uint64_t offset) const {
  if (body_ == Body::kText) return static_cast<uint8_t>(kPage[offset % kPage.size()]);
  const uint8_t b = Scrambled(offset, seed_);
  // Coded image data holds no marker.
  return body_ == Body::kImage && b == 0xFF ? 0xFE : b;
}

Bytes AppStream::Read(uint64_t offset, size_t count) const {
  Bytes out;
  out.reserve(count);
  const uint64_t end = std::min(size_, offset + count);
  for (; offset < end && offset < head_.size(); ++offset) out.push_back(head_[offset]);
  // The body a record at a time: its header is made once, however many bytes are taken.
  const uint64_t whole = RecordHeader() + RecordPayload();
  while (offset < end) {
    const uint64_t inBody = offset - head_.size();
    uint64_t pieceEnd = end;
    if (records_ != Records::kNone) {
      const uint64_t record = inBody / whole;
      const uint64_t recordStart = head_.size() + record * whole;
      pieceEnd = std::min(end, recordStart + whole);
      if (offset < recordStart + RecordHeader()) {
        Bytes header;
        PutRecordHeader(record, static_cast<uint32_t>(std::min(size_ - recordStart - RecordHeader(), RecordPayload())),
                        header);
        const uint64_t headerEnd = std::min(pieceEnd, recordStart + RecordHeader());
        for (; offset < headerEnd; ++offset) out.push_back(header[offset - recordStart]);
      }
    }
    for (; offset < pieceEnd; ++offset) out.push_back(BodyByte(offset - head_.size()));
  }
  return out;
}

Bytes AppRequest(App app, int round, size_t size, const std::string& site, std::mt19937_64& rng) {
  Bytes out;
  switch (app) {
    case App::kHttp: return HttpRequest(size, site, rng);
    case App::kTls:
      if (round == 0) return ClientHello(size, site, rng);
      Append(out, {0x17, 0x03, 0x03});
      PutBe16(out, static_cast<uint16_t>(size > 5 ? size - 5 : 1));
      PutRandom(out, size > 5 ? size - 5 : 1, rng);
      return out;
    case App::kSmb: return SmbReadRequest(round, kSmbReadSize);
    case App::kSsh:
      if (round == 0) return TextBytes("SSH-2.0-OpenSSH_9.2p1 Debian-2+deb12u3\r\n");
      // An encrypted packet: its length, then what only the peers can read.
      PutBe32(out, static_cast<uint32_t>(std::max<size_t>(size, 32)));
      PutRandom(out, std::max<size_t>(size, 32), rng);
      return out;
    case App::kTelnet:
      for (size_t i = 0; i < size; ++i) out.push_back(static_cast<uint8_t>("ls -l /var/log\r"[i % 15]));
      return out;
    case App::kBinary: PutRandom(out, size, rng); return out;
  }
  return out;
}

AppStream AppResponse(App app, int round, uint64_t size, std::mt19937_64& rng) {
  const auto seed = static_cast<uint32_t>(rng());
  switch (app) {
    case App::kHttp: {
      const bool text = rng() % 3 != 0;
      uint64_t body = 0;
      Bytes head = HttpResponseHead(size, text, body);
      if (!text) {
        // A JPEG: its start, the JFIF segment and the start of its scan, then coded data.
        const Bytes jfif = {0xFF, 0xD8, 0xFF, 0xE0, 0x00, 0x10, 'J',  'F',  'I',  'F',  0x00, 0x01, 0x01, 0x00, 0x00,
                            0x48, 0x00, 0x48, 0x00, 0x00, 0xFF, 0xDA, 0x00, 0x08, 0x01, 0x01, 0x00, 0x00, 0x3F, 0x00};
        const size_t n = std::min<size_t>(jfif.size(), body);
        head.insert(head.end(), jfif.begin(), jfif.begin() + static_cast<long>(n));
        body -= n;
      }
      return {std::move(head), body, AppStream::Records::kNone, text ? AppStream::Body::kText : AppStream::Body::kImage,
              seed};
    }
    case App::kTls: {
      Bytes head = round == 0 ? ServerHello(rng) : Bytes{};
      const uint64_t body = size > head.size() ? size - head.size() : 0;
      return {std::move(head), body, AppStream::Records::kTls, AppStream::Body::kBinary, seed};
    }
    case App::kSmb: return {{}, size, AppStream::Records::kSmbRead, AppStream::Body::kBinary, seed};
    case App::kSsh:
      if (round == 0)
        return {TextBytes("SSH-2.0-OpenSSH_8.4p1 Debian-5+deb11u3\r\n"), 0, AppStream::Records::kNone,
                AppStream::Body::kBinary, seed};
      return {{}, std::max<uint64_t>(size, 36), AppStream::Records::kNone, AppStream::Body::kBinary, seed};
    case App::kTelnet: {
      Bytes text;
      for (uint64_t i = 0; i < size; ++i) text.push_back(static_cast<uint8_t>(kTerminal[i % kTerminal.size()]));
      return {std::move(text), 0, AppStream::Records::kNone, AppStream::Body::kBinary, seed};
    }
    case App::kBinary: return {{}, size, AppStream::Records::kNone, AppStream::Body::kBinary, seed};
  }
  return {};
}

Bytes UdpMessage(uint16_t serverPort, bool reply, int round, uint16_t id, const std::string& site,
                 const Ip4Addr& siteAddress, std::mt19937_64& rng) {
  switch (serverPort) {
    case 53:
    case 5353: {
      const auto dnsId = static_cast<uint16_t>(serverPort == 5353 ? 0 : id + round);
      if (!reply) return DnsQuery(dnsId, site);
      // A site answers with the same few addresses every time, in turn.
      std::vector<Ip4Addr> addresses;
      const int count = 1 + siteAddress[1] % 4;
      const int first = static_cast<int>(rng() % static_cast<uint64_t>(count));
      for (int k = 0; k < count; ++k) {
        Ip4Addr a = siteAddress;
        a[3] = static_cast<uint8_t>(a[3] + (first + k) % count);
        addresses.push_back(a);
      }
      return DnsAnswer(dnsId, site, addresses, 300);
    }
    case 161: return SnmpMessage(reply, static_cast<uint32_t>(id) << 8 | static_cast<uint32_t>(round), 8640000);
    case 123: return NtpMessage(reply, rng);
    default: {
      std::string text = "<134>Nov 12 09:14:" + std::to_string(10 + round % 50) + " " + site + " nginx[2211]: 10.0.0." +
                         std::to_string(id % 250) + " \"GET /index.html HTTP/1.1\" 200 " +
                         std::to_string(rng() % 90000);
      return TextBytes(text);
    }
  }
}

}  // namespace corvanta::bench
