#include "ui/main/FileCatcher.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>
#include <QWidget>

namespace corvanta::ui {
namespace {

bool HasLocalFiles(const QMimeData* data) {
  if (!data || !data->hasUrls()) return false;
  for (const QUrl& url : data->urls())
    if (url.isLocalFile()) return true;
  return false;
}

}  // namespace

void TFileCatcher::SetControl(QWidget* control) {
  if (control_ == control) return;
  if (control_) {
    control_->removeEventFilter(this);
    control_->setAcceptDrops(false);
  }
  control_ = control;
  if (control_) {
    control_->setAcceptDrops(true);
    control_->installEventFilter(this);
  }
}

bool TFileCatcher::eventFilter(QObject* watched, QEvent* event) {
  if (watched != control_) return QObject::eventFilter(watched, event);
  switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove: {
      auto* drag = static_cast<QDropEvent*>(event);
      if (HasLocalFiles(drag->mimeData()))
        drag->acceptProposedAction();
      else
        drag->ignore();
      return true;
    }
    case QEvent::Drop: {
      auto* drop = static_cast<QDropEvent*>(event);
      if (!HasLocalFiles(drop->mimeData())) return false;
      files_.clear();
      for (const QUrl& url : drop->mimeData()->urls())
        if (url.isLocalFile()) files_ << url.toLocalFile();
      dropPoint_ = drop->position().toPoint();
      drop->acceptProposedAction();
      emit OnDropFiles();
      return true;
    }
    default: return QObject::eventFilter(watched, event);
  }
}

}  // namespace corvanta::ui
