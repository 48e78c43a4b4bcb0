#pragma once
// Storage of the capture model: append-only chunked lists whose records never move, the
// index-addressed ModelObjects and PacketList, and the ordered trees.
#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <memory>
#include <new>
#include <stdexcept>
#include <tuple>
#include <type_traits>
#include <utility>
#include <vector>

#include "decode/ModelTypes.h"
#include "trace/LargeBlocks.h"
#include "trace/Prefetch.h"

namespace corvanta {

// Append-only storage in chunks of 2^kChunkBits records: a record never moves once created
// and costs no allocation of its own. Chunks are carved from blocks of whole huge pages
// (several chunks to a block when a chunk alone would leave part of its last page unused).
template <class T, int kChunkBits>
class alignas(kCacheLine) ChunkedStore {
 public:
  static constexpr int32_t kChunkSize = int32_t{1} << kChunkBits;

  int32_t Size() const { return size_; }
  bool Contains(int32_t index) const { return index >= 0 && index < size_; }
  // Unchecked: the index must be one Contains accepts.
  T& operator[](int32_t index) { return chunks_[static_cast<size_t>(index >> kChunkBits)][index & (kChunkSize - 1)]; }
  const T& operator[](int32_t index) const {
    return chunks_[static_cast<size_t>(index >> kChunkBits)][index & (kChunkSize - 1)];
  }

  // Adds a default-constructed record and returns its index.
  int32_t Append() {
    if (size_ == INT32_MAX) throw std::length_error("capture model list is full");
    const int32_t place = size_ & (kChunkSize - 1);
    if (place == 0) NewChunk();
    if (place == kChunkSize / 2) FaultInNextChunk();
    return size_++;
  }
  void ReserveChunks(size_t records) {
    const size_t chunks = (records + kChunkSize - 1) / kChunkSize;
    chunks_.reserve(chunks);
    blocks_.reserve((chunks + kChunksPerBlock - 1) / kChunksPerBlock);
  }
  // Releases every record.
  void Clear() {
    for (T* chunk : chunks_)
      for (int32_t i = 0; i < kChunkSize; ++i) chunk[i].~T();
    chunks_.clear();
    chunks_.shrink_to_fit();
    blocks_.clear();
    blocks_.shrink_to_fit();
    size_ = 0;
  }
  ~ChunkedStore() { Clear(); }
  // The chunks in use (a block's chunks not yet begun are never touched), and the directories.
  size_t MemoryBytes() const {
    const size_t chunks =
        kChunksPerBlock > 1 ? chunks_.size() * kChunkBytes : chunks_.size() * LargeBlockBytes(kChunkBytes);
    return chunks + chunks_.capacity() * sizeof(T*) + blocks_.capacity() * sizeof(Block);
  }

 private:
  static constexpr size_t kChunkBytes = sizeof(T) * kChunkSize;
  static constexpr size_t Gcd(size_t a, size_t b) { return b == 0 ? a : Gcd(b, a % b); }
  // Chunks of a block: as many as fill whole huge pages, for chunks large enough to get them.
  static constexpr size_t kChunksPerBlock =
      kChunkBytes >= kLargeBlock && kChunkBytes % kHugePage != 0 ? kHugePage / Gcd(kChunkBytes, kHugePage) : 1;
  static_assert(kChunksPerBlock <= 64, "chunk size fills huge pages only in very large blocks");
  static constexpr size_t kBlockBytes = kChunkBytes * kChunksPerBlock;

  struct Release {
    void operator()(void* block) const { FreeLargeBlock(block, kBlockBytes); }
  };
  using Block = std::unique_ptr<void, Release>;
  // Half way through a chunk, the next one's pages in the same block are asked for.
  void FaultInNextChunk() const {
    if constexpr (kChunksPerBlock > 1) {
      const size_t place = chunks_.size() % kChunksPerBlock;
      if (place != 0) FaultInLater(static_cast<char*>(blocks_.back().get()) + place * kChunkBytes, kChunkBytes);
    }
  }
  // Every record of a chunk is constructed when the chunk is made.
  void NewChunk() {
    const size_t place = chunks_.size() % kChunksPerBlock;
    if (place == 0) {
      chunks_.reserve(chunks_.size() + 1);  // nothing to undo if this throws later
      blocks_.push_back(Block(AllocateLargeBlock(kBlockBytes)));
    }
    T* records = reinterpret_cast<T*>(static_cast<char*>(blocks_.back().get()) + place * kChunkBytes);
    for (int32_t i = 0; i < kChunkSize; ++i) new (records + i) T();
    chunks_.push_back(records);
  }

