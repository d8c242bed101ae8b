#include "ui/picture_box.h"

#include "ui/view_sync.h"

namespace kvo::ui {

PictureBox::PictureBox(const QString& objectName, QWidget* parent) : QLabel(parent) {
  setObjectName(objectName);
  setAlignment(Qt::AlignCenter);
  setMinimumSize(64, 48);
  setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
}

void PictureBox::showPicture(const std::filesystem::path& file) {
  if (file == file_) return;
  file_ = file;
  // The game's picture files ("background", "newpic", "mypic") have no extension, so the
  // format is taken from the bytes, not the name.
  original_ = file.empty() ? QPixmap() : QPixmap(pathToQString(file));
  rescale();
}

void PictureBox::resizeEvent(QResizeEvent* event) {
  QLabel::resizeEvent(event);
  rescale();
}

void PictureBox::rescale() {
  if (original_.isNull()) {
    clear();
    return;
  }
  setPixmap(original_.scaled(size(), Qt::KeepAspectRatio, Qt::SmoothTransformation));
}

}  // namespace kvo::ui
