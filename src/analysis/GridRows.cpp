#include "analysis/GridRows.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>

namespace corvanta {

double GridCellNumber(std::string_view cell, char thousandsSep, char decimalSep) {
  std::string text;
  text.reserve(cell.size());
  bool percentSeen = false;
  for (char c : cell) {
    if (thousandsSep != '\0' && c == thousandsSep) continue;
    if (c == '%' && !percentSeen) {
      percentSeen = true;
      continue;
    }
    text.push_back(c == decimalSep ? '.' : c);
  }
  const size_t first = text.find_first_not_of(' ');
  if (first == std::string::npos) return 0;
  double value = 0;
  const auto result = std::from_chars(text.data() + first, text.data() + text.size(), value);
  return result.ec == std::errc{} && std::isfinite(value) ? value : 0;
}

namespace {

struct SortKey {
  std::string_view text;
  double number = 0;
};

class QuickSort {
 public:
  QuickSort(const std::vector<SortKey>& keys, bool asText, bool ascending)
      : keys_(keys), asText_(asText), ascending_(ascending) {}

  // The smaller part is sorted by recursion, the larger by the loop, so the depth stays
  // logarithmic however the keys lie.
  void Run(std::vector<size_t>& order, ptrdiff_t lo, ptrdiff_t hi) const {
    while (lo < hi) {
      const SortKey& pivot = keys_[order[static_cast<size_t>(lo + (hi - lo) / 2)]];
      ptrdiff_t i = lo;
      ptrdiff_t j = hi;
      while (i <= j) {
        while (i < hi && Compare(At(order, i), pivot) < 0) ++i;
        while (j > lo && Compare(At(order, j), pivot) > 0) --j;
        if (i > j) break;
        std::swap(order[static_cast<size_t>(i)], order[static_cast<size_t>(j)]);
        ++i;
        --j;
      }
      if (j - lo < hi - i) {
        Run(order, lo, j);
        lo = i;
      } else {
        Run(order, i, hi);
        hi = j;
      }
    }
  }

 private:
  const SortKey& At(const std::vector<size_t>& order, ptrdiff_t i) const {
    return keys_[order[static_cast<size_t>(i)]];
  }

  int Compare(const SortKey& a, const SortKey& b) const {
    int c = 0;
    if (asText_) {
      const int t = a.text.compare(b.text);  // byte-wise, as unsigned characters
      c = (t > 0) - (t < 0);
    } else {
      c = (a.number > b.number) - (a.number < b.number);
    }
    return ascending_ ? c : -c;
  }

  const std::vector<SortKey>& keys_;
  bool asText_;
  bool ascending_;
};

}  // namespace

std::vector<size_t> GridSortOrder(const std::vector<std::string_view>& cells, bool asText, bool ascending,
                                  char thousandsSep, char decimalSep) {
  std::vector<SortKey> keys(cells.size());
  for (size_t i = 0; i < cells.size(); ++i) {
    if (asText)
      keys[i].text = cells[i];
    else
      keys[i].number = GridCellNumber(cells[i], thousandsSep, decimalSep);
  }
  std::vector<size_t> order(cells.size());
  for (size_t i = 0; i < order.size(); ++i) order[i] = i;
  QuickSort(keys, asText, ascending).Run(order, 0, static_cast<ptrdiff_t>(order.size()) - 1);
  return order;
}

std::string GridCopyText(int left, int top, int right, int bottom, int columnCount, int rowCount,
                         const std::function<std::string_view(int row, int column)>& cell) {
  left = std::max(left, 0);
  right = std::min(right, columnCount - 1);
  top = std::max(top, 0);
  bottom = std::min(bottom, rowCount);
  if (left > right || top > bottom) return {};
  std::string text;
  auto line = [&](int row) {
    for (int column = left; column <= right; ++column) {
      if (column > left) text += '\t';
      text += cell(row, column);
    }
    text += "\r\n";
  };
  line(0);
  for (int row = std::max(top, 1); row <= bottom; ++row) line(row);
  return text;
}

std::string TwoLineHeader(std::string_view header) {
  std::string text(header);
  size_t best = std::string::npos;
  size_t bestLonger = text.size();
  for (size_t at = text.find(' '); at != std::string::npos; at = text.find(' ', at + 1)) {
    const size_t longer = std::max(at, text.size() - at - 1);
    // On a tie the later blank wins: "Resp Time" over "(ms)" reads better than the reverse.
    if (longer <= bestLonger) {
      bestLonger = longer;
      best = at;
    }
  }
  if (best != std::string::npos) text[best] = '\n';
  return text;
}

std::vector<int> WidenCutColumns(std::vector<int> widths, const std::vector<int>& natural, int available) {
  int64_t room = available;
  for (int w : widths) room -= w;
  // Shares are handed out in rounds: a column that reaches its natural width leaves the rest
  // of its share to the others.
  while (room > 0) {
    int64_t wanting = 0;
    for (size_t c = 0; c < widths.size() && c < natural.size(); ++c) wanting += widths[c] < natural[c];
    if (wanting == 0) break;
    const int64_t share = std::max<int64_t>(1, room / wanting);
    for (size_t c = 0; c < widths.size() && c < natural.size() && room > 0; ++c) {
      if (widths[c] >= natural[c]) continue;
      const int64_t add = std::min<int64_t>({share, natural[c] - widths[c], room});
      widths[c] += static_cast<int>(add);
      room -= add;
    }
  }
  return widths;
}

}  // namespace corvanta
