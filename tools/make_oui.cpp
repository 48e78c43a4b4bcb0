// Turns the IEEE registry (Debian's ieee-data oui.txt) into OUI.TXT: one line per prefix,
// six upper-case hex digits, a blank, a six-character short name; sorted by prefix.
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace {

std::string Trim(const std::string& s) {
  size_t b = s.find_first_not_of(" \t\r\n");
  if (b == std::string::npos) return {};
  size_t e = s.find_last_not_of(" \t\r\n");
  return s.substr(b, e - b + 1);
}

bool IsFiller(const std::string& w) {
  static const char* fillers[] = {"THE", "CO", "CO.", "INC", "INC.", "LTD", "LTD.", "CORP", "CORP."};
  std::string u;
  for (char c : w) u += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  for (const char* f : fillers)
    if (u == f) return true;
  return false;
}

// A readable six-character name: the first significant word, or the first two when the
// first is short ("HP Inc" -> "HP", "3Com Europe" -> "3Com", "Cisco Systems" -> "Cisco").
std::string ShortName(const std::string& org) {
  std::istringstream in(org);
  std::vector<std::string> words;
  std::string w;
  while (in >> w) {
    std::string clean;
    for (char c : w)
      if (std::isalnum(static_cast<unsigned char>(c)) || c == '-' || c == '&') clean += c;
    if (!clean.empty() && !IsFiller(clean)) words.push_back(clean);
  }
  std::string name = words.empty() ? std::string("?") : words[0];
  if (name.size() <= 2 && words.size() > 1 && name.size() + words[1].size() <= 5) name += " " + words[1];
  if (name.size() > 6) name.resize(6);
  name.resize(6, ' ');
  return name;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::cerr << "usage: make_oui IEEE_OUI_TXT OUTPUT\n";
    return 1;
  }
  std::ifstream in(argv[1]);
  if (!in) {
    std::cerr << "make_oui: cannot read " << argv[1] << "\n";
    return 1;
  }
  std::map<std::string, std::string> prefixes;
  std::string line;
  while (std::getline(in, line)) {
    size_t tag = line.find("(base 16)");
    if (tag == std::string::npos) continue;
    std::string hex = Trim(line.substr(0, tag));
    if (hex.size() != 6 || !std::all_of(hex.begin(), hex.end(), [](char c) { return std::isxdigit(static_cast<unsigned char>(c)); }))
      continue;
    for (char& c : hex) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    std::string org = Trim(line.substr(tag + 9));
    if (org.empty()) org = "Private";
    prefixes.emplace(hex, ShortName(org));
  }
  std::ofstream out(argv[2], std::ios::binary);
  out << "/* Vendor prefixes made from the IEEE MA-L registry (Debian ieee-data, " << argv[1] << ") */\n";
  for (const auto& [hex, name] : prefixes) out << hex << ' ' << name << '\n';
  return out ? 0 : 1;
}
