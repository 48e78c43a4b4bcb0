#include "analysis/WhatIf.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <numeric>

#include "analysis/GridRows.h"
#include "naming/TextFormat.h"

namespace corvanta {

namespace {

int Clamp(double value, WhatIfRange range) {
  if (!(value >= range.Min)) return range.Min;  // NaN too
  if (value > range.Max) return range.Max;
  return static_cast<int>(value);
}

int RoundedClamp(double value, WhatIfRange range) { return Clamp(std::nearbyint(value), range); }

// A decimal number as a fraction digits / 10^places; false for no number.
bool ParseDecimal(std::string_view text, int64_t& digits, int& places) {
  digits = 0;
  places = -1;
  bool any = false;
  for (char c : text) {
    if (c == ' ') continue;
    if (c == '.' && places < 0) {
      places = 0;
      continue;
    }
    if (c < '0' || c > '9') return false;
    if (digits < 100000000) {  // more digits than the edits could use are dropped
      digits = digits * 10 + (c - '0');
      if (places >= 0) ++places;
    }
    any = true;
  }
  if (places < 0) places = 0;
  return any;
}

}  // namespace

WhatIfRange WhatIfSizeRange(Topology medium) {
  return medium == kTokenRing ? WhatIfRange{18, 18200} : WhatIfRange{64, 1518};
}

std::pair<int, int> WhatIfRatio(std::string_view ratio) {
  const size_t colon = ratio.find(':');
  int64_t a = 1, b = 1;
  int pa = 0, pb = 0;
  if (colon == std::string_view::npos || !ParseDecimal(ratio.substr(0, colon), a, pa) ||
      !ParseDecimal(ratio.substr(colon + 1), b, pb))
    return {1, 1};
  // Bring both to the same number of decimals, then to lowest terms: 3.5:1 is 35:10, 7:2.
  for (; pa < pb; ++pa) a *= 10;
  for (; pb < pa; ++pb) b *= 10;
  if (const int64_t g = std::gcd(a, b); a > 0 && b > 0 && g > 1) {
    a /= g;
    b /= g;
  }
  return {Clamp(static_cast<double>(a), kWhatIfRatioRange), Clamp(static_cast<double>(b), kWhatIfRatioRange)};
}

void RaisePacketsPerTransaction(WhatIfInputs& in) {
  in.SendRatio = Clamp(in.SendRatio, kWhatIfRatioRange);
  in.RcvRatio = Clamp(in.RcvRatio, kWhatIfRatioRange);
  in.PktsTrans =
      std::clamp(std::max(in.PktsTrans, in.SendRatio + in.RcvRatio), kWhatIfPacketsRange.Min, kWhatIfPacketsRange.Max);
}

bool SetWhatIfInput(WhatIfInputs& in, std::string_view name, int64_t value, Topology medium) {
  if (name == kWhatIfDuplexInput) {
    in.FullDuplex = value != 0;
    return true;
  }
  for (const WhatIfNumberInput& input : kWhatIfNumberInputs) {
    if (input.Name != name) continue;
    const WhatIfRange range = input.SizedByMedium ? WhatIfSizeRange(medium) : input.Range;
    in.*input.Field = static_cast<int>(std::clamp<int64_t>(value, range.Min, range.Max));
    RaisePacketsPerTransaction(in);
    return true;
  }
  return false;
}

WhatIfInputs SeedWhatIf(const LatencySeed& seed, Topology medium, bool fullDuplex) {
  WhatIfInputs in;
  const WhatIfRange sizes = WhatIfSizeRange(medium);
  in.AveSend = RoundedClamp(seed.AverageSend, sizes);
  in.AveRcv = RoundedClamp(seed.AverageReceive, sizes);
  in.Latency = RoundedClamp(seed.BestMs, kWhatIfDelayRange);
  in.Contention = RoundedClamp(seed.ContentionMs, kWhatIfDelayRange);
  std::tie(in.SendRatio, in.RcvRatio) = WhatIfRatio(seed.Ratio);
  in.PktsTrans = std::clamp(in.SendRatio + in.RcvRatio, kWhatIfPacketsRange.Min, kWhatIfPacketsRange.Max);
  in.FullDuplex = fullDuplex;
  return in;
}

std::vector<WhatIfRow> WhatIfTable(const WhatIfInputs& in, char thousandsSep, char decimalSep) {
  std::vector<WhatIfRow> rows;
  WhatIfRow header;
  for (size_t c = 0; c < header.size(); ++c) header[c] = kWhatIfHeaders[c];
  rows.push_back(header);

  const double s = std::max(in.SendRatio, 1);
  const double r = std::max(in.RcvRatio, 1);
  const double users = std::max(in.Users, 1);
  const double p = std::max(in.PktsTrans, 2);
  const double delay = static_cast<double>(in.Latency + in.Contention + in.Host + in.Client) / 1000;
  const double ps = std::nearbyint(s / (s + r) * p * users);
  const double pr = std::nearbyint(r / (s + r) * p * users);
  auto rate = [&](double v) { return FormatF(v, 6, 2, decimalSep); };
  auto percent = [&](double v) { return FormatF(v, 3, 2, decimalSep) + "%"; };
  auto seconds = [&](double v) { return FormatF(v, 6, 6, decimalSep); };

  for (int32_t speed : kWhatIfSpeedsKbps) {
    const double q = static_cast<double>(int64_t{speed} * 1000 / 8);
    const double overhead = speed == 10000 || speed == 100000 || speed == 1000000 ? 20 : 0;
    const double a = std::max(in.AveSend, 1) + overhead;
    const double b = std::max(in.AveRcv, 1) + overhead;
    const double t = s * a / q + r * b / q + delay;
    WhatIfRow row;
    row[1] = FormatCount(int64_t{speed} * 1000, thousandsSep);
    row[2] = FormatCount(static_cast<int64_t>(q), thousandsSep);
    if (!in.FullDuplex) {
      const double e = (a * s + b * r) / (s + r);
      double x = (s + r) * users / t;
      x = std::min(x, q / e);
      row[0] = "Send/Rcv";
      row[3] = rate(x);
      row[4] = percent(x * e / q * 100);
      row[5] = seconds((ps + pr) / x);
      rows.push_back(row);
      continue;
    }
    const double sendVolume = a * s;
    const double receiveVolume = b * r;
    const double capSend = q / a;
    const double capReceive = q / b;
    double g = 1.0;
    // The send rate, slowed by k when the receive side is the busier one; never above the
    // link's capacity.
    auto sendRate = [&](double k) {
      double xs = users * s / t;
      if (sendVolume < receiveVolume) xs *= k;
      if (xs > capSend) {
        if (k == 1.0) g = capSend / xs;
        xs = capSend;
      }
      return xs;
    };
    double xs = sendRate(1.0);
    double xr = users * r / t;
    if (receiveVolume < sendVolume) xr *= g;
    if (xr > capReceive) {
      xs = sendRate(capReceive / xr);
      xr = capReceive;
    }
    WhatIfRow send = row;
    send[0] = "Send";
    send[3] = rate(xs);
    send[4] = percent(a * xs / q * 100);
    rows.push_back(send);
    row[0] = "Receive";
    row[3] = rate(xr);
    row[4] = percent(b * xr / q * 100);
    row[5] = seconds(pr / xr);
    rows.push_back(row);
  }
  return rows;
}

std::string WhatIfCopyText(const std::vector<WhatIfRow>& rows, int left, int top, int right, int bottom) {
  if (rows.empty()) return {};
  return GridCopyText(left, top, right, bottom, static_cast<int>(kWhatIfHeaders.size()),
                      static_cast<int>(rows.size()) - 1, [&](int row, int column) -> std::string_view {
                        return rows[static_cast<size_t>(row)][static_cast<size_t>(column)];
                      });
}

}  // namespace corvanta
