// The password digest of the login: the client's answer to the challenge in
// the server's hello.
#pragma once

#include <string_view>

#include "frames.h"

namespace protocol {

// The password copied into 32 bytes as strncpy does (no terminator when it
// is 32 characters or longer, zeros after a shorter one), enciphered with
// RC4 keyed by the 8 challenge bytes.  The server computes the same block
// from the password it knows and compares.
PasswordDigest MakePasswordDigest(std::string_view password, const Challenge& challenge);

}  // namespace protocol
