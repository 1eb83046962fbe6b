// The token selection dialog: the user picks one token of a list.
#import "p11SelectionDialog.h"
#include "keydialogs.h"

static const p11SelectionColumn keyColumns[] = {
  { "label", 150 },
  { "name", 0 },
  { "serial", 150 },
};

@implementation p11Win (KeySelection)

- (int) selectKeyAlertWithArr: (NSArray *)arr
{
  [datas release];
  datas = [[NSArray alloc] initWithArray: arr];  // the caller's elements, as they are
  [self runSelectionDialogTitled: [NSString stringWithUTF8String: "请选择Korvex"]
                         columns: keyColumns
                           count: sizeof keyColumns / sizeof keyColumns[0]
                        okAction: @selector(selectKeySureBtnClicked:)
                    cancelAction: @selector(selectKeyCacncelBtnClicked:)];
  return selectKeyFlag;
}

- (void) selectKeySureBtnClicked: (id)sender
{
  selectKeyFlag = [self selectedRowOrZero];
  [self endSelectionDialog];
}

- (void) selectKeyCacncelBtnClicked: (id)sender
{
  [self endSelectionDialog];
}

@end

int selectKeyAlertWithArr(NSArray *arr)
{
  if (NSApp == nil)
    return 0;
  NSAutoreleasePool *pool = [NSAutoreleasePool new];
  int result = [p11InstallNewController() selectKeyAlertWithArr: arr];
  [pool release];
  return result;
}
