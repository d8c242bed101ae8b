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
    : core(shellRef),
      state(core.state),
      shell(shellRef),
      planes(core),
      engine(core, planes),
      skins(core),
      settings(core),
      launcher(core),
      music(core),
      reset(core, planes, skins),
      scripts(core, engine, skins, planes),
      packages(core, scripts, [this] { reset.Command1_Click(); }),
      installer(core, engine, skins, scripts) {}

Selector::~Selector() = default;

}  // namespace kvo
