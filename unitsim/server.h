// The simulator's server: one listening socket per unit, one accepting
// thread for all of them, and a thread per connection (up to a cap).
//
// Under load and abuse: every waiting connection is accepted at once (the
// listen queue is the system's longest); a client has 60 s to log in and
// 60 s for each message after that (SessionLimits); and when all
// connections are taken, a new one takes the place of the oldest
// connection that has had more than 2 s to log in and has not, so clients
// that never log in cannot lock the real ones out.
#pragma once

#include <atomic>
#include <chrono>
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
  int ioTimeoutMs = 60000;          // each message must arrive within this, each send go out
  int loginTimeoutMs = 60000;       // from the connection to the accepted login
  int loginGraceMs = 2000;          // after this, a connection not logged in may make room
  std::size_t maxConnections = 256;
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
  std::size_t activeConnections();

 private:
  struct Worker {
    std::thread thread;
    sock::Handle socket = sock::kNone;  // kNone once the worker closed it
    std::atomic<bool> done{false};
    std::atomic<bool> loggedIn{false};
    bool dropped = false;  // shut down to make room; it ends by itself
    std::chrono::steady_clock::time_point accepted;
  };

  void AcceptLoop();
  // False when no connection could be taken.
  bool Admit(std::size_t unitIndex, sock::Handle listener);
  void Serve(Worker& worker, std::size_t unitIndex, std::string peer);
  void ReapFinished();  // called with mutex_ held
  // With mutex_ held: a place for one more connection, made if need be by
  // dropping the oldest that has not logged in within its grace.
  bool MakeRoom(const std::string& what);

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
