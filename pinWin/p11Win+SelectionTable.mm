// The selection dialogs' list: one row per element of `datas`, one cell per
// column, each showing the row's value under the column's identifier.
#import "p11SelectionDialog.h"

// A value that is not a text shows as the platform describes it (as "%@"
// would write it); no value shows as an empty cell.
static NSString *cellText(id value)
{
  if (value == nil)
    return @"";
  return [value isKindOfClass: [NSString class]] ? value : [value description];
}

@implementation p11Win (SelectionTable)

- (NSInteger) numberOfRowsInTableView: (NSTableView *)tableView
{
  return (NSInteger)[datas count];
}

- (NSView *) tableView: (NSTableView *)tableView
    viewForTableColumn: (NSTableColumn *)tableColumn row: (NSInteger)row
{
  NSString *identifier = [tableColumn identifier];
  id value = p11ElementValue([datas objectAtIndex: (NSUInteger)row], identifier);
  NSTextField *field = [tableView makeViewWithIdentifier: identifier owner: self];

  if (field == nil)
    {
      field = [[[NSTextField alloc] init] autorelease];
      [field setBezeled: NO];
      [field setDrawsBackground: NO];
      [field setEditable: NO];
      [field setIdentifier: identifier];
    }
  // Always set: a reused field still holds the text of the row it showed last.
  [field setStringValue: cellText(value)];
  return field;
}

@end
