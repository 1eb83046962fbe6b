// Dialog speed, side by side with the PIN prompts users would otherwise get:
// start-up of a fresh host to its first PIN window, call to window for later
// dialogs of every kind, and a real click or Return to the answer, measured
// with an X event watcher on one display. pinentry-fltk and pinentry-gtk-2
// run in the same run, driven through their Assuan protocol.
//   dialog_speed SPEED_HOST LIBRARY BUNDLE [RUNS [BASELINE]]
// With BASELINE (another build of the library), fresh hosts of the two take
// turns, and the start-up rows show the baseline's figures beside ours; so
// do hosts that time the later calls.
// DIALOG_SPEED_BASELINE_PATH names a directory that the baseline's hosts
// search first for shared libraries, so that a baseline can bring its own
// GNUstep (bench/speed/leaner-gnustep.sh).
// Needs a display without a window manager (run it under run-gui.sh) and
// xdotool; prints medians (and worst cases) in milliseconds.
#include "child.h"
#include "stats.h"
#include "xwatch.h"
#include <dirent.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

// Where a dialog's answering button lies: its centre, from the lower left
// (or, for alerts, lower right) corner of the X window, in pixels.
typedef struct
{
  const char *name;      // speed_host's name of the dialog
  const char *label;
  const char *title;     // its window title ("" for alerts, which have none)
  int fromRight, dx, dy; // the first button
  int expect;            // the call's result for that button
  int returnAnswers;     // Return presses the first button
} DialogKind;

static const DialogKind kinds[] = {
  // The windows have a 1-pixel border; alerts keep their first button 46
  // pixels from the right and 21 from the bottom edge.
  { "pin", "PIN window", "SelvikUSBKey管理工具", 0, 271, 41, 0, 0 },
  { "pinpic", "PIN prompt with picture", "", 1, 46, 21, 0, 1 },
  { "cert", "certificate selection", "请选择要查看的证书", 0, 121, 31, 0, 0 },
  { "key", "token selection", "请选择Korvex", 0, 121, 31, 0, 0 },
  { "keyinit", "initialisation confirmation", "", 1, 46, 21, 1, 1 },
  { "msg", "P11_ShowMsg", "", 1, 46, 21, 0, 1 },
  { "msg2", "P11_ShowMsg2", "", 1, 46, 21, 0, 1 },
  { "countdown", "countdown window", "按键提示", 0, -1, -1, 0, 0 },
};
enum { KINDS = sizeof kinds / sizeof kinds[0] };

static Display *display;
static int trace;
static double settle = 0.3;  // lets a new window draw before it is answered

static void fail(const char *what)
{
  fprintf(stderr, "dialog_speed: %s\n", what);
  exit(1);
}

static XWEvent waitMap(const char *title)
{
  XWEvent map = xwWaitMap(display, title, 15);
  if (map.kind == XW_NONE)
    {
      fprintf(stderr, "dialog_speed: no window \"%s\" was mapped within 15 s\n", title);
      exit(1);
    }
  if (trace)
    fprintf(stderr, "map \"%s\" %dx%d+%d+%d\n", map.title, map.width, map.height, map.x, map.y);
  return map;
}

// Reads the child's next "WHAT SECONDS [RESULT]" line.
static double stampOf(Child *c, const char *what, int *result)
{
  char line[256], name[32];
  double at;
  int r = 0;
  while (childReadLine(c, line, sizeof line, 15))
    if (sscanf(line, "%31s %lf %d", name, &at, &r) >= 2 && strcmp(name, what) == 0)
      {
        if (result != NULL)
          *result = r;
        return at;
      }
  fprintf(stderr, "dialog_speed: no \"%s\" from the host\n", what);
  exit(1);
}

static void letItSettle(void)
{
  double until = xwNow() + settle;
  while (xwNow() < until)
    xwNext(display, until - xwNow());
}

