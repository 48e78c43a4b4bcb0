#include "ui/main/Grab.h"

#include <QApplication>
#include <QDir>
#include <QPixmap>
#include <QTabWidget>

#include "ui/main/MainForm.h"

namespace corvanta::ui {
namespace {

QString FileStem(QString text) {
  text.remove('&');
  for (QChar& c : text)
    if (!c.isLetterOrNumber()) c = '-';
  return text;
}

}  // namespace

QStringList GrabWindows(TMainForm& mainForm, const QString& folder, const QList<QWidget*>& extraWindows) {
  QStringList written;
  QDir dir(folder);
  if (!dir.mkpath(".")) return written;
  QTabWidget* pages = mainForm.MainPageControl();
  const int current = pages->currentIndex();
  for (int i = 0; i < pages->count(); ++i) {
    pages->setCurrentIndex(i);
    QApplication::processEvents();
    const QString file = dir.filePath(QString("page-%1-%2.png").arg(i + 1).arg(FileStem(pages->tabText(i))));
    if (mainForm.grab().save(file)) written << file;
    // A page with sub-pages (the Token Ring panel) is pictured once per sub-page.
    for (QTabWidget* sub : pages->widget(i)->findChildren<QTabWidget*>()) {
      if (!sub->isVisible()) continue;
      const int shown = sub->currentIndex();
      for (int k = 0; k < sub->count(); ++k) {
        if (k == shown) continue;
        sub->setCurrentIndex(k);
        QApplication::processEvents();
        const QString subFile = dir.filePath(
            QString("page-%1-%2-%3.png").arg(i + 1).arg(FileStem(pages->tabText(i)), FileStem(sub->tabText(k))));
        if (mainForm.grab().save(subFile)) written << subFile;
      }
      sub->setCurrentIndex(shown);
    }
  }
  pages->setCurrentIndex(current);
  for (QWidget* w : QApplication::topLevelWidgets()) {
    if (w == &mainForm || !w->isVisible()) continue;
    const QString name = w->objectName().isEmpty() ? QString(w->metaObject()->className()) : w->objectName();
    const QString file = dir.filePath(QString("window-%1.png").arg(FileStem(name)));
    if (w->grab().save(file)) written << file;
  }
  for (QWidget* w : extraWindows) {
    if (!w || w->isVisible()) continue;
    w->show();
    QApplication::processEvents();
    const QString file = dir.filePath(QString("window-%1.png").arg(FileStem(w->objectName())));
    if (w->grab().save(file)) written << file;
    // A window of pages is pictured once more for each further page.
    if (auto* tabs = w->findChild<QTabWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
      const int shown = tabs->currentIndex();
      for (int k = 0; k < tabs->count(); ++k) {
        if (k == shown) continue;
        tabs->setCurrentIndex(k);
        QApplication::processEvents();
        const QString pageFile =
            dir.filePath(QString("window-%1-%2.png").arg(FileStem(w->objectName()), FileStem(tabs->tabText(k))));
        if (w->grab().save(pageFile)) written << pageFile;
      }
      tabs->setCurrentIndex(shown);
    }
    w->hide();
  }
  return written;
}

}  // namespace corvanta::ui
