// The certificate and token selection dialogs, driven as a user would drive
// them: rows clicked with the real pointer or selected from the modal run.
#import "kdt_harness.h"
#include <objc/runtime.h>  // sel_isEqual

#define CERT_TITLE "请选择要查看的证书"
#define KEY_TITLE "请选择Korvex"

typedef int (*SelectFunction)(NSArray *);
static SelectFunction selectCert, selectKey;
static id *pinwin;

static void setUp(void)
{
  selectCert = kdtSymbol("selectCertAlertWithArr");
  selectKey = kdtSymbol("selectKeyAlertWithArr");
  pinwin = kdtSymbol("pinwin");
  ((void (*)(void))kdtSymbol("P11_ConsoleInit"))();
}

static NSDictionary *element(const char *k1, id v1, const char *k2, id v2,
                             const char *k3, id v3)
{
  NSMutableDictionary *d = [NSMutableDictionary dictionary];
  if (k1 != NULL) [d setObject: v1 forKey: kdtUTF8(k1)];
  if (k2 != NULL) [d setObject: v2 forKey: kdtUTF8(k2)];
  if (k3 != NULL) [d setObject: v3 forKey: kdtUTF8(k3)];
  return d;
}

static int intVar(id controller, NSString *name)
{
  return [[controller valueForKey: name] intValue];
}

// ---- What the list shows ----

// The text that the list draws in a cell: GNUstep asks the table for each
// cell's value while it draws it.
static NSString *drawnText(NSTableView *table, int column, int row)
{
  SEL s = @selector(_objectValueForTableColumn:row:);
  id (*value)(id, SEL, id, NSInteger) =
    (id (*)(id, SEL, id, NSInteger))[table methodForSelector: s];
  return value(table, s, [[table tableColumns] objectAtIndex: column], row);
}

static void expectRow(NSTableView *table, int row, const char *const *texts, int columns)
{
  int c;
  for (c = 0; c < columns; c++)
    if (![drawnText(table, c, row) isEqual: kdtUTF8(texts[c])])
      {
        fprintf(stderr, "row %d column %d shows \"%s\", not \"%s\"\n", row, c,
                [drawnText(table, c, row) UTF8String], texts[c]);
        kdtFailures++;
      }
}

static CGFloat defaultColumnWidth(void)
{
  NSTableColumn *c = [[[NSTableColumn alloc] initWithIdentifier: @"any"] autorelease];
  return [c width];
}

// The window, list, scroll view and buttons that both dialogs share.
static void checkSharedLayout(NSWindow *window, SEL okAction, SEL cancelAction)
{
  NSTableView *table = kdtTableView(window);
  NSScrollView *scroll = [table enclosingScrollView];
  NSButton *ok = kdtButton(window, kdtUTF8("确定"));
  NSButton *cancel = kdtButton(window, kdtUTF8("取消"));
  NSArray *columns = [table tableColumns];
  NSUInteger i;

  KDT_CHECK(NSEqualSizes([[window contentView] frame].size, NSMakeSize(400, 200)));
  KDT_CHECK([window styleMask] == NSTitledWindowMask);
  KDT_CHECK([table delegate] == *pinwin && [table dataSource] == *pinwin);
  KDT_CHECK([table focusRingType] == NSFocusRingTypeNone);
  KDT_CHECK(![table allowsMultipleSelection]);
  KDT_CHECK([table selectedRow] == 0);
  for (i = 0; i < [columns count]; i++)
    KDT_CHECK([[[[columns objectAtIndex: i] headerCell] stringValue] length] == 0);
  KDT_CHECK(NSEqualRects([scroll frame], NSMakeRect(10, 60, 380, 120)));
  KDT_CHECK(![scroll hasVerticalScroller] && ![scroll hasHorizontalScroller]);
  KDT_CHECK([scroll borderType] == NSBezelBorder && [scroll autohidesScrollers]);
  KDT_CHECK(NSEqualRects([ok frame], NSMakeRect(80, 10, 80, 40)));
  KDT_CHECK(NSEqualRects([cancel frame], NSMakeRect(240, 10, 80, 40)));
  KDT_CHECK([ok target] == *pinwin && sel_isEqual([ok action], okAction));
  KDT_CHECK([cancel target] == *pinwin && sel_isEqual([cancel action], cancelAction));
  KDT_CHECK([[ok keyEquivalent] length] == 0 && [[cancel keyEquivalent] length] == 0);
}

