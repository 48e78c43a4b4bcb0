#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <set>
#include <string>

#include "analysis/BrisqonSettings.h"
#include "naming/SettingsStore.h"

namespace corvanta {
namespace {

const std::string kSection = "Problem Finder";

struct ExpectedCheck {
  CheckId id;
  const char* text;
  const char* switch_name;
  const char* threshold_name;  // "" without a value
  CheckValueKind kind;
  int def, min, max;
  const char* unit;
};

using K = CheckValueKind;
const ExpectedCheck kExpected[] = {
    {CheckId::kCSBusyNetwork, "C/S Busy Network or Server", "EnableCSBusyNetwork", "ThresholdCSBusyNetwork",
     K::kSensitivity, 2, 1, 3, ""},
    {CheckId::kCSInefficientClient, "C/S Inefficient Client", "EnableCSInefficientClient",
     "ThresholdCSInefficientClient", K::kSensitivity, 2, 1, 3, ""},
    {CheckId::kCSLowThroughput, "C/S Low Server to Client Thput (Kbytes/sec)", "EnableCSLowThroughput",
     "ThresholdCSLowThroughput", K::kThreshold, 100, 1, 65535, "Kbytes/sec"},
    {CheckId::kCSSlowResponseTime, "C/S Slow Server to Client Resp Time (ms)", "EnableCSSlowResponseTime",
     "ThresholdCSSlowResponseTime", K::kThreshold, 100, 1, 65535, "milliseconds"},
    {CheckId::kEthernetCRCError, "Ethernet CRC Frame Error", "EnableEthernetCRCError", "", K::kNone, 0, 0, 0, ""},
    {CheckId::kEthernetOversized, "Ethernet Oversized Frame", "EnableEthernetOversized", "", K::kNone, 0, 0, 0, ""},
    {CheckId::kEthernetUndersized, "Ethernet Undersized Frame", "EnableEthernetUndersized", "", K::kNone, 0, 0, 0, ""},
    {CheckId::kICMP, "ICMP Error Reports", "EnableICMP", "", K::kNone, 0, 0, 0, ""},
    {CheckId::kIPChecksumError, "IP Checksum Error", "EnableIPChecksumError", "", K::kNone, 0, 0, 0, ""},
    {CheckId::kIPLocalRouting, "IP Local Routing (in/out same router port)", "EnableIPLocalRouting", "", K::kNone, 0, 0,
     0, ""},
    {CheckId::kIPLowTTL, "IP Low TTL", "EnableIPLowTTL", "ThresholdIPLowTTL", K::kThreshold, 1, 1, 255, ""},
    {CheckId::kIPMissingFragment, "IP Missing Fragment", "EnableIPMissingFragment", "", K::kNone, 0, 0, 0, ""},
    {CheckId::kIPXLocalRouting, "IPX Local Routing (in/out same router port)", "EnableIPXLocalRouting", "", K::kNone, 0,
     0, 0, ""},
    {CheckId::kNCPFastTransportRetransmission, "NCP Fast Retransmission (ms)", "EnableNCPFastTransportRetransmission",
     "ThresholdNCPFastTransportRetransmission", K::kThreshold, 150, 1, 65535, "milliseconds"},
    {CheckId::kNCPPacketBurst, "NCP Packet Burst Retransmit Requests", "EnableNCPPacketBurst", "", K::kNone, 0, 0, 0,
     ""},
    {CheckId::kNCPServerBusy, "NCP Server Busy Reply", "EnableNCPServerBusy", "", K::kNone, 0, 0, 0, ""},
    {CheckId::kNCPTransportRetransmission, "NCP Transport Retransmission", "EnableNCPTransportRetransmission", "",
     K::kNone, 0, 0, 0, ""},
    {CheckId::kSPXFastTransportRetransmission, "SPX/SPX II Fast Retransmission (ms)",
     "EnableSPXFastTransportRetransmission", "ThresholdSPXFastTransportRetransmission", K::kThreshold, 150, 1, 65535,
     "milliseconds"},
    {CheckId::kSPXTransportRetransmission, "SPX/SPX II Transport Retransmission", "EnableSPXTransportRetransmission",
     "", K::kNone, 0, 0, 0, ""},
    {CheckId::kTCPChecksumError, "TCP Checksum Error", "EnableTCPChecksumError", "", K::kNone, 0, 0, 0, ""},
    {CheckId::kTCPFastTransportRetransmission, "TCP Fast Retransmission (ms)", "EnableTCPFastTransportRetransmission",
     "ThresholdTCPFastTransportRetransmission", K::kThreshold, 150, 1, 65535, "milliseconds"},
    {CheckId::kTCPIdleTooLong, "TCP Idle Too Long (seconds)", "EnableTCPIdleTooLong", "ThresholdTCPIdleTooLong",
     K::kThreshold, 300, 1, 65535, "seconds"},
    {CheckId::kTCPLowMSS, "TCP Low Starting MSS", "EnableTCPLowMSS", "ThresholdTCPLowMSS", K::kThreshold, 1024, 128,
     65535, ""},
    {CheckId::kTCPLowWindow, "TCP Low Window (percent of max window)", "EnableTCPLowWindow", "ThresholdTCPLowWindow",
     K::kThreshold, 10, 1, 99, "percent"},
    {CheckId::kTCPResetConnection, "TCP Reset Connection", "EnableTCPResetConnection", "", K::kNone, 0, 0, 0, ""},
    {CheckId::kTCPSlowAck, "TCP Slow Acknowledgement (ms)", "EnableTCPSlowAck", "ThresholdTCPSlowAck", K::kThreshold,
     250, 1, 65535, "milliseconds"},
    {CheckId::kTCPStuckWindow, "TCP Stuck Window (ms)", "EnableTCPStuckWindow", "ThresholdTCPStuckWindow",
     K::kThreshold, 2000, 100, 50000, "milliseconds"},
    {CheckId::kTCPTransportRetransmission, "TCP Transport Retransmission", "EnableTCPTransportRetransmission", "",
     K::kNone, 0, 0, 0, ""},
    {CheckId::kTCPZeroWindow, "TCP Zero Window", "EnableTCPZeroWindow", "", K::kNone, 0, 0, 0, ""},
    {CheckId::kUDPChecksumError, "UDP Checksum Error", "EnableUDPChecksumError", "", K::kNone, 0, 0, 0, ""},
};
static_assert(std::size(kExpected) == kCheckCount);

TEST(ProblemSettingsTable, NamesDefaultsRangesAndUnits) {
  BrisqonSettings settings;
  for (const ExpectedCheck& e : kExpected) {
    SCOPED_TRACE(e.text);
    const CheckInfo& info = GetCheckInfo(e.id);
    EXPECT_EQ(info.Id, e.id);
    EXPECT_EQ(info.Text, e.text);
    EXPECT_EQ(info.SwitchName, e.switch_name);
    EXPECT_EQ(info.ThresholdName, e.threshold_name);
    EXPECT_EQ(info.Kind, e.kind);
    EXPECT_EQ(info.HasValue(), e.kind != K::kNone);
    EXPECT_EQ(info.Default, e.def);
    EXPECT_EQ(info.Min, e.min);
    EXPECT_EQ(info.Max, e.max);
    EXPECT_EQ(UnitLabelText(info.Unit), e.unit);
    EXPECT_FALSE(info.Description.empty());
    EXPECT_FALSE(info.Causes.empty());
    EXPECT_FALSE(info.Remedies.empty());
    // A fresh model has every switch on and every value at its default, live and working.
    EXPECT_TRUE(settings.Enabled(e.id));
    EXPECT_EQ(settings.Threshold(e.id), e.def);
    EXPECT_TRUE(settings.WorkingEnabled(e.id));
    EXPECT_EQ(settings.WorkingThreshold(e.id), e.def);
  }
  EXPECT_EQ(std::count_if(std::begin(kExpected), std::end(kExpected), [](auto& e) { return e.kind != K::kNone; }), 13);
}

TEST(ProblemSettingsTable, LabelsByCode) {
  EXPECT_EQ(UnitLabelText(UnitLabel::kNone), "");
  EXPECT_EQ(UnitLabelText(UnitLabel::kPackets), "packets");
  EXPECT_EQ(UnitLabelText(UnitLabel::kMilliseconds), "milliseconds");
  EXPECT_EQ(UnitLabelText(UnitLabel::kSeconds), "seconds");
  EXPECT_EQ(UnitLabelText(UnitLabel::kPercent), "percent");
  EXPECT_EQ(UnitLabelText(UnitLabel::kKbytesPerSec), "Kbytes/sec");
  EXPECT_EQ(static_cast<int>(UnitLabel::kKbytesPerSec), 5);
  EXPECT_EQ(SensitivityLabel(1), "Low");
  EXPECT_EQ(SensitivityLabel(2), "Medium");
  EXPECT_EQ(SensitivityLabel(3), "High");
  EXPECT_EQ(SensitivityLabel(0), "");
  EXPECT_EQ(SensitivityLabel(4), "");
}

TEST(ProblemSettingsTable, SortedListOrder) {
  const auto& order = SortedChecks();
  std::set<CheckId> seen(order.begin(), order.end());
  EXPECT_EQ(seen.size(), kCheckCount);
  auto lower = [](std::string_view s) {
    std::string out(s);
    for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
  };
  for (size_t i = 1; i < order.size(); ++i)
    EXPECT_LT(lower(GetCheckInfo(order[i - 1]).Text), lower(GetCheckInfo(order[i]).Text)) << i;
  EXPECT_EQ(GetCheckInfo(order.front()).Text, "C/S Busy Network or Server");
  EXPECT_EQ(GetCheckInfo(order[12]).Text, "IPX Local Routing (in/out same router port)");
  EXPECT_EQ(GetCheckInfo(order.back()).Text, "UDP Checksum Error");
}

TEST(ProblemSettingsTexts, KeepTheirExactWording) {
  const CheckInfo& busy = GetCheckInfo(CheckId::kCSBusyNetwork);
  EXPECT_EQ(busy.Description,
            "There is a moderate to high fluctuation in response time.  The higher the sensitivity, the higher the "
            "likelihood that this problem will be flagged.");
  EXPECT_EQ(busy.Causes, "Busy server, bandwidth contention, congested switches or routers.");

  const CheckInfo& thput = GetCheckInfo(CheckId::kCSLowThroughput);
  EXPECT_EQ(thput.Causes,
            "Busy server, network segments with low bandwidth, client is not using sliding window or packet burst "
            "protocol to recieve data.");

  const CheckInfo& undersized = GetCheckInfo(CheckId::kEthernetUndersized);
  EXPECT_EQ(undersized.Causes,
            "The sending NIC was intentionally programmed to send a smaller than allowed frame or the frame is a "
            "collision fragment. frame).  The former will usually have a valid CRC whereas the latter will not have a "
            "valid CRC.");
  EXPECT_EQ(undersized.Remedies,
            "Check originating application and NIC driver, ensure that wiring and hub count is within spec check for "
            "bad NICs or transceivers.");

  EXPECT_EQ(GetCheckInfo(CheckId::kIPLocalRouting).Causes,
            "A router may have multiple subnets assigned to a port and a host is sending the packet to the\"default "
            "gateway\" for packets not on the same subnet as the host.");
  EXPECT_EQ(GetCheckInfo(CheckId::kTCPIdleTooLong).Description,
            "The TCP connection hasn't been used since the threshold setting in seconds. ");
  EXPECT_EQ(GetCheckInfo(CheckId::kTCPZeroWindow).Description, "The receipient's TCP receive buffer is full.");
  EXPECT_EQ(GetCheckInfo(CheckId::kUDPChecksumError).Remedies,
            "Check to see if a switch or router is corrupting packets in memory by simultaneoulsy capturing packets on "
            "both sides, see if the packet/frame also contains a CRC error (if so, check \"Ethernet CRC Error\"), "
            "check for checksum errors on the same segment as the host.");
  EXPECT_EQ(GetCheckInfo(CheckId::kSPXTransportRetransmission).Description,
            "The source node is sending an SPX packet with a sequence number that matches a previously sent NCP "
            "packet to the same server and socket number.");
  EXPECT_EQ(GetCheckInfo(CheckId::kTCPStuckWindow).Remedies,
            "Check to see if the application or other applications are CPU intensive. This problem is usually not as "
            "serious as a Zero Window.");
}

TEST(ProblemSettingsTexts, FastAndPlainRetransmissionShareTheirTexts) {
  const std::pair<CheckId, CheckId> pairs[] = {
      {CheckId::kNCPFastTransportRetransmission, CheckId::kNCPTransportRetransmission},
      {CheckId::kSPXFastTransportRetransmission, CheckId::kSPXTransportRetransmission},
      {CheckId::kTCPFastTransportRetransmission, CheckId::kTCPTransportRetransmission},
  };
  for (auto [fast, plain] : pairs) {
    EXPECT_EQ(GetCheckInfo(fast).Description, GetCheckInfo(plain).Description);
    EXPECT_EQ(GetCheckInfo(fast).Causes, GetCheckInfo(plain).Causes);
    EXPECT_EQ(GetCheckInfo(fast).Remedies, GetCheckInfo(plain).Remedies);
  }
  EXPECT_NE(GetCheckInfo(CheckId::kNCPTransportRetransmission).Description,
            GetCheckInfo(CheckId::kTCPTransportRetransmission).Description);
  EXPECT_NE(GetCheckInfo(CheckId::kNCPTransportRetransmission).Remedies,
            GetCheckInfo(CheckId::kTCPTransportRetransmission).Remedies);
}

// A model whose thresholds all differ from their defaults and whose switches alternate.
BrisqonSettings NonDefaultSettings() {
  BrisqonSettings s;
  for (const ExpectedCheck& e : kExpected) {
    s.SetEnabled(e.id, CheckIndex(e.id) % 2 == 0);
    if (e.kind != K::kNone) s.SetThreshold(e.id, e.def == e.min ? e.def + 1 : e.def - 1);
  }
  s.BeginEdit();
  return s;
}

TEST(ProblemSettingsEditing, NothingReachesTheLiveValuesBeforeOk) {
  BrisqonSettings s = NonDefaultSettings();
  const BrisqonValues before = s.Live();

  s.SetWorkingThreshold(CheckId::kIPLowTTL, 200);
  s.SetWorkingEnabled(CheckId::kICMP, !s.Enabled(CheckId::kICMP));
  s.RestoreAllDefaults();
  EXPECT_EQ(s.Working(), BrisqonValues::Defaults());
  EXPECT_EQ(s.Live(), before);

  s.Cancel();
  EXPECT_EQ(s.Live(), before);
  EXPECT_EQ(s.Working(), before);

  s.SetWorkingThreshold(CheckId::kTCPSlowAck, 500);
  s.SetWorkingEnabled(CheckId::kTCPZeroWindow, false);
  s.Commit();
  EXPECT_EQ(s.Threshold(CheckId::kTCPSlowAck), 500);
  EXPECT_FALSE(s.Enabled(CheckId::kTCPZeroWindow));
  EXPECT_EQ(s.Live(), s.Working());

  // Activation reloads the working copies, so edits abandoned without Cancel do not linger.
  s.SetWorkingThreshold(CheckId::kTCPSlowAck, 7);
  s.BeginEdit();
  EXPECT_EQ(s.WorkingThreshold(CheckId::kTCPSlowAck), 500);
}

TEST(ProblemSettingsEditing, RestoreDefaultTouchesOnlyTheSelectedValue) {
  BrisqonSettings s = NonDefaultSettings();
  s.SetWorkingEnabled(CheckId::kTCPLowMSS, false);
  s.RestoreDefault(CheckId::kTCPLowMSS);
  EXPECT_EQ(s.WorkingThreshold(CheckId::kTCPLowMSS), 1024);
  EXPECT_FALSE(s.WorkingEnabled(CheckId::kTCPLowMSS));
  EXPECT_EQ(s.WorkingThreshold(CheckId::kTCPLowWindow), s.Threshold(CheckId::kTCPLowWindow));

  s.RestoreDefault(CheckId::kCSInefficientClient);
  EXPECT_EQ(s.WorkingThreshold(CheckId::kCSInefficientClient), 2);

  // A check without a value has nothing to restore.
  const BrisqonValues before = s.Working();
  s.RestoreDefault(CheckId::kTCPResetConnection);
  EXPECT_EQ(s.Working(), before);
}

TEST(ProblemSettingsEditing, EnableAndDisableAllChangeOnlySwitches) {
  BrisqonSettings s = NonDefaultSettings();
  const auto thresholds = s.Working().Threshold;

  s.DisableAll();
  for (bool on : s.Working().Enabled) EXPECT_FALSE(on);
  EXPECT_EQ(s.Working().Threshold, thresholds);
  EXPECT_TRUE(s.AnyEnabled());
  s.Commit();
  EXPECT_FALSE(s.AnyEnabled());

  s.EnableAll();
  for (bool on : s.Working().Enabled) EXPECT_TRUE(on);
  EXPECT_EQ(s.Working().Threshold, thresholds);
  EXPECT_FALSE(s.AnyEnabled());
  s.Commit();
  EXPECT_TRUE(s.AnyEnabled());
}

TEST(ProblemSettingsEditing, ValuesStayWithinTheirRange) {
  BrisqonSettings s;
  s.SetWorkingThreshold(CheckId::kIPLowTTL, 300);
  EXPECT_EQ(s.WorkingThreshold(CheckId::kIPLowTTL), 255);
  s.SetWorkingThreshold(CheckId::kIPLowTTL, 255);
  EXPECT_EQ(s.WorkingThreshold(CheckId::kIPLowTTL), 255);
  s.SetWorkingThreshold(CheckId::kTCPLowMSS, 50);
  EXPECT_EQ(s.WorkingThreshold(CheckId::kTCPLowMSS), 128);
  s.SetWorkingThreshold(CheckId::kTCPStuckWindow, 99999);
  EXPECT_EQ(s.WorkingThreshold(CheckId::kTCPStuckWindow), 50000);
  s.SetWorkingThreshold(CheckId::kCSBusyNetwork, 0);
  EXPECT_EQ(s.WorkingThreshold(CheckId::kCSBusyNetwork), 1);
  s.SetWorkingThreshold(CheckId::kCSLowThroughput, 70000);
  EXPECT_EQ(s.WorkingThreshold(CheckId::kCSLowThroughput), 65535);
  s.SetWorkingThreshold(CheckId::kCSLowThroughput, -5);
  EXPECT_EQ(s.WorkingThreshold(CheckId::kCSLowThroughput), 1);
  s.SetWorkingThreshold(CheckId::kICMP, 10);
  EXPECT_EQ(s.WorkingThreshold(CheckId::kICMP), 0);

  s.SetThreshold(CheckId::kTCPLowWindow, 100);
  EXPECT_EQ(s.Threshold(CheckId::kTCPLowWindow), 99);
  s.SetThreshold(CheckId::kEthernetCRCError, 10);
  EXPECT_EQ(s.Threshold(CheckId::kEthernetCRCError), 0);
}

TEST(ProblemSettingsStore, RoundTripWritesAllFortyThreeValues) {
  const BrisqonSettings original = NonDefaultSettings();
  MemorySettingsStore store;
  original.Save(store);
  EXPECT_EQ(store.ValueNames(kSection).size(), 43u);
  EXPECT_EQ(store.ReadRaw(kSection, "ThresholdTCPLowMSS"), "1023");
  EXPECT_EQ(store.ReadRaw(kSection, "EnableCSBusyNetwork"), "1");
  EXPECT_EQ(store.ReadRaw(kSection, "EnableCSInefficientClient"), "0");
  EXPECT_FALSE(store.HasValue(kSection, "ThresholdICMP"));

  BrisqonSettings loaded;
  loaded.SetWorkingThreshold(CheckId::kIPLowTTL, 77);
  loaded.Load(store);
  EXPECT_EQ(loaded.Live(), original.Live());
  EXPECT_EQ(loaded.Working(), original.Live());

  // Working copies are not persisted.
  BrisqonSettings edited = original;
  edited.SetWorkingThreshold(CheckId::kTCPSlowAck, 999);
  MemorySettingsStore store2;
  edited.Save(store2);
  EXPECT_EQ(store2.ReadInteger(kSection, "ThresholdTCPSlowAck", 0), original.Threshold(CheckId::kTCPSlowAck));
}

TEST(ProblemSettingsStore, MissingValuesTakeTheirDefaults) {
  MemorySettingsStore store;
  store.WriteBool(kSection, "EnableTCPZeroWindow", false);
  store.WriteInteger(kSection, "ThresholdTCPIdleTooLong", 60);
  BrisqonSettings s = NonDefaultSettings();
  s.Load(store);
  BrisqonValues expected = BrisqonValues::Defaults();
  expected.Enabled[CheckIndex(CheckId::kTCPZeroWindow)] = false;
  expected.Threshold[CheckIndex(CheckId::kTCPIdleTooLong)] = 60;
  EXPECT_EQ(s.Live(), expected);
}

TEST(ProblemSettingsStore, OutOfRangeOrMalformedValuesTakeTheirDefaults) {
  struct Case {
    const char* name;
    const char* stored;
    int expected;
  };
  const Case cases[] = {
      {"ThresholdIPLowTTL", "0", 1},
      {"ThresholdIPLowTTL", "256", 1},
      {"ThresholdIPLowTTL", "255", 255},
      {"ThresholdTCPLowMSS", "127", 1024},
      {"ThresholdTCPLowMSS", "128", 128},
      {"ThresholdTCPStuckWindow", "99", 2000},
      {"ThresholdTCPStuckWindow", "100", 100},
      {"ThresholdTCPStuckWindow", "50000", 50000},
      {"ThresholdTCPStuckWindow", "50001", 2000},
      {"ThresholdTCPLowWindow", "100", 10},
      {"ThresholdTCPLowWindow", "99", 99},
      {"ThresholdCSBusyNetwork", "4", 2},
      {"ThresholdCSBusyNetwork", "3", 3},
      {"ThresholdCSInefficientClient", "0", 2},
      {"ThresholdCSLowThroughput", "65535", 65535},
      {"ThresholdCSLowThroughput", "65536", 100},
      {"ThresholdCSLowThroughput", "4294967396", 100},
      {"ThresholdCSLowThroughput", "-1", 100},
      {"ThresholdCSLowThroughput", "99999999999999999999999", 100},
      {"ThresholdTCPSlowAck", "", 250},
      {"ThresholdTCPSlowAck", "abc", 250},
      {"ThresholdTCPSlowAck", "12x", 250},
      {"ThresholdTCPSlowAck", "1.5", 250},
      {"ThresholdTCPSlowAck", " 300", 250},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.name) + "=" + c.stored);
    MemorySettingsStore store;
    store.WriteRaw(kSection, c.name, c.stored);
    BrisqonSettings s;
    s.Load(store);
    const auto it = std::find_if(std::begin(kExpected), std::end(kExpected),
                                 [&](const ExpectedCheck& e) { return std::string(e.threshold_name) == c.name; });
    ASSERT_NE(it, std::end(kExpected));
    EXPECT_EQ(s.Threshold(it->id), c.expected);
    EXPECT_EQ(s.WorkingThreshold(it->id), c.expected);
  }
}

