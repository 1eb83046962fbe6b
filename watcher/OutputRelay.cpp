#include "OutputRelay.h"

#include <errno.h>
#include <fcntl.h>
#include <initializer_list>
#include <poll.h>
#include <pthread.h>
#include <signal.h>
#include <stdio.h>
#include <string.h>
#include <sys/ioctl.h>
#include <time.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <new>
#include <string>

namespace {

const size_t kQueueLines = 1024;
const size_t kQueueBytes = 256 * 1024;
const size_t kLongestLine = 4096;          // passed on in pieces beyond this
const size_t kRelayStack = 64 * 1024;      // the threads only copy bytes

struct Stream {
  int number;       // 1 or 2
  int target = -1;  // where the lines go
  int source = -1;  // read end of the pipe now behind `number`
  int sink = -1;    // its write end, until it is moved onto `number`
  std::string partial;  // bytes after the last newline read
  std::deque<std::string> queue;
  size_t queuedBytes = 0;
  unsigned long dropped = 0;  // since the last line queued
  bool writing = false;
  std::condition_variable changed;
};

// Never destroyed: the threads use them until the process has ended, and a
// condition variable must not go while a thread waits on it.
std::mutex &relayLock() {
  static auto *lock = new std::mutex;
  return *lock;
}

Stream *const gStreams = new Stream[2]{{1}, {2}};
bool gRunning = false;

// Says how many lines were dropped, in their place (beyond the queue's bound,
// as it is one line).
void queueDropNoteLocked(Stream &stream) {
  if (!stream.dropped) return;
  char note[96];
  snprintf(note, sizeof note, "keywatchd: %lu lines dropped while the output was blocked\n", stream.dropped);
  stream.dropped = 0;
  stream.queuedBytes += strlen(note);
  stream.queue.emplace_back(note);
}

void queueLocked(Stream &stream, std::string &&line) {
  if (stream.queue.size() >= kQueueLines || stream.queuedBytes + line.size() > kQueueBytes) {
    ++stream.dropped;
    return;
  }
  queueDropNoteLocked(stream);
  stream.queuedBytes += line.size();
  stream.queue.push_back(std::move(line));
  stream.changed.notify_all();
}

// Moves the complete lines (and overlong pieces) of `partial` to the queue.
void queueLines(Stream &stream) {
  size_t start = 0;
  for (;;) {
    size_t newline = stream.partial.find('\n', start);
    size_t end = newline != std::string::npos ? newline + 1 : start + kLongestLine;
    if (end > stream.partial.size()) break;
    queueLocked(stream, stream.partial.substr(start, end - start));
    start = end;
  }
  stream.partial.erase(0, start);
}

void *readPipes(void *) {
  pollfd watched[2] = {{gStreams[0].source, POLLIN, 0}, {gStreams[1].source, POLLIN, 0}};
  char buffer[16384];
  for (;;) {
    if (poll(watched, 2, -1) < 0) continue;
    for (int i = 0; i < 2; ++i) {
      if (!watched[i].revents) continue;
      ssize_t length = read(watched[i].fd, buffer, sizeof buffer);
      if (length == 0) watched[i].fd = -1;  // every writer has gone
      if (length <= 0) continue;
      std::lock_guard<std::mutex> guard(relayLock());
      try {
        gStreams[i].partial.append(buffer, length);
        queueLines(gStreams[i]);
      } catch (const std::bad_alloc &) {
        gStreams[i].partial.clear();
        ++gStreams[i].dropped;
      }
    }
  }
  return nullptr;
}

void writeAll(int descriptor, const std::string &text) {
  for (size_t done = 0; done < text.size();) {
    ssize_t written = write(descriptor, text.data() + done, text.size() - done);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return;  // the reader is gone: nothing to tell it
    done += written;
  }
}

void *writeStream(void *data) {
  Stream &stream = *static_cast<Stream *>(data);
  std::unique_lock<std::mutex> guard(relayLock());
  for (;;) {
    stream.changed.wait(guard, [&] { return !stream.queue.empty(); });
    std::string line = std::move(stream.queue.front());
    stream.queue.pop_front();
    stream.queuedBytes -= line.size();
    stream.writing = true;
    guard.unlock();
    writeAll(stream.target, line);
    guard.lock();
    stream.writing = false;
    stream.changed.notify_all();
  }
  return nullptr;
}

// The relay's threads take no signals: SIGINT's handler belongs with the
// threads whose work it ends.
int startThread(void *(*entry)(void *), void *argument) {
  pthread_attr_t attributes;
  pthread_attr_init(&attributes);
  pthread_attr_setdetachstate(&attributes, PTHREAD_CREATE_DETACHED);
  pthread_attr_setstacksize(&attributes, kRelayStack);
  sigset_t all, before;
  sigfillset(&all);
  pthread_sigmask(SIG_BLOCK, &all, &before);
  pthread_t thread;
  int result = pthread_create(&thread, &attributes, entry, argument);
  pthread_sigmask(SIG_SETMASK, &before, nullptr);
  pthread_attr_destroy(&attributes);
  return result;
}

int openStream(Stream &stream) {
  stream.target = fcntl(stream.number, F_DUPFD_CLOEXEC, 3);
  if (stream.target < 0) return errno;
  int ends[2];
  if (pipe(ends) != 0) return errno;
  stream.source = ends[0];
  stream.sink = ends[1];
  fcntl(stream.source, F_SETFD, FD_CLOEXEC);
  return 0;
}

void closeStream(Stream &stream) {
  for (int *descriptor : {&stream.target, &stream.source, &stream.sink}) {
    if (*descriptor >= 0) close(*descriptor);
    *descriptor = -1;
  }
}

bool pipeHoldsBytes(const Stream &stream) {
  int pending = 0;
  return ioctl(stream.source, FIONREAD, &pending) == 0 && pending > 0;
}

bool writtenOut(const Stream &stream) { return stream.queue.empty() && !stream.writing; }

// A process that aborts has often just written why (an assertion, the C
// library's heap check, a sanitizer's report), and that text must not die in
// the relay: the pipes are emptied straight to their targets, and the writers
// are given a moment for the lines they already hold. Then abort goes on.
void passOnBeforeAbort(int) {
  char buffer[4096];
  for (int i = 0; i < 2; ++i) {
    fcntl(gStreams[i].source, F_SETFL, O_NONBLOCK);
    ssize_t length;
    while ((length = read(gStreams[i].source, buffer, sizeof buffer)) > 0) {
      pollfd target = {gStreams[i].target, POLLOUT, 0};
      if (poll(&target, 1, 100) <= 0 || write(gStreams[i].target, buffer, length) < 0) break;
    }
  }
  struct timespec moment = {0, 100 * 1000 * 1000};
  nanosleep(&moment, nullptr);
}

void passOnAtAbort() {
  struct sigaction action = {};
  action.sa_handler = passOnBeforeAbort;
  action.sa_flags = SA_RESETHAND;
  sigemptyset(&action.sa_mask);
  sigaction(SIGABRT, &action, nullptr);
}

}  // namespace

