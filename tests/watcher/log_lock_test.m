// Two threads that log for the first time at once, the second one while
// GNUstep is still setting up NSLog's lock in the first: the program must not
// crash. The category holds the first thread inside that set-up.
#import <Foundation/Foundation.h>
#include <pthread.h>
#include <unistd.h>

static volatile int setUpHeld;

@implementation NSRecursiveLock (KDTSlowLogLockSetUp)
- (IMP) methodForSelector: (SEL)selector
{
  // The log lock is published before its IMP is taken: GSLogLock() already
  // answers this object, without setting anything up.
  if (!setUpHeld && sel_isEqual(selector, @selector(lock)) && self == GSLogLock())
    {
      setUpHeld = 1;
      usleep(300000);
    }
  return [super methodForSelector: selector];
}
@end

static void *logFirst(void *unused)
{
  NSAutoreleasePool *pool = [NSAutoreleasePool new];
  NSLog(@"first thread");
  [pool release];
  return NULL;
}

int main(void)
{
  NSAutoreleasePool *pool = [NSAutoreleasePool new];
  pthread_t thread;
  int i;
  if (pthread_create(&thread, NULL, logFirst, NULL) != 0)
    return 2;
  for (i = 0; i < 50 && !setUpHeld; i++)
    usleep(10000);
  NSLog(@"second thread");
  pthread_join(thread, NULL);
  [pool release];
  return 0;
}
