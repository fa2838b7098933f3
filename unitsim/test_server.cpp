#include "test_server.h"

namespace unitsim::test {

void ServerFixture::Serve(const std::string& text, ServerOptions options) {
  lab_ = ParseDescription(text, "lab.toml", "/tmp");
  logFile_ = std::tmpfile();
  ASSERT_NE(logFile_, nullptr);
  log_ = std::make_unique<RequestLog>(logFile_);
  options.port = 0;
  options.bind = "127.0.0.1";
  server_ = std::make_unique<Server>(lab_, options, *log_);
  std::string error;
  ASSERT_TRUE(server_->Listen(error)) << error;
  server_->Start();
  port_ = server_->endpoints()[0].port;
}

void ServerFixture::TearDown() {
  server_.reset();
  if (logFile_ != nullptr) std::fclose(logFile_);
  logFile_ = nullptr;
}

std::string ServerFixture::LogText() {
  std::fflush(logFile_);
  std::rewind(logFile_);
  std::string text;
  char buffer[4096];
  std::size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, logFile_)) > 0) text.append(buffer, n);
  return text;
}

}  // namespace unitsim::test