  std::vector<T*> chunks_;
  std::vector<Block> blocks_;
  int32_t size_ = 0;
};

// Calls f(args...); a callback returning bool stops a walk by returning false.
template <class F, class... Args>
bool CallAndContinue(F& f, Args&&... args) {
  if constexpr (std::is_void_v<std::invoke_result_t<F&, Args...>>) {
    f(std::forward<Args>(args)...);
    return true;
  } else {
    return static_cast<bool>(f(std::forward<Args>(args)...));
  }
}

// Which class a ModelObjects index holds.
enum class RecordClass : uint8_t { kNone, kDlcPeer, kNetPeer, kTransHead, kMacInfo, kNameHead };

// Owns every TDLCPeer, TNetPeer, TTransHead, TMACInfo and TNameHead of a trace, each class
// in its own chunked store. A record's index carries its class in the top bits and its
// place in the class's store below them: every index of a record is above 0, and the
// indexes of one class rise in creation order.
//
// Get<T> is checked: an index out of range or holding another class yields a blank record
// (all zero, links "none") instead of undefined behaviour; writes to it are discarded.
class ModelObjects {
 public:
  // Records of every class.
  int32_t Count() const {
    int32_t count = 0;
    std::apply([&count](const auto&... store) { ((count += store.Size()), ...); }, stores_);
    return count;
  }
  // The place of a record in its class's store.
  static int32_t SlotOf(int32_t index) { return index & kSlotMask; }
  // Records of class T.
  template <class T>
  int32_t CountOf() const {
    return Store<T>().Size();
  }
  RecordClass ClassOf(int32_t index) const {
    const uint32_t c = static_cast<uint32_t>(index) >> kSlotBits;
    if (c == 0 || c > std::tuple_size_v<Stores>) return RecordClass::kNone;
    const int32_t sizes[] = {std::get<0>(stores_).Size(), std::get<1>(stores_).Size(), std::get<2>(stores_).Size(),
                             std::get<3>(stores_).Size(), std::get<4>(stores_).Size()};
    static_assert(std::size(sizes) == std::tuple_size_v<Stores>);
    return (index & kSlotMask) < sizes[c - 1] ? static_cast<RecordClass>(c) : RecordClass::kNone;
  }
  template <class T>
  bool Is(int32_t index) const {
    return static_cast<uint32_t>(index) >> kSlotBits == static_cast<uint32_t>(kClassOf<T>) &&
           (index & kSlotMask) < Store<T>().Size();
  }

  // Fetching ahead: the record an index names, when it names one of class T.
  template <class T>
  void Prefetch(int32_t index) const {
    if (Is<T>(index)) PrefetchLine(&Store<T>()[index & kSlotMask]);
  }

  // Calls f(index, record) for every record of class T, in the order they were made.
  template <class T, class F>
  void ForEachOf(F&& f) const {
    const auto& store = Store<T>();
    for (int32_t slot = 0; slot < store.Size(); ++slot) f(kClassBits<T> | slot, store[slot]);
  }

  // Creates a record of class T (zero, links "none") and returns its index.
  template <class T>
  int32_t New() {
    if (Store<T>().Size() > kSlotMask) throw std::length_error("capture model list is full");
    return kClassBits<T> | Store<T>().Append();
  }

  template <class T>
  T& Get(int32_t index) {
    if (!Is<T>(index)) return Blank<T>();
    return Store<T>()[index & kSlotMask];
  }
  template <class T>
  const T& Get(int32_t index) const {
    static const T blank{};
    if (!Is<T>(index)) return blank;
    return Store<T>()[index & kSlotMask];
  }

  // Links record `index` of class T at the end of the chain whose ends are first and last,
  // through the records' `next` link.
  template <class T>
  void AppendToChain(int32_t& first, int32_t& last, int32_t index, int32_t T::*next) {
    if (Is<T>(last))
      Get<T>(last).*next = index;
    else
      first = index;
    last = index;
  }

  // Counts `count` frames of the pair with this encapsulation and protocol: its sets, its
  // total and its breakdowns. Counts never wrap; an encapsulation or protocol outside the
  // breakdowns is counted in the total alone.
  void CountFrames(TDLCPeer& peer, Encapsulation encapsulation, ProtocolCategory category, int32_t count = 1);
  // The same for `count` packets of a pair of network addresses with this sub-protocol.
  void CountPackets(TNetPeer& peer, SubProtocol sub, int32_t count = 1);

  std::array<int32_t, kEncapsulationCount> FramesByEncapsulation(const TDLCPeer& peer) const {
    return DlcCounts(peer).FramesByEncapsulation;
  }
  std::array<int32_t, kProtocolCategoryCount> FramesByProtocol(const TDLCPeer& peer) const {
    return DlcCounts(peer).FramesByProtocol;
  }
  NetBreakdown PacketsBySubProtocol(const TNetPeer& peer) const;

  // Releases every record.
  void Reset() {
    std::apply([](auto&... store) { (store.Clear(), ...); }, stores_);
    dlcBreakdowns_.Clear();
    netBreakdowns_.Clear();
  }

  size_t MemoryBytes() const {
    size_t bytes = 0;
    std::apply([&bytes](const auto&... store) { ((bytes += store.MemoryBytes()), ...); }, stores_);
    return bytes + dlcBreakdowns_.MemoryBytes() + netBreakdowns_.MemoryBytes();
  }

