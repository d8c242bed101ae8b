#pragma once

#include <QLabel>
#include <QPixmap>
#include <filesystem>

namespace kvo::ui {

// An image box that shows a picture file scaled into its own size, keeping the aspect ratio.
class PictureBox final : public QLabel {
  Q_OBJECT

 public:
  explicit PictureBox(const QString& objectName, QWidget* parent = nullptr);

  // Shows the picture at `file`; an empty path or an unreadable file shows no picture.
  void showPicture(const std::filesystem::path& file);
  const std::filesystem::path& pictureFile() const { return file_; }
  bool hasPicture() const { return !original_.isNull(); }

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  void rescale();
  std::filesystem::path file_;
  QPixmap original_;
};

}  // namespace kvo::ui
