#include "block_stream.h"

#include <algorithm>
#include <vector>

#include "frames.h"

namespace unitsim {

namespace {

using protocol::kBlockPayloadSize;
using protocol::kDataBlockSize;

constexpr std::size_t kBlocksPerBatch = 44;  // about 64 KiB

// Fills out with whole blocks taken from next(), which writes up to 1460
// bytes and gives how many; sends them in batches.
template <typename Next>
bool SendBatches(Channel& channel, std::uint64_t size, Next next) {
  std::vector<std::uint8_t> batch(kBlocksPerBatch * kDataBlockSize);
  std::uint64_t left = size;
  bool first = true;
  while (left > 0) {
    std::size_t used = 0;
    for (std::size_t i = 0; i < kBlocksPerBatch && left > 0; ++i) {
      std::uint8_t* block = batch.data() + used;
      std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(left, kBlockPayloadSize));
      std::size_t got = next(block + 2, want);
      if (got == 0) return false;
      std::fill(block + 2 + got, block + kDataBlockSize, 0);
      protocol::PutU16(block, static_cast<std::uint16_t>(got));
      used += kDataBlockSize;
      left -= got;
    }
    // The first batch is the message; the rest follow without a new delay.
    std::span<const std::uint8_t> bytes(batch.data(), used);
    if (!(first ? channel.Send(bytes) : channel.SendMore(bytes))) return false;
    first = false;
  }
  return true;
}

}  // namespace

const char* BlockResultText(BlockResult result) {
  switch (result) {
    case BlockResult::kComplete: return "complete";
    case BlockResult::kBroken: return "connection broken";
    case BlockResult::kMalformed: return "malformed block";
    case BlockResult::kOverrun: return "blocks past the announced size";
    case BlockResult::kRefused: return "not stored";
    case BlockResult::kDropped: return "connection dropped on purpose";
  }
  return "?";
}

bool IsRefusal(BlockResult result) {
  return result != BlockResult::kComplete && result != BlockResult::kBroken &&
         result != BlockResult::kDropped;
}

BlockResult ReceiveBlocks(Channel& channel, std::uint32_t total, const BlockSink& sink,
                          std::int64_t dropAfterBytes) {
  std::vector<std::uint8_t> batch(kBlocksPerBatch * kDataBlockSize);
  std::uint32_t left = total;
  std::uint64_t taken = 0;
  while (left > 0) {
    std::size_t due = (left + kBlockPayloadSize - 1) / kBlockPayloadSize;
    std::size_t count = std::min(due, kBlocksPerBatch) * kDataBlockSize;
    if (dropAfterBytes >= 0 && taken + count > static_cast<std::uint64_t>(dropAfterBytes)) {
      // The bytes before the drop are taken; the connection ends there.
      std::size_t last = static_cast<std::size_t>(static_cast<std::uint64_t>(dropAfterBytes) - taken);
      channel.ReceiveExact(batch.data(), last);
      return BlockResult::kDropped;
    }
    if (!channel.ReceiveExact(batch.data(), count)) return BlockResult::kBroken;
    taken += count;
    for (std::size_t at = 0; at < count; at += kDataBlockSize) {
      std::uint16_t length = protocol::GetU16(batch.data() + at);
      if (length == 0 || length > kBlockPayloadSize) return BlockResult::kMalformed;
      if (length > left) return BlockResult::kOverrun;
      if (!sink(batch.data() + at + 2, length)) return BlockResult::kRefused;
      left -= length;
    }
  }
  return BlockResult::kComplete;
}

bool SendFileBlocks(Channel& channel, std::FILE* file, std::uint32_t size) {
  return SendBatches(channel, size, [file](std::uint8_t* out, std::size_t want) {
    return std::fread(out, 1, want, file);
  });
}

bool SendTextBlocks(Channel& channel, std::string_view text) {
  std::size_t at = 0;
  return SendBatches(channel, text.size(), [&](std::uint8_t* out, std::size_t want) {
    std::copy_n(text.data() + at, want, out);
    at += want;
    return want;
  });
}

}  // namespace unitsim