 private:
  static constexpr int kSlotBits = 28;
  static constexpr int32_t kSlotMask = (int32_t{1} << kSlotBits) - 1;

  using Stores = std::tuple<ChunkedStore<TDLCPeer, 10>, ChunkedStore<TNetPeer, 10>, ChunkedStore<TTransHead, 10>,
                            ChunkedStore<TMACInfo, 8>, ChunkedStore<TNameHead, 8>>;
  using Records = std::tuple<TDLCPeer, TNetPeer, TTransHead, TMACInfo, TNameHead>;

  template <class T, class... Ts>
  static constexpr RecordClass ClassIn(std::tuple<Ts...>*) {
    constexpr bool same[] = {std::is_same_v<T, Ts>...};
    for (size_t i = 0; i < sizeof...(Ts); ++i)
      if (same[i]) return static_cast<RecordClass>(i + 1);
    return RecordClass::kNone;
  }
  template <class T>
  static constexpr RecordClass kClassOf = ClassIn<T>(static_cast<Records*>(nullptr));
  template <class T>
  static constexpr int32_t kClassBits = static_cast<int32_t>(kClassOf<T>) << kSlotBits;
  static_assert(((std::tuple_size_v<Records> + 1) << kSlotBits) - 1 <= INT32_MAX, "every index is a positive int32");

  template <class T>
  auto& Store() {
    return std::get<static_cast<size_t>(kClassOf<T>) - 1>(stores_);
  }
  template <class T>
  const auto& Store() const {
    return std::get<static_cast<size_t>(kClassOf<T>) - 1>(stores_);
  }
  template <class T>
  T& Blank() {
    T& blank = std::get<T>(blanks_);
    blank = T{};
    return blank;
  }

  DlcBreakdown DlcCounts(const TDLCPeer& peer) const;

  Stores stores_;
  Records blanks_;
  // The breakdowns of the pairs that need one, addressed by the pair's Breakdown.
  ChunkedStore<DlcBreakdown, 8> dlcBreakdowns_;
  ChunkedStore<NetBreakdown, 8> netBreakdowns_;
};

// An open-addressing map to int32 values: one probe in a flat array instead of a node per
// entry, as every frame looks up its peer and conversation. At most half full.
template <class Key, class Hash>
class alignas(kCacheLine) FlatIndexMap {
 public:
  void Clear() {
    slots_.clear();
    slots_.shrink_to_fit();
    count_ = 0;
  }
  const int32_t* Find(const Key& key) const {
    if (slots_.empty()) return nullptr;
    const size_t mask = slots_.size() - 1;
    for (size_t i = HashOf(key) & mask;; i = (i + 1) & mask) {
      const Slot& s = slots_[i];
      if (!s.used) return nullptr;
      if (s.key == key) return &s.value;
    }
  }
  size_t Size() const { return count_; }
  size_t MemoryBytes() const { return slots_.capacity() * sizeof(Slot); }
  // Calls f(key, value) for every entry, in no particular order.
  template <class F>
  void ForEach(F&& f) const {
    for (const Slot& s : slots_)
      if (s.used) f(s.key, s.value);
  }
  // Removes the key, if there; the entries after it on its probe run move back into the gap
  // so that no lookup stops short of them.
  void Erase(const Key& key) {
    if (slots_.empty()) return;
    const size_t mask = slots_.size() - 1;
    size_t gap = HashOf(key) & mask;
    for (;; gap = (gap + 1) & mask) {
      if (!slots_[gap].used) return;
      if (slots_[gap].key == key) break;
    }
    for (size_t i = (gap + 1) & mask; slots_[i].used; i = (i + 1) & mask) {
      // An entry may fill the gap unless its home lies cyclically in (gap, i].
      const size_t home = HashOf(slots_[i].key) & mask;
      if (((i - home) & mask) >= ((i - gap) & mask)) {
        slots_[gap] = slots_[i];
        gap = i;
      }
    }
    slots_[gap] = Slot{};
    --count_;
  }
  // Adds the key with value; an existing key keeps its value unless replace.
  void Put(const Key& key, int32_t value, bool replace) {
    if ((count_ + 1) * 2 > slots_.size()) Grow();
    const size_t mask = slots_.size() - 1;
    for (size_t i = HashOf(key) & mask;; i = (i + 1) & mask) {
      Slot& s = slots_[i];
      if (!s.used) {
        s = Slot{key, value, true};
        ++count_;
        return;
      }
      if (s.key == key) {
        if (replace) s.value = value;
        return;
      }
    }
  }

 private:
  static size_t HashOf(const Key& key) { return Hash{}(key); }
  struct Slot {
    Key key{};
    int32_t value = 0;
    bool used = false;
  };
  void Grow() {
    Slots old = std::move(slots_);
    slots_.assign(old.empty() ? 64 : old.size() * 2, Slot{});
    count_ = 0;
    for (const Slot& s : old)
      if (s.used) Put(s.key, s.value, true);
  }

