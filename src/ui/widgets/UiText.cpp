#include "ui/widgets/UiText.h"

#include <QFile>
#include <QLocale>
#include <QStringDecoder>

#include "naming/TextFormat.h"

namespace corvanta::ui {

char LocaleThousandsSeparator() {
  const QString sep = QLocale().groupSeparator();
  if (sep.size() == 1 && sep.at(0).unicode() > 0x20 && sep.at(0).unicode() < 0x7F) return sep.at(0).toLatin1();
  return ' ';
}

char LocaleDecimalSeparator() {
  const QString sep = QLocale().decimalPoint();
  if (sep.size() == 1 && sep.at(0).unicode() > 0x20 && sep.at(0).unicode() < 0x7F) return sep.at(0).toLatin1();
  return '.';
}

QString CountText(int64_t count) { return ToQ(FormatCount(count, LocaleThousandsSeparator())); }

std::string PathToStd(const QString& path) { return QFile::encodeName(path).toStdString(); }

QString PathFromStd(const std::string& path) { return QFile::decodeName(QByteArray::fromStdString(path)); }

QString TraceText(const std::string& text) {
  QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
  QString decoded = utf8.decode(QByteArrayView(text.data(), static_cast<qsizetype>(text.size())));
  if (!utf8.hasError()) return decoded;
  return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

QColor ToQColor(uint32_t value) { return QColor(value & 0xFF, (value >> 8) & 0xFF, (value >> 16) & 0xFF); }

uint32_t ColorValueOf(const QColor& color) {
  return static_cast<uint32_t>(color.red()) | static_cast<uint32_t>(color.green()) << 8 |
         static_cast<uint32_t>(color.blue()) << 16;
}

}  // namespace corvanta::ui
