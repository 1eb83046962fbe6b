// The certificate selection dialog: the user picks one certificate of a list.
#import "p11SelectionDialog.h"
#include "keydialogs.h"

static const p11SelectionColumn certColumns[] = {
  { "cerState", 0 },
  { "info", 150 },
};

// One row per certificate, in the list's order: its state, and "S's I ID"
// from its subject S and issuer I.
static NSArray *newCertRows(NSArray *certificates)
{
  NSUInteger count = [certificates count];
  NSMutableArray *rows = [[NSMutableArray alloc] initWithCapacity: count];

  for (NSUInteger i = 0; i < count; i++)
    {
      id certificate = [certificates objectAtIndex: i];
      id state = p11ElementValue(certificate, @"cerState");
      NSString *info = [[NSString alloc] initWithFormat: @"%@'s %@ ID",
        p11ElementValue(certificate, @"sub"), p11ElementValue(certificate, @"isser")];
      id keys[] = { @"cerState", @"info" };
      id values[] = { state != nil ? state : @"", info };
      NSDictionary *row = [[NSDictionary alloc] initWithObjects: values forKeys: keys count: 2];
      [rows addObject: row];
      [row release];
      [info release];
    }
  NSArray *copy = [rows copy];
  [rows release];
  return copy;
}

@implementation p11Win (CertSelection)

- (int) selectCertAlertWithArr: (NSArray *)arr
{
  [datas release];
  datas = newCertRows(arr);
  [self runSelectionDialogTitled: [NSString stringWithUTF8String: "请选择要查看的证书"]
                         columns: certColumns
                           count: sizeof certColumns / sizeof certColumns[0]
                        okAction: @selector(selectCertSureBtnClicked:)
                    cancelAction: @selector(selectCertCacncelBtnClicked:)];
  return selectCertFlag;
}

- (void) selectCertSureBtnClicked: (id)sender
{
  selectCertFlag = [self selectedRowOrZero];
  [self endSelectionDialog];
}

- (void) selectCertCacncelBtnClicked: (id)sender
{
  [self endSelectionDialog];
}

@end

static void runSelectCertAlertWithArr(void *context)
{
  p11SelectionCall *call = (p11SelectionCall *)context;
  NSAutoreleasePool *pool = [NSAutoreleasePool new];
  call->result = [p11InstallNewController() selectCertAlertWithArr: call->list];
  [pool release];
}

int selectCertAlertWithArr(NSArray *arr)
{
  if (NSApp == nil)
    return 0;
  p11SelectionCall call = { arr, 0 };
  p11RunDialog(runSelectCertAlertWithArr, &call);
  return call.result;
}
