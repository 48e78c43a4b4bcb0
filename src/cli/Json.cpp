#include "cli/Json.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace corvanta::cli {

namespace {

// Length of the valid UTF-8 sequence at text[i], or 0 when there is none.
size_t Utf8SequenceLength(std::string_view text, size_t i) {
  const auto byte = [&](size_t k) { return static_cast<uint8_t>(text[k]); };
  const uint8_t b = byte(i);
  if (b < 0x80) return 1;
  size_t n = 0;
  uint32_t min = 0;
  uint32_t cp = 0;
  if ((b & 0xE0) == 0xC0)
    n = 2, min = 0x80, cp = b & 0x1Fu;
  else if ((b & 0xF0) == 0xE0)
    n = 3, min = 0x800, cp = b & 0x0Fu;
  else if ((b & 0xF8) == 0xF0)
    n = 4, min = 0x10000, cp = b & 0x07u;
  else
    return 0;
  if (i + n > text.size()) return 0;
  for (size_t k = 1; k < n; ++k) {
    if ((byte(i + k) & 0xC0) != 0x80) return 0;
    cp = cp << 6 | (byte(i + k) & 0x3Fu);
  }
  // Overlong forms, surrogates and values past Unicode are not UTF-8.
  if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
  return n;
}

bool IsValidUtf8(std::string_view text) {
  for (size_t i = 0; i < text.size();) {
    size_t n = Utf8SequenceLength(text, i);
    if (n == 0) return false;
    i += n;
  }
  return true;
}

}  // namespace

std::string TextAsUtf8(std::string_view text) {
  if (IsValidUtf8(text)) return std::string(text);
  std::string out;
  out.reserve(text.size() * 2);
  for (char c : text) {
    const auto b = static_cast<uint8_t>(c);
    if (b < 0x80) {
      out += c;
    } else {
      out += static_cast<char>(0xC0 | b >> 6);
      out += static_cast<char>(0x80 | (b & 0x3F));
    }
  }
  return out;
}

std::string JsonQuote(std::string_view raw) {
  const std::string text = TextAsUtf8(raw);
  std::string out;
  out.reserve(text.size() + 2);
  out += '"';
  for (char c : text) {
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\b': out += "\\b"; break;
      case '\f': out += "\\f"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      default:
        if (static_cast<uint8_t>(c) < 0x20 || c == 0x7F) {
          char buf[8];
          std::snprintf(buf, sizeof buf, "\\u%04x", static_cast<unsigned>(static_cast<uint8_t>(c)));
          out += buf;
        } else {
          out += c;
        }
    }
  }
  out += '"';
  return out;
}

namespace {

// Printable ASCII other than the quote and the backslash goes into a JSON string as it is.
constexpr std::array<bool, 256> kPlain = [] {
  std::array<bool, 256> plain{};
  for (int b = 0x20; b < 0x7F; ++b) plain[static_cast<size_t>(b)] = b != '"' && b != '\\';
  return plain;
}();

bool IsPlain(std::string_view text) {
  return std::all_of(text.begin(), text.end(), [](char c) { return kPlain[static_cast<uint8_t>(c)]; });
}

}  // namespace

// A report of many rows is mostly short keys, separators and numbers: each write gathers its
// characters on the stack (the separator first) and adds them to the text in one append.
template <class Fill>
void JsonWriter::Write(size_t most, Fill fill) {
  char small[256];
  std::string large;
  char* buf = small;
  if (const size_t need = pendingKey_ + 2 + newline_.size() + most; need > sizeof small) {
    large.resize(need);
    buf = large.data();
  }
  char* p = fill(Separate(buf));
  out_.append(buf, static_cast<size_t>(p - buf));
}

// What goes before a value: nothing after a key, else a comma unless it is the first, and a
// line break in an object or array that is not compact. Writes at most 2 + newline_.size().
char* JsonWriter::Separate(char* p) {
  if (afterKey_) {
    afterKey_ = false;
    // The key waiting for its value goes out with it, in the same append.
    p = CopyText(p, std::string_view(key_.data(), pendingKey_));
    pendingKey_ = 0;
    return p;
  }
  if (levels_.empty()) return p;
  Level& level = levels_.back();
  const bool first = level.empty;
  level.empty = false;
  if (level.compact) return first ? p : CopyText(p, ", ");
  if (!first) *p++ = ',';
  return CopyText(p, newline_);
}

void JsonWriter::Quoted(std::string_view text, std::string_view after) {
  if (!IsPlain(text)) {
    const std::string quoted = JsonQuote(text);
    Write(quoted.size() + after.size(), [&](char* p) { return CopyText(CopyText(p, quoted), after); });
    return;
  }
  Write(text.size() + 2 + after.size(), [&](char* p) {
    *p++ = '"';
    p = CopyText(p, text);
    *p++ = '"';
    return CopyText(p, after);
  });
}

// A key left without a value goes out as it stands.
void JsonWriter::FlushKey() {
  if (!afterKey_) return;
  out_.append(key_.data(), pendingKey_);
  pendingKey_ = 0;
  afterKey_ = false;
}

