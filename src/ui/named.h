#pragma once

#include <QString>
#include <utility>

namespace kvo::ui {

// Creates a widget carrying the control name that tests and the core's documentation use.
template <typename Widget, typename... Args>
Widget* named(const QString& objectName, Args&&... args) {
  auto* widget = new Widget(std::forward<Args>(args)...);
  widget->setObjectName(objectName);
  return widget;
}

}  // namespace kvo::ui
