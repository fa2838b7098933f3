// Action 0: the request carries only the apply and reboot flags, which the
// dispatcher carries out after the final reply.
#include "actions.h"

namespace unitsim {

Outcome HandleFlagsOnly(ActionContext& context) {
  context.notes.push_back("status 1");
  return context.channel.SendReply(protocol::kStatusOk, 0) ? Outcome::kFinish : Outcome::kClose;
}

}  // namespace unitsim
