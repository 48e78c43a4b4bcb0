#pragma once
// Reads back what QPrinter's PDF output holds: the pages, the texts drawn on each (through
// the fonts' ToUnicode maps) and where pictures were placed, in printer pixels.
#include <QByteArray>
#include <QFile>
#include <QMap>
#include <QPrinter>
#include <QRectF>
#include <QRegularExpression>
#include <QString>
#include <QStringList>
#include <vector>
#include <zlib.h>

namespace corvanta::testing {

// Points the printer at a PDF file: letter paper at 300 dpi, the printable area starting
// `offset` inches in from each edge.
inline QString PrintToPdf(QPrinter& printer, const QString& file, double offset) {
  printer.setOutputFormat(QPrinter::PdfFormat);
  printer.setOutputFileName(file);
  printer.setResolution(300);
  printer.setPageSize(QPageSize(QPageSize::Letter));
  printer.setPageMargins(QMarginsF(offset, offset, offset, offset), QPageLayout::Inch);
  return file;
}

struct PdfText {
  QString text;
  double x = 0;         // printer pixels from the printable area's left
  double baseline = 0;  // printer pixels from the printable area's top
};

struct PdfPage {
  std::vector<PdfText> texts;
  std::vector<QRectF> pictures;
  bool HasText(const QString& t) const {
    for (const PdfText& p : texts)
      if (p.text == t) return true;
    return false;
  }
  const PdfText* Find(const QString& prefix) const {
    for (const PdfText& p : texts)
      if (p.text.startsWith(prefix)) return &p;
    return nullptr;
  }
};

class PdfInspect {
 public:
  explicit PdfInspect(const QString& path) {
    // CORVANTA_KEEP_PDF names a folder where the printed files stay for viewing.
    const QString keep = qEnvironmentVariable("CORVANTA_KEEP_PDF");
    if (!keep.isEmpty()) QFile::copy(path, keep + "/" + path.section('/', -1));
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return;
    data_ = f.readAll();
    static const QRegularExpression object(R"((\d+) 0 obj\n(.*?)endobj)",
                                           QRegularExpression::DotMatchesEverythingOption);
    for (auto it = object.globalMatch(QString::fromLatin1(data_)); it.hasNext();) {
      const auto m = it.next();
      objects_[m.captured(1).toInt()] = m.capturedStart(2);
    }
    static const QRegularExpression contents(R"(/Type /Page\n/Parent \d+ 0 R\n/Contents (\d+) 0 R)");
    for (auto it = contents.globalMatch(QString::fromLatin1(data_)); it.hasNext();)
      pages_.push_back(ReadPage(Stream(it.next().captured(1).toInt())));
  }

  const std::vector<PdfPage>& Pages() const { return pages_; }

 private:
  // The object's dictionary text up to its stream, and its stream inflated.
  QByteArray Dictionary(int id) const {
    const int start = objects_.value(id, -1);
    if (start < 0) return {};
    const int end = data_.indexOf("endobj", start);
    const int stream = data_.indexOf("stream\n", start);
    return data_.mid(start, (stream >= 0 && stream < end ? stream : end) - start);
  }
  QByteArray Stream(int id) const {
    const int start = objects_.value(id, -1);
    if (start < 0) return {};
    const int end = data_.indexOf("endobj", start);
    const int begin = data_.indexOf("stream\n", start);
    if (begin < 0 || begin > end) return {};
    const int stop = data_.lastIndexOf("endstream", end);
    const QByteArray raw = data_.mid(begin + 7, stop - begin - 7);
    if (!Dictionary(id).contains("/FlateDecode")) return raw;
    QByteArray out(static_cast<int>(raw.size()) * 20 + 4096, 0);
    uLongf size = static_cast<uLongf>(out.size());
    if (uncompress(reinterpret_cast<Bytef*>(out.data()), &size, reinterpret_cast<const Bytef*>(raw.constData()),
                   static_cast<uLong>(raw.size())) != Z_OK)
      return {};
    out.resize(static_cast<int>(size));
    return out;
  }
  // Glyph code to text of the font object id, from its ToUnicode map.
  const QMap<int, QString>& Map(int font) {
    if (maps_.contains(font)) return maps_[font];
    QMap<int, QString>& map = maps_[font];
    static const QRegularExpression toUnicode(R"(/ToUnicode (\d+) 0 R)");
    const auto ref = toUnicode.match(QString::fromLatin1(Dictionary(font)));
    if (!ref.hasMatch()) return map;
    const QString cmap = QString::fromLatin1(Stream(ref.captured(1).toInt()));
    static const QRegularExpression range(R"(<([0-9A-F]{4})> <([0-9A-F]{4})> \[([^\]]*)\])");
    static const QRegularExpression code(R"(<([0-9A-F]{4})>)");
    for (auto it = range.globalMatch(cmap); it.hasNext();) {
      const auto m = it.next();
      int glyph = m.captured(1).toInt(nullptr, 16);
      for (auto c = code.globalMatch(m.captured(3)); c.hasNext(); ++glyph) {
        const QChar ch(c.next().captured(1).toInt(nullptr, 16));
        map[glyph] = ch == '\t' ? QString(" ") : QString(ch);  // the blank shares its glyph with the tab
      }
    }
    static const QRegularExpression single(R"(<([0-9A-F]{4})> <([0-9A-F]{4})>\n)");
    for (auto it = single.globalMatch(cmap); it.hasNext();) {
      const auto m = it.next();
      map[m.captured(1).toInt(nullptr, 16)] = QString(QChar(m.captured(2).toInt(nullptr, 16)));
    }
    return map;
  }
  PdfPage ReadPage(const QByteArray& content) {
    PdfPage page;
    const QString text = QString::fromLatin1(content);
    static const QRegularExpression picture(
        R"(([-\d.]+) 0 0 ([-\d.]+) ([-\d.]+) ([-\d.]+) cm\n([\d.]+) 0 0 -([\d.]+) 0 [\d.]+ cm /Im\d+ +Do)");
    for (auto it = picture.globalMatch(text); it.hasNext();) {
      const auto m = it.next();
      page.pictures.emplace_back(m.captured(3).toDouble(), m.captured(4).toDouble(),
                                 m.captured(1).toDouble() * m.captured(5).toDouble(),
                                 m.captured(2).toDouble() * m.captured(6).toDouble());
    }
    static const QRegularExpression block(R"(BT\n/F(\d+) .*?ET)", QRegularExpression::DotMatchesEverythingOption);
    static const QRegularExpression start(R"(Tm\n([-\d.]+) ([-\d.]+) Td)");
    static const QRegularExpression glyph(R"(<([0-9A-F]+)> Tj)");
    for (auto it = block.globalMatch(text); it.hasNext();) {
      const auto m = it.next();
      const QMap<int, QString>& map = Map(m.captured(1).toInt());
      PdfText t;
      const auto s = start.match(m.captured(0));
      t.x = s.captured(1).toDouble();
      t.baseline = -s.captured(2).toDouble();
      for (auto g = glyph.globalMatch(m.captured(0)); g.hasNext();) {
        const QString codes = g.next().captured(1);
        for (int i = 0; i + 4 <= codes.size(); i += 4) t.text += map.value(codes.mid(i, 4).toInt(nullptr, 16), "?");
      }
      t.text = t.text.normalized(QString::NormalizationForm_KC);  // ligatures back to letters
      page.texts.push_back(t);
    }
    return page;
  }

  QByteArray data_;
  QMap<int, int> objects_;
  QMap<int, QMap<int, QString>> maps_;
  std::vector<PdfPage> pages_;
};

}  // namespace corvanta::testing
