// The selection dialogs' window: a 400 x 200 titled window with the list in a
// scroll view and the buttons "确定" and "取消" below it.
#import "p11SelectionDialog.h"
#import "p11Modal.h"

id p11ElementValue(id element, NSString *key)
{
  return [element isKindOfClass: [NSDictionary class]] ? [element objectForKey: key] : nil;
}

@implementation p11Win (SelectionDialog)

- (void) addSelectionButton: (const char *)title frame: (NSRect)frame action: (SEL)action
{
  NSButton *button = [[NSButton alloc] initWithFrame: frame];
  [button setAction: action];
  [button setTarget: self];
  [button setTitle: [NSString stringWithUTF8String: title]];
  [button setButtonType: NSButtonTypePushOnPushOff];
  [button setBezelStyle: NSBezelStyleRounded];
  [[window contentView] addSubview: button];
  [button release];
}

- (void) runSelectionDialogTitled: (NSString *)title
                          columns: (const p11SelectionColumn *)columns
                            count: (int)count
                         okAction: (SEL)okAction
                     cancelAction: (SEL)cancelAction
{
  window = [[NSWindow alloc] initWithContentRect: NSMakeRect(0, 0, 400, 200)
                                       styleMask: NSWindowStyleMaskTitled
                                         backing: NSBackingStoreBuffered
                                           defer: NO];
  [window setReleasedWhenClosed: NO];  // the controller releases it
  [window setTitle: title];
  [window center];

  myTableView = [[NSTableView alloc] init];
  [myTableView setAutoresizesSubviews: YES];
  [myTableView setFocusRingType: NSFocusRingTypeNone];
  for (int i = 0; i < count; i++)
    {
      NSTableColumn *column = [[NSTableColumn alloc]
          initWithIdentifier: [NSString stringWithUTF8String: columns[i].identifier]];
      if (columns[i].width > 0)
        [column setWidth: columns[i].width];
      [myTableView addTableColumn: column];
      [column release];
    }
  // The first row starts selected; the list allows one selected row at most.
  [myTableView selectRowIndexes: [NSIndexSet indexSetWithIndex: 0] byExtendingSelection: NO];
  [myTableView setDelegate: self];
  [myTableView setDataSource: self];

  tableViewScrollView = [[NSScrollView alloc] initWithFrame: NSMakeRect(10, 60, 380, 120)];
  [tableViewScrollView setHasVerticalScroller: NO];
  [tableViewScrollView setHasHorizontalScroller: NO];
  [tableViewScrollView setFocusRingType: NSFocusRingTypeNone];
  [tableViewScrollView setAutohidesScrollers: YES];
  [tableViewScrollView setBorderType: NSBezelBorder];
  [tableViewScrollView setTranslatesAutoresizingMaskIntoConstraints: NO];
  [tableViewScrollView setDocumentView: myTableView];
  [[window contentView] addSubview: tableViewScrollView];

  [self addSelectionButton: "确定" frame: NSMakeRect(80, 10, 80, 40) action: okAction];
  [self addSelectionButton: "取消" frame: NSMakeRect(240, 10, 80, 40) action: cancelAction];

  p11RunWindowModal(window, self);
  // However the run ended, the window is not left on screen.
  if ([window isVisible])
    [window orderOut: self];
}

- (int) selectedRowOrZero
{
  NSInteger row = [myTableView selectedRow];
  return row < 0 ? 0 : (int)row;
}

- (void) endSelectionDialog
{
  [window orderOut: self];
  [NSApp stopModal];
}

@end
