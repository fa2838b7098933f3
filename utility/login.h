// The login that opens every connection: the server's hello carries a
// challenge, the client answers with its password enciphered under it.
#pragma once

#include <string_view>

#include "connection.h"
#include "frames.h"

namespace velkor {

// The password copied into 32 bytes as strncpy does (no terminator when it
// is 32 characters or longer), enciphered with RC4 keyed by the challenge.
PasswordDigest MakePasswordDigest(std::string_view password, const Challenge& challenge);

// Runs the handshake; prints the reason on failure.
bool Login(Connection& connection, std::string_view password);

}  // namespace velkor
