#pragma once

#include "planes/alt_planes.h"
#include "state/form_state.h"

namespace kvo {

// Puts the window's state and the plane grid's notes back as they were when it was made,
// unless keep() is called: an operation marks the rows as its change will leave them while
// it plans, and a change that is not made (refused, failed, or only planned) leaves no mark.
class StateRestore final {
 public:
  StateRestore(FormState& state, AltPlanes& planes)
      : state_(state), planes_(planes), savedState_(state), savedPlanes_(planes.notes()) {}
  ~StateRestore() {
    if (kept_) return;
    // The caption is the progress's, which put it back already.
    const std::string caption = state_.caption;
    state_ = savedState_;
    state_.caption = caption;
    planes_.restoreNotes(savedPlanes_);
  }
  StateRestore(const StateRestore&) = delete;
  StateRestore& operator=(const StateRestore&) = delete;

  // The change was made: the state stays as planning left it.
  void keep() { kept_ = true; }

 private:
  FormState& state_;
  AltPlanes& planes_;
  FormState savedState_;
  AltPlanes::Notes savedPlanes_;
  bool kept_ = false;
};

}  // namespace kvo