// Clicks the kind's first button in `map`, or presses Return; returns the
// moment of the X event that answers (button release, key press). xdotool
// still runs (a key's release follows 12 ms later): the caller reaps `helper`
// once it has what it times, so that no reply waits unread meanwhile.
static double answer(const DialogKind *k, const XWEvent *map, int byReturn, pid_t *helper)
{
  char x[16], y[16];
  int px = k->fromRight ? map->x + map->width - k->dx : map->x + k->dx;
  int py = map->y + map->height - k->dy;
  if (byReturn || k->dx < 0)
    px = map->x + map->width / 2, py = map->y + map->height / 2;
  snprintf(x, sizeof x, "%d", px);
  snprintf(y, sizeof y, "%d", py);
  char *click[] = { "/usr/bin/xdotool", "mousemove", x, y, "mousedown", "1",
                    "sleep", "0.08", "mouseup", "1", NULL };
  char *key[] = { "/usr/bin/xdotool", "mousemove", x, y, "key", "Return", NULL };
  *helper = helperStart(byReturn ? key : click);
  XWEvent e = xwWaitKind(display, byReturn ? XW_KEY_PRESS : XW_BUTTON_RELEASE, 10);
  if (e.kind == XW_NONE)
    fail("xdotool's input did not arrive");
  return e.at;
}

// Ends the GNUstep daemons (gdnc, gpbs) that our hosts started: run-gui.sh
// marks everything started under it with KDT_RUN. A fresh host then starts
// as it would where no other GNUstep program has run lately.
static void endDaemons(void)
{
  const char *marker = getenv("KDT_RUN");
  char wanted[128], path[64], env[65536], comm[32];
  DIR *proc = opendir("/proc");
  struct dirent *d;
  if (marker == NULL || proc == NULL)
    fail("no KDT_RUN marker: run under tests/dialogs/run-gui.sh");
  snprintf(wanted, sizeof wanted, "KDT_RUN=%s", marker);
  while ((d = readdir(proc)) != NULL)
    {
      pid_t pid = atoi(d->d_name);
      FILE *f;
      size_t n = 0, at;
      if (pid <= 0)
        continue;
      snprintf(path, sizeof path, "/proc/%d/comm", pid);
      if ((f = fopen(path, "r")) == NULL)
        continue;
      comm[0] = 0;
      if (fgets(comm, sizeof comm, f) == NULL)
        comm[0] = 0;
      fclose(f);
      if (strcmp(comm, "gdnc\n") != 0 && strcmp(comm, "gpbs\n") != 0)
        continue;
      snprintf(path, sizeof path, "/proc/%d/environ", pid);
      if ((f = fopen(path, "r")) != NULL)
        {
          n = fread(env, 1, sizeof env - 1, f);
          fclose(f);
        }
      env[n] = 0;
      for (at = 0; at < n; at += strlen(env + at) + 1)
        if (strcmp(env + at, wanted) == 0)
          {
            kill(pid, SIGTERM);
            while (kill(pid, 0) == 0)
              usleep(5000);
            break;
          }
    }
  closedir(proc);
}

// ---- Our fresh host ----
typedef struct { Stats main, dlopen, init, mapped, click; } FreshFigures;

// One fresh host process: start, first PIN window, click on "确定".
static void freshHost(const char *host, const char *library, FreshFigures *f)
{
  int result;
  Child c;
  char *argv[] = { (char *)host, (char *)library, "fresh", NULL };
  double started = xwNow();
  if (childStart(&c, argv) != 0)
    fail("cannot start the host");
  XWEvent map = waitMap(kinds[0].title);
  statsAdd(&f->mapped, (map.at - started) * 1e3);
  statsAdd(&f->main, (stampOf(&c, "main", NULL) - started) * 1e3);
  statsAdd(&f->dlopen, (stampOf(&c, "dlopen", NULL) - started) * 1e3);
  statsAdd(&f->init, (stampOf(&c, "init", NULL) - started) * 1e3);
  letItSettle();
  pid_t helper;
  double pressed = answer(&kinds[0], &map, 0, &helper);
  double returned = stampOf(&c, "return", &result);
  helperWait(helper);
  if (result != 0)
    fail("the fresh host's PIN window did not answer 0 for its OK button");
  statsAdd(&f->click, (returned - pressed) * 1e3);
  childEnd(&c, 5);
}

// GNUstep alone in a fresh host: start to its GUI library loaded, and to its
// base library initialised with the user defaults read; no window.
static void toolkitAlone(const char *host, Stats *loaded, Stats *ready)
{
  Child c;
  char *argv[] = { (char *)host, "toolkit", NULL };
  double started = xwNow();
  if (childStart(&c, argv) != 0)
    fail("cannot start the host");
  statsAdd(loaded, (stampOf(&c, "dlopen", NULL) - started) * 1e3);
  statsAdd(ready, (stampOf(&c, "init", NULL) - started) * 1e3);
  childEnd(&c, 5);
}