  using Slots = std::vector<Slot, LargeBlockAllocator<Slot>>;
  Slots slots_;
  size_t count_ = 0;
};

// Spreads integer keys over the table's low bits.
struct MixHash {
  size_t operator()(uint64_t k) const {
    k ^= k >> 33;
    k *= 0xFF51AFD7ED558CCDull;
    k ^= k >> 33;
    return static_cast<size_t>(k);
  }
  size_t operator()(const void* p) const { return (*this)(static_cast<uint64_t>(reinterpret_cast<uintptr_t>(p))); }
  size_t operator()(int32_t k) const { return (*this)(static_cast<uint64_t>(static_cast<uint32_t>(k))); }
};

// A value that few packets have, kept beside the records as (packet index, value) pairs in
// index order; the packets without one read zero. Packets are made in index order, so a
// value is nearly always appended.
template <class T>
class SparsePacketColumn {
 public:
  T Get(int32_t index) const {
    if (entries_.empty() || index > entries_.back().Index) return T{};
    auto at = Find(entries_, index);
    return at != entries_.end() && at->Index == index ? at->Value : T{};
  }
  void Set(int32_t index, T value) {
    if (entries_.empty() || index > entries_.back().Index) {
      if (value != T{}) entries_.push_back({index, value});
      return;
    }
    auto at = Find(entries_, index);
    if (at != entries_.end() && at->Index == index)
      at->Value = value;
    else if (value != T{})
      entries_.insert(at, {index, value});
  }
  void Clear() {
    entries_.clear();
    entries_.shrink_to_fit();
  }
  void ShrinkToFit() { entries_.shrink_to_fit(); }
  size_t MemoryBytes() const { return entries_.capacity() * sizeof(Entry); }

 private:
  struct Entry {
    int32_t Index;
    T Value;
  };
  template <class Entries>
  static auto Find(Entries& entries, int32_t index) {
    return std::lower_bound(entries.begin(), entries.end(), index,
                            [](const Entry& e, int32_t i) { return e.Index < i; });
  }

  std::vector<Entry> entries_;
};

// Links too long for a record's 16-bit step. While the pass files packets they are kept in
// a hash map, since chains are linked in any order; Seal moves them into a sparse column
// (the linked index plus one, so that zero reads as none), a third of the room.
class FarLinks {
 public:
  // The linked index of a record whose step says "far"; -1 when there is none.
  int32_t Get(int32_t index) const {
    if (const int32_t* at = filing_.Find(index)) return *at;
    return sealed_.Get(index) - 1;
  }
  // Sets or (target -1) removes the record's far link.
  void Set(int32_t index, int32_t target) {
    if (isSealed_)
      sealed_.Set(index, target + 1);
    else if (target >= 0)
      filing_.Put(index, target, true);
    else
      filing_.Erase(index);
  }
  void Seal() {
    std::vector<std::pair<int32_t, int32_t>> links;
    links.reserve(filing_.Size());
    filing_.ForEach([&](int32_t index, int32_t target) { links.emplace_back(index, target); });
    std::sort(links.begin(), links.end());
    for (const auto& [index, target] : links) sealed_.Set(index, target + 1);
    sealed_.ShrinkToFit();
    filing_.Clear();
    isSealed_ = true;
  }
  void Clear() {
    sealed_.Clear();
    filing_.Clear();
    isSealed_ = false;
  }
  size_t MemoryBytes() const { return sealed_.MemoryBytes() + filing_.MemoryBytes(); }

 private:
  SparsePacketColumn<int32_t> sealed_;
  // Records filed one after another often link far alike: runs of eight neighbours stay
  // neighbours in the table, and the runs are spread.
  struct RunHash {
    size_t operator()(int32_t k) const {
      const auto u = static_cast<uint32_t>(k);
      return MixHash{}(static_cast<uint64_t>(u >> 3)) << 3 | (u & 7);
    }
  };
  FlatIndexMap<int32_t, RunHash> filing_;
  bool isSealed_ = false;
};

// Owns every TPacket of a trace, addressed by creation index. At is checked like
// ModelObjects::Get.
class alignas(kCacheLine) PacketList {
 public:
  static constexpr int32_t kInitialRoom = 80000;

  PacketList() { packets_.ReserveChunks(kInitialRoom); }

  int32_t Count() const { return packets_.Size(); }
  bool Contains(int32_t index) const { return packets_.Contains(index); }

  // A new packet, not linked to any conversation.
  int32_t New() { return packets_.Append(); }

