#pragma once
// Helpers of the command-line tests: running corvanta-cli, temporary files, the real
// captures' manifest and a small JSON reader for the program's output.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <variant>
#include <vector>

#include "CaptureManifest.h"

extern char** environ;

namespace corvanta::testing {

// ---- A JSON value and a strict reader of it.
struct Json {
  std::variant<std::nullptr_t, bool, double, std::string, std::vector<Json>, std::map<std::string, Json>> value;
  std::vector<std::string> keyOrder;  // objects: keys in the order written

  bool IsNull() const { return std::holds_alternative<std::nullptr_t>(value); }
  bool IsObject() const { return std::holds_alternative<std::map<std::string, Json>>(value); }
  bool IsArray() const { return std::holds_alternative<std::vector<Json>>(value); }
  bool IsNumber() const { return std::holds_alternative<double>(value); }
  bool IsString() const { return std::holds_alternative<std::string>(value); }
  double Number() const { return IsNumber() ? std::get<double>(value) : -1e300; }
  long long Int() const { return static_cast<long long>(Number()); }
  const std::string& String() const {
    static const std::string kNone = "<not a string>";
    return IsString() ? std::get<std::string>(value) : kNone;
  }
  const std::vector<Json>& Array() const {
    static const std::vector<Json> kNone;
    return IsArray() ? std::get<std::vector<Json>>(value) : kNone;
  }
  const std::map<std::string, Json>& Object() const {
    static const std::map<std::string, Json> kNone;
    return IsObject() ? std::get<std::map<std::string, Json>>(value) : kNone;
  }
  bool Has(const std::string& key) const { return Object().count(key) != 0; }
  const Json& operator[](const std::string& key) const {
    static const Json kNone;
    auto it = Object().find(key);
    return it == Object().end() ? kNone : it->second;
  }
};

class JsonReader {
 public:
  explicit JsonReader(std::string_view text) : text_(text) {}
  // nullopt-like: ok() false when the text is not exactly one JSON value.
  Json Read() {
    Json v = Value();
    Space();
    if (pos_ != text_.size()) ok_ = false;
    return v;
  }
  bool ok() const { return ok_; }

 private:
  void Space() {
    while (pos_ < text_.size() &&
           (text_[pos_] == ' ' || text_[pos_] == '\n' || text_[pos_] == '\t' || text_[pos_] == '\r'))
      ++pos_;
  }
  bool Eat(char c) {
    Space();
    if (pos_ < text_.size() && text_[pos_] == c) {
      ++pos_;
      return true;
    }
    return false;
  }
  Json Fail() {
    ok_ = false;
    pos_ = text_.size();
    return {};
  }
  Json Value() {
    Space();
    if (!ok_ || pos_ >= text_.size()) return Fail();
    const char c = text_[pos_];
    if (c == '{') return ObjectValue();
    if (c == '[') return ArrayValue();
    if (c == '"') {
      Json j;
      j.value = StringValue();
      return j;
    }
    for (auto [word, v] : {std::pair<std::string_view, int>{"null", 0}, {"true", 1}, {"false", 2}}) {
      if (text_.substr(pos_, word.size()) == word) {
        pos_ += word.size();
        Json j;
        if (v == 1) j.value = true;
        if (v == 2) j.value = false;
        return j;
      }
    }
    size_t end = pos_;
    while (end < text_.size() && std::string_view("-+.eE0123456789").find(text_[end]) != std::string_view::npos) ++end;
    if (end == pos_) return Fail();
    std::string number(text_.substr(pos_, end - pos_));
    char* stop = nullptr;
    double d = std::strtod(number.c_str(), &stop);
    if (stop != number.c_str() + number.size()) return Fail();
    pos_ = end;
    Json j;
    j.value = d;
    return j;
  }
  std::string StringValue() {
    std::string s;
    ++pos_;
    while (pos_ < text_.size() && text_[pos_] != '"') {
      char c = text_[pos_++];
      if (static_cast<unsigned char>(c) < 0x20) ok_ = false;
      if (c != '\\') {
        s += c;
        continue;
      }
      if (pos_ >= text_.size()) break;
      char e = text_[pos_++];
      switch (e) {
        case 'n': s += '\n'; break;
        case 't': s += '\t'; break;
        case 'r': s += '\r'; break;
        case 'b': s += '\b'; break;
        case 'f': s += '\f'; break;
        case 'u': {
          unsigned cp = std::stoul(std::string(text_.substr(pos_, 4)), nullptr, 16);
          pos_ += 4;
          if (cp < 0x80)
            s += static_cast<char>(cp);
          else if (cp < 0x800)
            s += static_cast<char>(0xC0 | cp >> 6), s += static_cast<char>(0x80 | (cp & 0x3F));
          else
            s += static_cast<char>(0xE0 | cp >> 12), s += static_cast<char>(0x80 | (cp >> 6 & 0x3F)),
                s += static_cast<char>(0x80 | (cp & 0x3F));
          break;
        }
        default: s += e;
      }
    }
    if (pos_ >= text_.size()) ok_ = false;
    ++pos_;
    return s;
  }
  Json ObjectValue() {
    ++pos_;
    Json j;
    std::map<std::string, Json> members;
    if (!Eat('}')) {
      do {
        Space();
        if (pos_ >= text_.size() || text_[pos_] != '"') return Fail();
        std::string key = StringValue();
        if (!Eat(':')) return Fail();
        j.keyOrder.push_back(key);
        members[key] = Value();
      } while (Eat(','));
      if (!Eat('}')) return Fail();
    }
    j.value = std::move(members);
    return j;
  }
  Json ArrayValue() {
    ++pos_;
    std::vector<Json> items;
    if (!Eat(']')) {
      do items.push_back(Value());
      while (Eat(','));
      if (!Eat(']')) return Fail();
    }
    Json j;
    j.value = std::move(items);
    return j;
  }

