#include "ui/file_drop.h"

#include <QDropEvent>
#include <QMimeData>
#include <QUrl>
#include <QWidget>

namespace kvo::ui {

namespace {

// The local paths a drag carries; empty when it carries anything else (text, a web address),
// which the drop target then refuses at once instead of after the drop.
QStringList localPaths(const QMimeData* mime) {
  QStringList paths;
  if (!mime || !mime->hasUrls()) return paths;
  for (const QUrl& url : mime->urls()) {
    if (!url.isLocalFile()) return {};
    paths << url.toLocalFile();
  }
  return paths;
}

}  // namespace

FileDrop::FileDrop(QWidget& area) : QObject(&area) {
  area.setAcceptDrops(true);
  area.installEventFilter(this);
}

bool FileDrop::eventFilter(QObject* watched, QEvent* event) {
  switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove: {
      auto* drag = static_cast<QDropEvent*>(event);
      if (localPaths(drag->mimeData()).isEmpty()) {
        drag->ignore();
      } else {
        // The source keeps its files: they are copied in, never moved.
        drag->setDropAction(Qt::CopyAction);
        drag->accept();
      }
      return true;
    }
    case QEvent::Drop: {
      auto* drop = static_cast<QDropEvent*>(event);
      const QStringList paths = localPaths(drop->mimeData());
      if (paths.isEmpty()) return QObject::eventFilter(watched, event);
      drop->setDropAction(Qt::CopyAction);
      drop->accept();
      emit dropped(paths);
      return true;
    }
    default:
      return QObject::eventFilter(watched, event);
  }
}

}  // namespace kvo::ui
