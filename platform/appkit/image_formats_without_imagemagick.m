// Keeps ImageMagick out of a process that the library turns into an
// application. GNUstep's application object looks up its icon among the image
// formats it knows, and ImageMagick's image rep answers that by loading all of
// its ~120 format modules and their libraries (50-70 ms of the first dialog).
// The dialogs' pictures are PNG, GIF and JPEG, which gnustep-gui decodes
// itself. An application (an application object already, or an .app bundle
// that makes one later) keeps every format it has.
#import <AppKit/AppKit.h>
#import "KPApplicationProcess.h"

@interface KPImageFormatsWithoutImageMagick : NSObject
@end

@implementation KPImageFormatsWithoutImageMagick

+ (void) load
{
  NSAutoreleasePool *pool = [NSAutoreleasePool new];
  Class magickRep = NSClassFromString(@"GSImageMagickImageRep");
  if (magickRep != Nil && !KPProcessIsApplication())
    [NSImageRep unregisterImageRepClass: magickRep];
  [pool release];
}

@end
