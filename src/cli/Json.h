#pragma once
// A small streaming JSON writer: objects and arrays two-space indented, strings escaped,
// and text that is not valid UTF-8 read as Latin-1 so that the output always is.
#include <array>
#include <cstdint>
#include <cstring>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace corvanta::cli {

// text unchanged when it is valid UTF-8, else every byte taken as a Latin-1 character.
std::string TextAsUtf8(std::string_view text);

// A JSON string literal of text (with its quotes).
std::string JsonQuote(std::string_view text);
// True when text goes into a JSON string as it stands: printable ASCII, no quote, no backslash.
bool IsPlainJsonText(std::string_view text);

// Copies text to p and returns the end. Keys, separators and numbers are short: up to 16 bytes
// go as two overlapping moves of a fixed size, which need no library call.
inline char* CopyText(char* p, std::string_view text) {
  const char* from = text.data();
  const size_t n = text.size();
  if (n >= 8 && n <= 16) {
    std::memcpy(p, from, 8);
    std::memcpy(p + n - 8, from + n - 8, 8);
  } else if (n >= 4 && n < 8) {
    std::memcpy(p, from, 4);
    std::memcpy(p + n - 4, from + n - 4, 4);
  } else if (n > 16) {
    std::memcpy(p, from, n);
  } else {
    for (size_t i = 0; i < n; ++i) p[i] = from[i];
  }
  return p + n;
}

class JsonWriter {
 public:
  explicit JsonWriter(std::string& out) : out_(out) {}

  // compact: the members or elements on one line.
  void BeginObject(bool compact = false);
  void EndObject();
  void BeginArray(bool compact = false);
  void EndArray();
  // The key of the next value inside an object.
  void Key(std::string_view key);

  void String(std::string_view text);
  void Int(int64_t value);
  // A finite value with up to `decimals` decimals (trailing zeros dropped); null otherwise.
  void Number(double value, int decimals = 3);
  void Bool(bool value);
  void Null();
  // A number already written as JSON writes it (the caller has checked the text).
  void NumberText(std::string_view text);
  // A value already written as this writer writes it, with the separator it needs here: its
  // members' lines begin with Newline() and two spaces more.
  void Raw(std::string_view json);
  // The line break and indentation before a member or element at the current level.
  std::string_view Newline() const { return newline_; }

  // Key and an array of texts.
  void Strings(std::string_view key, const std::vector<std::string>& texts, bool compact = false);

  // Key and value in one call.
  void Field(std::string_view key, std::string_view text);
  // Key and a number already written as JSON writes it.
  void NumberField(std::string_view key, std::string_view text);
  void Field(std::string_view key, const char* text) { Field(key, std::string_view(text)); }
  void Field(std::string_view key, int64_t value) {
    Key(key);
    Int(value);
  }
  void Field(std::string_view key, int32_t value) { Field(key, int64_t{value}); }
  void Field(std::string_view key, uint64_t value) { Field(key, static_cast<int64_t>(value)); }
  void Field(std::string_view key, bool value) {
    Key(key);
    Bool(value);
  }

  // A writer whose text continues this one's from where it stands (no key waiting), at the
  // same depth.
  JsonWriter Continuation(std::string& out) const {
    JsonWriter next(out);
    next.levels_ = levels_;
    next.newline_ = newline_;
    return next;
  }
  // A writer of further elements of the array this one stands in, written elsewhere (on another
  // thread) and added with AppendElements: each element it writes starts with its separator.
  JsonWriter Elements(std::string& out) const;
  // Adds what an Elements writer wrote; in an array still empty, the first separator goes.
  void AppendElements(std::string_view text);

  // Where a long text may go in pieces: at the end of every object or array the text written
  // so far goes to spill once it is large, so that a report of many rows is never held whole.
  void SpillTo(std::function<void(std::string_view)> spill) { spill_ = std::move(spill); }
  void MaySpill() {
    if (!spill_ || out_.size() < kSpillBytes) return;
    spill_(out_);
    out_.clear();
  }

 private:
  static constexpr size_t kSpillBytes = size_t{1} << 16;
  template <class Fill>
  void Write(size_t most, Fill fill);
  template <class Fill>
  bool KeyAndValue(std::string_view key, size_t most, Fill fill);
  char* Separate(char* p);
  void FlushKey();
  void Literal(std::string_view text);
  void Quoted(std::string_view text, std::string_view after);
  void Open(char bracket, bool compact);
  void Close(char bracket);

  struct Level {
    bool compact = false;
    bool empty = true;
  };
  std::string& out_;
  std::vector<Level> levels_;
  std::string newline_ = "\n";  // a line break and the indentation of the current level
  bool afterKey_ = false;
  // The key written last, with its separator, until its value joins it (pendingKey_ bytes).
  std::array<char, 128> key_{};
  size_t pendingKey_ = 0;
  std::function<void(std::string_view)> spill_;

  friend class JsonAside;
  // Adds text a continuation wrote.
  void Append(std::string_view text);
};

// Part of a report written beside it, from where its writer stands (no key waiting), and added
// to it later: a second thread can write a part while the first writes what comes before. The
// text is held in the pieces the writer spills, never in one text that grows to twice its size.
class JsonAside {
 public:
  explicit JsonAside(const JsonWriter& from);
  JsonAside(const JsonAside&) = delete;
  JsonAside& operator=(const JsonAside&) = delete;

  JsonWriter& Writer() { return writer_; }
  // Adds what Writer wrote to `to`, the writer it was made from, at the same level.
  void AppendTo(JsonWriter& to) const;

 private:
  std::string text_;
  std::vector<std::string> pieces_;
  JsonWriter writer_;
};

}  // namespace corvanta::cli
