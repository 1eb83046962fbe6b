// What GNUstep's NSView lacks of Apple's: the item identifier, and the
// auto-layout flag (GNUstep lays views out by their autoresizing masks alone,
// so the flag is only kept for whoever reads it back).
#import "KPSideObjects.h"

@interface KPViewAttributes : NSObject
{
@public
  NSString *identifier;
  BOOL keepsConstraintsOff;
}
@end

@implementation KPViewAttributes
- (void) dealloc
{
  [identifier release];
  [super dealloc];
}
@end

@implementation NSView (KPIdentification)

- (NSString *) identifier
{
  KPViewAttributes *a = KPSideObject(self, [KPViewAttributes class], NO);
  return a != nil ? a->identifier : nil;
}

- (void) setIdentifier: (NSString *)identifier
{
  KPViewAttributes *a = KPSideObject(self, [KPViewAttributes class], YES);
  NSString *copy = [identifier copy];
  [a->identifier release];
  a->identifier = copy;
}

- (BOOL) translatesAutoresizingMaskIntoConstraints
{
  KPViewAttributes *a = KPSideObject(self, [KPViewAttributes class], NO);
  return a != nil ? !a->keepsConstraintsOff : YES;
}

- (void) setTranslatesAutoresizingMaskIntoConstraints: (BOOL)flag
{
  KPViewAttributes *a = KPSideObject(self, [KPViewAttributes class], YES);
  a->keepsConstraintsOff = !flag;
}

@end