int StartOutputRelay(void) {
  int error = 0;
  for (int i = 0; i < 2 && !error; ++i) error = openStream(gStreams[i]);
  if (!error) error = startThread(readPipes, nullptr);
  if (error) {
    for (int i = 0; i < 2; ++i) closeStream(gStreams[i]);
    return error;
  }
  // Once the reader runs, a writer that cannot start only leaves the process
  // to exit: its pipes stay open for the reader.
  for (int i = 0; i < 2 && !error; ++i) error = startThread(writeStream, &gStreams[i]);
  if (error) return error;
  fflush(stdout);
  fflush(stderr);
  for (int i = 0; i < 2; ++i) {
    Stream &stream = gStreams[i];
    dup2(stream.sink, stream.number);
    close(stream.sink);
    stream.sink = -1;
  }
  gRunning = true;
  passOnAtAbort();
  return 0;
}

void FlushOutputRelay(double seconds) {
  fflush(stdout);
  fflush(stderr);
  if (!gRunning) return;
  auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
  // First the pipes run dry into the queues (the reader is never held up)...
  while (std::chrono::steady_clock::now() < deadline && (pipeHoldsBytes(gStreams[0]) || pipeHoldsBytes(gStreams[1]))) {
    struct timespec pause = {0, 5 * 1000 * 1000};
    nanosleep(&pause, nullptr);
  }
  // ...then the queues, with a piece of a line that has no newline yet.
  std::unique_lock<std::mutex> guard(relayLock());
  for (int i = 0; i < 2; ++i) {
    Stream &stream = gStreams[i];
    if (!stream.partial.empty()) queueLocked(stream, std::move(stream.partial));
    stream.partial.clear();
    queueDropNoteLocked(stream);
    stream.changed.notify_all();
    stream.changed.wait_until(guard, deadline, [&] { return writtenOut(stream); });
  }
}

int OutputRelayTarget(int stream) {
  if (!gRunning || (stream != 1 && stream != 2)) return stream;
  return gStreams[stream - 1].target;
}
