// Per-thread run loops that wait in poll() on the file descriptors of their
// sources, so an idle thread uses no CPU.
#include "cf_private.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <cerrno>
#include <mutex>

struct __CFRunLoop {
  std::mutex lock;
  std::vector<CFRunLoopSourceRef> sources;  // each holds a reference
  int wakeFd = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);  // rebuilds the poll set
};

struct __CFRunLoopSource : CFObject {
  __CFRunLoopSource(int fd, void (*perform)(void *), void *info, void (*finalize)(void *))
      : fd(fd), perform(perform), info(info), finalize(finalize) {}
  ~__CFRunLoopSource() override { finalize(info); }
  const int fd;
  void (*const perform)(void *);
  void *const info;
  void (*const finalize)(void *);
  std::atomic<CFRunLoopRef> loop{nullptr};
};

const CFRunLoopMode kCFRunLoopDefaultMode = CFSTR("kCFRunLoopDefaultMode");

CFRunLoopSourceRef ktSourceCreate(int fd, void (*perform)(void *), void *info,
                                  void (*finalize)(void *)) {
  return new __CFRunLoopSource(fd, perform, info, finalize);
}

// Every run loop made, kept for the life of the process: a source may be
// invalidated from another thread after the loop's own thread has ended.
static CFRunLoopRef newRunLoop() {
  static std::mutex lock;
  static std::vector<CFRunLoopRef> *all = new std::vector<CFRunLoopRef>;
  std::lock_guard<std::mutex> guard(lock);
  all->push_back(new __CFRunLoop);
  return all->back();
}

extern "C" CFRunLoopRef CFRunLoopGetCurrent(void) {
  static thread_local CFRunLoopRef current = newRunLoop();
  return current;
}

extern "C" void CFRunLoopAddSource(CFRunLoopRef loop, CFRunLoopSourceRef source, CFRunLoopMode) {
  if (!loop || !source) return;
  CFRunLoopRef none = nullptr;
  if (!source->loop.compare_exchange_strong(none, loop)) return;
  CFRetain(source);
  std::lock_guard<std::mutex> guard(loop->lock);
  loop->sources.push_back(source);
  eventfd_write(loop->wakeFd, 1);
}

extern "C" void CFRunLoopSourceInvalidate(CFRunLoopSourceRef source) {
  if (!source) return;
  CFRunLoopRef loop = source->loop.exchange(nullptr);
  if (!loop) return;
  {
    std::lock_guard<std::mutex> guard(loop->lock);
    for (auto it = loop->sources.begin(); it != loop->sources.end(); ++it) {
      if (*it == source) {
        loop->sources.erase(it);
        break;
      }
    }
    eventfd_write(loop->wakeFd, 1);
  }
  CFRelease(source);
}

extern "C" void CFRunLoopRun(void) {
  CFRunLoopRef loop = CFRunLoopGetCurrent();
  std::vector<CFRunLoopSourceRef> watched;
  std::vector<pollfd> fds;
  for (;;) {
    watched.clear();
    fds.clear();
    {
      std::lock_guard<std::mutex> guard(loop->lock);
      if (loop->sources.empty()) return;
      for (CFRunLoopSourceRef source : loop->sources) {
        CFRetain(source);  // stays alive while served, even if invalidated meanwhile
        watched.push_back(source);
        fds.push_back({source->fd, POLLIN, 0});
      }
    }
    fds.push_back({loop->wakeFd, POLLIN, 0});
    int ready = poll(fds.data(), fds.size(), -1);
    for (size_t i = 0; ready > 0 && i < watched.size(); ++i)
      if (fds[i].revents && watched[i]->loop.load() == loop) watched[i]->perform(watched[i]->info);
    if (fds.back().revents) {
      eventfd_t ignored;
      eventfd_read(loop->wakeFd, &ignored);
    }
    for (CFRunLoopSourceRef source : watched) CFRelease(source);
  }
}