// ---- Steps used by both dialogs ----

static void deselect(NSWindow *window)
{
  [kdtTableView(window) deselectAll: nil];
}

static void selectFourth(NSWindow *window)
{
  [kdtTableView(window) selectRowIndexes: [NSIndexSet indexSetWithIndex: 3]
                    byExtendingSelection: NO];
}

static void selectSecond(NSWindow *window)
{
  [kdtTableView(window) selectRowIndexes: [NSIndexSet indexSetWithIndex: 1]
                    byExtendingSelection: NO];
}

// Counts the dialog windows that were closed (they must only be hidden).
static int closedWindows;

@interface KDTCloseCounter : NSObject
- (void) windowWillClose: (NSNotification *)n;
@end

@implementation KDTCloseCounter
- (void) windowWillClose: (NSNotification *)n
{
  closedWindows++;
}
@end

static void countClosedWindows(void)
{
  static KDTCloseCounter *counter;
  if (counter == nil)
    {
      counter = [KDTCloseCounter new];
      [[NSNotificationCenter defaultCenter] addObserver: counter
        selector: @selector(windowWillClose:) name: NSWindowWillCloseNotification object: nil];
    }
}

// One dialog: returns its result, and checks that a new controller ran it
// and that its window was hidden, not closed.
static int runDialog(SelectFunction select, NSArray *list, const KDTStep *steps, int count)
{
  id before = *pinwin;
  int closed = closedWindows;
  kdtDrive(steps, count);
  int result = select(list);
  KDT_CHECK(kdtDriveFinished());
  KDT_CHECK(*pinwin != nil && *pinwin != before);
  NSWindow *window = [*pinwin valueForKey: @"window"];
  KDT_CHECK(window != nil && ![window isVisible]);
  KDT_CHECK(closedWindows == closed);
  return result;
}

// ---- Certificate selection ----

static NSArray *certificates(void)
{
  return [NSArray arrayWithObjects:
    element("cerState", kdtUTF8("有效"), "sub", @"A", "isser", @"B"),
    element("cerState", kdtUTF8("过期"), "sub", kdtUTF8("张三"), "isser", @"CA"),
    element("cerState", kdtUTF8("有效"), "sub", @"C", "isser", @"D"),
    element("isser", @"E", "other", @"ignored", NULL, nil),
    nil];
}

static void checkCertWindow(NSWindow *window)
{
  NSTableView *table = kdtTableView(window);
  static const char *const rows[][2] = {
    { "有效", "A's B ID" }, { "过期", "张三's CA ID" }, { "有效", "C's D ID" },
    { "", "(null)'s E ID" } };
  int r;

  checkSharedLayout(window, @selector(selectCertSureBtnClicked:),
                    @selector(selectCertCacncelBtnClicked:));
  KDT_CHECK([table numberOfRows] == 4);
  NSArray *expected = [NSArray arrayWithObjects: @"cerState", @"info", nil];
  KDT_CHECK([[[table tableColumns] valueForKey: @"identifier"] isEqual: expected]);
  KDT_CHECK([[table tableColumnWithIdentifier: @"cerState"] width] == defaultColumnWidth());
  KDT_CHECK([[table tableColumnWithIdentifier: @"info"] width] >= 150);
  for (r = 0; r < 4; r++)
    expectRow(table, r, rows[r], 2);
}

