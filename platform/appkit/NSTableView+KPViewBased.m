// View-based tables on GNUstep, whose NSTableView is cell-based only.
//
// When the table's delegate answers tableView:viewForTableColumn:row:, every
// cell that the table draws shows the text of the view that the delegate
// returns for it. GNUstep asks for the value of a cell only when it draws it,
// so views are asked for the visible rows alone. Once its text has been taken
// the view goes into the table's reuse pool, from which
// makeViewWithIdentifier:owner: hands it out again.
//
// GNUstep also refuses to select a row before the data source is set (it has
// no rows yet); such a selection is kept and made once the data source is
// set, as far as the rows then exist.
#import "KPSideObjects.h"
#include <objc/runtime.h>

@interface KPTableState : NSObject
{
@public
  NSMutableDictionary *reusePool;  // identifier -> views ready for reuse
  NSIndexSet *pendingSelection;    // made before there was a data source
}
@end

@implementation KPTableState
- (id) init
{
  if ((self = [super init]) != nil)
    reusePool = [NSMutableDictionary new];
  return self;
}

- (void) dealloc
{
  [reusePool release];
  [pendingSelection release];
  [super dealloc];
}
@end

@implementation NSTableView (KPViewBased)

// Views come from the reuse pool only: there are no nibs to make them from.
- (id) makeViewWithIdentifier: (NSString *)identifier owner: (id)owner
{
  KPTableState *state = KPSideObject(self, [KPTableState class], NO);
  NSMutableArray *queue;
  NSView *view;

  if (state == nil)
    return nil;
  queue = [state->reusePool objectForKey: identifier];
  if ([queue count] == 0)
    return nil;
  view = [[[queue lastObject] retain] autorelease];
  [queue removeLastObject];
  return view;
}

- (void) kpEnqueueReusableView: (NSView *)view
{
  NSString *identifier = [view identifier];
  KPTableState *state;
  NSMutableArray *queue;

  if (identifier == nil)
    return;
  state = KPSideObject(self, [KPTableState class], YES);
  queue = [state->reusePool objectForKey: identifier];
  if (queue == nil)
    {
      queue = [NSMutableArray array];
      [state->reusePool setObject: queue forKey: identifier];
    }
  if ([queue indexOfObjectIdenticalTo: view] == NSNotFound)
    [queue addObject: view];
}

// The methods below are exchanged with the platform's own at load, so that
// calling a kp method from inside itself runs the platform's.

// GNUstep's source of every cell's value while it draws.
- (id) kpObjectValueForTableColumn: (NSTableColumn *)column row: (NSInteger)row
{
  id delegate = [self delegate];
  NSView *view;
  id value = nil;

  if (![delegate respondsToSelector: @selector(tableView:viewForTableColumn:row:)])
    return [self kpObjectValueForTableColumn: column row: row];
  view = [delegate tableView: self viewForTableColumn: column row: row];
  if ([view respondsToSelector: @selector(objectValue)])
    value = [[[(id)view objectValue] retain] autorelease];  // outlives reuse
  [self kpEnqueueReusableView: view];
  return value;
}

- (void) kpSelectRowIndexes: (NSIndexSet *)indexes byExtendingSelection: (BOOL)extend
{
  KPTableState *state;
  NSMutableIndexSet *pending;

  if ([self dataSource] != nil)
    {
      [self kpSelectRowIndexes: indexes byExtendingSelection: extend];
      return;
    }
  state = KPSideObject(self, [KPTableState class], YES);
  pending = [NSMutableIndexSet new];
  if (extend && state->pendingSelection != nil)
    [pending addIndexes: state->pendingSelection];
  [pending addIndexes: indexes];
  [state->pendingSelection release];
  state->pendingSelection = pending;
}

- (void) kpSetDataSource: (id)source
{
  KPTableState *state = KPSideObject(self, [KPTableState class], NO);
  NSMutableIndexSet *rows;
  NSUInteger count;

  [self kpSetDataSource: source];
  if (source == nil || state == nil || state->pendingSelection == nil)
    return;
  rows = [state->pendingSelection mutableCopy];
  DESTROY(state->pendingSelection);
  count = (NSUInteger)[self numberOfRows];
  [rows removeIndexesInRange: NSMakeRange(count, NSNotFound - count)];
  if ([rows count] > 0)
    [self kpSelectRowIndexes: rows byExtendingSelection: NO];
  [rows release];
}

static void exchange(Class c, SEL platform, SEL replacement)
{
  Method original = class_getInstanceMethod(c, platform);
  if (original != NULL)
    method_exchangeImplementations(original, class_getInstanceMethod(c, replacement));
}

+ (void) load
{
  exchange(self, @selector(_objectValueForTableColumn:row:),
           @selector(kpObjectValueForTableColumn:row:));
  exchange(self, @selector(selectRowIndexes:byExtendingSelection:),
           @selector(kpSelectRowIndexes:byExtendingSelection:));
  exchange(self, @selector(setDataSource:), @selector(kpSetDataSource:));
}

@end
