#include "naming/AddressBooks.h"

#include <cstdlib>
#include <fstream>
#include <vector>

#include "decode/CaptureModel.h"
#include "naming/LearnedNames.h"
#include "naming/SettingsStore.h"
#include "naming/TextFormat.h"
#include "trace/Bytes.h"

namespace corvanta {

namespace {

namespace fs = std::filesystem;

constexpr size_t kObserverRecordSize = 80;

std::string Lower(std::string_view s) {
  std::string out(s);
  for (char& c : out)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return out;
}

bool Has(std::string_view haystack, std::string_view needle) { return haystack.find(needle) != std::string_view::npos; }

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
  return s;
}

bool GetLine(std::istream& in, std::string& line) {
  if (!std::getline(in, line)) return false;
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return true;
}

// The address a value of the given kind names, or nothing for wildcards and unreadable text.
std::optional<std::vector<uint8_t>> AddressOf(std::string_view value, bool ip) {
  if (Has(value, "*")) return std::nullopt;
  if (ip) {
    auto a = ParseIpAddress(value);
    if (!a) return std::nullopt;
    return std::vector<uint8_t>(a->begin(), a->end());
  }
  auto mac = ParseHexBytes(NormaliseMacText(Trim(value)));
  if (!mac || mac->size() != kMacKeyLength) return std::nullopt;
  return mac;
}

// names.nam: XML-like address entries holding a name and an address.
int ReadNamesFile(CaptureModel& model, std::istream& in) {
  int added = 0;
  bool inEntry = false, done = false;
  std::optional<std::string> name;
  std::optional<std::vector<uint8_t>> address;
  std::string line;
  while (GetLine(in, line)) {
    std::string lower = Lower(line);
    // An entry's opening line also ends an entry whose closing tag is missing.
    if (Has(lower, "<entry class")) {
      inEntry = Has(lower, "\"address\"");
      done = false;
      name.reset();
      address.reset();
      continue;
    }
    if (!inEntry) continue;
    if (Has(lower, "</entry")) {
      inEntry = false;
      continue;
    }
    if (done) continue;
    if (size_t open = lower.find("<name>"); open != std::string::npos) {
      size_t start = open + 6;
      size_t close = lower.find("</name>", start);
      // Without its closing tag the line is not trusted to hold just the name.
      if (close != std::string::npos && close > start)
        name = line.substr(start, std::min(close - start, kLearnedNameMax));
    }
    if (Has(lower, "<address type")) {
      bool mac = Has(lower, "\"ethernet\"") || Has(lower, "\"tokenring\"");
      bool ip = !mac && Has(lower, "\"ip\"");
      size_t gt = line.find('>');
      size_t lt = gt == std::string::npos ? std::string::npos : line.find('<', gt + 1);
      if ((mac || ip) && lt != std::string::npos) {
        if (auto a = AddressOf(std::string_view(line).substr(gt + 1, lt - gt - 1), ip)) address = std::move(a);
      }
    }
    if (name && address) {
      if (AddLearnedName(model, *address, *name)) ++added;
      done = true;
    }
  }
  return added;
}

// ep.nam / tp.nam: name TAB type TAB address per line.
int ReadTabbedNames(CaptureModel& model, std::istream& in) {
  int added = 0;
  std::string line;
  while (GetLine(in, line)) {
    size_t tab1 = line.find('\t');
    if (tab1 == std::string::npos) continue;
    size_t tab2 = line.find('\t', tab1 + 1);
    if (tab2 == std::string::npos) continue;
    std::string_view text(line);
    std::string_view name = text.substr(0, tab1);
    std::string type = Lower(text.substr(tab1 + 1, tab2 - tab1 - 1));
    std::string_view value = text.substr(tab2 + 1);
    if (size_t tab3 = value.find('\t'); tab3 != std::string_view::npos) value = value.substr(0, tab3);
    if (!Has(type, "ethernet") && !Has(type, "tokenring") && !Has(type, "ip")) continue;
    auto address = AddressOf(value, Has(type, "ip"));
    if (!address) continue;
    if (AddLearnedName(model, *address, name.substr(0, kLearnedNameMax))) ++added;
  }
  return added;
}

// The file in the folder, matched without regard to case when the exact name is absent
// (the names come from traces written on systems that ignore case).
std::optional<fs::path> FindFile(const fs::path& folder, const std::string& name) {
  std::error_code ec;
  fs::path exact = folder / name;
  if (fs::is_regular_file(exact, ec)) return exact;
  std::string wanted = Lower(name);
  for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec))
    if (Lower(it->path().filename().string()) == wanted && it->is_regular_file(ec)) return it->path();
  return std::nullopt;
}

}  // namespace