  // The packet before and after `index` in its conversation; -1 when none.
  int32_t Previous(int32_t index) const {
    return Contains(index) ? Linked(index, packets_[index].PreviousStep, previousFar_) : -1;
  }
  int32_t Next(int32_t index) const { return Contains(index) ? Linked(index, packets_[index].NextStep, nextFar_) : -1; }
  // Sets one link of a packet (-1: none), leaving the other end as it is.
  void SetPrevious(int32_t index, int32_t previous) {
    if (Contains(index)) Link(index, previous, packets_[index].PreviousStep, previousFar_);
  }
  void SetNext(int32_t index, int32_t next) {
    if (Contains(index)) Link(index, next, packets_[index].NextStep, nextFar_);
  }
  // Writes the packet's fields from `record`, keeping its links.
  void Fill(int32_t index, const TPacket& record) {
    if (!Contains(index)) return;
    TPacket& packet = packets_[index];
    const int16_t previous = packet.PreviousStep, next = packet.NextStep;
    packet = record;
    packet.PreviousStep = previous;
    packet.NextStep = next;
  }
  // Nothing more is filed: the far links move into sorted columns, which take less room, and
  // the columns give back their spare room.
  void Seal() {
    previousFar_.Seal();
    nextFar_.Seal();
    fragmentOffsets_.ShrinkToFit();
    retransmitDistances_.ShrinkToFit();
  }

  TPacket& At(int32_t index) {
    if (!Contains(index)) {
      blank_ = TPacket{};
      return blank_;
    }
    return packets_[index];
  }
  const TPacket& At(int32_t index) const {
    static const TPacket blank{};
    return Contains(index) ? packets_[index] : blank;
  }

  // An IP fragment's offset in bytes; 0 for the first fragment and for whole packets.
  uint16_t FragmentOffset(int32_t index) const { return fragmentOffsets_.Get(index); }
  void SetFragmentOffset(int32_t index, uint16_t value) {
    if (Contains(index)) fragmentOffsets_.Set(index, value);
  }
  // A repeat: how many real packets back of its conversation lies the packet it repeats;
  // 0 when not known.
  uint8_t RetransmitDistance(int32_t index) const { return retransmitDistances_.Get(index); }
  void SetRetransmitDistance(int32_t index, uint8_t value) {
    if (Contains(index)) retransmitDistances_.Set(index, value);
  }

  // A new packet linked at the end of the conversation; returns its index.
  int32_t Append(TTransHead& conversation);
  // A new packet linked directly after `after`, a packet of the conversation; it becomes
  // the conversation's LastPacket when `after` was the last. -1 (nothing created) when
  // `after` is not a packet.
  int32_t InsertAfter(TTransHead& conversation, int32_t after);

  // Releases every packet.
  void Reset() {
    packets_.Clear();
    packets_.ReserveChunks(kInitialRoom);
    fragmentOffsets_.Clear();
    retransmitDistances_.Clear();
    previousFar_.Clear();
    nextFar_.Clear();
  }
  size_t MemoryBytes() const {
    return packets_.MemoryBytes() + fragmentOffsets_.MemoryBytes() + retransmitDistances_.MemoryBytes() +
           previousFar_.MemoryBytes() + nextFar_.MemoryBytes();
  }

 private:
  // A step of 0 is no link; kFarStep sends the reader to the far links.
  static constexpr int16_t kFarStep = INT16_MIN;
  static int32_t Linked(int32_t index, int16_t step, const FarLinks& far) {
    if (step == 0) return -1;
    return step == kFarStep ? far.Get(index) : index + step;
  }
  static void Link(int32_t index, int32_t target, int16_t& step, FarLinks& far) {
    const int64_t distance = target < 0 ? 0 : int64_t{target} - index;
    if (distance != 0 && (distance > INT16_MAX || distance <= kFarStep)) {
      far.Set(index, target);
      step = kFarStep;
      return;
    }
    if (step == kFarStep) far.Set(index, -1);
    step = static_cast<int16_t>(distance);
  }

