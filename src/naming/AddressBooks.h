#pragma once
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "trace/AnalyzerKind.h"

namespace corvanta {

class CaptureModel;
class SettingsStore;

// Where the other analyzers' address books are looked for. Each folder is optional: an
// absent one imports nothing from there.
struct AddressBookFolders {
  // The per-user data folder: names.nam lies under "AG Group/EtherPeek/4.0" (or TokenPeek).
  std::optional<std::filesystem::path> userData;
  // The EtherPeek and TokenPeek installation folders: ep.nam and tp.nam lie under "Config".
  std::optional<std::filesystem::path> etherPeekInstall;
  std::optional<std::filesystem::path> tokenPeekInstall;
  // The Observer's local address tables.
  std::optional<std::filesystem::path> observerTables;
};

// The folders are settings of this section; an empty or missing value means none, except
// the Observer folder, which defaults to "Observer Files/LocalAddressTable" in userData.
inline constexpr std::string_view kAddressBooksSection = "Address Books";
inline constexpr std::string_view kEtherPeekPathValue = "EtherPeek Path";
inline constexpr std::string_view kTokenPeekPathValue = "TokenPeek Path";
inline constexpr std::string_view kObserverFolderValue = "Observer Folder";

// $XDG_DATA_HOME/Corvanta when that is an absolute path, else $HOME/.local/share/Corvanta;
// none without either.
std::optional<std::filesystem::path> UserDataFolder(const char* xdgDataHome, const char* home);
std::optional<std::filesystem::path> DefaultUserDataFolder();  // from the environment

AddressBookFolders ReadAddressBookFolders(const SettingsStore& store,
                                          const std::optional<std::filesystem::path>& userData);

// EtherPeek/TokenPeek names: names.nam from the user data folder, then, only when that file
// was read or there is no user data folder, ep.nam (tp.nam) from the installation folder.
// Entries with wildcard or unreadable addresses are skipped. Returns the names stored.
int ImportPeekNames(CaptureModel& model, bool tokenRing, const AddressBookFolders& folders);

// Observer names: the 80-byte records of the address table the trace header names. Only the
// table's file name is used (any folder part is dropped); a truncated last record is ignored.
// Returns the names stored.
int ImportObserverNames(CaptureModel& model, std::string_view tableFileName, const AddressBookFolders& folders);

// The import the processing run does before the first frame: Peek names for kind 0,
// Observer names for kind 12, nothing for other kinds.
int ImportAddressBook(CaptureModel& model, AnalyzerKind kind, Topology topology, std::string_view observerTable,
                      const AddressBookFolders& folders);

// A MAC address text as the address books write it ("-" or ":" between groups, one-digit
// groups allowed) as upper-case hex digits: "0-a0-c9-1-2-3" gives "00A0C9010203".
std::string NormaliseMacText(std::string_view text);

}  // namespace corvanta
