#include <gtest/gtest.h>

#include "TempDir.h"
#include "decode/CaptureModel.h"
#include "naming/AddressBooks.h"
#include "naming/LearnedNames.h"
#include "naming/SettingsStore.h"

namespace corvanta {
namespace {

using Bytes = std::vector<uint8_t>;

constexpr const char* kEtherNames = "AG Group/EtherPeek/4.0/names.nam";

std::string Entry(const std::string& name, const std::string& type, const std::string& value) {
  return "<entry class=\"address\">\n"
         "  <name>" +
         name +
         "</name>\n"
         "  <address type=\"" +
         type + "\">" + value +
         "</address>\n"
         "</entry>\n";
}

class PeekImport : public ::testing::Test {
 protected:
  AddressBookFolders Folders() const {
    AddressBookFolders f;
    f.userData = dir.path() / "data";
    f.etherPeekInstall = dir.path() / "ep";
    f.tokenPeekInstall = dir.path() / "tp";
    return f;
  }
  std::string_view Name(const Bytes& address) const { return LookupLearnedName(model, address); }

  testing::TempDir dir;
  CaptureModel model;
};

TEST_F(PeekImport, NamesFileEntries) {
  dir.Write(std::string("data/") + kEtherNames,
            "<?xml version=\"1.0\"?>\n<names>\n" + Entry("Server One", "ethernet", "0-a0-c9-1-2-33") +
                Entry("Gateway", "IP", "192.168.1.254") +
                "<ENTRY CLASS=\"Address\">\n<Address Type=\"TokenRing\">10:00:5A:0:1:2</Address>\n"
                "<NAME>Upper Case Tags</NAME>\n</ENTRY>\n" +
                Entry("Wildcard", "ethernet", "00-a0-c9-*") + Entry("Wild IP", "ip", "10.0.*.*") +
                "<entry class=\"group\">\n<name>NotAnAddress</name>\n"
                "<address type=\"ip\">10.9.9.9</address>\n</entry>\n");
  EXPECT_EQ(ImportPeekNames(model, false, Folders()), 3);
  EXPECT_EQ(Name({0x00, 0xA0, 0xC9, 0x01, 0x02, 0x33}), "Server One");
  EXPECT_EQ(Name({192, 168, 1, 254}), "Gateway");
  EXPECT_EQ(Name({0x10, 0x00, 0x5A, 0x00, 0x01, 0x02}), "Upper Case Tags");
  EXPECT_EQ(Name({10, 9, 9, 9}), "");
  EXPECT_EQ(model.Names.Count(), 3);
}

TEST_F(PeekImport, WildcardAddressSkipsANamedEntry) {
  dir.Write(std::string("data/") + kEtherNames, Entry("Wild", "ethernet", "00-a0-c9-*-*-*"));
  EXPECT_EQ(ImportPeekNames(model, false, Folders()), 0);
  EXPECT_EQ(model.Names.Count(), 0);
}

TEST_F(PeekImport, FirstAddressOfAnEntryIsUsedAndOverlongNamesAreCut) {
  std::string longName(60, 'x');
  dir.Write(std::string("data/") + kEtherNames, "<entry class=\"address\">\n<name>" + longName +
                                                    "</name>\n<address type=\"ip\">10.0.0.1</address>\n"
                                                    "<address type=\"ip\">10.0.0.2</address>\n</entry>\n");
  EXPECT_EQ(ImportPeekNames(model, false, Folders()), 1);
  EXPECT_EQ(Name({10, 0, 0, 1}), std::string(41, 'x'));
  EXPECT_EQ(Name({10, 0, 0, 2}), "");
}

TEST_F(PeekImport, BrokenLinesAndMissingClosingTags) {
  dir.Write(std::string("data/") + kEtherNames,
            // No </entry>: the next entry's opening line starts afresh.
            Entry("First", "ip", "10.0.0.1").substr(0, Entry("First", "ip", "10.0.0.1").rfind("</entry>")) +
                Entry("Second", "ip", "10.0.0.2") +
                // A name without its closing tag is not taken; the entry has no name.
                "<entry class=\"address\">\n<name>Broken\n<address type=\"ip\">10.0.0.3</address>\n</entry>\n" +
                // Address values that do not read: bad digits, short MAC, no closing bracket.
                Entry("BadIp", "ip", "10.0.0.300") + Entry("ShortMac", "ethernet", "00-a0-c9") +
                "<entry class=\"address\">\n<name>NoValue</name>\n<address type=\"ip\">\n</entry>\n" +
                // An unknown address type is ignored.
                Entry("Ipx", "ipx", "00000001.000000000001") +
                // The file ends inside an entry.
                "<entry class=\"address\">\n<name>Last</name>\n<address type=\"ip\">10.0.0.9</address>\n");
  EXPECT_EQ(ImportPeekNames(model, false, Folders()), 3);
  EXPECT_EQ(Name({10, 0, 0, 1}), "First");
  EXPECT_EQ(Name({10, 0, 0, 2}), "Second");
  EXPECT_EQ(Name({10, 0, 0, 3}), "");
  EXPECT_EQ(Name({10, 0, 0, 9}), "Last");
}

TEST_F(PeekImport, BinaryGarbageNeverCrashes) {
  std::string junk;
  for (int i = 0; i < 8192; ++i) junk += static_cast<char>((i * 131 + i / 7) & 0xFF);
  dir.Write(std::string("data/") + kEtherNames, "<entry class=\"address\">\n" + junk);
  dir.Write("ep/Config/ep.nam", junk);
  ImportPeekNames(model, false, Folders());
  SUCCEED();
}

TEST_F(PeekImport, TabbedNamesFile) {
  dir.Write(std::string("data/") + kEtherNames, "");
  dir.Write("ep/Config/ep.nam",
            "Printer\tEthernet\t08-00-09-1-2-3\r\n"
            "Host\tIP\t172.16.0.5\n"
            "Wild\tIP\t172.16.*.*\n"
            "Other\tAppleTalk\t1.2\n"
            "Two fields\tIP\n"
            "Short\tEthernet\t08-00-09\n"
            "\n" +
                std::string(50, 'N') + "\tip\t172.16.0.6\textra\n");
  EXPECT_EQ(ImportPeekNames(model, false, Folders()), 3);
  EXPECT_EQ(Name({0x08, 0x00, 0x09, 0x01, 0x02, 0x03}), "Printer");
  EXPECT_EQ(Name({172, 16, 0, 5}), "Host");
  EXPECT_EQ(Name({172, 16, 0, 6}), std::string(41, 'N'));
}

TEST_F(PeekImport, NamesFileComesBeforeTheTabbedFile) {
  dir.Write(std::string("data/") + kEtherNames, Entry("From names.nam", "ip", "10.0.0.1"));
  dir.Write("ep/Config/ep.nam", "From ep.nam\tIP\t10.0.0.1\nOnly ep\tIP\t10.0.0.2\n");
  EXPECT_EQ(ImportPeekNames(model, false, Folders()), 2);
  EXPECT_EQ(Name({10, 0, 0, 1}), "From names.nam");
  EXPECT_EQ(Name({10, 0, 0, 2}), "Only ep");
  // A name the traffic gives later (a DNS answer) does not replace an imported one.
  EXPECT_FALSE(AddLearnedName(model, Bytes{10, 0, 0, 1}, "from-dns"));
  EXPECT_EQ(Name({10, 0, 0, 1}), "From names.nam");
}

TEST_F(PeekImport, MissingNamesFileEndsTheImport) {
  dir.Write("ep/Config/ep.nam", "Host\tIP\t10.0.0.1\n");
  EXPECT_EQ(ImportPeekNames(model, false, Folders()), 0);
  // Without a user data folder the tabbed file is still read.
  auto noData = Folders();
  noData.userData.reset();
  EXPECT_EQ(ImportPeekNames(model, false, noData), 1);
  // Without an installation folder nothing more is read.
  AddressBookFolders none;
  EXPECT_EQ(ImportPeekNames(model, false, none), 0);
}

TEST_F(PeekImport, TokenRingUsesTheTokenPeekFiles) {
  dir.Write("data/AG Group/TokenPeek/4.0/names.nam", Entry("Ring", "tokenring", "10-0-5a-0-0-1"));
  dir.Write("tp/Config/tp.nam", "RingHost\tIP\t10.0.0.7\n");
  dir.Write(std::string("data/") + kEtherNames, Entry("Ether", "ip", "10.0.0.8"));
  EXPECT_EQ(ImportAddressBook(model, 0, kTokenRing, "", Folders()), 2);
  EXPECT_EQ(Name({0x10, 0x00, 0x5A, 0, 0, 1}), "Ring");
  EXPECT_EQ(Name({10, 0, 0, 7}), "RingHost");
  EXPECT_EQ(Name({10, 0, 0, 8}), "");
}

TEST(MacText, Normalisation) {
  EXPECT_EQ(NormaliseMacText("0-a0-c9-1-2-33"), "00A0C9010233");
  EXPECT_EQ(NormaliseMacText("0:a0:c9:1:2:3"), "00A0C9010203");  // the last group is padded too
  EXPECT_EQ(NormaliseMacText("00a0c9123456"), "00A0C9123456");
  EXPECT_EQ(NormaliseMacText(""), "");
  EXPECT_EQ(NormaliseMacText("1:"), "01");
  EXPECT_EQ(NormaliseMacText("1"), "1");
  EXPECT_EQ(NormaliseMacText("0-a0--1"), "00A001");
}

std::string ObserverRecord(const Bytes& mac, const std::string& name, const Bytes& ip) {
  std::string r(80, '\0');
  for (size_t i = 0; i < 6; ++i) r[4 + i] = static_cast<char>(mac[i]);
  r.replace(10, std::min<size_t>(name.size(), 30), name.substr(0, 30));
  for (size_t i = 0; i < 4; ++i) r[28 + i] = static_cast<char>(ip[i]);
  return r;
}

class ObserverImport : public ::testing::Test {
 protected:
  AddressBookFolders Folders() const {
    AddressBookFolders f;
    f.observerTables = dir.path();
    return f;
  }
  testing::TempDir dir;
  CaptureModel model;
};

TEST_F(ObserverImport, RecordsNameTheMacAndTheIpAddress) {
  dir.Write("site.adr", ObserverRecord({0, 1, 2, 3, 4, 5}, "Alpha", {10, 0, 0, 1}) +
                            ObserverRecord({0, 1, 2, 3, 4, 6}, "MacOnly", {0, 0, 0, 0}) +
                            ObserverRecord({0, 1, 2, 3, 4, 7}, "", {10, 0, 0, 3}) +
                            ObserverRecord({0, 1, 2, 3, 4, 8}, "An eighteen-plus-character name", {10, 0, 0, 4}));
  EXPECT_EQ(ImportObserverNames(model, "site.adr", Folders()), 5);
  EXPECT_EQ(LookupLearnedName(model, Bytes{0, 1, 2, 3, 4, 5}), "Alpha");
  EXPECT_EQ(LookupLearnedName(model, Bytes{10, 0, 0, 1}), "Alpha");
  EXPECT_EQ(LookupLearnedName(model, Bytes{0, 1, 2, 3, 4, 6}), "MacOnly");
  EXPECT_EQ(LookupLearnedName(model, Bytes{0, 0, 0, 0}), "");
  EXPECT_EQ(LookupLearnedName(model, Bytes{0, 1, 2, 3, 4, 7}), "");
  EXPECT_EQ(LookupLearnedName(model, Bytes{10, 0, 0, 3}), "");
  EXPECT_EQ(LookupLearnedName(model, Bytes{0, 1, 2, 3, 4, 8}), "An eighteen-plus-c");  // 18 characters
  EXPECT_EQ(LookupLearnedName(model, Bytes{10, 0, 0, 4}), "An eighteen-plus-c");
}

TEST_F(ObserverImport, TruncatedLastRecordIsIgnored) {
  std::string second = ObserverRecord({9, 9, 9, 9, 9, 9}, "Cut", {10, 0, 0, 2});
  dir.Write("t.adr", ObserverRecord({0, 1, 2, 3, 4, 5}, "Whole", {0, 0, 0, 0}) + second.substr(0, 40));
  EXPECT_EQ(ImportObserverNames(model, "t.adr", Folders()), 1);
  EXPECT_EQ(LookupLearnedName(model, Bytes{9, 9, 9, 9, 9, 9}), "");
}

TEST_F(ObserverImport, FileNameIsKeptInsideTheFolder) {
  dir.Write("inner/x.adr", ObserverRecord({0, 1, 2, 3, 4, 5}, "Inner", {0, 0, 0, 0}));
  dir.Write("x.adr", ObserverRecord({0, 1, 2, 3, 4, 6}, "Outer", {0, 0, 0, 0}));
  AddressBookFolders f;
  f.observerTables = dir.path() / "inner";
  EXPECT_EQ(ImportObserverNames(model, "../x.adr", f), 1);  // the folder part is dropped
  EXPECT_EQ(LookupLearnedName(model, Bytes{0, 1, 2, 3, 4, 5}), "Inner");
  EXPECT_EQ(ImportObserverNames(model, "..", f), 0);
  EXPECT_EQ(ImportObserverNames(model, "", f), 0);
  EXPECT_EQ(ImportObserverNames(model, "C:\\Observer Files\\LocalAddressTable\\X.ADR", f), 0);  // already named
}

TEST_F(ObserverImport, NameMatchesWithoutRegardToCaseAndMissingFilesImportNothing) {
  dir.Write("Site.ADR", ObserverRecord({0, 1, 2, 3, 4, 5}, "Cased", {0, 0, 0, 0}));
  EXPECT_EQ(ImportAddressBook(model, 12, kEthernet, "SITE.adr", Folders()), 1);
  EXPECT_EQ(ImportObserverNames(model, "absent.adr", Folders()), 0);
  EXPECT_EQ(ImportObserverNames(model, "site.adr", AddressBookFolders{}), 0);
  EXPECT_EQ(ImportAddressBook(model, 10, kEthernet, "Site.ADR", Folders()), 0);
}

TEST(AddressBookFolderSettings, FromTheStoreAndTheEnvironment) {
  EXPECT_EQ(UserDataFolder("/xdg", "/home/u"), std::filesystem::path("/xdg/Corvanta"));
  EXPECT_EQ(UserDataFolder("relative", "/home/u"), std::filesystem::path("/home/u/.local/share/Corvanta"));
  EXPECT_EQ(UserDataFolder(nullptr, "/home/u"), std::filesystem::path("/home/u/.local/share/Corvanta"));
  EXPECT_FALSE(UserDataFolder("", nullptr));

  MemorySettingsStore store;
  auto f = ReadAddressBookFolders(store, std::filesystem::path("/d"));
  EXPECT_FALSE(f.etherPeekInstall);
  EXPECT_FALSE(f.tokenPeekInstall);
  EXPECT_EQ(f.observerTables, std::filesystem::path("/d/Observer Files/LocalAddressTable"));
  store.WriteString("Address Books", "EtherPeek Path", "/opt/ep");
  store.WriteString("Address Books", "Observer Folder", "/srv/tables");
  f = ReadAddressBookFolders(store, std::nullopt);
  EXPECT_EQ(f.etherPeekInstall, std::filesystem::path("/opt/ep"));
  EXPECT_EQ(f.observerTables, std::filesystem::path("/srv/tables"));
  EXPECT_FALSE(f.userData);
}

}  // namespace
}  // namespace corvanta
