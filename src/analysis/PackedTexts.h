#pragma once
// A row of N short texts kept in one string: a table of a hundred thousand rows then costs
// one allocation per row instead of one per long cell, and no empty string objects.
#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <string>
#include <string_view>

namespace corvanta {

template <size_t N>
class PackedTexts {
 public:
  PackedTexts() = default;
  // The texts of cells, packed with no room to spare.
  template <class Cells>
  static PackedTexts Pack(const Cells& cells) {
    static_assert(std::tuple_size_v<Cells> == N);
    size_t total = 0;
    for (const auto& cell : cells) total += std::string_view(cell).size();
    PackedTexts row;
    row.text_.reserve(std::min(total, kMaxTotal));
    for (size_t i = 0; i < N; ++i) {
      std::string_view cell(cells[i]);
      row.text_.append(cell.substr(0, kMaxTotal - row.text_.size()));
      row.ends_[i] = static_cast<uint16_t>(row.text_.size());
    }
    return row;
  }

  static constexpr size_t size() { return N; }
  std::string_view operator[](size_t i) const {
    if (i >= N) return {};
    const size_t begin = i == 0 ? 0 : ends_[i - 1];
    return std::string_view(text_).substr(begin, ends_[i] - begin);
  }
  // Replaces one text; the whole row stays within 65,535 characters (a longer text is cut).
  void Set(size_t i, std::string_view text) {
    if (i >= N) return;
    const size_t begin = i == 0 ? 0 : ends_[i - 1];
    const size_t old = ends_[i] - begin;
    text = text.substr(0, kMaxTotal - (text_.size() - old));
    text_.replace(begin, old, text);
    for (size_t j = i; j < N; ++j) ends_[j] = static_cast<uint16_t>(ends_[j] - old + text.size());
  }

  friend bool operator==(const PackedTexts&, const PackedTexts&) = default;

 private:
  static constexpr size_t kMaxTotal = std::numeric_limits<uint16_t>::max();
  std::string text_;
  std::array<uint16_t, N> ends_{};  // where each text ends; each begins where the one before ends
};

}  // namespace corvanta
