// Wireless card and association information: -ci (action 16) prints one
// card's link information, -ai (action 17) the stations associated with a
// card that works as an access point.
//
// The records themselves are described in wireless_records.h; a failed
// receive of any of them ends the exchange.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "connection.h"
#include "wireless_records.h"

namespace velkor {

using namespace protocol;

// "Atheros 5212", "Intersil Prism II", ... "unknown".
std::string CardName(std::uint8_t type, std::uint8_t variant);
// "IEEE 802.11-OFDM" for Atheros cards, "IEEE 802.11-DS" for all others.
std::string RadioName(std::uint8_t type);

// Rate in units of 100 kbit/s as whole Mbit/s, except 55 and 60: "5.5".
std::string RateText(std::uint8_t rate);
// Idle seconds: "59s", "1:01m", "1:01h", "1:01d".
std::string IdleText(std::int32_t seconds);

// The link information lines of -ci, exactly as printed.
std::string CardInfoText(const CardRecord& card, std::string_view device);
void PrintCardInfo(const CardRecord& card, std::string_view device);

inline constexpr const char* kAssociationHeader =
    "     Client Name     MAC Address       IP Address        Q    S    N  R    Idle\n";

// One station's row, with its details row when details is set, each
// ending in a newline.  The card type chooses the level conversions.
std::string AssociationText(const AssociationRecord& record, const CardRecord& card,
                            int number, bool details);
// Prints AssociationText with the association details switch.
void PrintAssociation(const AssociationRecord& record, const CardRecord& card, int number,
                      bool details);

// The exchanges after the first reply.  Both fail on a short receive; the
// association list also fails, with its message, when the card is missing,
// is not an access point or has fewer clients than the index asks for.
bool ShowCardInfo(Connection& connection, std::string_view device);
bool ShowAssociations(Connection& connection, std::string_view device, std::uint32_t index,
                      bool details);

}  // namespace velkor
