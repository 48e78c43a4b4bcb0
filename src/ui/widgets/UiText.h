#pragma once
#include <QColor>
#include <QString>
#include <cstdint>
#include <string>
#include <string_view>

namespace corvanta::ui {

// The locale's thousands separator when it is one ASCII character; a blank otherwise (the
// number formats take one byte).
char LocaleThousandsSeparator();

// The locale's decimal separator when it is one ASCII character; '.' otherwise.
char LocaleDecimalSeparator();

// A count with the locale's thousands separator.
QString CountText(int64_t count);

// UTF-8 texts of the core.
inline QString ToQ(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}
inline std::string ToStd(const QString& text) { return text.toStdString(); }

// Paths cross between Qt and the core in the file system's encoding.
std::string PathToStd(const QString& path);
QString PathFromStd(const std::string& path);

// Text read from a trace: UTF-8 when it is valid UTF-8, else Latin-1.
QString TraceText(const std::string& text);

// The core's colours keep red in the lowest byte, green next and blue in the third.
QColor ToQColor(uint32_t value);
uint32_t ColorValueOf(const QColor& color);

}  // namespace corvanta::ui
