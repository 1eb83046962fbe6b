// The dialog controller, the countdown window's delegate, and the library's
// globals. Each dialog implements its methods in a category file of its own
// (p11Win+Something.mm); the declarations of all of them live here.
#pragma once
#import <AppKit/AppKit.h>

// Never shown: serves as the target of a dialog's buttons and holds its result.
@interface p11Win : NSWindow <NSTableViewDataSource, NSTableViewDelegate>
{
@public
  int signFlag;        // PIN window: -1 open, 0 OK, 1 cancel
  int selectKeyFlag;   // token selection
  int selectCertFlag;  // certificate selection
  NSTableView *myTableView;
  NSScrollView *tableViewScrollView;
  NSWindow *window;    // the selection dialogs' window
  NSArray *datas;      // the rows that the list shows
}
- (BOOL) canBecomeKeyWindow;
@end

@interface p11Win (CertSelection)
- (int) selectCertAlertWithArr: (NSArray *)arr;
- (void) selectCertSureBtnClicked: (id)sender;
- (void) selectCertCacncelBtnClicked: (id)sender;
@end

@interface p11Win (KeySelection)
- (int) selectKeyAlertWithArr: (NSArray *)arr;
- (void) selectKeySureBtnClicked: (id)sender;
- (void) selectKeyCacncelBtnClicked: (id)sender;
@end

@interface p11Win (KeyInit)
- (BOOL) showkeyInitAlert: (NSString *)text andSource: (NSString *)sourcePath;
@end

@interface p11Win (PinEntry)
- (int) P11_BlockPopPin: (char *)pin length: (int *)pinLen;
- (void) signSureBtnClicked: (id)sender;
- (void) signCacncelBtnClicked: (id)sender;
@end

@interface p11Win (Countdown)
- (int) showCountdownWin: (int)seconds gifName: (NSString *)gifName
              sourcePath: (NSString *)sourcePath wlenght: (int)wlenght
                   wWide: (int)wWide;
@end

@interface p11Win (SelectionTable)
- (NSInteger) numberOfRowsInTableView: (NSTableView *)tableView;
- (NSView *) tableView: (NSTableView *)tableView
    viewForTableColumn: (NSTableColumn *)tableColumn row: (NSInteger)row;
@end

// Delegate of the countdown window: a close request ends the countdown.
@interface MyDelegate : NSObject
- (BOOL) windowShouldClose: (id)sender;
@end

#ifdef __cplusplus
extern "C" {
#endif

// Exported.
extern int TIME;
extern id alert;
extern NSApplication *myapp;
extern NSTextField *nameLabel;
extern id pinLabel;
extern id inpin;
extern id tipWin;
extern NSModalSession session;
extern p11Win *pinwin;
extern NSWindow *win;
extern id testPanel;
extern MyDelegate *myDelegate;
extern NSTimer *timer;

// Internal.
extern BOOL windowClosed;
extern int *IsWinCloesd;

// Makes a new dialog controller the one in `pinwin`, releasing the one it
// replaces (whose dialog has ended: only one dialog is open at a time).
p11Win *p11InstallNewController(void);

#ifdef __cplusplus
}
#endif
