#pragma once
// The toolbox's selection of one conversation: the source stations, the peers of the chosen
// source, the conversations of the chosen pair, the packet range, and the reverse direction.
// Entries carry their model identity as well as their text, so that a request or a swap
// lands on exactly one conversation.
#include <cstdint>
#include <string>
#include <vector>

#include "analysis/ClientServerTable.h"
#include "analysis/Selection.h"
#include "decode/CaptureModel.h"

namespace corvanta {

class UserPorts;
class VendorTable;

// The Protocol/App text of a conversation head: "TCP/1028<->ftp", "ICMP Echo",
// "ICMP Port Unreachable (pkt 12)", "IPX (Socket NCP<->4003)/NCP", "Other".
std::string ToolboxAppText(const CaptureModel& model, const TTransHead& head, const UserPorts& ports);

// An address of the toolbox's lists: IP dotted decimal, IPX network.node (with the vendor
// name when ipxByOui).
std::string ToolboxAddressText(const AddressKey& address, bool ipxByOui, const VendorTable* vendors);

struct ToolboxEntry {
  std::string Text;
  const NetAddressNode* Station = nullptr;  // source list
  int32_t Object = -1;                      // destination list: the peer record; application list: the head
};

class ToolboxState {
 public:
  // Fills the source list from the model (null: every list empty), selects the first entry
  // of each list and resets the range to the whole trace of `frames` frames.
  void Reset(const CaptureModel* model, int32_t frames, const UserPorts* ports, const VendorTable* vendors);
  // Rewrites the source and destination texts with or without the IPX vendor names, keeping
  // the selected entries.
  void SetIpxByOui(bool on);
  bool IpxByOui() const { return ipxByOui_; }

  const std::vector<ToolboxEntry>& Sources() const { return sources_; }
  const std::vector<ToolboxEntry>& Targets() const { return targets_; }
  const std::vector<ToolboxEntry>& Apps() const { return apps_; }
  int SourceIndex() const { return source_; }
  int TargetIndex() const { return target_; }
  int AppIndex() const { return app_; }
  // Texts of the selected entries; empty when a list is empty.
  std::string SourceText() const { return TextOf(sources_, source_); }
  std::string DestinationText() const { return TextOf(targets_, target_); }
  std::string AppText() const { return TextOf(apps_, app_); }

  // The selection edits; false when the index is out of range or already selected.
  bool SelectSource(int index);
  bool SelectTarget(int index);
  bool SelectApp(int index);

  // True when the destination never sent to the source: the swap is impossible.
  bool OneWay() const { return oneWay_; }
  // Selects the reverse conversation (destination as source, source as destination).
  // Swapping back restores the three selections exactly. False while OneWay.
  bool Swap();

  // Selects the requested conversation: by identity when the request carries it, else by
  // its texts (the vendor forms when IPX names are shown by vendor). Lists without a match
  // keep their first entry.
  void Preselect(const RequestedConversation& request);

  // The packet range of the two spin edits.
  int32_t FirstPacket() const { return first_; }
  int32_t LastPacket() const { return last_; }
  int32_t Frames() const { return frames_; }
  // Bounds of the two edits: the start goes up to the end, the end down to the start.
  int32_t FirstMax() const { return last_; }
  int32_t LastMin() const { return first_; }
  void ResetRange();
  // Clamped to the bounds above; return the value taken.
  int32_t SetFirstPacket(int32_t value);
  int32_t SetLastPacket(int32_t value);

  // The forward and reverse triples of the selection with the packet range; a selection
  // without a source when the lists are empty.
  Selection GetNetDst() const;
  // True when the lists hold a conversation to analyse.
  bool HasConversation() const { return app_ >= 0 && app_ < static_cast<int>(apps_.size()); }

  const CaptureModel* Model() const { return model_; }

 private:
  static std::string TextOf(const std::vector<ToolboxEntry>& list, int index) {
    return index >= 0 && index < static_cast<int>(list.size()) ? list[static_cast<size_t>(index)].Text : std::string();
  }
  void FillSources();
  void FillTargets();
  void FillApps();
  void TestReverse();
  // A selection as the indexes of its three entries.
  struct Place {
    int Source = -1;
    int Target = -1;
    int App = -1;
    bool operator==(const Place&) const = default;
  };
  Place Current() const { return {source_, target_, app_}; }
  void Apply(const Place& place);

  const CaptureModel* model_ = nullptr;
  const UserPorts* ports_ = nullptr;
  const VendorTable* vendors_ = nullptr;
  bool ipxByOui_ = true;
  std::vector<ToolboxEntry> sources_;
  std::vector<ToolboxEntry> targets_;
  std::vector<ToolboxEntry> apps_;
  int source_ = -1;
  int target_ = -1;
  int app_ = -1;
  bool oneWay_ = true;
  // The last swap, so that swapping back returns exactly where it started.
  Place swappedFrom_;
  Place swappedTo_;
  int32_t frames_ = 0;
  int32_t first_ = 1;
  int32_t last_ = 1;
};

}  // namespace corvanta
