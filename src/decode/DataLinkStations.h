#pragma once
// Station and data-link peer updates of the capture model for one classified frame, and
// the Token Ring records that MAC frames feed (soft errors, upstream neighbours).
#include <array>
#include <cstdint>

#include "decode/CaptureModel.h"
#include "decode/DataLink.h"

namespace corvanta {

class VendorTable;

// What the station updates need to know about the frame besides its classification.
struct StationFrameFacts {
  uint32_t length = 0;
  bool crcError = false;
  int32_t frameNumber = 0;
  int32_t lastCollisionFrame = -2;  // FrameNumber of the latest collision fragment
};

class DataLinkStations {
 public:
  DataLinkStations(CaptureModel& model, const VendorTable* vendors) : model_(model), vendors_(vendors) {}

  // The receiver's node id, its node created when new (it has not sent): noted first, as
  // the sender's pair names it.
  int32_t NoteReceiver(const DataLinkFrame& frame);
  // The sender: created or marked as sending, sets and counters updated.
  StationNode& UpdateSource(const DataLinkFrame& frame, const StationFrameFacts& facts);
  // The sender's TDLCPeer for the receiver, found or appended to its chain, and counted.
  // position: where the frame ends in the trace file.
  TDLCPeer& UpdatePeer(StationNode& source, int32_t receiver, const DataLinkFrame& frame, uint32_t length,
                       uint64_t position);
  // The receiver's sets and counters updated.
  StationNode& UpdateDestination(int32_t receiver, const DataLinkFrame& frame, uint32_t length);

  // A report soft error frame from station: its flags and the counters of the TMACInfo of
  // the reported upstream neighbour (created at the end of the chain when new).
  void ReportSoftErrors(StationNode& station, const std::array<uint8_t, kSoftErrorKindCount>& counts,
                        const AddressKey& upstream);
  // A monitor present frame: the first TMACInfo holds the station's current upstream neighbour.
  void NoteUpstreamNeighbour(StationNode& station, const AddressKey& upstream);

 private:
  int32_t FindOrCreate(const AddressKey& address);
  uint16_t VendorOf(const AddressKey& address) const;
  int32_t NewDlcPeer(int32_t receiver);

  CaptureModel& model_;
  const VendorTable* vendors_;
};

}  // namespace corvanta
