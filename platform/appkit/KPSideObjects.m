#import "KPSideObjects.h"
#include <objc/runtime.h>

// View -> (class name -> side object). Views are not retained: an entry goes
// when its view is freed.
static NSMapTable *sideObjects;

id KPSideObject(NSView *view, Class kind, BOOL create)
{
  NSMutableDictionary *objects;
  NSString *name = NSStringFromClass(kind);
  id object;

  if (sideObjects == NULL)
    {
      if (!create)
        return nil;
      sideObjects = NSCreateMapTable(NSNonRetainedObjectMapKeyCallBacks,
                                     NSObjectMapValueCallBacks, 16);
    }
  objects = NSMapGet(sideObjects, view);
  if (objects == nil)
    {
      if (!create)
        return nil;
      objects = [NSMutableDictionary new];
      NSMapInsert(sideObjects, view, objects);
      [objects release];
    }
  object = [objects objectForKey: name];
  if (object == nil && create)
    {
      object = [kind new];
      [objects setObject: object forKey: name];
      [object release];
    }
  return object;
}

@implementation NSView (KPSideObjects)

// Exchanged with -dealloc at load: calling it here runs the platform's own.
- (void) kpDealloc
{
  if (sideObjects != NULL)
    NSMapRemove(sideObjects, self);
  [self kpDealloc];
}

+ (void) load
{
  method_exchangeImplementations(
    class_getInstanceMethod(self, @selector(dealloc)),
    class_getInstanceMethod(self, @selector(kpDealloc)));
}

@end
