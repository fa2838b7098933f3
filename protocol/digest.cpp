#include "digest.h"

#include <algorithm>

#include "rc4.h"

namespace protocol {

PasswordDigest MakePasswordDigest(std::string_view password, const Challenge& challenge) {
  PasswordDigest block{};
  std::copy_n(password.begin(), std::min(password.size(), block.size()), block.begin());
  Rc4 cipher(challenge);
  cipher.Apply(block);
  return block;
}

}  // namespace protocol
