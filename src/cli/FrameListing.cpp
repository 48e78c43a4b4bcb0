#include "cli/FrameListing.h"

#include <charconv>
#include <cmath>

#include "naming/TextFormat.h"

namespace corvanta::cli {

namespace {

// A time in microseconds, to three decimals.
void AppendTime(std::string& out, double value) {
  // Room for any double written in full.
  char buf[400];
  auto r = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed, 3);
  if (r.ec == std::errc()) out.append(buf, r.ptr);
}

void AppendLine(std::string& out, const FrameRecord& frame) {
  AppendDecimal(out, frame.FrameNumber);
  out += '\t';
  // Readers never give a non-finite time, but a listing must not fail on one.
  AppendTime(out, std::isfinite(frame.Timestamp) ? frame.Timestamp : 0.0);
  out += '\t';
  AppendDecimal(out, frame.Length);
  out += '\t';
  AppendDecimal(out, frame.CapturedLength);
  out += '\t';
  static constexpr char kHex[] = "0123456789ABCDEF";
  for (int shift = 12; shift >= 0; shift -= 4) out += kHex[frame.Status >> shift & 0xF];
  out += '\n';
}

}  // namespace

std::string FrameLine(const FrameRecord& frame) {
  std::string line;
  AppendLine(line, frame);
  line.pop_back();
  return line;
}

bool FrameListingSink::DecodeFrame(FrameRecord& frame) {
  AppendLine(buffer_, frame);
  if (frame.FrameNumber <= 1) first_ = frame.Timestamp;
  elapsed_ = frame.Timestamp - first_;
  if (buffer_.size() >= (1u << 16)) Flush();
  return false;
}

void FrameListingSink::Flush() {
  if (!buffer_.empty() && out_) std::fwrite(buffer_.data(), 1, buffer_.size(), out_);
  buffer_.clear();
}

}  // namespace corvanta::cli