TEST(ProblemSettingsStore, MalformedSwitchesAndBinaryValuesTakeTheirDefaults) {
  MemorySettingsStore store;
  store.WriteRaw(kSection, "EnableICMP", "yes");
  store.WriteRaw(kSection, "EnableTCPSlowAck", "");
  store.WriteBinary(kSection, "EnableIPLowTTL", {0});
  store.WriteBinary(kSection, "ThresholdIPLowTTL", {0x40, 0});
  store.WriteRaw(kSection, "EnableTCPResetConnection", "false");
  store.WriteRaw("Visualizer", "ThresholdTCPSlowAck", "1");
  BrisqonSettings s;
  s.Load(store);
  EXPECT_TRUE(s.Enabled(CheckId::kICMP));
  EXPECT_TRUE(s.Enabled(CheckId::kTCPSlowAck));
  EXPECT_TRUE(s.Enabled(CheckId::kIPLowTTL));
  EXPECT_EQ(s.Threshold(CheckId::kIPLowTTL), 1);
  EXPECT_FALSE(s.Enabled(CheckId::kTCPResetConnection));
  EXPECT_EQ(s.Threshold(CheckId::kTCPSlowAck), 250);
}

TEST(ProblemSettingsByName, SwitchesAndValuesWithinTheirRanges) {
  BrisqonSettings s;
  EXPECT_EQ(SetProblemSetting(s, "EnableICMP", 0), "");
  EXPECT_FALSE(s.Enabled(CheckId::kICMP));
  EXPECT_EQ(SetProblemSetting(s, "ThresholdCSLowThroughput", 65535), "");
  EXPECT_EQ(s.Threshold(CheckId::kCSLowThroughput), 65535);
  struct Refused {
    const char* name;
    int64_t value;
    const char* why;
  };
  for (const Refused& r : {Refused{"EnableICMP", 2, "EnableICMP is 0 or 1"},
                           Refused{"ThresholdCSLowThroughput", 0, "ThresholdCSLowThroughput is from 1 to 65535"},
                           Refused{"ThresholdCSLowThroughput", 65536, "ThresholdCSLowThroughput is from 1 to 65535"},
                           Refused{"ThresholdICMP", 1, "no problem finder setting is called ThresholdICMP"},
                           Refused{"enableicmp", 1, "no problem finder setting is called enableicmp"}})
    EXPECT_EQ(SetProblemSetting(s, r.name, r.value), r.why) << r.name << "=" << r.value;
  // A refused value changes nothing.
  EXPECT_EQ(s.Threshold(CheckId::kCSLowThroughput), 65535);
  EXPECT_FALSE(s.Enabled(CheckId::kICMP));
}

}  // namespace
}  // namespace corvanta
