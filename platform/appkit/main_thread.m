// The main thread and dispatch_sync_f to it, for hosts that call from any
// thread. GNUstep ties AppKit to the thread that made the application object
// (GSAppKitThread): NSAlert's -runModal and NSView's -setNeedsDisplay: on any
// other thread are sent to GNUstep's main thread and wait for it or never
// draw, drawing goes to the calling thread's current graphics context, and
// only that thread's run loop watches the X connection. A browser's worker
// thread that shows a dialog got a window that was mapped, never painted and
// deaf to input.
//
// Where the application runs its own loop, work is handed to its thread as on
// macOS. In a host that is no application nobody runs that loop (its threads
// wait in its own code), so the calling thread becomes AppKit's thread for
// the length of the work: GNUstep's thread, graphics context and X
// connection's input source move to it and back afterwards.
#import <AppKit/AppKit.h>
#import <GNUstepGUI/GSDisplayServer.h>
#import "KPAppKitThread.h"
#include <X11/Xlib.h>
#include <dispatch/dispatch.h>
#include <objc/runtime.h>
#include <pthread.h>

extern NSThread *GSAppKitThread;

@interface GSDisplayServer (KPRunLoopInput)
- (void) setupRunLoopInputSourcesForMode: (NSString *)mode;
@end

// GNUstep does not retain the thread it records: in a browser that made the
// application object on a pool thread which has ended since, the record
// pointed at a freed object. The library keeps that thread's object alive
// (one object for the process), and so a valid record.
static id (*makeSharedApplication)(id, SEL);

static id sharedApplicationKeepingItsThread(id self, SEL _cmd)
{
  BOOL made = NSApp == nil;
  id application = makeSharedApplication(self, _cmd);
  if (made && GSAppKitThread != nil)
    [GSAppKitThread retain];
  return application;
}

@interface KPAppKitThreadKept : NSObject
@end

@implementation KPAppKitThreadKept
+ (void) load
{
  Method shared = class_getClassMethod([NSApplication class], @selector(sharedApplication));
  [GSAppKitThread retain];  // an application object made before the library came
  makeSharedApplication = (id (*)(id, SEL))method_setImplementation(
    shared, (IMP)sharedApplicationKeepingItsThread);
}
@end

NSThread *KPAppKitThread(void)
{
  return GSAppKitThread != nil ? GSAppKitThread : [NSThread mainThread];
}

int pthread_main_np(void)
{
  return KPAppKitThread() == [NSThread currentThread];
}

// The modes in which GNUstep's X server connection is watched.
static NSArray *serverModes(void)
{
  return [NSArray arrayWithObjects: NSDefaultRunLoopMode, NSModalPanelRunLoopMode,
    NSEventTrackingRunLoopMode, NSConnectionReplyMode, nil];
}

static NSGraphicsContext *currentContextOf(NSThread *thread)
{
  Ivar context = class_getInstanceVariable([NSThread class], "_gcontext");
  return context != NULL ? object_getIvar(thread, context) : nil;
}

// One host thread at a time serves as the main thread.
static pthread_mutex_t serving = PTHREAD_MUTEX_INITIALIZER;

static void runAsAppKitThread(void *context, dispatch_function_t work)
{
  NSAutoreleasePool *pool = [NSAutoreleasePool new];
  NSThread *previous = [KPAppKitThread() retain];
  NSGraphicsContext *graphics = currentContextOf(previous);
  NSGraphicsContext *ownGraphics = [GSCurrentContext() retain];
  GSDisplayServer *server = GSCurrentServer();
  Display *display = (Display *)[server serverDevice];
  NSRunLoop *loop = [NSRunLoop currentRunLoop];
  NSArray *modes = serverModes();
  NSUInteger i;

  GSAppKitThread = [NSThread currentThread];
  if (graphics != nil)
    [NSGraphicsContext setCurrentContext: graphics];
  if (display != NULL)
    for (i = 0; i < [modes count]; i++)
      [server setupRunLoopInputSourcesForMode: [modes objectAtIndex: i]];

  work(context);

  // The windows' events are read by whoever serves next; none is left in
  // this thread's loop, which may never run again.
  if (display != NULL)
    for (i = 0; i < [modes count]; i++)
      [loop removeEvent: (void *)(intptr_t)ConnectionNumber(display) type: ET_RDESC
                forMode: [modes objectAtIndex: i] all: YES];
  [NSGraphicsContext setCurrentContext: ownGraphics];
  [ownGraphics release];
  GSAppKitThread = previous;
  [previous release];
  [pool release];
}

// Carries one piece of work to the application's thread.
@interface KPMainThreadWork : NSObject
{
@public
  void *context;
  dispatch_function_t work;
}
- (void) run;
@end

@implementation KPMainThreadWork
- (void) run
{
  work(context);
}
@end

void dispatch_sync_f(dispatch_queue_t queue, void *context, dispatch_function_t work)
{
  (void)queue;  // only the main queue exists
  if (pthread_main_np() || NSApp == nil)
    {
      // Before the application object exists, AppKit belongs to no thread:
      // the one that makes it becomes AppKit's.
      work(context);
      return;
    }
  if ([NSApp isRunning])
    {
      NSAutoreleasePool *pool = [NSAutoreleasePool new];
      KPMainThreadWork *item = [KPMainThreadWork new];
      item->context = context;
      item->work = work;
      [item performSelector: @selector(run) onThread: KPAppKitThread() withObject: nil
              waitUntilDone: YES modes: serverModes()];
      [item release];
      [pool release];
      return;
    }
  pthread_mutex_lock(&serving);
  runAsAppKitThread(context, work);
  pthread_mutex_unlock(&serving);
}
