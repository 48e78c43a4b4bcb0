#pragma once
#include <cstdint>
#include <memory>
#include <optional>

#include "analysis/FileSummary.h"
#include "naming/AddressBooks.h"
#include "trace/FrameSink.h"

namespace corvanta {
class CaptureModel;
class PeerDirectory;
class UserPorts;
class VendorTable;
struct TraceStatistics;
}  // namespace corvanta

namespace corvanta::ui {

// What the open flow needs from the frame decoder: the sink the processing loop feeds and,
// afterwards, the model and figures the pages show.
class TraceDecoding {
 public:
  virtual ~TraceDecoding() = default;
  virtual FrameSink& Sink() = 0;
  // Trace time covered in microseconds.
  virtual double ElapsedTime() const = 0;
  // IP plus IPX frames: the toolbox and the network map need at least one.
  virtual int32_t IpOrIpxFrames() const = 0;
  // IPX frames alone: the client/server page offers the IPX vendor names only for them.
  virtual int32_t IpxFrames() const { return 0; }
  // False while frames are only counted: the statistics boxes keep their empty state.
  virtual bool HasStatistics() const { return true; }
  // The statistics part of the file summary inputs; the caller adds the bandwidth choices.
  virtual void FillSummary(FileSummaryInputs& inputs) const = 0;
  // The capture model and the statistics of the pass; null when the decoding keeps none.
  virtual const CaptureModel* Model() const { return nullptr; }
  virtual const TraceStatistics* Statistics() const { return nullptr; }
  // The pass's index of every pair of network addresses, handed over once (null when the
  // decoding keeps none): the client/server table would otherwise make it again.
  virtual std::shared_ptr<const PeerDirectory> TakeDirectory() { return nullptr; }
};

// The program's naming services the decoder reads while a trace is processed. They must
// outlive the decoding.
struct DecodingServices {
  const VendorTable* vendors = nullptr;
  const UserPorts* userPorts = nullptr;
  // Where the EtherPeek and Observer address books are looked for; none: no import.
  std::optional<AddressBookFolders> addressBooks;
};

// The frame decoder over a capture model and statistics of its own.
std::unique_ptr<TraceDecoding> MakeTraceDecoding(const DecodingServices& services = {});

}  // namespace corvanta::ui
