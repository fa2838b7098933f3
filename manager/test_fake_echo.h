// An echo service for the tests: answers from a table instead of the
// network, and resolves no names.
#pragma once

#include <arpa/inet.h>
#include <gtest/gtest.h>

#include <map>
#include <mutex>
#include <string>

#include "echo_status.h"
#include "icmp.h"

namespace halvex {

class FakeEcho : public EchoService {
 public:
  // The reply a host number of the block gives; hosts not listed time out.
  std::map<int, EchoReply> replies;
  bool refuseHandles = false;

  static EchoReply Answer(std::int64_t microseconds) { return {true, echo::kSuccess, microseconds}; }
  static EchoReply Failure(int status) { return {false, status, 0}; }

  std::unique_ptr<EchoHandle> Open() override {
    if (refuseHandles) return nullptr;
    return std::make_unique<Handle>(*this);
  }
  std::string ResolveName(const std::string& name) override {
    std::lock_guard lock(mutex_);
    lookups.push_back(name);
    return {};
  }
  std::vector<std::string> lookups;
  int sent() {
    std::lock_guard lock(mutex_);
    return sent_;
  }

 private:
  class Handle : public EchoHandle {
   public:
    explicit Handle(FakeEcho& owner) : owner_(owner) {}
    EchoReply Send(std::uint32_t address, std::string_view payload, int) override {
      EXPECT_EQ(payload, "abcdefghijklmnop");
      std::lock_guard lock(owner_.mutex_);
      ++owner_.sent_;
      int host = static_cast<int>(ntohl(address) & 0xFF);
      auto it = owner_.replies.find(host);
      return it == owner_.replies.end() ? Failure(echo::kTimedOut) : it->second;
    }

   private:
    FakeEcho& owner_;
  };

  std::mutex mutex_;
  int sent_ = 0;
};

}  // namespace halvex