static void certificateSelection(void)
{
  const KDTStep okUntouched[] = {
    { KDTWaitWindow, CERT_TITLE }, { KDTInspect, NULL, checkCertWindow },
    { KDTScreenshot, "cert-selection" }, { KDTClick, "确定" } };
  const KDTStep clickThird[] = {
    { KDTWaitWindow, CERT_TITLE }, { KDTClickRow, "2" },
    { KDTScreenshot, "cert-selection-third-row" }, { KDTClick, "确定" } };
  const KDTStep okNoSelection[] = {
    { KDTWaitWindow, CERT_TITLE }, { KDTInspect, NULL, deselect }, { KDTClick, "确定" } };
  const KDTStep cancel[] = {
    { KDTWaitWindow, CERT_TITLE }, { KDTInspect, NULL, selectFourth }, { KDTClick, "取消" } };
  NSArray *list = certificates();

  setUp();
  countClosedWindows();
  KDT_CHECK(runDialog(selectCert, list, KDT_STEPS(okUntouched)) == 0);
  KDT_CHECK(runDialog(selectCert, list, KDT_STEPS(clickThird)) == 2);
  KDT_CHECK(intVar(*pinwin, @"selectCertFlag") == 2 && intVar(*pinwin, @"selectKeyFlag") == 0);
  NSArray *rows = [*pinwin valueForKey: @"datas"];
  KDT_CHECK(![rows isKindOfClass: [NSMutableArray class]] && [rows count] == 4);
  KDT_CHECK([[rows objectAtIndex: 3] count] == 2);  // the state stays a key, blank
  KDT_CHECK(runDialog(selectCert, list, KDT_STEPS(okNoSelection)) == 0);
  KDT_CHECK(runDialog(selectCert, list, KDT_STEPS(cancel)) == 0);
  KDT_CHECK([list isEqual: certificates()]);  // the caller's list is only read
}

// ---- Token selection ----

static NSArray *tokens(void)
{
  return [NSArray arrayWithObjects:
    element("label", @"L", "name", @"N", "serial", @"S"),
    element("label", @"L1", "serial", @"S1", NULL, nil),  // no name
    element("label", kdtUTF8("标签"), "name", @"N2", "serial", @"S2"),
    nil];
}

static void checkKeyWindow(NSWindow *window)
{
  NSTableView *table = kdtTableView(window);
  static const char *const rows[][3] = {
    { "L", "N", "S" }, { "L1", "", "S1" }, { "标签", "N2", "S2" } };
  int r;

  checkSharedLayout(window, @selector(selectKeySureBtnClicked:),
                    @selector(selectKeyCacncelBtnClicked:));
  KDT_CHECK([table numberOfRows] == 3);
  NSArray *expected = [NSArray arrayWithObjects: @"label", @"name", @"serial", nil];
  KDT_CHECK([[[table tableColumns] valueForKey: @"identifier"] isEqual: expected]);
  KDT_CHECK([[table tableColumnWithIdentifier: @"label"] width] == 150);
  KDT_CHECK([[table tableColumnWithIdentifier: @"name"] width] == defaultColumnWidth());
  KDT_CHECK([[table tableColumnWithIdentifier: @"serial"] width] >= 150);
  // In order, so that the row without a name gets the field that showed "N".
  for (r = 0; r < 3; r++)
    expectRow(table, r, rows[r], 3);
}

static void tokenSelection(void)
{
  const KDTStep okUntouched[] = {
    { KDTWaitWindow, KEY_TITLE }, { KDTInspect, NULL, checkKeyWindow },
    { KDTScreenshot, "key-selection" }, { KDTClick, "确定" } };
  const KDTStep okSecond[] = {
    { KDTWaitWindow, KEY_TITLE }, { KDTInspect, NULL, selectSecond },
    { KDTScreenshot, "key-selection-second-row" }, { KDTClick, "确定" } };
  const KDTStep okNoSelection[] = {
    { KDTWaitWindow, KEY_TITLE }, { KDTInspect, NULL, deselect }, { KDTClick, "确定" } };
  const KDTStep cancel[] = {
    { KDTWaitWindow, KEY_TITLE }, { KDTInspect, NULL, selectSecond }, { KDTClick, "取消" } };
  NSArray *list = tokens();
  NSUInteger i;

  setUp();
  countClosedWindows();
  KDT_CHECK(runDialog(selectKey, list, KDT_STEPS(okUntouched)) == 0);
  KDT_CHECK(runDialog(selectKey, list, KDT_STEPS(okSecond)) == 1);  // the one without a name
  KDT_CHECK(intVar(*pinwin, @"selectKeyFlag") == 1 && intVar(*pinwin, @"selectCertFlag") == 0);
  NSArray *rows = [*pinwin valueForKey: @"datas"];
  KDT_CHECK(rows != list && [rows count] == 3);
  for (i = 0; i < [rows count]; i++)
    KDT_CHECK([rows objectAtIndex: i] == [list objectAtIndex: i]);
  KDT_CHECK(runDialog(selectKey, list, KDT_STEPS(okNoSelection)) == 0);
  KDT_CHECK(runDialog(selectKey, list, KDT_STEPS(cancel)) == 0);
}

