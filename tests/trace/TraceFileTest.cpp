// Buffered reads of a trace file: positions, seeks around the buffer and the file's end.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "naming/TempDir.h"
#include "trace/TraceFile.h"

namespace corvanta::testing {
namespace {

// Steps through a file longer than the read buffer (256 KiB): each step seeks (or not),
// reads, and must give the file's own bytes, or refuse and leave the position where it was.
TEST(TraceFile, ReadsWhatTheFileHoldsAroundTheBufferAndTheEnd) {
  constexpr size_t kSize = 600000;
  std::string bytes(kSize, '\0');
  for (size_t i = 0; i < kSize; ++i) bytes[i] = static_cast<char>(i * 7 + i / 256);
  TempDir dir;
  TraceFile file;
  ASSERT_TRUE(file.Open(dir.Write("t.bin", bytes).string()));
  EXPECT_EQ(file.Size(), kSize);

  struct Step {
    int64_t seek;  // -1: read on from where the last step left
    size_t count;
    bool ok;
  };
  const Step steps[] = {
      {-1, 24, true},         {-1, 1000, true},      {262100, 100, true},  // across the buffer's end
      {-1, 0, true},          {10, 16, true},        {400000, 24, true},   // back before the buffer, then on
      {kSize - 4, 4, true},   {kSize - 4, 5, false}, {-1, 4, true},        // the last bytes; one too many
      {kSize, 0, true},       {kSize, 1, false},     {0, kSize, true},     // at the end; the whole file
      {262144, 262144, true},
  };
  for (const Step& s : steps) {
    if (s.seek >= 0) {
      ASSERT_TRUE(file.Seek(static_cast<uint64_t>(s.seek)));
    }
    const uint64_t at = file.Position();
    std::vector<char> out(s.count + 1, '\x5A');
    ASSERT_EQ(file.Read(out.data(), s.count), s.ok) << at << " +" << s.count;
    if (!s.ok) {
      EXPECT_EQ(file.Position(), at);
      continue;
    }
    EXPECT_EQ(std::string(out.data(), s.count), bytes.substr(at, s.count)) << at << " +" << s.count;
    EXPECT_EQ(out[s.count], '\x5A');
    EXPECT_EQ(file.Position(), at + s.count);
  }
  EXPECT_FALSE(file.Seek(kSize + 1));
  file.Close();
  char one = 0;
  EXPECT_FALSE(file.Read(&one, 0));
  EXPECT_FALSE(file.Read(&one, 1));
}

}  // namespace
}  // namespace corvanta::testing