// ---- pinentry through Assuan ----
typedef struct { Stats fresh, again, answer; int missing; } PeerFigures;

// Presses Return in the prompt and waits for pinentry's OK; returns the time
// from the key to the reply.
static double peerAnswer(Child *c, const XWEvent *map)
{
  static const DialogKind prompt = { "pinentry", "", "", 0, -1, -1, 0, 1 };
  char line[512];
  pid_t helper;
  double pressed = answer(&prompt, map, 1, &helper);
  while (childReadLine(c, line, sizeof line, 10))
    if (strncmp(line, "OK", 2) == 0 || strncmp(line, "ERR", 3) == 0)
      {
        double answered = xwNow();
        helperWait(helper);
        return (answered - pressed) * 1e3;
      }
  fail("pinentry gave no answer");
  return 0;
}

static void peer(const char *path, int runs, PeerFigures *f)
{
  int i;
  char line[512];
  if (access(path, X_OK) != 0)
    {
      f->missing = 1;
      return;
    }
  for (i = 0; i < runs; i++)
    {
      Child c;
      char *argv[] = { (char *)path, NULL };
      double started = xwNow();
      if (childStart(&c, argv) != 0)
        fail("cannot start pinentry");
      childWrite(&c, "GETPIN\n");
      XWEvent map = waitMap("");
      statsAdd(&f->fresh, (map.at - started) * 1e3);
      if (!childReadLine(&c, line, sizeof line, 10) || strncmp(line, "OK", 2) != 0)
        fail("pinentry did not greet");
      letItSettle();
      statsAdd(&f->answer, peerAnswer(&c, &map));

      double asked = xwNow();
      childWrite(&c, "GETPIN\n");
      map = waitMap("");
      statsAdd(&f->again, (map.at - asked) * 1e3);
      letItSettle();
      statsAdd(&f->answer, peerAnswer(&c, &map));
      childWrite(&c, "BYE\n");
      childEnd(&c, 5);
    }
}

// ---- Our dialogs, one host process ----
typedef struct { Stats mapped, click, firstClick, key, keyShown, keyReleased; } KindFigures;

// After Return in `map`: when the kind's first button was drawn pressed, and
// drawn released again, until the window goes away (the toolkit's flash).
static void buttonFlash(const DialogKind *k, const XWEvent *map, double pressed,
                        KindFigures *f)
{
  int cx = k->fromRight ? map->width - k->dx : k->dx, cy = map->height - k->dy;
  int drawn = 0;
  double until = xwNow() + 2;
  while (drawn < 2)
    {
      XWEvent e = xwNext(display, until - xwNow());
      if (e.kind == XW_NONE || (e.kind == XW_UNMAP && e.window == map->window))
        return;
      if (trace && e.kind == XW_DRAWN)
        fprintf(stderr, "drawn %+.1f ms %dx%d+%d+%d in %dx%d\n", (e.at - pressed) * 1e3,
                e.width, e.height, e.x, e.y, map->width, map->height);
      if (e.kind != XW_DRAWN || e.window != map->window || cx < e.x || cy < e.y
          || cx >= e.x + e.width || cy >= e.y + e.height)
        continue;
      statsAdd(drawn++ == 0 ? &f->keyShown : &f->keyReleased, (e.at - pressed) * 1e3);
    }
}

static void oneCall(Child *c, const DialogKind *k, int byReturn, Stats *mapped, Stats *answered,
                    KindFigures *f)
{
  char request[32];
  int result;
  snprintf(request, sizeof request, "%s\n", k->name);
  childWrite(c, request);
  double called = stampOf(c, "call", NULL);
  XWEvent map = waitMap(k->title);
  if (mapped != NULL)
    statsAdd(mapped, (map.at - called) * 1e3);
  if (k->dx < 0)
    {
      stampOf(c, "return", NULL);  // ends by itself
      return;
    }
  letItSettle();
  if (byReturn)
    xwWatchDrawing(display, map.window);
  pid_t helper;
  double pressed = answer(k, &map, byReturn, &helper);
  if (byReturn)
    buttonFlash(k, &map, pressed, f);
  double returned = stampOf(c, "return", &result);
  helperWait(helper);
  if (result != k->expect)
    {
      fprintf(stderr, "dialog_speed: %s answered %d, not %d\n", k->name, result, k->expect);
      exit(1);
    }
  statsAdd(answered, (returned - pressed) * 1e3);
}

