// Actions 16 and 17: the card record of the requested device and, for an
// access point, its association table from the requested index on.
#include "actions.h"
#include "live_description.h"

namespace unitsim {
namespace {

// The card as the unit reports it; a device it does not have reads as an
// empty socket.
protocol::CardRecord CardOf(const ActionContext& context) {
  const CardDescription* card =
      FindCard(context.unit.description.settings.live, context.request.device);
  return card ? card->card : protocol::CardRecord{};
}

bool SendCard(ActionContext& context, const protocol::CardRecord& card) {
  context.notes.push_back("status 1, " + (card.present ? "card of " + context.request.device
                                                      : "no card at " + context.request.device));
  return context.channel.SendReply(protocol::kStatusOk) &&
         context.channel.Send(protocol::EncodeCardRecord(card));
}

}  // namespace

Outcome HandleCardInfo(ActionContext& context) {
  return SendCard(context, CardOf(context)) ? Outcome::kFinish : Outcome::kClose;
}

Outcome HandleAssociations(ActionContext& context) {
  protocol::CardRecord card = CardOf(context);
  if (!SendCard(context, card)) return Outcome::kClose;
  const std::uint32_t index = context.request.value;
  // The client refuses these after reading the card, and closes.
  if (!card.present || card.mode != protocol::kModeMaster || card.clients < index) {
    context.notes.push_back(!card.present ? "no card, client refuses"
                            : card.mode != protocol::kModeMaster
                                ? "not an access point, client refuses"
                                : "index " + std::to_string(index) + " beyond " +
                                      std::to_string(card.clients) + " clients, client refuses");
    return Outcome::kClose;
  }

  const auto& stations =
      FindCard(context.unit.description.settings.live, context.request.device)->stations;
  std::size_t first = index == 0 ? 0 : index - 1;
  if (stations.empty()) {
    // An empty table still ends with a record that carries the end flag.
    protocol::AssociationRecord end;
    end.end = 1;
    context.notes.push_back("no stations");
    return context.channel.Send(protocol::EncodeAssociationRecord(end)) ? Outcome::kFinish
                                                                      : Outcome::kClose;
  }
  for (std::size_t i = first; i < stations.size(); ++i) {
    protocol::AssociationRecord record = stations[i];
    record.end = i + 1 == stations.size() ? 1 : 0;
    if (!context.channel.Send(protocol::EncodeAssociationRecord(record))) {
      context.notes.push_back("connection broken during the association table");
      return Outcome::kClose;
    }
  }
  context.notes.push_back("stations " + std::to_string(first + 1) + " to " +
                          std::to_string(stations.size()));
  return Outcome::kFinish;
}

}  // namespace unitsim
