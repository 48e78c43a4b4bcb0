#include "ui/toolbox/VisualizerFonts.h"

#include <QFontMetrics>
#include <algorithm>
#include <memory>

#include "ui/widgets/UiText.h"

namespace corvanta::ui {

namespace {

constexpr uint8_t kBold = 1;
constexpr uint8_t kItalic = 2;
constexpr uint8_t kUnderline = 4;
constexpr uint8_t kStrikeOut = 8;

int HeldSize(int points) { return std::clamp(points, kVisualizerMinFontSize, kVisualizerMaxFontSize); }

}  // namespace

QFont HeldVisualizerFont(QFont font) {
  const int points = font.pointSize() > 0 ? font.pointSize() : kVisualizerMaxFontSize;
  font.setPointSize(HeldSize(points));
  return font;
}

QFont VisualizerQFont(const VisualizerFont& stored) {
  QFont font(QString::fromStdString(stored.faceName));
  font.setPointSize(HeldSize(stored.size));
  font.setBold((stored.style & kBold) != 0);
  font.setItalic((stored.style & kItalic) != 0);
  font.setUnderline((stored.style & kUnderline) != 0);
  font.setStrikeOut((stored.style & kStrikeOut) != 0);
  if (stored.pitch == 2) font.setFixedPitch(true);
  return font;
}

VisualizerFont VisualizerFontOf(const QFont& qfont, const QColor& color) {
  VisualizerFont font;
  font.faceName = qfont.family().toStdString().substr(0, 63);
  font.size = HeldSize(qfont.pointSize() > 0 ? qfont.pointSize() : kVisualizerMaxFontSize);
  font.style = static_cast<uint8_t>((qfont.bold() ? kBold : 0) | (qfont.italic() ? kItalic : 0) |
                                    (qfont.underline() ? kUnderline : 0) | (qfont.strikeOut() ? kStrikeOut : 0));
  font.pitch = qfont.fixedPitch() ? 2 : 0;
  font.color = static_cast<ColorValue>(ColorValueOf(color));
  return font;
}

TextMeasure QtTextMeasure(const QFont& font, QPaintDevice* device) {
  auto metrics = device ? std::make_shared<QFontMetrics>(font, device) : std::make_shared<QFontMetrics>(font);
  TextMeasure measure;
  measure.Width = [metrics](std::string_view text) {
    return metrics->horizontalAdvance(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
  };
  measure.Height = metrics->height();
  return measure;
}

VisualizerOptions VisualizerOptionsOf(const VisualizerSettings& s) {
  VisualizerOptions o;
  o.Columns = {s.cumulativeBytesTogether, s.cumulativeBytesSeparate, s.cumulativeTime,
               s.deltaTime,               s.frameSize,               s.frameNumber};
  o.SendColor = static_cast<uint32_t>(s.sendColor);
  o.ReceiveColor = static_cast<uint32_t>(s.receiveColor);
  o.DiagnosticColor = static_cast<uint32_t>(s.diagnosticColor);
  o.ThousandsSep = LocaleThousandsSeparator();
  o.DecimalSep = LocaleDecimalSeparator();
  return o;
}

}  // namespace corvanta::ui
