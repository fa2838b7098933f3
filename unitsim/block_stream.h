// Moving bytes in DataBlocks on the server's side, several blocks per
// system call: a download goes out in batches of whole blocks, an upload
// is read in batches no longer than the blocks still due.
#pragma once

#include <cstdint>
#include <cstdio>
#include <functional>
#include <string_view>

#include "channel.h"

namespace unitsim {

enum class BlockResult {
  kComplete,   // the blocks added up to the announced count
  kBroken,     // the connection ended or stalled
  kMalformed,  // a block with a length of 0 or above 1460
  kOverrun,    // the blocks went past the announced count
  kRefused,    // the sink refused a payload (e.g. a failed write)
  kDropped,    // the unit dropped the connection on purpose (a fault)
};

const char* BlockResultText(BlockResult result);
// True for the results after which the unit still answers (with a
// failure); the others end the connection.
bool IsRefusal(BlockResult result);

using BlockSink = std::function<bool(const std::uint8_t* data, std::size_t count)>;

// Receives blocks until their lengths add up to total.  A client can only
// send more bytes than the blocks due need, never fewer, so reading that
// many at once never waits for data the client does not owe.  A unit whose
// link drops (dropAfterBytes, when not negative) stops taking the upload
// after that many bytes: kDropped.
BlockResult ReceiveBlocks(Channel& channel, std::uint32_t total, const BlockSink& sink,
                          std::int64_t dropAfterBytes = -1);

// Sends size bytes read from file in full blocks (the last one shorter).
// False when the connection broke or the file gave fewer bytes.
bool SendFileBlocks(Channel& channel, std::FILE* file, std::uint32_t size);
bool SendTextBlocks(Channel& channel, std::string_view text);

}  // namespace unitsim