  ChunkedStore<TPacket, 15> packets_;  // chunks of about one huge page
  SparsePacketColumn<uint16_t> fragmentOffsets_;
  SparsePacketColumn<uint8_t> retransmitDistances_;
  FarLinks previousFar_;
  FarLinks nextFar_;
  TPacket blank_;
};

// The part of a trace of `size` bytes read by `position` (0 when the size is not known).
constexpr double ReadFraction(uint64_t position, uint64_t size) {
  return size == 0 ? 0 : std::min(1.0, static_cast<double>(position) / static_cast<double>(size));
}

// The slots of a hash table that must grow from `size` slots with `count` entries: twice as many,
// or four times as many when a projection of the part of the trace read so far (read, 0 to 1;
// 0: not known) says that many entries are to come. Each growth of a large table moves every
// entry into fresh memory while the pass waits; a trace that keeps bringing new pairs goes
// through fewer of them, and a projection that proves wrong leaves a table at most twice as
// large as doubling would.
inline constexpr size_t kProjectedGrowthFrom = 4096;  // entries; smaller tables just double
constexpr size_t GrownSlots(size_t size, size_t count, double read) {
  if (size == 0) return 64;
  if (count >= kProjectedGrowthFrom && read > 0 && read < 1 && static_cast<double>(count) / read > size)
    return size * 4;
  return size * 2;
}

// An open-addressing table whose slots name records instead of copying their keys: the
// caller's match reads the record to confirm a hit. At most half full, so probe runs stay
// short. Slot{} marks a free slot; no slot in use equals it.
template <class Slot>
class alignas(kCacheLine) ConfirmedIndex {
 public:
  void Clear() {
    slots_.clear();
    slots_.shrink_to_fit();
    count_ = 0;
  }
  // Room for this many slots without growing; only on an empty index.
  void Reserve(size_t count) {
    if (count_ == 0 && count * 2 > slots_.size()) slots_.assign(std::bit_ceil(count * 2), Slot{});
  }
  // The first slot on hash's probe run that match accepts; null when there is none.
  template <class Match>
  const Slot* Find(size_t hash, Match match) const {
    if (slots_.empty()) return nullptr;
    const size_t mask = slots_.size() - 1;
    for (size_t i = hash & mask;; i = (i + 1) & mask) {
      const Slot& s = slots_[i];
      if (s == Slot{}) return nullptr;
      if (match(s)) return &s;
    }
  }
  // Adds a slot; hashOf(slot) places the slots again when the table grows (by GrownSlots,
  // with the part of the trace read so far).
  template <class HashOf>
  void Add(size_t hash, const Slot& slot, HashOf hashOf, double read = 0) {
    if ((count_ + 1) * 2 > slots_.size()) {
      Slots old = std::move(slots_);
      slots_.assign(GrownSlots(old.size(), count_, read), Slot{});
      // Each slot's hash reads its record, which lies anywhere: a batch of them is read
      // side by side before any is placed.
      constexpr size_t kBatch = 32;
      std::array<Slot, kBatch> live;
      std::array<size_t, kBatch> hashes;
      size_t n = 0;
      const auto place = [&] {
        for (size_t k = 0; k < n; ++k) hashes[k] = hashOf(live[k]);
        for (size_t k = 0; k < n; ++k) Place(hashes[k], live[k]);
        n = 0;
      };
      for (const Slot& s : old) {
        if (s == Slot{}) continue;
        live[n++] = s;
        if (n == kBatch) place();
      }
      place();
    }
    Place(hash, slot);
    ++count_;
  }
  size_t MemoryBytes() const { return slots_.capacity() * sizeof(Slot); }
  size_t Count() const { return count_; }
  // Fetching ahead: the line where hash's probe run starts, and the slot there (mostly the
  // one a lookup will take; empty when there is none).
  void Prefetch(size_t hash) const {
    if (!slots_.empty()) PrefetchLine(&slots_[hash & (slots_.size() - 1)]);
  }
  Slot First(size_t hash) const { return slots_.empty() ? Slot{} : slots_[hash & (slots_.size() - 1)]; }

 private:
  void Place(size_t hash, const Slot& slot) {
    const size_t mask = slots_.size() - 1;
    size_t i = hash & mask;
    while (!(slots_[i] == Slot{})) i = (i + 1) & mask;
    slots_[i] = slot;
  }

  using Slots = std::vector<Slot, LargeBlockAllocator<Slot>>;
  Slots slots_;
  size_t count_ = 0;
};

// A hash index from a key to a node id, beside an ordered tree: every frame looks up its
// addresses, and a tree descent with a key comparison per level costs far more than one
// probe. The ids are those of the tree's store (0, the sentinel, marks a free slot).
template <class Key>
class NodeIndex {
 public:
  void Clear() { table_.Clear(); }
  // The id whose key (told by keyOf) equals key; 0 when there is none.
  template <class KeyOf>
  int32_t Find(const Key& key, KeyOf keyOf) const {
    const int32_t* id = table_.Find(Hash(key), [&](int32_t i) { return keyOf(i) == key; });
    return id != nullptr ? *id : 0;
  }
  // Adds an id whose key is not in the index yet.
  template <class KeyOf>
  void Add(const Key& key, int32_t id, KeyOf keyOf) {
    table_.Add(Hash(key), id, [&](int32_t i) { return Hash(keyOf(i)); });
  }
  size_t MemoryBytes() const { return table_.MemoryBytes(); }
  void Prefetch(const Key& key) const { table_.Prefetch(Hash(key)); }
  // The id a lookup of key most likely finds; 0 when it surely finds none.
  int32_t Likely(const Key& key) const { return table_.First(Hash(key)); }

 private:
  static size_t Hash(const Key& key) { return static_cast<size_t>(key.Hash()); }
  ConfirmedIndex<int32_t> table_;
};

// An ordered tree of nodes keyed by their Address: red-black, with a sentinel (the black
// nil leaf) and a header whose right link holds the root, balanced by top-down insertion.
// Nodes are never removed and never move, so references to them stay valid until Reset.
// Inserting while a walk is under way is not supported. Lookups go through a hash index;
// the tree keeps the order for the walks.
template <class Node>
class alignas(kCacheLine) RedBlackTree {
 public:
  using Key = decltype(Node::Address);

  RedBlackTree() { Reset(); }

  // Releases every node and starts an empty tree.
  void Reset() {
    nodes_.Clear();
    index_.Clear();
    nodes_.Append();  // kNil
    nodes_.Append();  // kHeader
  }

  int32_t Count() const { return nodes_.Size() - 2; }
  // Every node id is below this.
  int32_t IdLimit() const { return nodes_.Size(); }

