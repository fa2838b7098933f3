// Test support: a fixture that runs the unit's server for one lab on
// 127.0.0.1 and a free port, with its request log in a temporary file.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

#include "description.h"
#include "request_log.h"
#include "server.h"

namespace unitsim::test {

class ServerFixture : public ::testing::Test {
 protected:
  // Parses the lab and starts serving it; the port and bind address of
  // options are replaced.
  void Serve(const std::string& text, ServerOptions options = {});
  void TearDown() override;  // stops the server, then closes the log
  // What the server has logged so far.
  std::string LogText();

  LabDescription lab_;
  std::FILE* logFile_ = nullptr;
  std::unique_ptr<RequestLog> log_;
  std::unique_ptr<Server> server_;
  std::uint16_t port_ = 0;
};

}  // namespace unitsim::test
