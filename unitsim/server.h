// The simulator's server: one listening socket per unit, one accepting
// thread for all of them, and a thread per connection (up to a cap).
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <list>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "description.h"
#include "request_log.h"
#include "server_socket.h"
#include "unit.h"

namespace unitsim {

struct ServerOptions {
  std::optional<std::uint16_t> port;  // every unit on this port (0: system's choice)
  std::optional<std::string> bind;    // every unit on this address
  int io_timeout_ms = 60000;          // a client silent this long is dropped
  std::size_t max_connections = 256;
};

// Where a unit listens once the server runs.
struct Endpoint {
  std::string address;
  std::uint16_t port = 0;
  std::string name;
};

// Two units that would listen on the same address and port once the
// options are applied; gives the message, or nothing when there is none.
std::optional<std::string> FindClash(const LabDescription& lab, const ServerOptions& options);

class Server {
 public:
  Server(const LabDescription& lab, ServerOptions options, RequestLog& log);
  ~Server();
  Server(const Server&) = delete;
  Server& operator=(const Server&) = delete;

  // Opens every unit's listening socket.  On failure gives a message that
  // names the address and port, and opens nothing.
  bool Listen(std::string& error);
  // Accepts connections from now on, on a thread of its own.
  void Start();
  // Stops accepting, ends every connection and waits for their threads.
  void Stop();

  const std::vector<Endpoint>& endpoints() const { return endpoints_; }
  Unit& unit(std::size_t index) { return *units_[index]; }
  std::size_t active_connections();

 private:
  struct Worker {
    std::thread thread;
    sock::Handle socket = sock::kNone;  // kNone once the worker closed it
    std::atomic<bool> done{false};
  };

  void AcceptLoop();
  // False when no connection could be taken.
  bool Admit(std::size_t unit_index, sock::Handle listener);
  void Serve(Worker& worker, std::size_t unit_index, std::string peer);
  void ReapFinished();  // called with mutex_ held

  ServerOptions options_;
  RequestLog& log_;
  std::vector<std::unique_ptr<Unit>> units_;
  std::vector<Endpoint> endpoints_;
  std::vector<sock::Handle> listeners_;
  sock::Waker waker_;
  std::thread acceptor_;
  std::atomic<bool> stopping_{false};
  std::mutex mutex_;
  std::list<Worker> workers_;
};

}  // namespace unitsim
