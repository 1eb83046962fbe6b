// The output relay against a reader that stops: printing never waits (without
// the relay the loop below would hang), lines beyond the bounded queue are
// dropped, and once the reader reads again it gets every line kept, in order,
// with the count of each run of dropped lines in its place. And what a process
// writes right before it aborts still comes out.
#include "OutputRelay.h"

#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <thread>

// A child that writes its last words to stderr and aborts at once.
static int lastWordsBeforeAbort() {
  int reader[2];
  if (pipe(reader) != 0) return 2;
  pid_t child = fork();
  if (child == 0) {
    if (dup2(reader[1], 2) != 2 || StartOutputRelay() != 0) _exit(2);
    close(reader[0]);
    close(reader[1]);
    fprintf(stderr, "last words\n");
    abort();
  }
  close(reader[1]);
  std::string out;
  char buffer[256];
  for (ssize_t length; (length = read(reader[0], buffer, sizeof buffer)) > 0;) out.append(buffer, length);
  int status = 0;
  waitpid(child, &status, 0);
  if (out == "last words\n" && WIFSIGNALED(status) && WTERMSIG(status) == SIGABRT) return 0;
  fprintf(stderr, "before abort: \"%s\", status %#x\n", out.c_str(), status);
  return 1;
}

int main() {
  if (lastWordsBeforeAbort() != 0) return 1;
  int reader[2];
  if (pipe(reader) != 0 || dup2(reader[1], 1) != 1 || StartOutputRelay() != 0) return 2;
  close(reader[1]);
  setvbuf(stdout, NULL, _IOLBF, 0);
  const int printed = 5000;
  std::string padding(90, '.');
  for (int i = 0; i < printed; ++i) printf("line %04d %s\n", i, padding.c_str());  // nobody reads yet

  std::string out;
  std::thread drain([&] {
    char buffer[65536];
    ssize_t length;
    while ((length = read(reader[0], buffer, sizeof buffer)) > 0) out.append(buffer, length);
  });
  FlushOutputRelay(5.0);
  close(OutputRelayTarget(1));  // the relay's end of `reader`: the drain sees its end
  drain.join();

  // Each count of dropped lines stands exactly for the gap it fills.
  int next = 0, kept = 0, notes = 0;
  for (size_t at = 0, end; (end = out.find('\n', at)) != std::string::npos; at = end + 1) {
    unsigned long dropped = 0;
    if (out.compare(at, 5, "line ") == 0 && atoi(out.c_str() + at + 5) == next) {
      ++next, ++kept;
    } else if (sscanf(out.c_str() + at, "keywatchd: %lu lines dropped while the output was blocked\n", &dropped) == 1) {
      next += dropped, ++notes;
    } else {
      return dprintf(OutputRelayTarget(2), "unexpected after line %d: %.40s\n", next, out.c_str() + at), 1;
    }
  }
  dprintf(OutputRelayTarget(2), "%d lines kept of %d, %d counts of dropped lines\n", kept, printed, notes);
  return next == printed && notes > 0 && kept < printed ? 0 : 1;
}
