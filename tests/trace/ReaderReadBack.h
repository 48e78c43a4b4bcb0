#pragma once
// Reads a written image back through the reader of its kind.
#include <cstdio>
#include <string>
#include <vector>

#include "ReaderHarness.h"
#include "trace/TimeUtil.h"
#include "writers/SnifferFamily.h"

namespace corvanta::testing {

inline ReadResult ReadImage(const std::vector<uint8_t>& image, const TracePlan& plan, int stopAfter = 0,
                            bool oneFrame = false) {
  TempFile file(image);
  return RunReader(InfoOf(plan), file.path(), stopAfter, oneFrame);
}

// A start date-time as "yyyy-mm-dd hh:mm:ss.mmm", for comparisons that show every field.
inline std::string StartText(double startTime) {
  DateTimeFields f = DecodeDateTime(startTime);
  char text[32];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d.%03d", f.year, f.month, f.day, f.hour, f.minute,
                f.second, f.millisecond);
  return text;
}

}  // namespace corvanta::testing