static void series(const char *host, const char *library, const char *bundle, int runs,
                   KindFigures *f)
{
  Child c;
  char *argv[] = { (char *)host, (char *)library, "series", (char *)bundle, NULL };
  int k, i;
  if (childStart(&c, argv) != 0)
    fail("cannot start the host");
  stampOf(&c, "init", NULL);
  for (k = 0; k < KINDS; k++)
    {
      oneCall(&c, &kinds[k], 0, NULL, &f[k].firstClick, &f[k]);
      for (i = 0; i < runs; i++)
        oneCall(&c, &kinds[k], 0, &f[k].mapped, &f[k].click, &f[k]);
      for (i = 0; kinds[k].returnAnswers && i < runs; i++)
        oneCall(&c, &kinds[k], 1, &f[k].mapped, &f[k].key, &f[k]);
    }
  childWrite(&c, "quit\n");
  childEnd(&c, 10);
}

// The baseline's hosts search DIALOG_SPEED_BASELINE_PATH first; the
// returned copy of our own path is given back to baselinePathOut.
static char *baselinePathIn(void)
{
  const char *path = getenv("DIALOG_SPEED_BASELINE_PATH");
  const char *was = getenv("LD_LIBRARY_PATH");
  char *ours = was != NULL ? strdup(was) : NULL;
  if (path != NULL)
    setenv("LD_LIBRARY_PATH", path, 1);
  return ours;
}

static void baselinePathOut(char *ours)
{
  if (ours != NULL)
    setenv("LD_LIBRARY_PATH", ours, 1);
  else
    unsetenv("LD_LIBRARY_PATH");
  free(ours);
}

// ---- The table ----
static void cell(const Stats *s)
{
  if (s == NULL || s->n == 0)
    printf(" %16s", "-");
  else
    printf(" %7.1f (%6.1f)", statsMedian(s), statsMax(s));
}

static void row(const char *what, const Stats *ours, const Stats *fltk, const Stats *gtk)
{
  printf("%-44s", what);
  cell(ours);
  cell(fltk);
  cell(gtk);
  const Stats *best = fltk;
  if (gtk != NULL && gtk->n > 0 && (best == NULL || best->n == 0
                                    || statsMedian(gtk) < statsMedian(best)))
    best = gtk;
  if (ours != NULL && ours->n > 0 && best != NULL && best->n > 0 && statsMedian(best) > 0)
    printf("  %6.2f", statsMedian(ours) / statsMedian(best));
  printf("\n");
}

