#include "decode/RingMap.h"

namespace corvanta {

int RingMapTable::Find(const AddressKey& station) const {
  for (int n = 1; n <= RingStationCount && n <= kMaxEntries; ++n)
    if (Entries[n].Station == station) return n;
  return 0;
}

void RingMapTable::Notify(bool activeMonitor, const AddressKey& station, const AddressKey& upstream) {
  if (activeMonitor && RingStationCount == 0) {
    Entries[1] = RingMapEntry{};
    Entries[1].Station = station;
    Entries[1].Flags = kRingActiveMonitor;
    Entries[1].Seen = 1;
    RingStationCount = 1;
    return;
  }

  // A new notification cycle: stations not heard from since the last one missed it.
  if (activeMonitor) {
    for (int n = 1; n <= RingStationCount; ++n) {
      RingMapEntry& e = Entries[n];
      if (e.Seen)
        e.Seen = 0;
      else
        e.Flags |= kRingMissedCycle;
    }
  }

  int at = Find(station);
  if (at == 0) {
    int neighbour = Find(upstream);
    if (neighbour == 0 || RingStationCount >= kMaxEntries) return;
    // Downstream of its neighbour: later entries move down by one.
    at = neighbour + 1;
    for (int n = RingStationCount; n >= at; --n) Entries[n + 1] = Entries[n];
    ++RingStationCount;
    Entries[at] = RingMapEntry{};
    Entries[at].Station = station;
  }

  RingMapEntry& e = Entries[at];
  e.Seen = 1;
  if (activeMonitor) {
    e.Flags |= kRingActiveMonitor;
  } else if (e.Flags & kRingActiveMonitor) {
    e.Flags = static_cast<uint8_t>((e.Flags & ~kRingActiveMonitor) | kRingFormerActiveMonitor);
  }
}

}  // namespace corvanta
