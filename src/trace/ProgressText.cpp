#include "trace/ProgressText.h"

#include <cmath>
#include <cstdio>

#include "trace/OpenTrace.h"

namespace corvanta {

std::string ProgressCaption(const std::string& path) {
  return std::string(kProgressCaptionPrefix) + TraceFileNameOnly(path);
}

int64_t ProgressSeconds(double elapsedUs) {
  // nearbyint rounds halves to even in the default rounding mode.
  return static_cast<int64_t>(std::nearbyint(elapsedUs / 1000000.0));
}

std::string FormatHms(int64_t seconds) {
  if (seconds < 0) seconds = 0;
  char text[32];
  std::snprintf(text, sizeof text, "%02lld:%02lld:%02lld", static_cast<long long>(seconds / 3600),
                static_cast<long long>(seconds / 60 % 60), static_cast<long long>(seconds % 60));
  return text;
}

std::optional<std::string> ProgressDurationText(double elapsedUs) {
  int64_t seconds = ProgressSeconds(elapsedUs);
  if (seconds < 1) return std::nullopt;
  return FormatHms(seconds);
}

int PercentRead(uint64_t position, uint64_t fileSize) {
  if (fileSize == 0) return 0;
  double percent = std::nearbyint(static_cast<double>(position) * 100.0 / static_cast<double>(fileSize));
  if (percent < 0) return 0;
  if (percent > 100) return 100;
  return static_cast<int>(percent);
}

std::string PercentCompleteText(int percent) { return std::to_string(percent) + "% Complete"; }

std::string ReadingTitle(int percent) { return "Reading [" + PercentCompleteText(percent) + "]"; }

}  // namespace corvanta
