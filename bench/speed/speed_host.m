// The host side of the dialog speed benchmark: a program that loads the
// installed library as the token's cryptographic module would and shows the
// dialogs it is told to, printing CLOCK_MONOTONIC stamps on standard output.
//   speed_host LIBRARY fresh           one PIN window; stamps of main, dlopen,
//                                      P11_ConsoleInit and the call's return
//   speed_host LIBRARY series BUNDLE   reads dialog names (pin, pinpic, cert,
//                                      key, keyinit, msg, msg2, countdown) from
//                                      standard input, one a line, and shows each
//   speed_host toolkit                 GNUstep alone: stamps of main, its GUI
//                                      library loaded, and its base library
//                                      initialised with the user defaults read
// Every stamp line reads "WHAT SECONDS [RESULT]".
#import <Foundation/Foundation.h>
#include <dlfcn.h>
#include <stdio.h>
#include <string.h>
#include <time.h>

static double now(void)
{
  struct timespec ts;
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return ts.tv_sec + ts.tv_nsec / 1e9;
}

static void *library;

static void *symbol(const char *name)
{
  void *f = dlsym(library, name);
  if (f == NULL)
    {
      fprintf(stderr, "speed_host: %s missing\n", name);
      exit(2);
    }
  return f;
}

static NSArray *rows(NSString *k1, NSString *k2, NSString *k3)
{
  NSMutableArray *list = [NSMutableArray array];
  int i;
  for (i = 0; i < 3; i++)
    [list addObject: [NSDictionary dictionaryWithObjectsAndKeys:
      [NSString stringWithFormat: @"v%d", i], k1,
      [NSString stringWithFormat: @"w%d", i], k2,
      [NSString stringWithFormat: @"x%d", i], k3, nil]];
  return list;
}

// Shows the dialog `name`; returns its result.
static int show(const char *name, const char *bundle)
{
  char pin[64];
  int length = 0, open = 1;
  if (strcmp(name, "pin") == 0)
    return ((int (*)(char *, int *))symbol("P11_BlockPopPin"))(pin, &length);
  if (strcmp(name, "pinpic") == 0)
    return ((int (*)(char *, int *, const char *, const char *))
            symbol("P11_BlockPopPin_pic"))(pin, &length, "", bundle);
  if (strcmp(name, "cert") == 0)
    return ((int (*)(NSArray *))symbol("selectCertAlertWithArr"))(
      rows(@"cerState", @"sub", @"isser"));
  if (strcmp(name, "key") == 0)
    return ((int (*)(NSArray *))symbol("selectKeyAlertWithArr"))(
      rows(@"label", @"name", @"serial"));
  if (strcmp(name, "keyinit") == 0)
    return ((_Bool (*)(const char *, const char *))symbol("keyInitAlert"))("QV64", bundle);
  if (strcmp(name, "msg") == 0)
    return ((int (*)(const char *, int))symbol("P11_ShowMsg"))("消息", 0);
  if (strcmp(name, "msg2") == 0)
    return ((int (*)(const char *, int))symbol("P11_ShowMsg2"))("消息", 0);
  if (strcmp(name, "countdown") == 0)
    return ((int (*)(int, const char *, const char *, int, int, int *))
            symbol("showCountDownWindow"))(1, "QVLedChangepin", bundle, 300, 300, &open);
  fprintf(stderr, "speed_host: no dialog %s\n", name);
  exit(2);
}

// What every dialog on GNUstep pays before a line of ours runs.
static int toolkitAlone(void)
{
  if (dlopen(GNUSTEP_GUI_LIBRARY, RTLD_NOW | RTLD_LOCAL) == NULL)
    {
      fprintf(stderr, "speed_host: %s\n", dlerror());
      return 2;
    }
  printf("dlopen %.6f\n", now());
  NSAutoreleasePool *pool = [NSAutoreleasePool new];
  [NSUserDefaults standardUserDefaults];
  printf("init %.6f\n", now());
  [pool release];
  return 0;
}

int main(int argc, char **argv)
{
  double started = now();
  setvbuf(stdout, NULL, _IOLBF, 0);
  if (argc == 2 && strcmp(argv[1], "toolkit") == 0)
    {
      printf("main %.6f\n", started);
      return toolkitAlone();
    }
  if (argc < 3)
    {
      fprintf(stderr, "usage: speed_host LIBRARY fresh | LIBRARY series BUNDLE | toolkit\n");
      return 2;
    }
  printf("main %.6f\n", started);
  library = dlopen(argv[1], RTLD_NOW | RTLD_LOCAL);
  if (library == NULL)
    {
      fprintf(stderr, "speed_host: %s\n", dlerror());
      return 2;
    }
  printf("dlopen %.6f\n", now());
  ((void (*)(void))symbol("P11_ConsoleInit"))();
  printf("init %.6f\n", now());

  if (strcmp(argv[2], "fresh") == 0)
    {
      int result = show("pin", NULL);
      printf("return %.6f %d\n", now(), result);
      return 0;
    }
  const char *bundle = argc > 3 ? argv[3] : "";
  char line[64];
  while (fgets(line, sizeof line, stdin) != NULL)
    {
      line[strcspn(line, "\n")] = 0;
      if (strcmp(line, "quit") == 0)
        break;
      NSAutoreleasePool *pool = [NSAutoreleasePool new];
      printf("call %.6f\n", now());
      int result = show(line, bundle);
      printf("return %.6f %d\n", now(), result);
      [pool release];
    }
  return 0;
}
