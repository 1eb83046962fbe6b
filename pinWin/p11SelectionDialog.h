// What the certificate and token selection dialogs share: the window with its
// list, scroll view and buttons, the end of the dialog, and reading a value
// out of a list element.
#pragma once
#import "p11Win.h"
#import "p11DialogThread.h"

// One call of a selection dialog, carried to the thread that runs it.
typedef struct
{
  NSArray *list;
  int result;
} p11SelectionCall;

typedef struct
{
  const char *identifier;  // also the key that the column shows of each row
  CGFloat width;           // 0: the default width of a new column
} p11SelectionColumn;

@interface p11Win (SelectionDialog)
// Builds the dialog's window around `datas` and runs it window-modally until
// one of its buttons ends it. The buttons send `okAction` and `cancelAction`
// to the controller.
- (void) runSelectionDialogTitled: (NSString *)title
                          columns: (const p11SelectionColumn *)columns
                            count: (int)count
                         okAction: (SEL)okAction
                     cancelAction: (SEL)cancelAction;

// The selected row, or 0 when none is selected.
- (int) selectedRowOrZero;

// Hides the window (it stays the controller's) and ends the modal run.
- (void) endSelectionDialog;
@end

#ifdef __cplusplus
extern "C" {
#endif

// The value of a list element under `key`; nil when the element holds none
// or is not a dictionary.
id p11ElementValue(id element, NSString *key);

#ifdef __cplusplus
}
#endif
