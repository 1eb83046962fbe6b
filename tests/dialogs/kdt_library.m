#import "kdt_harness.h"
#include <dlfcn.h>
#include <objc/runtime.h>

static void *library;

void kdtOpenLibrary(const char *path)
{
  library = dlopen(path, RTLD_NOW | RTLD_LOCAL);
  if (library == NULL)
    {
      fprintf(stderr, "cannot load %s: %s\n", path, dlerror());
      exit(2);
    }
}

void *kdtSymbol(const char *name)
{
  void *symbol = dlsym(library, name);
  if (symbol == NULL)
    {
      fprintf(stderr, "the library does not export %s\n", name);
      exit(2);
    }
  return symbol;
}

int kdtFailures;

void kdtCheck(BOOL ok, const char *what, const char *file, int line)
{
  if (ok)
    return;
  kdtFailures++;
  fprintf(stderr, "%s:%d: check failed: %s\n", file, line, what);
}

NSString *kdtUTF8(const char *text)
{
  return [NSString stringWithUTF8String: text];
}

static int cellViewsAsked;
static IMP libraryCellView;

static NSView *countedCellView(id self, SEL _cmd, NSTableView *t, NSTableColumn *c, NSInteger r)
{
  cellViewsAsked++;
  return ((NSView *(*)(id, SEL, NSTableView *, NSTableColumn *, NSInteger))libraryCellView)(
    self, _cmd, t, c, r);
}

const int *kdtCountCellViews(void)
{
  if (libraryCellView == NULL)
    {
      Method m = class_getInstanceMethod(NSClassFromString(@"p11Win"),
                                         @selector(tableView:viewForTableColumn:row:));
      libraryCellView = method_setImplementation(m, (IMP)countedCellView);
    }
  return &cellViewsAsked;
}

typedef struct
{
  void (*body)(void *);
  void *context;
} KDTThreadBody;

static void *runThreadBody(void *argument)
{
  KDTThreadBody *run = argument;
  NSAutoreleasePool *pool = [NSAutoreleasePool new];
  run->body(run->context);
  [pool release];
  free(run);
  return NULL;
}

void kdtStartThread(pthread_t *thread, void (*body)(void *), void *context)
{
  KDTThreadBody *run = malloc(sizeof *run);  // freed by the thread
  run->body = body;
  run->context = context;
  if (pthread_create(thread, NULL, runThreadBody, run) != 0)
    {
      fprintf(stderr, "cannot start a thread\n");
      exit(3);
    }
}

void kdtOnNewThread(void (*body)(void *), void *context)
{
  pthread_t thread;
  kdtStartThread(&thread, body, context);
  pthread_join(thread, NULL);
}
