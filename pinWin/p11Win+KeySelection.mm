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

static void runSelectKeyAlertWithArr(void *context)
{
  p11SelectionCall *call = (p11SelectionCall *)context;
  NSAutoreleasePool *pool = [NSAutoreleasePool new];
  call->result = [p11InstallNewController() selectKeyAlertWithArr: call->list];
  [pool release];
}

int selectKeyAlertWithArr(NSArray *arr)
{
  if (NSApp == nil)
    return 0;
  p11SelectionCall call = { arr, 0 };
  p11RunDialog(runSelectKeyAlertWithArr, &call);
  return call.result;
}
