#include "ui/main/TipWizard.h"

#include <array>

namespace corvanta::ui {
namespace {

// Tip 1 is at index 0; "" marks an unused number.
constexpr std::array<std::string_view, kTipCount> kTipTexts = {
    "Right click on the graphic to change its properties.",
    "Double click on a column to sort it.",
    "Select a row then right click or click on the Toolbox button to see visual details of that client/server "
    "conversation.",
    "",
    "Find the worst response times or throughput by sorting in descending order on the respective columns.",
    "View all conversations with a problem such as \"Slow Network or Server\" by performing a descending sort on that "
    "column.",
    "Find the top users by sorting in descending order on the bytes column.",
    "Select a series of cells by holding down the left mouse button on a cell and moving down and to the right.",
    "Click on the copy to clipboard button to copy the selected cells for pasting into your favorite application.",
    "Too many nodes on a peer map?  Use the \"Select Stations\" button in the statistics to select only certain "
    "stations for viewing.",
    "Click on an item in the key to view or hide that selection.  Use the \"Inv\" to invert all your selections.",
    "Maximize the Peer Map window for best viewing of up to 180 stations at one time.",
    "Use an analyzer that can capture error packets for collision fragment analysis.  Capture all packets on a suspect "
    "segment.",
    "Never run with a protocol analyzer.",
    "Print a snapshot of Corvanta windows by selecting one or more active windows to print.",
    "For extracting data to generate your own reports with Word or Excel, use the Copy to Clipboard button when "
    "available.",
    "Use the \"Files of type\" option to view only analyzer trace files of your choosing.",
    "Use a wildcard in the \"File name\" to view only certain analyzer file names.",
    "Use the Packet Scan Range to limit the packets in the Visualizer and limit the packet range for latency and "
    "throughput analysis.",
    "If the Troublelight button is on, click on it to see a summary of the problems associated with this conversation.",
    "View high, low, and average response times for this conversation by clicking on the Latency button.",
    "Likewise, view high, low, and average throughput in both directions by clicking on the Race Car button.",
    "Right click on a station to view detailed statistics for that station.",
    "Right click on a address to enter the Toolbox for that address or view its statistics.",
    "Contention is the difference between the Maximum and Average Round Trip and is an indication of how busy "
    "resources are such as the network or server.",
    "The protocol overhead is the bytes in the network layer payload divided by all the bytes up to and including the "
    "network layer header.",
    "Contention is the difference between the Maximum and Average throughput and is an indication of how busy "
    "resources are such as the network or server.",
    "Use the Packet Sample Window to change the number of consecutive packets used to compute the throughput.  A "
    "larger window will give results closer to the average.",
    "Use traces captured from the client segment for accurate client to server & back response time measurements.",
    "Click on the light bulb to the left to turn off this Tip Wizard.  Use the Help menu to turn back on (or off.)",
    "When the scrollbar arrows at the right of this box are enabled, there are more tips to view.",
    "Check the Show Station by OUI to display the upper 6 bytes of a station's address by manufacturer.",
    "Click on the copy to clipboard button to copy the graphic for pasting into your favorite application.",
    "For more global statistics about your trace file, try the Packet Size and Protocol Charts or the Protocol Table.",
    "For peer-to-peer packet transaction details, click on the Client/Server Expert tab or the Toolbox button.",
    "The \"What If\" analysis is handy for extrapolating performance of the captured LAN application on a WAN.",
    "Adjust the number of packets to vary the total time to complete the transaction.",
    "When performing LAN extrapolation, turn off Full Duplex.",
    "Adjust the Latency value to reflect delay in switches and routers or across a WAN such as frame relay.",
    "Use Show Measure Latency Using Only Command/Small Response Packets for more accurate measurement of WAN distance "
    "and switching delay.",
    "Use Show Measure Latency Using Only Command/Large Response Packets for more accurate measurement of WAN distance, "
    "switching, and bandwidth delay.",
    "Click on the Source box and use the Up/Down arrow keys to scroll rapidly through the list.",
    "Brisqon setting changes are automatically saved for subsequent analysis sessions.",
    "When analyzing a new trace for the first time, you may wish to \"Restore All Defaults.\"",
};

}  // namespace

std::string_view TipText(int number) {
  if (number < 1 || number > kTipCount) return {};
  return kTipTexts[static_cast<size_t>(number - 1)];
}

std::string TipMemoText(const TipSet& tips) {
  std::string out;
  for (int n = 1; n <= kTipScanLimit; ++n) {
    if (!tips.test(static_cast<size_t>(n)) || n > kTipCount) continue;
    out += "Tip: ";
    out += TipText(n);
    out += '\n';
  }
  if (!out.empty()) out.pop_back();
  return out;
}

TipSet MakeTipSet(std::initializer_list<int> numbers) {
  TipSet set;
  for (int n : numbers)
    if (n >= 0 && n < static_cast<int>(set.size())) set.set(static_cast<size_t>(n));
  return set;
}

}  // namespace corvanta::ui
