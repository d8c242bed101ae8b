#pragma once

#include <QDialog>

namespace kvo {
struct FormState;
}

namespace kvo::ui {

// "History": what each change of the game folder did, newest last, as `kvo history` prints it.
class HistoryDialog final : public QDialog {
  Q_OBJECT

 public:
  explicit HistoryDialog(const kvo::FormState& state, QWidget* parent = nullptr);
};

}  // namespace kvo::ui
