// Ending the countdown window.
#import "p11Win.h"
#include "keydialogs.h"

void closeWindow(void)
{
  windowClosed = YES;
  timer = nil;
}

void closeWindow_t(void)
{
  windowClosed = YES;
  [timer invalidate];
  timer = nil;
  if (session != NULL)
    {
      [myapp endModalSession: session];
      session = NULL;
    }
  if (nameLabel != nil)
    nameLabel = nil;
  [win close];
}
