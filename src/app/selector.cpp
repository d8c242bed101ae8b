#include "app/selector.h"

#include "platform/instance_lock.h"

namespace kvo {

const char* const kDuplicateInstanceTitle = "Hang On...........";
const char* const kDuplicateInstanceText =
    "We know you would love our software, but you really \r\n"
    "don't have to run it more than once.\r\n"
    "\r\n"
    "You have probably minimised a version already running,\r\n"
    "and it has been waiting patiently for you \r\n"
    "at the bottom of your screen!";

Selector::Selector(Shell& shellRef)
    : shell(shellRef),
      record(state),
      game(state, record, shellRef),
      placements(state, game),
      planes(state, game, record),
      engine(state, game, record, planes),
      skins(state, game, record),
      settings(state, game),
      launcher(state, shellRef),
      music(state, game),
      reset(state, game, record, skins, planes),
      scripts(state, game, record, engine, skins, planes),
      packages(state, game, shellRef, scripts,
               [this](GameChange& change) { reset.planResetAll(change); }),
      installer(state, game, record, shellRef, engine, skins, scripts) {
  planes.setPlacements(&placements);
  skins.setPlacements(&placements);
}

Selector::~Selector() = default;

}  // namespace kvo
