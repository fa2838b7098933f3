#include "server.h"

#include <map>
#include <system_error>

#include "session.h"

namespace unitsim {

std::optional<std::string> FindClash(const LabDescription& lab, const ServerOptions& options) {
  std::map<std::pair<std::string, std::uint16_t>, const UnitDescription*> taken;
  for (const UnitDescription& unit : lab.units) {
    std::string address = options.bind.value_or(unit.address);
    std::uint16_t port = options.port.value_or(unit.settings.port);
    if (port == 0) continue;  // each gets a port of its own
    auto [at, fresh] = taken.emplace(std::make_pair(address, port), &unit);
    if (!fresh) {
      return "units '" + at->second->name + "' and '" + unit.name + "' would both listen on " +
             address + ":" + std::to_string(port) + " (use --port 0 or distinct ports)";
    }
  }
  return std::nullopt;
}

Server::Server(const LabDescription& lab, ServerOptions options, RequestLog& log)
    : options_(std::move(options)), log_(log) {
  for (const UnitDescription& unit : lab.units) {
    units_.push_back(std::make_unique<Unit>(unit));
  }
}

Server::~Server() {
  Stop();
  for (sock::Handle listener : listeners_) sock::Close(listener);
}

bool Server::Listen(std::string& error) {
  for (const auto& unit : units_) {
    std::string address = options_.bind.value_or(unit->description.address);
    std::uint16_t port = options_.port.value_or(unit->description.settings.port);
    std::string reason;
    sock::Handle listener = sock::Listen(address, port, reason);
    if (listener == sock::kNone) {
      error = "cannot listen on " + address + ":" + std::to_string(port) + " for unit '" +
              unit->description.name + "': " + reason;
      for (sock::Handle opened : listeners_) sock::Close(opened);
      listeners_.clear();
      endpoints_.clear();
      return false;
    }
    listeners_.push_back(listener);
    endpoints_.push_back(Endpoint{address, sock::LocalPort(listener), unit->description.name});
  }
  return true;
}

void Server::Start() { acceptor_ = std::thread([this] { AcceptLoop(); }); }

void Server::Stop() {
  if (stopping_.exchange(true)) return;
  waker_.Wake();
  if (acceptor_.joinable()) acceptor_.join();
  std::list<Worker> workers;
  {
    std::lock_guard lock(mutex_);
    for (Worker& worker : workers_) {
      if (worker.socket != sock::kNone) sock::Abort(worker.socket);
    }
    workers.splice(workers.end(), workers_);
  }
  for (Worker& worker : workers) worker.thread.join();
}

std::size_t Server::activeConnections() {
  std::lock_guard lock(mutex_);
  ReapFinished();
  return workers_.size();
}

void Server::AcceptLoop() {
  std::vector<sock::Handle> handles = listeners_;
  handles.push_back(waker_.handle());
  while (!stopping_) {
    // The time-out only bounds how long finished threads wait to be joined.
    std::vector<sock::Handle> ready = sock::WaitReadable(handles, 1000);
    if (stopping_) break;
    bool acceptedAny = false;
    bool gaveNone = false;
    for (sock::Handle handle : ready) {
      for (std::size_t i = 0; i < listeners_.size(); ++i) {
        if (listeners_[i] != handle) continue;
        // Everything that waits in the queue, so that a burst of clients
        // is not left waiting on a greeting that never comes.
        int taken = 0;
        while (!stopping_ && Admit(i, handle)) ++taken;
        if (taken == 0) gaveNone = true;
        acceptedAny = acceptedAny || taken > 0;
      }
    }
    // A listener that stays readable but gives no connection (out of file
    // handles, say) would make this loop spin: pause a little.
    if (gaveNone && !acceptedAny) sock::WaitReadable(std::span(&handles.back(), 1), 50);
    std::lock_guard lock(mutex_);
    ReapFinished();
  }
}

bool Server::Admit(std::size_t unitIndex, sock::Handle listener) {
  std::string peer;
  sock::Handle socket = sock::Accept(listener, peer);
  if (socket == sock::kNone) return false;
  Unit& unit = *units_[unitIndex];
  const Endpoint& at = endpoints_[unitIndex];
  std::string listen = at.address + ":" + std::to_string(at.port);
  if (unit.state.Refusing()) {
    sock::Close(socket);
    log_.Write(listen + " " + unit.description.name + " from " + peer +
               ": refused, the unit is rebooting");
    return true;
  }
  std::lock_guard lock(mutex_);
  ReapFinished();
  if (!MakeRoom(listen + " " + unit.description.name)) {
    sock::Close(socket);
    log_.Write(listen + " " + unit.description.name + " from " + peer +
               ": refused, too many connections");
    return true;
  }
  sock::SetSendTimeout(socket, options_.ioTimeoutMs);
  Worker& worker = workers_.emplace_back();
  worker.socket = socket;
  worker.accepted = std::chrono::steady_clock::now();
  try {
    worker.thread =
        std::thread([this, &worker, unitIndex, peer] { Serve(worker, unitIndex, peer); });
  } catch (const std::system_error&) {
    sock::Close(socket);
    workers_.pop_back();
    log_.Write(listen + " " + unit.description.name + " from " + peer +
               ": refused, no thread could be started");
  }
  return true;
}

bool Server::MakeRoom(const std::string& what) {
  std::size_t live = 0;
  Worker* oldest = nullptr;
  const auto graceOver =
      std::chrono::steady_clock::now() - std::chrono::milliseconds(options_.loginGraceMs);
  for (Worker& worker : workers_) {
    if (worker.dropped || worker.done) continue;
    ++live;
    if (!worker.loggedIn && worker.accepted <= graceOver &&
        (oldest == nullptr || worker.accepted < oldest->accepted))
      oldest = &worker;
  }
  if (live < options_.maxConnections) return true;
  if (oldest == nullptr) return false;  // a live worker still holds its socket
  sock::Abort(oldest->socket);
  oldest->dropped = true;
  log_.Write(what + ": the oldest connection that did not log in is dropped to make room");
  return true;
}

void Server::Serve(Worker& worker, std::size_t unitIndex, std::string peer) {
  const Endpoint& at = endpoints_[unitIndex];
  SessionLimits limits;
  limits.login = std::chrono::milliseconds(options_.loginTimeoutMs);
  limits.idle = std::chrono::milliseconds(options_.ioTimeoutMs);
  ServeConnection(*units_[unitIndex], worker.socket, at.address + ":" + std::to_string(at.port),
                  peer, log_, limits, &worker.loggedIn);
  std::lock_guard lock(mutex_);
  sock::Close(worker.socket);
  worker.socket = sock::kNone;
  worker.done = true;
}

void Server::ReapFinished() {
  for (auto it = workers_.begin(); it != workers_.end();) {
    if (it->done) {
      it->thread.join();
      it = workers_.erase(it);
    } else {
      ++it;
    }
  }
}

}  // namespace unitsim
