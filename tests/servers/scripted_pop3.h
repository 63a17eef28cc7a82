// A scripted POP3 server on 127.0.0.1 for the tests: each accepted connection
// plays one script of replies and pauses, and every line the client sends is
// recorded, so a test can compare the whole command transcript.
#pragma once
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace bw_test {

struct Pop3Action {
  // Detach: the rest of the connection's script plays on a thread of its
  // own while the server goes on to the next connection.
  enum Kind { Say, Hear, Pause, Hangup, Trickle, Generate, Detach } kind = Say;
  std::string bytes;  // Say, Trickle: sent as they are
  int ms = 0;         // Pause; Trickle: the pause after each byte
  // Generate: lines make(1) .. make(count), made as they are sent, so that
  // a huge listing never stands in the server's memory.
  std::function<std::string(int)> make;
  int count = 0;
};
using Pop3Script = std::vector<Pop3Action>;

inline Pop3Action Action(Pop3Action::Kind kind, std::string bytes = {}, int ms = 0) {
  Pop3Action a;
  a.kind = kind;
  a.bytes = std::move(bytes);
  a.ms = ms;
  return a;
}
inline Pop3Action Say(std::string bytes) { return Action(Pop3Action::Say, std::move(bytes)); }
// Say with CR LF added.
inline Pop3Action Reply(const std::string& line) { return Say(line + "\r\n"); }
inline Pop3Action Hear() { return Action(Pop3Action::Hear); }
inline Pop3Action Pause(int ms) { return Action(Pop3Action::Pause, {}, ms); }
inline Pop3Action Hangup() { return Action(Pop3Action::Hangup); }
inline Pop3Action Detach() { return Action(Pop3Action::Detach); }
// Sends the bytes one at a time (one packet each), pausing `ms` after each.
inline Pop3Action Trickle(std::string bytes, int ms) {
  return Action(Pop3Action::Trickle, std::move(bytes), ms);
}
inline Pop3Action Generate(std::function<std::string(int)> make, int count) {
  Pop3Action a = Action(Pop3Action::Generate);
  a.make = std::move(make);
  a.count = count;
  return a;
}

// A greeting, then USER and PASS accepted.
inline Pop3Script LoggedIn(const std::string& greeting = "+OK ready") {
  return {Reply(greeting), Hear(), Reply("+OK"), Hear(), Reply("+OK")};
}
// `s` followed by `more`.
inline Pop3Script With(Pop3Script s, std::initializer_list<Pop3Action> more) {
  s.insert(s.end(), more);
  return s;
}

class ScriptedPop3Server {
 public:
  // One script per expected connection, in order.
  explicit ScriptedPop3Server(std::vector<Pop3Script> connections);
  ~ScriptedPop3Server();
  ScriptedPop3Server(const ScriptedPop3Server&) = delete;
  ScriptedPop3Server& operator=(const ScriptedPop3Server&) = delete;

  std::uint16_t port() const { return port_; }
  std::string service() const { return std::to_string(port_); }
  // Waits until every connection has been played (at most a few seconds)
  // and returns the lines heard, without CR LF. After a script ends the
  // server keeps reading until the client closes, so unexpected extra
  // commands show up too.
  std::vector<std::string> Transcript();
  int connectionsSeen();

 private:
  void Run(std::vector<Pop3Script> connections);
  // Plays `script` on `s`; with `finish`, reads what the client still sends
  // and closes the connection.
  void Play(std::uintptr_t s, const Pop3Script& script, bool finish);
  void JoinAll();
  std::uintptr_t listener_;
  std::uint16_t port_ = 0;
  std::mutex mutex_;
  std::vector<std::string> heard_;
  int connections_ = 0;
  std::thread thread_;
  std::vector<std::thread> detached_;  // guarded by mutex_ while Run adds to it
};

}  // namespace bw_test
