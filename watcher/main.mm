// keywatchd: watches USB for the token and opens the management application
// when a token of our product code is plugged in.
#import <Foundation/Foundation.h>
#include <CoreFoundation/CoreFoundation.h>
#include <IOKit/IOKitLib.h>
#include <mach/mach.h>

#include <errno.h>
#include <fcntl.h>
#include <pthread.h>
#include <signal.h>
#include <spawn.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>

#include "DescriptorLimit.h"
#include "ExitStatus.h"
#include "OutputRelay.h"
#include "Qv_Intefs.h"
#include "SessionLock.h"
#include "paths.h"

struct DetectorState {
  IONotificationPortRef gNotifyPort;
  io_iterator_t gAppearedIter;
  io_iterator_t gDisappearedIter;
  int isInit;  // armed: set once the removal iterator has been drained
};

static DetectorState gDetectors[2];
// Each detector hands its state over once set up; the main thread tears down
// at SIGINT only what was handed over, so that it never reads a state that
// its detector is still writing.
static std::atomic<bool> gHandedOver[2];
// The detector served by the calling detection thread; its callbacks run there.
static thread_local DetectorState *tDetector;

// SIGINT sets the flag and writes a byte to the pipe, a detector that ends
// writes kDetectorEnded; the main thread waits on the other end and does the
// work that is not safe in a signal handler. Only the flag ends the process
// with status 0.
static int gWakePipe[2] = {-1, -1};
static volatile sig_atomic_t gInterrupted;
static const char kDetectorEnded = 'D';

// How long the last lines may take to reach a reader that lags, before exit.
static const double kExitFlushSeconds = 0.5;

extern "C" void *pdpcde(void *);
extern char **environ;

// Nobody joins these threads: they are created detached, so their resources go
// when they end, even when they end before pthread_create has returned.
static int startDetachedThread(void *(*entry)(void *)) {
  pthread_attr_t attributes;
  pthread_attr_init(&attributes);
  pthread_attr_setdetachstate(&attributes, PTHREAD_CREATE_DETACHED);
  pthread_t thread;
  int result = pthread_create(&thread, &attributes, entry, NULL);
  pthread_attr_destroy(&attributes);
  return result;
}

static void drainIterator(io_iterator_t iterator) {
  io_object_t object;
  while ((object = IOIteratorNext(iterator)) != 0) IOObjectRelease(object);
}

static void DeviceAppeared(void *refCon, io_iterator_t iterator) {
  printf("DeviceAppeared\n");
  drainIterator(iterator);
  if (!tDetector->isInit) return;
  int result = startDetachedThread(pdpcde);
  if (result != 0) printf("Arrival not probed: pthread_create error:%s\n", strerror(result));
}

static void DeviceDisappeared(void *refCon, io_iterator_t iterator) {
  printf("DeviceDisappeared\n");
  drainIterator(iterator);
  tDetector->isInit = 1;
}

static void SignalHandler(int signalNumber) {
  int savedErrno = errno;
  gInterrupted = 1;
  char byte = 0;
  ssize_t ignored = write(gWakePipe[1], &byte, 1);
  (void)ignored;
  errno = savedErrno;
}