  // The node with this key; a new red node (all else zero) when there was none.
  Node& FindOrInsert(const Key& key, bool& inserted) { return nodes_[FindOrInsertId(key, inserted)]; }
  // The same, answered with the node's id: records name a node by its id, which stays
  // valid until Reset. kNoNode names no node.
  static constexpr int32_t kNoNode = -1;
  int32_t FindOrInsertId(const Key& key, bool& inserted);
  int32_t FindId(const Key& key) const {
    int32_t id = Lookup(key);
    return id == kNil ? kNoNode : id;
  }
  // The node an id names; null for kNoNode or any id that names none.
  Node* At(int32_t id) { return HasNode(id) ? &nodes_[id] : nullptr; }
  const Node* At(int32_t id) const { return HasNode(id) ? &nodes_[id] : nullptr; }
  // The address of the node an id names; an empty key when it names none.
  const Key& AddressAt(int32_t id) const {
    static const Key none{};
    return HasNode(id) ? nodes_[id].Address : none;
  }

  Node* Find(const Key& key) {
    int32_t id = Lookup(key);
    return id == kNil ? nullptr : &nodes_[id];
  }
  const Node* Find(const Key& key) const {
    int32_t id = Lookup(key);
    return id == kNil ? nullptr : &nodes_[id];
  }
  // The same answer by descending the tree (a check of the index).
  const Node* FindInTree(const Key& key) const {
    int32_t id = Locate(key);
    return id == kNil ? nullptr : &nodes_[id];
  }

  // Calls f(node) in ascending key order; f may return false to stop.
  template <class F>
  void ForEach(F&& f) {
    Walk(*this, [&f](int32_t, Node& n) { return CallAndContinue(f, n); });
  }
  template <class F>
  void ForEach(F&& f) const {
    Walk(*this, [&f](int32_t, const Node& n) { return CallAndContinue(f, n); });
  }
  // The same with each node's id: f(id, node).
  template <class F>
  void ForEachWithId(F&& f) const {
    Walk(*this, f);
  }

  size_t MemoryBytes() const { return nodes_.MemoryBytes() + index_.MemoryBytes(); }

  // Fetching ahead for a lookup of key a little later: first the index's slot, then (once
  // that is near) the node it most likely names.
  void PrefetchSlot(const Key& key) const { index_.Prefetch(key); }
  // Returns that id (kNoNode when there is surely none).
  int32_t PrefetchNode(const Key& key) const {
    const int32_t id = index_.Likely(key);
    if (!HasNode(id)) return kNoNode;
    PrefetchLine(&nodes_[id]);
    return id;
  }

  // Self-check: keys strictly ascending in order, black root and sentinel, no red node
  // with a red child, the same number of black nodes on every path.
  bool IsValid() const {
    int32_t root = nodes_[kHeader].Right;
    return nodes_[kNil].Red == 0 && nodes_[root].Red == 0 && BlackHeight(root, nullptr, nullptr, 0) >= 0;
  }

 private:
  static constexpr int32_t kNil = 0;
  static constexpr int32_t kHeader = 1;

  bool HasNode(int32_t id) const { return id > kHeader && id < nodes_.Size(); }
  static constexpr int kMaxDepth = 96;  // a red-black tree of 2^31 nodes is at most 62 deep

  struct Path {
    int32_t current = kHeader, parent = kHeader, grand = kHeader, great = kHeader;
  };

  Node& N(int32_t id) { return nodes_[id]; }

  // The header sorts before every key.
  int Compare(const Key& key, int32_t id) const {
    if (id == kHeader) return 1;
    auto c = key <=> nodes_[id].Address;
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
  }

  int32_t Lookup(const Key& key) const {
    return index_.Find(key, [this](int32_t id) -> const Key& { return nodes_[id].Address; });
  }

  int32_t Locate(const Key& key) const {
    int32_t id = nodes_[kHeader].Right;
    while (id != kNil) {
      int c = Compare(key, id);
      if (c == 0) return id;
      id = c < 0 ? nodes_[id].Left : nodes_[id].Right;
    }
    return kNil;
  }

  int32_t RotateWithLeftChild(int32_t k2) {
    int32_t k1 = N(k2).Left;
    N(k2).Left = N(k1).Right;
    N(k1).Right = k2;
    return k1;
  }
  int32_t RotateWithRightChild(int32_t k1) {
    int32_t k2 = N(k1).Right;
    N(k1).Right = N(k2).Left;
    N(k2).Left = k1;
    return k2;
  }
  // Rotates the child of `parent` on the key's side with its own child on the key's side.
  int32_t Rotate(const Key& key, int32_t parent) {
    int32_t& link = Compare(key, parent) < 0 ? N(parent).Left : N(parent).Right;
    link = Compare(key, link) < 0 ? RotateWithLeftChild(link) : RotateWithRightChild(link);
    return link;
  }
  // Colour flip at path.current, then the single or double rotation that removes a red
  // node under a red parent.
  void Reorient(const Key& key, Path& p) {
    N(p.current).Red = 1;
    N(N(p.current).Left).Red = 0;
    N(N(p.current).Right).Red = 0;
    if (N(p.parent).Red) {
      N(p.grand).Red = 1;
      if ((Compare(key, p.grand) < 0) != (Compare(key, p.parent) < 0)) p.parent = Rotate(key, p.grand);
      p.current = Rotate(key, p.great);
      N(p.current).Red = 0;
    }
    N(N(kHeader).Right).Red = 0;
  }

