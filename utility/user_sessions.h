// PPP and hotspot user sessions: -list_ppp (action 18), -list_hot and
// -list_hot_simple (19), -dis_ppp (48), -dis_hot_user (53), -dis_hot_ip (54).
//
// For the lists, the server sends session records after the first
// ReplyFrame with status 1, ended by a record whose end flag is set; that
// record is not printed.  For the disconnects the client sends one message
// after the first reply and the server answers with the final ReplyFrame
// ("No active session by this name" when nothing matched).  The records and
// messages are described in session_records.h.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "connection.h"
#include "session_records.h"

namespace velkor {

using namespace protocol;

// "0s" for 0 or less, else "1d 1h 1m 1s" with the parts that are not 0
// (a whole hour gives "1h " with its trailing blank).
std::string DurationText(std::int32_t seconds);

// The printed forms, each line with its newline.
std::string PppListHeader();
std::string PppRowText(const PppSessionRecord& r);
std::string HotspotFullText(const HotspotSessionRecord& r, int number);
std::string HotspotSimpleText(const HotspotSessionRecord& r);

// The list exchanges; false when a record cannot be received completely.
bool ListPppSessions(Connection& connection);
bool ListHotspotSessions(Connection& connection, bool simple);

// The disconnect messages, sent with one SendAll each.  On a short send they
// print "unable to send ppp username to server" or "unable to send hotspot
// ipaddr to server" and return false.
bool SendUserName(Connection& connection, std::string_view name);
// address is in network byte order, as inet_addr gives it.
bool SendHotspotAddress(Connection& connection, std::uint32_t address);

}  // namespace velkor
