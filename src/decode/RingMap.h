#pragma once
// The Token Ring map: stations in ring-poll order, built from active and standby monitor
// present frames.
#include <array>
#include <cstdint>

#include "decode/ModelTypes.h"

namespace corvanta {

inline constexpr uint8_t kRingActiveMonitor = 0x01;
inline constexpr uint8_t kRingFormerActiveMonitor = 0x02;
inline constexpr uint8_t kRingMissedCycle = 0x04;

struct RingMapEntry {
  AddressKey Station;
  uint8_t Flags = 0;          // kRingActiveMonitor, kRingFormerActiveMonitor, kRingMissedCycle
  uint8_t Seen = 0;           // notified since the last active monitor present frame
  int32_t VendorIndex = 0;    // filled by the ring map view
  int32_t FirstRingInfo = 0;  // filled by the ring map view
  int16_t X = 0;              // drawing position, written by the view
  int16_t Y = 0;
};

class RingMapTable {
 public:
  static constexpr int kMaxEntries = 280;

  int32_t RingStationCount = 0;  // entries 1..RingStationCount are in use

  // Entry 1..kMaxEntries; Entries[0] is unused.
  std::array<RingMapEntry, kMaxEntries + 1> Entries{};

  RingMapEntry& Entry(int number) { return Entries[Clamp(number)]; }
  const RingMapEntry& Entry(int number) const { return Entries[Clamp(number)]; }

  void Clear() { RingStationCount = 0; }

  // The number of the station's entry, 0 when it has none.
  int Find(const AddressKey& station) const;

  // An active (activeMonitor) or standby monitor present frame from station, whose
  // upstream neighbour is upstream. A station not yet in the map is entered directly after
  // its upstream neighbour's entry, so the table stays in ring order; a station whose
  // neighbour is not in the map is not entered.
  void Notify(bool activeMonitor, const AddressKey& station, const AddressKey& upstream);

 private:
  static int Clamp(int number) { return number >= 1 && number <= kMaxEntries ? number : 0; }
};

}  // namespace corvanta
