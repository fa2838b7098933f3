// The login that opens every connection: the server's hello carries a
// challenge, the client answers with its password enciphered under it.
#pragma once

#include <string_view>

#include "connection.h"
#include "frames.h"

namespace velkor {

using namespace protocol;

// Runs the handshake; prints the reason on failure.
bool Login(Connection& connection, std::string_view password);

}  // namespace velkor
