// Feeds arbitrary server byte streams through the POP3 dialogue of a check:
// greeting and challenge, either login, STAT or UIDL with the new-count, and
// QUIT. The first input byte picks the account's options; the rest is what
// the server sends, in turns split at the bytes 00 FF: the first turn at
// once, each further one when a command line has arrived, then a close.
// Every stream must end in a defined result with the connection closed.
#include <sys/socket.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "checker/core/pop3_checker.h"
#include "checker/core/resolve_worker.h"
#include "common/core/log.h"
#include "platform/message_box.h"
#include "platform/stream.h"

namespace {

int SilentBox(void*, const std::string&, const std::string&, unsigned) { return bw::kIdOk; }

void Require(bool condition) {
  if (!condition) std::abort();
}

void WriteAll(int fd, const std::string& bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    ssize_t n = send(fd, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
    if (n <= 0) return;
    done += static_cast<std::size_t>(n);
  }
}

// Plays the turns: one after each command line read, then closes its side.
void Serve(int fd, std::vector<std::string> turns) {
  for (std::size_t i = 0; i < turns.size(); ++i) {
    if (i > 0) {
      char c = 0;
      do {
        if (read(fd, &c, 1) != 1) {
          shutdown(fd, SHUT_WR);
          return;
        }
      } while (c != '\n');
    }
    WriteAll(fd, turns[i]);
  }
  shutdown(fd, SHUT_WR);
  char sink[256];
  while (read(fd, sink, sizeof sink) > 0) {
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static bool once = [] {
    bw::SetMessageBoxHandler(SilentBox, nullptr);
    // Log formatting is part of what is fuzzed; the file stays small.
    bw::LogSetup("/tmp/bw-pop3-fuzz.log", 64);
    // Waits end soon: a stream that stops short costs little.
    bw::SetWaitCeilingMs(20);
    return true;
  }();
  (void)once;
  if (size == 0) return 0;
  const std::uint8_t options = data[0];
  std::vector<std::string> turns(1);
  for (std::size_t i = 1; i < size; ++i) {
    if (data[i] == 0 && i + 1 < size && data[i + 1] == 0xFF) {
      turns.emplace_back();
      ++i;
    } else {
      turns.back() += static_cast<char>(data[i]);
    }
  }

  int pair[2];
  if (socketpair(AF_UNIX, SOCK_STREAM, 0, pair) != 0) return 0;
  std::thread server(Serve, pair[1], std::move(turns));

  bw::Pop3Checker account;
  account.ConnectionName = "fuzz";
  account.UserID = "user";
  account.Password = "secret";
  account.UseAPOP = options & 3;
  account.UseUIDL = (options >> 2) & 1;
  account.DisconnectNoQuit = (options >> 3) & 1;
  account.ContinueTimeout = (options >> 4) & 1;
  account.TOofSendRecv_Sec = 0;
  account.MessageCount = (options >> 5) & 7;
  account.CheckState = bw::Pop3Checker::Communicating;
  account.AttachStream(std::make_unique<bw::net::SocketStream>(static_cast<bw::net::SocketHandle>(pair[0])));

  char line[bw::kPop3LineBufferSize];
  int rc = account.ReceiveLine(line);
  Require(std::strlen(line) <= static_cast<std::size_t>(bw::kPop3LineMax));
  if (rc == 0 && std::strncmp(line, "+OK", 3) == 0) {
    account.TakeChallenge(line);
    Require(account.Challenge.empty() ||
            (account.Challenge.front() == '<' && account.Challenge.back() == '>'));
    const bool apop = account.UseAPOP == 1 || (account.UseAPOP == 0 && !account.Challenge.empty());
    if ((apop ? account.LoginApop(line) : account.LoginUserPass(line)) == 0) {
      bw::UidlList previous;
      if (account.UseUIDL) {
        previous.Append("a", "1");
        previous.Append("b", "2");
        previous.swap(account.UidlMemory);
        int query = account.QueryUidl(line);
        if (query == 0) {
          std::int32_t fresh = bw::CountNewUids(account.UidlMemory, previous);
          Require(fresh >= 0 && static_cast<std::size_t>(fresh) <= account.UidlMemory.size());
          for (bw::UidlEntry e : account.UidlMemory)
            Require(e.number.find(' ') == std::string_view::npos &&
                    e.uid.size() <= bw::kUidMaxLength);
          if (!account.DisconnectNoQuit) account.SendCommand("QUIT", line);
        } else {
          Require(account.CheckState == bw::Pop3Checker::Suspended ||
                  account.CheckState == bw::Pop3Checker::RetryWait);
        }
      } else if (account.QueryStat(line) == 0 && !account.DisconnectNoQuit) {
        account.SendCommand("QUIT", line);
      }
    } else {
      Require(account.ErrorCause == bw::Pop3Checker::CauseAccount);
    }
  }
  account.Disconnect();
  Require(!account.Connected() && account.UnreadBytes() == 0);
  server.join();
  close(pair[1]);
  return 0;
}
