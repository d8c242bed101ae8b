#pragma once

class QEvent;
class QLineEdit;
class QListWidget;

namespace kvo::ui {

// True for a first press (not a held key's repeat) of Enter, Return or Space: the keys that
// press a focused control as a click does. A held key must not launch a program twenty times.
bool isPressKey(const QEvent& event);

// Makes Enter and Space on the current item of `list` do what a click on that item does; the
// arrows only move, for lists whose click changes files (a music switch renames folders).
void pressItemsByKeys(QListWidget& list);

// Makes the item that the arrows (or Enter, or Space) bring `list` to do what a click on it does,
// for lists whose selected item is a view the rest of the window follows (the filters): the
// highlighted item must never be another than the one in force.
void followItemsByKeys(QListWidget& list);

// Makes `edit` select its whole text whenever it gets the focus, by a click as well as by Tab,
// so that a name typed into it replaces the prompt it holds instead of joining it.
void selectWholeOnFocus(QLineEdit& edit);

}  // namespace kvo::ui