  std::string_view text_;
  size_t pos_ = 0;
  bool ok_ = true;
};

// ---- Files

class TempDir {
 public:
  TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "corvanta-cli-XXXXXX").string();
    path_ = mkdtemp(pattern.data()) ? pattern : std::string();
  }
  ~TempDir() {
    std::error_code ec;
    if (!path_.empty()) std::filesystem::remove_all(path_, ec);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::string& path() const { return path_; }
  std::string File(const std::string& name) const { return path_ + "/" + name; }
  std::string Write(const std::string& name, const std::vector<uint8_t>& bytes) const {
    std::ofstream out(File(name), std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return File(name);
  }

 private:
  std::string path_;
};

inline std::string ReadText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

// ---- The program

struct RunResult {
  int status = -1;  // exit status; -1 when the program did not exit normally
  std::string out;
  std::string err;
};

inline std::string CliPath() {
  const char* bin = std::getenv("CORVANTA_BIN_DIR");
  return std::string(bin ? bin : "bin") + "/corvanta-cli";
}

// Runs corvanta-cli with args; its output is collected through files of dir.
inline RunResult RunCli(const std::vector<std::string>& args) {
  static int counter = 0;
  TempDir dir;
  const std::string outPath = dir.File("out" + std::to_string(++counter));
  const std::string errPath = dir.File("err" + std::to_string(counter));
  std::vector<std::string> argv{CliPath()};
  argv.insert(argv.end(), args.begin(), args.end());
  std::vector<char*> cargv;
  for (std::string& a : argv) cargv.push_back(a.data());
  cargv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  pid_t pid = 0;
  RunResult r;
  if (posix_spawn(&pid, cargv[0], &actions, nullptr, cargv.data(), environ) == 0) {
    int wstatus = 0;
    if (waitpid(pid, &wstatus, 0) == pid && WIFEXITED(wstatus)) r.status = WEXITSTATUS(wstatus);
  }
  posix_spawn_file_actions_destroy(&actions);
  r.out = ReadText(outPath);
  r.err = ReadText(errPath);
  return r;
}

inline Json ParseJson(const std::string& text, bool* ok = nullptr) {
  JsonReader reader(text);
  Json j = reader.Read();
  if (ok) *ok = reader.ok();
  return j;
}

// ---- Real captures

struct ManifestRow {
  std::string capture;
  std::string format;
  std::string file;
  long frames = 0;
  Json expected;
};

// The rows of manifest.tsv with their expectations parsed; empty when the captures are absent.
inline std::vector<ManifestRow> Manifest() {
  std::vector<ManifestRow> rows;
  for (const CaptureManifestRow& m : ReadCaptureManifest())
    rows.push_back({m.capture, m.format, m.file, m.frames, ParseJson(m.expectations)});
  return rows;
}

// The manifest's counts against a report of the file: frames, broadcasts, multicasts,
// stations and frames by protocol category.
inline void ExpectManifestCounts(const Json& j, const ManifestRow& row) {
  const Json& e = row.expected;
  EXPECT_EQ(j["frames"].Int(), row.frames);
  EXPECT_EQ(j["frames"].Int(), e["frames"].Int());
  EXPECT_EQ(j["broadcast_frames"].Int(), e["broadcast"].Int());
  EXPECT_EQ(j["multicast_frames"].Int(), e["multicast"].Int());
  EXPECT_EQ(j["stations"].Int(), e["stations"].Int());
  EXPECT_EQ(j["sending_stations"].Int(), e["sending_stations"].Int());
  std::map<std::string, long long> expected, got;
  for (const auto& [name, count] : e["categories"].Object()) expected[name] = count.Int();
  for (const auto& [name, record] : j["protocols"].Object()) got[name] = record["frames"].Int();
  EXPECT_EQ(got, expected);
}

// Seconds of an "hh:mm:ss.mmm" duration.
inline double DurationSeconds(const std::string& hms) {
  int h = 0, m = 0;
  double s = 0;
  std::sscanf(hms.c_str(), "%d:%d:%lf", &h, &m, &s);
  return h * 3600.0 + m * 60.0 + s;
}

#define CORVANTA_SKIP_WITHOUT_CAPTURES(rows)                                              \
  do {                                                                                    \
    if ((rows).empty()) GTEST_SKIP() << "no real captures in " << CapturesDir().string(); \
  } while (0)

}  // namespace corvanta::testing