static IOReturn pvStart(SInt32 vendorId, SInt32 productId) {
  DetectorState *state = tDetector;
  printf("Begin\n");
  if (signal(SIGINT, SignalHandler) == SIG_ERR) printf("Could not establish new signal handler\n");

  mach_port_t masterPort = MACH_PORT_NULL;
  kern_return_t result = IOMasterPort(MACH_PORT_NULL, &masterPort);
  if (result != KERN_SUCCESS || masterPort == MACH_PORT_NULL) {
    printf("Unable to create a master I/O Kit port (%08x)\n", result);
    return kIOReturnAborted;
  }
  CFMutableDictionaryRef matching = IOServiceMatching("IOUSBDevice");
  if (matching == NULL) {
    printf("Unable to create a USB matching dictionary (%08x)\n", result);
    mach_port_deallocate(mach_task_self(), masterPort);
    return kIOReturnAborted;
  }
  CFNumberRef number = CFNumberCreate(kCFAllocatorDefault, kCFNumberSInt32Type, &vendorId);
  CFDictionarySetValue(matching, CFSTR("idVendor"), number);
  CFRelease(number);
  number = CFNumberCreate(kCFAllocatorDefault, kCFNumberSInt32Type, &productId);
  CFDictionarySetValue(matching, CFSTR("idProduct"), number);
  CFRelease(number);

  state->gNotifyPort = IONotificationPortCreate(masterPort);
  if (state->gNotifyPort == NULL) {
    printf("Unable to create an I/O Kit notification port (%s)\n", strerror(errno));
    CFRelease(matching);
    mach_port_deallocate(mach_task_self(), masterPort);
    return kIOReturnAborted;
  }
  CFRunLoopAddSource(CFRunLoopGetCurrent(), IONotificationPortGetRunLoopSource(state->gNotifyPort),
                     kCFRunLoopDefaultMode);
  CFRetain(matching);  // each registration consumes one reference

  result = IOServiceAddMatchingNotification(state->gNotifyPort, kIOFirstMatchNotification, matching,
                                            DeviceAppeared, NULL, &state->gAppearedIter);
  if (result != KERN_SUCCESS) {
    printf("Unable to IOServiceAddMatchingNotification (%08x)\n", result);
    CFRelease(matching);
    mach_port_deallocate(mach_task_self(), masterPort);
    return kIOReturnAborted;
  }
  DeviceAppeared(NULL, state->gAppearedIter);  // drains what is already attached, without a probe

  result = IOServiceAddMatchingNotification(state->gNotifyPort, kIOTerminatedNotification, matching,
                                            DeviceDisappeared, NULL, &state->gDisappearedIter);
  if (result != KERN_SUCCESS) {
    printf("Unable to IOServiceAddMatchingNotification2 (%08x)\n", result);
    mach_port_deallocate(mach_task_self(), masterPort);
    return kIOReturnAborted;
  }
  DeviceDisappeared(NULL, state->gDisappearedIter);  // arms the detector

  mach_port_deallocate(mach_task_self(), masterPort);
  masterPort = MACH_PORT_NULL;
  gHandedOver[state - gDetectors].store(true, std::memory_order_release);
  for (;;) CFRunLoopRun();
}

// A detector that could not be set up tells the main thread, which ends
// keywatchd once no detector is left.
static IOReturn detectorEnded(IOReturn result) {
  ssize_t ignored = write(gWakePipe[1], &kDetectorEnded, 1);
  (void)ignored;
  return result;
}

extern "C" void *startDetect1(void *) {
  tDetector = &gDetectors[0];
  return (void *)(intptr_t)detectorEnded(pvStart(54345, 4));
}

extern "C" void *startDetect2(void *) {
  tDetector = &gDetectors[1];
  return (void *)(intptr_t)detectorEnded(pvStart(22097, 4));
}

// Runs the command through the shell and waits for it, as system() does, but
// without system()'s ignoring of SIGINT in the whole process meanwhile: a
// SIGINT sent while the application is being opened would be lost and
// keywatchd would go on running. The command writes where keywatchd's output
// really goes, not into the relay, which ends with keywatchd.
static void runThroughShell(const char *command) {
  char *const arguments[] = {(char *)"sh", (char *)"-c", (char *)command, NULL};
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, OutputRelayTarget(1), 1);
  posix_spawn_file_actions_adddup2(&actions, OutputRelayTarget(2), 2);
  pid_t child;
  int result = posix_spawn(&child, "/bin/sh", &actions, NULL, arguments, environ);
  posix_spawn_file_actions_destroy(&actions);
  if (result != 0) {
    printf("Unable to run %s (%s)\n", command, strerror(result));
    return;
  }
  while (waitpid(child, NULL, 0) < 0 && errno == EINTR) {
  }
}

extern "C" void *pdpcde(void *) {
  NSAutoreleasePool *pool = [[NSAutoreleasePool alloc] init];
  [NSThread sleepForTimeInterval:1.5];
  NSLog(@"%@", [NSString stringWithUTF8String:"设备插入"]);

  char szDeviceName[1024] = {0};
  int dwDeviceNameLen = sizeof szDeviceName;
  int pdwNum = 0;
  void *handle = NULL;
  int pcode = 0;
  int second = 0;
  int dwRet = KcListReaders(szDeviceName, &dwDeviceNameLen, &pdwNum);
  if (dwDeviceNameLen == 0 || dwRet != 0) {
    memset(szDeviceName, 0, sizeof szDeviceName);
    dwDeviceNameLen = sizeof szDeviceName;
    dwRet = KcListReaders(szDeviceName, &dwDeviceNameLen, &pdwNum);
    NSLog(@"szDeviceName:%s\tdwDeviceNameLen:%d\tpdwNum:%d\tdwRet:%x", szDeviceName, dwDeviceNameLen,
          pdwNum, dwRet);
  }
  KcConnectDev(szDeviceName, &handle);
  if (handle != NULL) {
    KcReadPCODE(handle, &pcode, &second);
    KcDisconnectDev(handle);
  }
  if (pcode == kTokenPcode) runThroughShell(KT_LAUNCH_COMMAND);
  [pool release];
  return NULL;
}

