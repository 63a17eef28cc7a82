// Starts the browser (xdg-open, or the given command) with the URL as its one
// argument, through fork and execvp: no shell sees the URL and its '&'s.
#include "platform/browser.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace bw::net {

bool OpenBrowser(const std::string& url, const std::string& command) {
  const std::string program = command.empty() ? std::string("xdg-open") : command;
  // A pipe closed on exec tells whether execvp succeeded: the child writes
  // to it only when it failed.
  int report[2];
  if (pipe2(report, O_CLOEXEC) != 0) return false;
  // The grandchild runs the browser, so that nothing is left to reap and the
  // caller does not wait for it to end.
  const pid_t child = fork();
  if (child < 0) {
    close(report[0]);
    close(report[1]);
    return false;
  }
  if (child == 0) {
    close(report[0]);
    const pid_t browser = fork();
    if (browser != 0) _exit(browser < 0 ? 1 : 0);
    setsid();
    const char* argv[] = {program.c_str(), url.c_str(), nullptr};
    execvp(argv[0], const_cast<char* const*>(argv));
    const char failed = 1;
    ssize_t ignored = write(report[1], &failed, 1);
    (void)ignored;
    _exit(127);
  }
  close(report[1]);
  int status = 0;
  waitpid(child, &status, 0);
  char failed = 0;
  const ssize_t got = read(report[0], &failed, 1);
  close(report[0]);
  return WIFEXITED(status) && WEXITSTATUS(status) == 0 && got == 0;
}

}  // namespace bw::net