// ---- Empty lists ----

static void checkEmpty(NSWindow *window)
{
  NSTableView *table = kdtTableView(window);
  KDT_CHECK([table numberOfRows] == 0 && [table selectedRow] == -1);
}

static void emptyLists(void)
{
  const KDTStep certOk[] = {
    { KDTWaitWindow, CERT_TITLE }, { KDTInspect, NULL, checkEmpty }, { KDTClick, "确定" } };
  const KDTStep certCancel[] = { { KDTWaitWindow, CERT_TITLE }, { KDTClick, "取消" } };
  const KDTStep keyOk[] = {
    { KDTWaitWindow, KEY_TITLE }, { KDTInspect, NULL, checkEmpty }, { KDTClick, "确定" } };
  const KDTStep keyCancel[] = { { KDTWaitWindow, KEY_TITLE }, { KDTClick, "取消" } };
  NSArray *empty = [NSArray array];

  // Before the process has an application object: no window, 0.
  KDT_CHECK(((SelectFunction)kdtSymbol("selectCertAlertWithArr"))(certificates()) == 0);
  KDT_CHECK(((SelectFunction)kdtSymbol("selectKeyAlertWithArr"))(tokens()) == 0);
  KDT_CHECK(*(id *)kdtSymbol("pinwin") == nil);

  setUp();
  countClosedWindows();
  KDT_CHECK(runDialog(selectCert, empty, KDT_STEPS(certOk)) == 0);
  KDT_CHECK(runDialog(selectCert, nil, KDT_STEPS(certOk)) == 0);
  KDT_CHECK(runDialog(selectCert, empty, KDT_STEPS(certCancel)) == 0);
  KDT_CHECK(runDialog(selectCert, nil, KDT_STEPS(certCancel)) == 0);
  KDT_CHECK(runDialog(selectKey, empty, KDT_STEPS(keyOk)) == 0);
  KDT_CHECK(runDialog(selectKey, nil, KDT_STEPS(keyOk)) == 0);
  KDT_CHECK(runDialog(selectKey, empty, KDT_STEPS(keyCancel)) == 0);
  KDT_CHECK(runDialog(selectKey, nil, KDT_STEPS(keyCancel)) == 0);
}

// ---- Elements and values of the wrong kind ----

static NSString *described(id value)
{
  return [value description];
}

static void checkOddCert(NSWindow *window)
{
  NSTableView *table = kdtTableView(window);
  NSString *info = [NSString stringWithFormat: @"%@'s %@ ID",
    described([NSNumber numberWithInt: 42]), described([NSNull null])];
  KDT_CHECK([drawnText(table, 0, 0) isEqual: @""]);
  KDT_CHECK([drawnText(table, 1, 0) isEqual: @"(null)'s (null) ID"]);
  KDT_CHECK([drawnText(table, 0, 1) isEqual: @"7"]);
  KDT_CHECK([drawnText(table, 1, 1) isEqual: info]);
  selectSecond(window);
}

