// Selection dialog figures: time from the call to the window on screen, and
// to its list drawn, for lists of 10, 1,000 and 100,000 rows; and how many
// cell views the list asked for.
//   selection_bench LIBRARY     (needs a display: run it under run-gui.sh)
#import "kdt_harness.h"
#import "bench_timing.h"

#define CERT_TITLE "请选择要查看的证书"
#define KEY_TITLE "请选择Korvex"

typedef int (*SelectFunction)(NSArray *);

static NSArray *newList(BOOL certificates, int rows)
{
  NSMutableArray *list = [[NSMutableArray alloc] initWithCapacity: rows];
  int i;
  for (i = 0; i < rows; i++)
    {
      NSAutoreleasePool *pool = [NSAutoreleasePool new];
      NSString *n = [NSString stringWithFormat: @"%d", i];
      [list addObject: certificates
        ? [NSDictionary dictionaryWithObjectsAndKeys: n, @"cerState", n, @"sub", @"CA", @"isser", nil]
        : [NSDictionary dictionaryWithObjectsAndKeys: n, @"label", n, @"name", n, @"serial", nil]];
      [pool release];
    }
  return list;
}

// One dialog, answered at once; the seconds from the call to the window on
// screen and to its list drawn.
static void oneDialog(SelectFunction select, NSArray *list, const KDTStep *steps, int count,
                      double *shown, double *drawn)
{
  NSAutoreleasePool *pool = [NSAutoreleasePool new];
  kdtDrive(steps, count);
  kdbWatchNextWindow();
  double start = kdbNow();
  select(list);
  *shown = kdbShownAt() - start;
  *drawn = kdbDrawnAt() - start;
  [pool release];
}

static void measure(const char *name, SelectFunction select, BOOL certificates,
                    const KDTStep *steps, int count, const int *cellViews)
{
  enum { samples = 7 };
  static const int sizes[] = { 10, 1000, 100000 };
  double shown[samples], drawn[samples];
  size_t s;
  int i;

  for (s = 0; s < sizeof sizes / sizeof sizes[0]; s++)
    {
      NSArray *list = newList(certificates, sizes[s]);
      int viewsBefore = *cellViews;
      for (i = 0; i < samples; i++)
        oneDialog(select, list, steps, count, &shown[i], &drawn[i]);
      printf("%-5s %6d rows: on screen after %7.1f ms, list drawn after %7.1f ms"
             " (medians of %d); cell views per dialog %d\n",
             name, sizes[s], kdbMedian(shown, samples) * 1e3,
             kdbMedian(drawn, samples) * 1e3, samples,
             (*cellViews - viewsBefore) / samples);
      [list release];
    }
}

int main(int argc, char **argv)
{
  static const KDTStep answerCert[] = { { KDTWaitWindow, CERT_TITLE }, { KDTClick, "确定" } };
  static const KDTStep answerKey[] = { { KDTWaitWindow, KEY_TITLE }, { KDTClick, "确定" } };

  if (argc < 2)
    {
      fprintf(stderr, "usage: selection_bench LIBRARY\n");
      return 2;
    }
  NSAutoreleasePool *pool = [NSAutoreleasePool new];
  kdtOpenLibrary(argv[1]);
  ((void (*)(void))kdtSymbol("P11_ConsoleInit"))();
  const int *cellViews = kdtCountCellViews();
  measure("cert", kdtSymbol("selectCertAlertWithArr"), YES, KDT_STEPS(answerCert), cellViews);
  measure("token", kdtSymbol("selectKeyAlertWithArr"), NO, KDT_STEPS(answerKey), cellViews);
  [pool release];
  return 0;
}
