#include "platform/base/process_state.h"

namespace platform {

ProcessState& State() {
  // Constructed on first use so that other libraries' static initialisers may call in safely.
  static ProcessState* state = new ProcessState();  // never destroyed: threads may outlive exit
  return *state;
}

}  // namespace platform
