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

#include "Qv_Intefs.h"
#include "paths.h"

struct DetectorState {
  IONotificationPortRef gNotifyPort;
  io_iterator_t gAppearedIter;
  io_iterator_t gDisappearedIter;
  int isInit;  // armed: set once the removal iterator has been drained
};

static DetectorState gDetectors[2];
// The detector served by the calling detection thread; its callbacks run there.
static thread_local DetectorState *tDetector;

// SIGINT only writes a byte here; the main thread waits on the other end and
// does the work that is not safe in a signal handler.
static int gInterruptPipe[2] = {-1, -1};

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
  if (tDetector->isInit) startDetachedThread(pdpcde);
}

static void DeviceDisappeared(void *refCon, io_iterator_t iterator) {
  printf("DeviceDisappeared\n");
  drainIterator(iterator);
  tDetector->isInit = 1;
}

static void SignalHandler(int signalNumber) {
  int savedErrno = errno;
  char byte = 0;
  ssize_t ignored = write(gInterruptPipe[1], &byte, 1);
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
  for (;;) CFRunLoopRun();
}

extern "C" void *startDetect1(void *) {
  tDetector = &gDetectors[0];
  return (void *)(intptr_t)pvStart(54345, 4);
}

extern "C" void *startDetect2(void *) {
  tDetector = &gDetectors[1];
  return (void *)(intptr_t)pvStart(22097, 4);
}

// Runs the command through the shell and waits for it, as system() does, but
// without system()'s ignoring of SIGINT in the whole process meanwhile: a
// SIGINT sent while the application is being opened would be lost and
// keywatchd would go on running.
static void runThroughShell(const char *command) {
  char *const arguments[] = {(char *)"sh", (char *)"-c", (char *)command, NULL};
  pid_t child;
  if (posix_spawn(&child, "/bin/sh", NULL, NULL, arguments, environ) != 0) return;
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

static bool openInterruptPipe(void) {
  if (pipe(gInterruptPipe) != 0) return false;
  for (int fd : gInterruptPipe) fcntl(fd, F_SETFD, FD_CLOEXEC);  // not for launched programs
  // A burst of signals must never block the handler.
  fcntl(gInterruptPipe[1], F_SETFL, fcntl(gInterruptPipe[1], F_GETFL) | O_NONBLOCK);
  return true;
}

static void waitForInterrupt(void) {
  char byte;
  while (read(gInterruptPipe[0], &byte, 1) != 1) {
  }
}

static void tearDownDetectors(void) {
  for (DetectorState &state : gDetectors) {
    if (state.gNotifyPort == NULL) continue;
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
  if (!openInterruptPipe()) {
    printf("pipe error:%s\n", strerror(errno));
    exit(-1);
  }
  if (!IsInitedOK()) NSLog(@"load dylib fail!");

  int result = startDetachedThread(startDetect1);
  if (result != 0) {
    printf("11111 pthread_create error:%s\n", strerror(result));
    exit(-1);
  }
  result = startDetachedThread(startDetect2);
  if (result != 0) {
    printf("11111 pthread_create error:%s\n", strerror(result));
    exit(-1);
  }

  waitForInterrupt();
  printf("\nInterrupted\n");
  tearDownDetectors();
  [pool release];
  exit(0);
}
