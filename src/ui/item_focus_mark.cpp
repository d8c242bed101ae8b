#include "ui/item_focus_mark.h"

#include <QAbstractItemView>
#include <QPainter>
#include <QStyledItemDelegate>

#include "ui/focus_mark.h"

namespace kvo::ui {

namespace {

class CurrentItemDelegate final : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;

  void paint(QPainter* painter, const QStyleOptionViewItem& option,
             const QModelIndex& index) const override {
    QStyledItemDelegate::paint(painter, option, index);
    // The view sets this state on its current item only, and only while it has the focus.
    if (option.state.testFlag(QStyle::State_HasFocus)) {
      drawFocusMark(*painter, option.rect, option.palette);
    }
  }
};

}  // namespace

void markCurrentItem(QAbstractItemView& view) {
  view.setItemDelegate(new CurrentItemDelegate(&view));
}

}  // namespace kvo::ui
