#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace corvanta {

// Texts of the window that shows a reading pass.
inline constexpr std::string_view kProgressCaptionPrefix = "Reading Trace File - ";
inline constexpr std::string_view kProgressFramesLabel = "Reading Packet:";
inline constexpr std::string_view kProgressDurationLabel = "Trace Duration:";
inline constexpr std::string_view kProgressInitialDuration = "<00:00:01";
inline constexpr std::string_view kProgressPassStartDuration = "00:00:00";
inline constexpr std::string_view kProgressActivationPercent = "%0 Complete";
inline constexpr std::string_view kProgressPartiallyRead = "FILE PARTIALLY READ";
inline constexpr std::string_view kProgressComplete = "100% Complete";
inline constexpr std::string_view kProgressDoneTitleMinimised = " Reading File [100%]";
inline constexpr std::string_view kProgressStopCaption = "&Stop";
inline constexpr std::string_view kProgressOkCaption = "&OK";
inline constexpr std::string_view kProgressStopHint = "Stop read operation";
// The window closes by itself this many milliseconds after reading ends.
inline constexpr int kProgressCloseDelayMs = 1500;
inline constexpr int kProgressTimerMs = 100;

// "Reading Trace File - " and the file name without its folder.
std::string ProgressCaption(const std::string& path);

// Seconds of trace time covered, rounded to the nearest (halves to even).
int64_t ProgressSeconds(double elapsedUs);

// hh:mm:ss, each part at least two digits; hours are not wrapped at 24.
std::string FormatHms(int64_t seconds);

// The duration box's text for the trace time covered so far; nothing (the box keeps its
// text) while that is under one second.
std::optional<std::string> ProgressDurationText(double elapsedUs);

// Percentage of the file read, rounded (halves to even) and kept within 0..100; 0 for an
// empty file.
int PercentRead(uint64_t position, uint64_t fileSize);

// "37% Complete".
std::string PercentCompleteText(int percent);

// The task-bar title of a minimised program while reading: "Reading [37% Complete]".
std::string ReadingTitle(int percent);

}  // namespace corvanta
