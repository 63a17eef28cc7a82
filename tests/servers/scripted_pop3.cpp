// The scripted POP3 server of the tests.
#include "tests/servers/scripted_pop3.h"

#include <algorithm>

#include <chrono>

#include "platform/socket.h"

namespace bw_test {
namespace {

namespace net = bw::net;

// Reads one line up to LF (at most 4 KB); false when the peer closed or
// nothing came within the limit.
bool ReadLine(net::SocketHandle s, std::string& line, int timeoutMs) {
  line.clear();
  while (line.size() < 4096) {
    if (net::WaitReadable(s, timeoutMs) != 1) return false;
    char c;
    if (net::Receive(s, &c, 1) != 1) return false;
    line += c;
    if (c == '\n') break;
  }
  while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
  return true;
}

bool SendAll(net::SocketHandle s, const std::string& bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    int n = net::Send(s, bytes.data() + done, static_cast<int>(bytes.size() - done));
    if (n <= 0) return false;
    done += static_cast<size_t>(n);
  }
  return true;
}

}  // namespace

ScriptedPop3Server::ScriptedPop3Server(std::vector<Pop3Script> connections) {
  int version;
  net::Startup(&version);
  listener_ = net::ListenLoopback(&port_, 8);
  thread_ = std::thread([this, c = std::move(connections)]() mutable { Run(std::move(c)); });
}

ScriptedPop3Server::~ScriptedPop3Server() {
  JoinAll();
  if (listener_ != net::kInvalidSocket) net::Close(listener_);
  net::Cleanup();
}

void ScriptedPop3Server::Run(std::vector<Pop3Script> connections) {
  for (const Pop3Script& script : connections) {
    if (net::WaitReadable(listener_, 10000) != 1) return;
    net::SocketHandle s = net::Accept(listener_);
    if (s == net::kInvalidSocket) return;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      ++connections_;
    }
    // Detach: the rest of this connection plays on its own thread while the
    // next connection is awaited.
    auto detach = std::find_if(script.begin(), script.end(),
                               [](const Pop3Action& a) { return a.kind == Pop3Action::Detach; });
    Play(s, Pop3Script(script.begin(), detach), detach == script.end());
    if (detach == script.end()) continue;
    Pop3Script rest(detach + 1, script.end());
    std::lock_guard<std::mutex> lock(mutex_);
    detached_.emplace_back([this, s, rest] { Play(s, rest, true); });
  }
}

void ScriptedPop3Server::Play(net::SocketHandle s, const Pop3Script& script, bool finish) {
  bool open = true;
  for (const Pop3Action& a : script) {
    if (!open) break;
    switch (a.kind) {
      case Pop3Action::Say:
        SendAll(s, a.bytes);
        break;
      case Pop3Action::Hear: {
        std::string line;
        if (!ReadLine(s, line, 10000)) {
          open = false;
          break;
        }
        std::lock_guard<std::mutex> lock(mutex_);
        heard_.push_back(line);
        break;
      }
      case Pop3Action::Trickle:
        for (char c : a.bytes) {
          if (net::Send(s, &c, 1) != 1) break;
          std::this_thread::sleep_for(std::chrono::milliseconds(a.ms));
        }
        break;
      case Pop3Action::Generate: {
        std::string batch;
        for (int i = 1; i <= a.count && open; ++i) {
          batch += a.make(i);
          if (batch.size() < 65536 && i < a.count) continue;
          open = SendAll(s, batch);
          batch.clear();
        }
        break;
      }
      case Pop3Action::Pause:
        std::this_thread::sleep_for(std::chrono::milliseconds(a.ms));
        break;
      case Pop3Action::Hangup:
        open = false;
        break;
      case Pop3Action::Detach:
        break;
    }
  }
  if (!finish && open) return;
  // Anything the client still sends before it closes.
  std::string line;
  while (open && ReadLine(s, line, 3000)) {
    std::lock_guard<std::mutex> lock(mutex_);
    heard_.push_back(line);
  }
  net::Close(s);
}

void ScriptedPop3Server::JoinAll() {
  if (thread_.joinable()) thread_.join();
  // No connection detaches once the main thread has ended.
  for (std::thread& t : detached_)
    if (t.joinable()) t.join();
}

std::vector<std::string> ScriptedPop3Server::Transcript() {
  JoinAll();
  std::lock_guard<std::mutex> lock(mutex_);
  return heard_;
}

int ScriptedPop3Server::connectionsSeen() {
  std::lock_guard<std::mutex> lock(mutex_);
  return connections_;
}

}  // namespace bw_test