static bool openWakePipe(void) {
  if (pipe(gWakePipe) != 0) return false;
  for (int fd : gWakePipe) fcntl(fd, F_SETFD, FD_CLOEXEC);  // not for launched programs
  // A burst of signals must never block the handler.
  fcntl(gWakePipe[1], F_SETFL, fcntl(gWakePipe[1], F_GETFL) | O_NONBLOCK);
  return true;
}

// Until SIGINT, or until both detectors have ended; the exit status.
static int waitForEnd(void) {
  int detectorsEnded = 0;
  for (;;) {
    char byte = 0;
    ssize_t length = read(gWakePipe[0], &byte, 1);
    if (gInterrupted) return kExitInterrupted;
    if (length == 1 && byte == kDetectorEnded && ++detectorsEnded == 2) return kExitNoDetector;
  }
}

// Lets the last lines out, as far as their reader takes them in time.
__attribute__((noreturn)) static void exitAfterOutput(int status) {
  FlushOutputRelay(kExitFlushSeconds);
  exit(status);
}

// An exception that nothing catches (Foundation out of descriptors or memory,
// say) ends keywatchd with its reason and a failure status.
static void exceptionNotCaught(NSException *exception) {
  printf("Uncaught exception %s: %s\n", [[exception name] UTF8String], [[exception reason] UTF8String]);
  FlushOutputRelay(kExitFlushSeconds);
  _exit(kExitFailed);
}

static void takeSessionLock(void) {
  char path[4096];
  pid_t holder = 0;
  switch (TakeSessionLock(path, sizeof path, &holder)) {
    case kSessionLockTaken:
      return;
    case kSessionLockHeld:
      if (holder > 0)
        printf("keywatchd is already running (pid %ld, lock %s)\n", (long)holder, path);
      else
        printf("keywatchd is already running (lock %s)\n", path);
      exitAfterOutput(kExitAlreadyRunning);
    case kSessionLockFailed:
      printf("Unable to take the lock %s (%s)\n", path, strerror(errno));
      exitAfterOutput(kExitFailed);
  }
}

static void tearDownDetectors(void) {
  for (int detector = 0; detector < 2; ++detector) {
    if (!gHandedOver[detector].load(std::memory_order_acquire)) continue;
    DetectorState &state = gDetectors[detector];
    IONotificationPortDestroy(state.gNotifyPort);
    if (state.gAppearedIter) {
      IOObjectRelease(state.gAppearedIter);
      state.gAppearedIter = 0;
    }
    if (state.gDisappearedIter) {
      IOObjectRelease(state.gDisappearedIter);
      state.gDisappearedIter = 0;
    }
  }
}

int main(int argc, char *argv[]) {
  setvbuf(stdout, NULL, _IOLBF, 0);  // every line reaches a pipe at once
  NSAutoreleasePool *pool = [[NSAutoreleasePool alloc] init];
  rlim_t limit = 0;
  if (!RaiseDescriptorLimit(kDescriptorsNeeded, &limit)) {
    printf("Too few file descriptors: keywatchd needs %lu, the limit is %lu\n", (unsigned long)kDescriptorsNeeded,
           (unsigned long)limit);
    exit(kExitFailed);
  }
  if (!openWakePipe()) {
    printf("pipe error:%s\n", strerror(errno));
    exit(kExitFailed);
  }
  int result = StartOutputRelay();
  if (result != 0) {
    printf("output relay error:%s\n", strerror(result));
    exit(kExitFailed);
  }
  NSSetUncaughtExceptionHandler(exceptionNotCaught);
  takeSessionLock();
  if (!IsInitedOK()) NSLog(@"load dylib fail!");

  result = startDetachedThread(startDetect1);
  if (result != 0) {
    printf("11111 pthread_create error:%s\n", strerror(result));
    exitAfterOutput(kExitFailed);
  }
  result = startDetachedThread(startDetect2);
  if (result != 0) {
    printf("11111 pthread_create error:%s\n", strerror(result));
    exitAfterOutput(kExitFailed);
  }

  int status = waitForEnd();
  if (status == kExitInterrupted) {
    printf("\nInterrupted\n");
    tearDownDetectors();
  } else {
    printf("No USB detector could be set up\n");
  }
  [pool release];
  exitAfterOutput(status);
}
