#pragma once
// A row of N short texts kept in one exact allocation: a table of a hundred thousand rows
// then costs one allocation per row instead of one per long cell, and no string objects.
#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <limits>
#include <memory>
#include <string_view>

namespace corvanta {

template <size_t N>
class PackedTexts {
 public:
  PackedTexts() = default;
  PackedTexts(const PackedTexts& other) { *this = other; }
  PackedTexts(PackedTexts&&) noexcept = default;
  PackedTexts& operator=(const PackedTexts& other) {
    if (this != &other) {
      text_ = Copy(other.Text(), {}, 0, {});
      ends_ = other.ends_;
    }
    return *this;
  }
  PackedTexts& operator=(PackedTexts&&) noexcept = default;

  // The texts of cells, packed with no room to spare.
  template <class Cells>
  static PackedTexts Pack(const Cells& cells) {
    static_assert(std::tuple_size_v<Cells> == N);
    size_t total = 0;
    for (const auto& cell : cells) total += std::string_view(cell).size();
    total = std::min(total, kMaxTotal);
    PackedTexts row;
    row.text_ = total ? std::make_unique_for_overwrite<char[]>(total) : nullptr;
    size_t at = 0;
    for (size_t i = 0; i < N; ++i) {
      const std::string_view cell = std::string_view(cells[i]).substr(0, total - at);
      if (!cell.empty()) std::memcpy(row.text_.get() + at, cell.data(), cell.size());
      at += cell.size();
      row.ends_[i] = static_cast<uint16_t>(at);
    }
    return row;
  }

  static constexpr size_t size() { return N; }
  std::string_view operator[](size_t i) const {
    if (i >= N) return {};
    const size_t begin = i == 0 ? 0 : ends_[i - 1];
    return Text().substr(begin, ends_[i] - begin);
  }
  // Replaces one text; the whole row stays within 65,535 characters (a longer text is cut).
  void Set(size_t i, std::string_view text) {
    if (i >= N) return;
    const size_t begin = i == 0 ? 0 : ends_[i - 1];
    const size_t old = ends_[i] - begin;
    text = text.substr(0, kMaxTotal - (Text().size() - old));
    text_ = Copy(Text(), text, begin, old);
    for (size_t j = i; j < N; ++j) ends_[j] = static_cast<uint16_t>(ends_[j] - old + text.size());
  }

  friend bool operator==(const PackedTexts& a, const PackedTexts& b) {
    return a.ends_ == b.ends_ && a.Text() == b.Text();
  }

 private:
  static constexpr size_t kMaxTotal = std::numeric_limits<uint16_t>::max();
  std::string_view Text() const { return {text_.get(), text_ ? ends_[N - 1] : size_t{0}}; }
  // `from` with `count` characters at `at` replaced by `insert`, in a new exact allocation.
  static std::unique_ptr<char[]> Copy(std::string_view from, std::string_view insert, size_t at, size_t count) {
    const size_t total = from.size() - count + insert.size();
    if (total == 0) return nullptr;
    auto out = std::make_unique_for_overwrite<char[]>(total);
    from.substr(0, at).copy(out.get(), at);
    insert.copy(out.get() + at, insert.size());
    from.substr(at + count).copy(out.get() + at + insert.size(), from.size() - at - count);
    return out;
  }

  std::unique_ptr<char[]> text_;
  std::array<uint16_t, N> ends_{};  // where each text ends; each begins where the one before ends
};

}  // namespace corvanta
