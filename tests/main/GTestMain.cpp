// Test entry point: pins the time zone and points the tests at the build's binaries and
// the shared captures, whether the binary runs under CTest or by hand.
#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>

int main(int argc, char** argv) {
  setenv("TZ", "UTC", 1);
  tzset();
  setenv("CORVANTA_SHARED_DIR", CORVANTA_DEFAULT_SHARED_DIR, 0);
  setenv("CORVANTA_BIN_DIR", CORVANTA_DEFAULT_BIN_DIR, 0);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