void JsonWriter::Key(std::string_view key) {
  FlushKey();
  // A short plain key waits, with what goes before it, for its value.
  if (IsPlain(key) && 2 + newline_.size() + key.size() + 4 <= key_.size()) {
    char* p = Separate(key_.data());
    *p++ = '"';
    p = CopyText(p, key);
    p = CopyText(p, "\": ");
    pendingKey_ = static_cast<size_t>(p - key_.data());
  } else {
    Quoted(key, ": ");
  }
  afterKey_ = true;
}

// A plain key with no other key waiting goes out in one write with its separator and its
// value (fill writes at most `most` bytes of it); false when it has to go the long way.
template <class Fill>
bool JsonWriter::KeyAndValue(std::string_view key, size_t most, Fill fill) {
  if (afterKey_ || !IsPlain(key)) return false;
  Write(key.size() + 4 + most, [&](char* p) {
    *p++ = '"';
    p = CopyText(p, key);
    return fill(CopyText(p, "\": "));
  });
  return true;
}

// Nearly all keys and values are plain.
void JsonWriter::Field(std::string_view key, std::string_view text) {
  const auto quoted = [&](char* p) {
    *p++ = '"';
    p = CopyText(p, text);
    *p++ = '"';
    return p;
  };
  if (IsPlain(text) && KeyAndValue(key, text.size() + 2, quoted)) return;
  Key(key);
  String(text);
}

void JsonWriter::NumberField(std::string_view key, std::string_view text) {
  if (KeyAndValue(key, text.size(), [&](char* p) { return CopyText(p, text); })) return;
  Key(key);
  NumberText(text);
}

void JsonWriter::BeginObject(bool compact) { Open('{', compact); }
void JsonWriter::BeginArray(bool compact) { Open('[', compact); }

void JsonWriter::Open(char bracket, bool compact) {
  Write(1, [&](char* p) {
    *p++ = bracket;
    return p;
  });
  levels_.push_back({compact, true});
  newline_.append(2, ' ');
}

void JsonWriter::Close(char bracket) {
  FlushKey();
  const bool newline = !levels_.empty() && !levels_.back().empty && !levels_.back().compact;
  if (!levels_.empty()) {
    levels_.pop_back();
    newline_.resize(newline_.size() - 2);
  }
  if (newline) out_ += newline_;
  out_ += bracket;
  MaySpill();
}

void JsonWriter::EndObject() { Close('}'); }
void JsonWriter::EndArray() { Close(']'); }

void JsonWriter::String(std::string_view text) { Quoted(text, {}); }

void JsonWriter::Strings(std::string_view key, const std::vector<std::string>& texts, bool compact) {
  Key(key);
  BeginArray(compact);
  for (const std::string& text : texts) String(text);
  EndArray();
}

void JsonWriter::Int(int64_t value) {
  Write(24, [&](char* p) { return std::to_chars(p, p + 24, value).ptr; });
}

void JsonWriter::Number(double value, int decimals) {
  if (!std::isfinite(value)) {
    Null();
    return;
  }
  // A whole number, as most are, has no decimals to drop (and -0 is written as 0).
  if (std::abs(value) < 1e15 && value == std::trunc(value)) {
    Int(static_cast<int64_t>(value));
    return;
  }
  char buf[64];
  auto end = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed, decimals).ptr;
  std::string_view text(buf, static_cast<size_t>(end - buf));
  if (text.find('.') != std::string_view::npos) {
    while (text.back() == '0') text.remove_suffix(1);
    if (text.back() == '.') text.remove_suffix(1);
  }
  if (text == "-0") text = "0";
  Literal(text);
}

void JsonWriter::NumberText(std::string_view text) { Literal(text); }

void JsonWriter::Raw(std::string_view json) {
  Write(0, [](char* p) { return p; });
  out_.append(json);
}

bool IsPlainJsonText(std::string_view text) { return IsPlain(text); }
void JsonWriter::Bool(bool value) { Literal(value ? "true" : "false"); }
void JsonWriter::Null() { Literal("null"); }

void JsonWriter::Literal(std::string_view text) {
  Write(text.size(), [&](char* p) { return CopyText(p, text); });
}

void JsonWriter::Append(std::string_view text) {
  FlushKey();
  if (text.empty()) return;
  if (!levels_.empty()) levels_.back().empty = false;
  if (spill_ && text.size() >= kSpillBytes) {
    // A large text goes out as it is, after what waits before it, rather than through a copy.
    if (!out_.empty()) spill_(out_);
    out_.clear();
    spill_(text);
    return;
  }
  out_ += text;
  MaySpill();
}

JsonWriter JsonWriter::Elements(std::string& out) const {
  JsonWriter next = Continuation(out);
  if (!next.levels_.empty()) next.levels_.back().empty = false;
  return next;
}

void JsonWriter::AppendElements(std::string_view text) {
  if (!levels_.empty() && levels_.back().empty && !text.empty())
    text.remove_prefix(levels_.back().compact ? 2 : 1);  // ", " or ","
  Append(text);
}

JsonAside::JsonAside(const JsonWriter& from) : writer_(from.Continuation(text_)) {
  writer_.SpillTo([this](std::string_view piece) { pieces_.emplace_back(piece); });
}

void JsonAside::AppendTo(JsonWriter& to) const {
  for (const std::string& piece : pieces_) to.Append(piece);
  to.Append(text_);
}

}  // namespace corvanta::cli
