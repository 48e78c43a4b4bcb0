#pragma once
#include <bitset>
#include <initializer_list>
#include <string>
#include <string_view>

namespace corvanta::ui {

// Tip numbers 0..255 now shown.
using TipSet = std::bitset<256>;

inline constexpr int kTipCount = 44;
// Tip numbers looked at when the memo is filled.
inline constexpr int kTipScanLimit = 50;

// The text of tip 1..44; empty for any other number.
std::string_view TipText(int number);

// "Tip: " and the text of every tip in the set, ascending, one per line.
std::string TipMemoText(const TipSet& tips);

TipSet MakeTipSet(std::initializer_list<int> numbers);

}  // namespace corvanta::ui