static void checkOddKey(NSWindow *window)
{
  NSTableView *table = kdtTableView(window);
  NSArray *inner = [NSArray arrayWithObject: @"x"];
  int c;
  for (c = 0; c < 3; c++)
    KDT_CHECK([drawnText(table, c, 0) isEqual: @""]);
  KDT_CHECK([drawnText(table, 0, 1) isEqual: @"5"]);
  KDT_CHECK([drawnText(table, 1, 1) isEqual: described(inner)]);
  KDT_CHECK([drawnText(table, 2, 1) isEqual: @"S"]);
  [table selectRowIndexes: [NSIndexSet indexSetWithIndex: 0] byExtendingSelection: NO];
}

static void oddElements(void)
{
  const KDTStep cert[] = {
    { KDTWaitWindow, CERT_TITLE }, { KDTInspect, NULL, checkOddCert }, { KDTClick, "确定" } };
  const KDTStep key[] = {
    { KDTWaitWindow, KEY_TITLE }, { KDTInspect, NULL, checkOddKey },
    { KDTScreenshot, "key-selection-odd-elements" }, { KDTClick, "确定" } };
  NSArray *oddCerts = [NSArray arrayWithObjects: @"not a dictionary",
    element("cerState", [NSNumber numberWithInt: 7], "sub", [NSNumber numberWithInt: 42],
            "isser", [NSNull null]), nil];
  NSArray *oddTokens = [NSArray arrayWithObjects: [NSNumber numberWithInt: 1],
    element("label", [NSNumber numberWithInt: 5], "name", [NSArray arrayWithObject: @"x"],
            "serial", @"S"), nil];

  setUp();
  countClosedWindows();
  KDT_CHECK(runDialog(selectCert, oddCerts, KDT_STEPS(cert)) == 1);
  KDT_CHECK(runDialog(selectKey, oddTokens, KDT_STEPS(key)) == 0);
}

// ---- A long list ----

static void selectLast(NSWindow *window)
{
  NSTableView *table = kdtTableView(window);
  KDT_CHECK([table numberOfRows] == 10000);
  KDT_CHECK(![[table enclosingScrollView] hasVerticalScroller]);  // no scroll bar
  [table selectRowIndexes: [NSIndexSet indexSetWithIndex: 9999] byExtendingSelection: NO];
  [table scrollRowToVisible: 9999];
}

static void checkLastShown(NSWindow *window)
{
  NSTableView *table = kdtTableView(window);
  KDT_CHECK([drawnText(table, 0, 9999) isEqual: @"L9999"]);
}

static void longList(void)
{
  const KDTStep cert[] = {
    { KDTWaitWindow, CERT_TITLE }, { KDTInspect, NULL, selectLast },
    { KDTScreenshot, "cert-selection-long-list" }, { KDTClick, "确定" } };
  const KDTStep key[] = {
    { KDTWaitWindow, KEY_TITLE }, { KDTInspect, NULL, selectLast }, { KDTPause, "100" },
    { KDTInspect, NULL, checkLastShown }, { KDTClick, "确定" } };
  NSMutableArray *certs = [NSMutableArray array], *keys = [NSMutableArray array];
  int i;

  for (i = 0; i < 10000; i++)
    {
      NSString *n = [NSString stringWithFormat: @"%d", i];
      [certs addObject: element("cerState", n, "sub", n, "isser", @"CA")];
      [keys addObject: element("label", [@"L" stringByAppendingString: n], "name", n,
                               "serial", n)];
    }
  setUp();
  countClosedWindows();
  const int *cellViewsAsked = kdtCountCellViews();  // only the rows shown
  KDT_CHECK(runDialog(selectCert, certs, KDT_STEPS(cert)) == 9999);
  KDT_CHECK(runDialog(selectKey, keys, KDT_STEPS(key)) == 9999);
  fprintf(stderr, "cell views asked for: %d\n", *cellViewsAsked);
  KDT_CHECK(*cellViewsAsked > 0 && *cellViewsAsked < 2000);
}

const KDTScenario kdtSelectionScenarios[] = {
  { "selection_cert", certificateSelection },
  { "selection_key", tokenSelection },
  { "selection_empty", emptyLists },
  { "selection_odd_elements", oddElements },
  { "selection_long_list", longList },
  { NULL, NULL }
};