int main(int argc, char **argv)
{
  static KindFigures perKind[KINDS], perKindBefore[KINDS];
  FreshFigures fresh, before, cold, coldBefore;
  PeerFigures fltk, gtk;
  Stats toolkitLoaded, toolkitReady;
  const char *baseline = argc > 5 ? argv[5] : NULL;
  int runs = argc > 4 ? atoi(argv[4]) : 10, k;
  char label[96];

  if (argc < 4 || runs < 1 || runs > STATS_MAX / 2)
    {
      fprintf(stderr, "usage: dialog_speed SPEED_HOST LIBRARY BUNDLE [RUNS <= %d [BASELINE]]\n",
              STATS_MAX / 2);
      return 2;
    }
  trace = getenv("DIALOG_SPEED_TRACE") != NULL;
  if ((display = xwOpen()) == NULL)
    fail("no X display with XInput 2");
  memset(&fresh, 0, sizeof fresh);
  memset(&before, 0, sizeof before);
  memset(&cold, 0, sizeof cold);
  memset(&coldBefore, 0, sizeof coldBefore);
  memset(&fltk, 0, sizeof fltk);
  memset(&gtk, 0, sizeof gtk);
  memset(&toolkitLoaded, 0, sizeof toolkitLoaded);
  memset(&toolkitReady, 0, sizeof toolkitReady);

  for (k = 0; k < runs; k++)
    {
      endDaemons();
      freshHost(argv[1], argv[2], &cold);
      freshHost(argv[1], argv[2], &fresh);
      toolkitAlone(argv[1], &toolkitLoaded, &toolkitReady);
      if (baseline != NULL)
        {
          char *ours = baselinePathIn();
          endDaemons();
          freshHost(argv[1], baseline, &coldBefore);
          freshHost(argv[1], baseline, &before);
          baselinePathOut(ours);
        }
    }
  peer("/usr/bin/pinentry-fltk", runs, &fltk);
  peer("/usr/bin/pinentry-gtk-2", runs, &gtk);
  if (baseline == NULL)
    series(argv[1], argv[2], argv[3], runs, perKind);
  // With a baseline, hosts of the two take turns, one call of each kind a
  // turn, so that the machine's drift in the run falls on both alike.
  for (k = 0; baseline != NULL && k < runs; k++)
    {
      char *ours;
      series(argv[1], argv[2], argv[3], 1, perKind);
      ours = baselinePathIn();
      series(argv[1], baseline, argv[3], 1, perKindBefore);
      baselinePathOut(ours);
    }

  printf("%d runs; milliseconds, median (worst); ratio = ours / the faster pinentry\n\n", runs);
  printf("%-44s %16s %16s %16s  %6s\n", "", "libkeydialogs", "pinentry-fltk",
         "pinentry-gtk-2", "ratio");
  row("fresh process start -> first PIN window", &fresh.mapped, &fltk.fresh, &gtk.fresh);
  row("  of which: host main reached", &fresh.main, NULL, NULL);
  row("  of which: library loaded", &fresh.dlopen, NULL, NULL);
  row("  of which: P11_ConsoleInit returned", &fresh.init, NULL, NULL);
  row("first PIN window: click -> call returns", &fresh.click, NULL, NULL);
  row("GNUstep alone: start -> its libraries loaded", &toolkitLoaded, &fltk.fresh, &gtk.fresh);
  row("  -> base initialised, defaults read", &toolkitReady, &fltk.fresh, &gtk.fresh);
  row("the same, no gdnc running: start -> window", &cold.mapped, &fltk.fresh, &gtk.fresh);
  row("  of which: P11_ConsoleInit returned", &cold.init, NULL, NULL);
  row("  click -> call returns", &cold.click, NULL, NULL);
  if (baseline != NULL)
    {
      row("BASELINE, no gdnc running: start -> window", &coldBefore.mapped, &fltk.fresh, &gtk.fresh);
      row("BASELINE   of which: P11_ConsoleInit returned", &coldBefore.init, NULL, NULL);
      row("BASELINE   click -> call returns", &coldBefore.click, NULL, NULL);
      row("BASELINE fresh start -> first PIN window", &before.mapped, &fltk.fresh, &gtk.fresh);
      row("BASELINE   of which: host main reached", &before.main, NULL, NULL);
      row("BASELINE   of which: library loaded", &before.dlopen, NULL, NULL);
      row("BASELINE   of which: P11_ConsoleInit returned", &before.init, NULL, NULL);
      row("BASELINE first PIN window: click -> return", &before.click, NULL, NULL);
    }
  row("PIN answer: Return -> answer (pinentry)", NULL, &fltk.answer, &gtk.answer);
  for (k = 0; k < KINDS; k++)
    {
      snprintf(label, sizeof label, "%s: call -> mapped (later calls)", kinds[k].label);
      row(label, &perKind[k].mapped, k == 0 ? &fltk.again : NULL, k == 0 ? &gtk.again : NULL);
      if (baseline != NULL)
        row("BASELINE   call -> mapped", &perKindBefore[k].mapped, NULL, NULL);
      if (kinds[k].dx < 0)
        continue;
      snprintf(label, sizeof label, "%s: first click -> return", kinds[k].label);
      row(label, &perKind[k].firstClick, NULL, NULL);
      snprintf(label, sizeof label, "%s: click -> return", kinds[k].label);
      row(label, &perKind[k].click, k == 0 ? &fltk.answer : NULL, k == 0 ? &gtk.answer : NULL);
      if (baseline != NULL)
        row("BASELINE   click -> return", &perKindBefore[k].click, NULL, NULL);
      if (kinds[k].returnAnswers)
        {
          snprintf(label, sizeof label, "%s: Return -> return", kinds[k].label);
          row(label, &perKind[k].key, &fltk.answer, &gtk.answer);
          row("  Return -> button drawn pressed", &perKind[k].keyShown, NULL, NULL);
          row("  Return -> drawn released (flash ends)", &perKind[k].keyReleased, NULL, NULL);
        }
    }
  if (fltk.missing || gtk.missing)
    printf("\n(a missing pinentry shows '-': scripts/deps.sh --bench installs both)\n");
  XCloseDisplay(display);
  return 0;
}