  template <class Self, class F>
  static void Walk(Self& self, F&& f) {
    int32_t stack[kMaxDepth];
    int depth = 0;
    int32_t id = self.nodes_[kHeader].Right;
    while (id != kNil || depth > 0) {
      while (id != kNil) {
        if (depth == kMaxDepth) throw std::logic_error("ordered tree deeper than its balance allows");
        stack[depth++] = id;
        id = self.nodes_[id].Left;
      }
      id = stack[--depth];
      if (!CallAndContinue(f, id, self.nodes_[id])) return;
      id = self.nodes_[id].Right;
    }
  }

  // Black nodes on every path below id, or -1 when the subtree breaks a rule.
  int BlackHeight(int32_t id, const Key* low, const Key* high, int depth) const {
    if (id == kNil) return 0;
    const Node& n = nodes_[id];
    if (depth > kMaxDepth || (low && !(*low < n.Address)) || (high && !(n.Address < *high))) return -1;
    if (n.Red && (nodes_[n.Left].Red || nodes_[n.Right].Red)) return -1;
    int left = BlackHeight(n.Left, low, &n.Address, depth + 1);
    int right = BlackHeight(n.Right, &n.Address, high, depth + 1);
    if (left < 0 || left != right) return -1;
    return left + (n.Red ? 0 : 1);
  }

  ChunkedStore<Node, 9> nodes_;
  NodeIndex<Key> index_;
};

template <class Node>
int32_t RedBlackTree<Node>::FindOrInsertId(const Key& key, bool& inserted) {
  if (int32_t found = Lookup(key); found != kNil) {
    inserted = false;
    return found;
  }
  Path p;
  for (;;) {
    int c = Compare(key, p.current);
    if (c == 0) break;
    p.great = p.grand;
    p.grand = p.parent;
    p.parent = p.current;
    p.current = c < 0 ? N(p.current).Left : N(p.current).Right;
    if (p.current == kNil) break;
    // Split a node with two red children on the way down.
    if (N(N(p.current).Left).Red && N(N(p.current).Right).Red) Reorient(key, p);
  }
  if (p.current != kNil) {
    inserted = false;
    return p.current;
  }
  int32_t id = nodes_.Append();
  Node& node = N(id);
  node.Address = key;
  node.Left = node.Right = kNil;
  (Compare(key, p.parent) < 0 ? N(p.parent).Left : N(p.parent).Right) = id;
  p.current = id;
  Reorient(key, p);
  index_.Add(key, id, [this](int32_t i) -> const Key& { return nodes_[i].Address; });
  inserted = true;
  return id;
}

// Follows many packet chains side by side, sixteen at a time: each step waits for memory, and
// the waits of different chains overlap. Chain c starts at first(c) (chains that start at no
// packet are skipped) and visit(lane, c, step, packet) sees its packets in order, step
// counting from 0; a lane (0-15) follows one chain at a time. No chain is followed for more
// steps than there are packets, so a damaged one cannot loop.
inline constexpr size_t kChainLanes = 16;
template <class Packets, class First, class Visit>
void FollowChains(Packets& packets, size_t chains, First first, Visit visit) {
  struct Lane {
    int32_t At = -1;  // the next packet; -1: the lane is free
    size_t Chain = 0;
    size_t Steps = 0;
  };
  std::array<Lane, kChainLanes> lanes;
  size_t next = 0;
  const size_t budget = static_cast<size_t>(packets.Count());
  auto start = [&](Lane& lane) {
    lane.At = -1;
    lane.Steps = 0;
    while (lane.At < 0 && next < chains) {
      const int32_t at = first(next);
      if (packets.Contains(at)) {
        lane.At = at;
        lane.Chain = next;
      }
      ++next;
    }
  };
  for (Lane& lane : lanes) start(lane);
  for (bool busy = true; busy;) {
    busy = false;
    for (size_t l = 0; l < kChainLanes; ++l) {
      Lane& lane = lanes[l];
      if (lane.At < 0) continue;
      busy = true;
      auto& packet = packets.At(lane.At);
      visit(l, lane.Chain, lane.Steps, lane.At, packet);
      const int32_t following = packets.Next(lane.At);
      if (packets.Contains(following) && ++lane.Steps < budget)
        lane.At = following;
      else
        start(lane);
    }
  }
}

using StationTree = RedBlackTree<StationNode>;
using NetAddressTree = RedBlackTree<NetAddressNode>;
using NameTree = RedBlackTree<NameNode>;

}  // namespace corvanta