std::string NormaliseMacText(std::string_view text) {
  // Every one-digit group is padded, the last one too: "0-a0-c9-1-2-3" is 00A0C9010203,
  // not an 11-digit text that names no address.
  const bool grouped = text.find_first_of(":-") != std::string_view::npos;
  std::string out;
  size_t groupStart = 0;
  for (size_t i = 0; i <= text.size(); ++i) {
    bool end = i == text.size();
    if (!end && text[i] != ':' && text[i] != '-') continue;
    std::string_view group = text.substr(groupStart, i - groupStart);
    if (grouped && group.size() == 1) out += '0';
    out += group;
    groupStart = i + 1;
  }
  for (char& c : out)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return out;
}

std::optional<fs::path> UserDataFolder(const char* xdgDataHome, const char* home) {
  if (xdgDataHome && *xdgDataHome && fs::path(xdgDataHome).is_absolute()) return fs::path(xdgDataHome) / "Corvanta";
  if (home && *home) return fs::path(home) / ".local" / "share" / "Corvanta";
  return std::nullopt;
}

std::optional<fs::path> DefaultUserDataFolder() {
  return UserDataFolder(std::getenv("XDG_DATA_HOME"), std::getenv("HOME"));
}

AddressBookFolders ReadAddressBookFolders(const SettingsStore& store, const std::optional<fs::path>& userData) {
  const std::string section(kAddressBooksSection);
  auto folder = [&](std::string_view value) -> std::optional<fs::path> {
    std::string text = store.ReadString(section, std::string(value), "");
    if (text.empty()) return std::nullopt;
    return fs::path(text);
  };
  AddressBookFolders folders;
  folders.userData = userData;
  folders.etherPeekInstall = folder(kEtherPeekPathValue);
  folders.tokenPeekInstall = folder(kTokenPeekPathValue);
  folders.observerTables = folder(kObserverFolderValue);
  if (!folders.observerTables && userData) folders.observerTables = *userData / "Observer Files" / "LocalAddressTable";
  return folders;
}

int ImportPeekNames(CaptureModel& model, bool tokenRing, const AddressBookFolders& folders) {
  int added = 0;
  if (folders.userData) {
    std::ifstream names(*folders.userData / "AG Group" / (tokenRing ? "TokenPeek" : "EtherPeek") / "4.0" / "names.nam",
                        std::ios::binary);
    if (!names) return 0;
    added += ReadNamesFile(model, names);
  }
  const auto& install = tokenRing ? folders.tokenPeekInstall : folders.etherPeekInstall;
  if (!install) return added;
  std::ifstream tabbed(*install / "Config" / (tokenRing ? "tp.nam" : "ep.nam"), std::ios::binary);
  if (tabbed) added += ReadTabbedNames(model, tabbed);
  return added;
}

int ImportObserverNames(CaptureModel& model, std::string_view tableFileName, const AddressBookFolders& folders) {
  if (!folders.observerTables) return 0;
  std::string_view name = tableFileName.substr(0, tableFileName.find('\0'));
  if (size_t slash = name.find_last_of("/\\"); slash != std::string_view::npos) name.remove_prefix(slash + 1);
  if (name.empty() || name == "." || name == "..") return 0;
  auto file = FindFile(*folders.observerTables, std::string(name));
  if (!file) return 0;
  std::ifstream in(*file, std::ios::binary);
  if (!in) return 0;
  int added = 0;
  uint8_t record[kObserverRecordSize];
  while (in.read(reinterpret_cast<char*>(record), sizeof record)) {
    ByteView r(record, sizeof record);
    size_t length = 0;
    while (length < 18 && r.U8(10 + length) != 0) ++length;
    if (length == 0) continue;
    std::string_view entryName(reinterpret_cast<const char*>(record) + 10, length);
    if (AddLearnedName(model, std::span<const uint8_t>(record + 4, 6), entryName)) ++added;
    if (r.U32le(28) != 0 && AddLearnedName(model, std::span<const uint8_t>(record + 28, 4), entryName)) ++added;
  }
  return added;
}

int ImportAddressBook(CaptureModel& model, AnalyzerKind kind, Topology topology, std::string_view observerTable,
                      const AddressBookFolders& folders) {
  if (kind == kAnalyzerEtherPeek) return ImportPeekNames(model, topology == kTokenRing, folders);
  if (kind == kAnalyzerObserver) return ImportObserverNames(model, observerTable, folders);
  return 0;
}

}  // namespace corvanta
