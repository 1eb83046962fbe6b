/* keywatchd's behaviour as installed, driven through simulated USB devices and
 * the simulated token library. One case per run: keywatchd_test <case>. */
#include <fcntl.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include "watcher_rig.h"

#define TOKEN_VENDOR_1 0xd449
#define TOKEN_VENDOR_2 0x5651
#define TOKEN_PRODUCT 4

static const char kOurToken[] = "reader Selvik Token 01 20407\n";
static const char kLaunched[] = "/Applications/SelvikUSBKey管理工具.app";
static const char kProbeLog[] = "设备插入";
static const char kNoLibraryLine[] = "Load dylib file Failed.";

static Rig *rig; /* of the running case, for CHECK */

#define CHECK(condition)                                                             \
  do {                                                                               \
    if (!(condition)) {                                                              \
      g_printerr("%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition);       \
      rig_dump(rig);                                                                 \
      rig_free(rig);                                                                 \
      exit(1);                                                                       \
    }                                                                                \
  } while (0)

/* Without the libc hooks: for cases that start keywatchd through a shell or
 * another program, into which a sanitizer build's (instrumented) hooks library
 * cannot be preloaded. */
static void start_unhooked(const char *config) {
  rig = rig_new(g_getenv("KEYWATCHD"));
  if (config) rig_set_readers(rig, config);
}

static void start(const char *config) {
  start_unhooked(config);
  char *preload = g_strdup_printf("%s %s", g_getenv("LD_PRELOAD"), g_getenv("KT_TEST_HOOKS"));
  rig_setenv(rig, "LD_PRELOAD", preload);
  g_free(preload);
}

/* Waits until `detectors` detectors have printed their start-up lines, each
 * detector's "Begin", "DeviceAppeared", "DeviceDisappeared" in that order
 * (the detectors' lines may interleave). */
static void expect_armed(int detectors, int appeared) {
  CHECK(rig_wait(rig, RIG_STDOUT, "Begin", 2, 3000));
  CHECK(rig_wait(rig, RIG_STDOUT, "DeviceAppeared", appeared, 3000));
  CHECK(rig_wait(rig, RIG_STDOUT, "DeviceDisappeared", detectors, 3000));
  int begun = 0, appearedSoFar = 0, disappeared = 0;
  GPtrArray *lines = rig_lines(rig);
  for (guint i = 0; i < lines->len; i++) {
    RigLine *line = g_ptr_array_index(lines, i);
    if (line->stream != RIG_STDOUT) continue;
    begun += strcmp(line->text, "Begin") == 0;
    appearedSoFar += strcmp(line->text, "DeviceAppeared") == 0;
    disappeared += strcmp(line->text, "DeviceDisappeared") == 0;
    CHECK(begun >= appearedSoFar && appearedSoFar >= disappeared);
  }
}

static void plug_and_see(unsigned vendor, int appeared) {
  rig_plug(rig, vendor, TOKEN_PRODUCT);
  CHECK(rig_wait(rig, RIG_STDOUT, "DeviceAppeared", appeared, 3000));
}

static int count_lines_with_prefix(RigStream stream, const char *prefix);

/* SIGINT ends keywatchd with status 0 after an empty line and "Interrupted";
 * by then the management application was opened `launches` times, always with
 * its exact path. */
static void interrupt_and_finish(int launches) {
  CHECK(rig_interrupt(rig) == 0);
  const GString *out = rig_raw_stdout(rig);
  CHECK(g_str_has_suffix(out->str, "\n\nInterrupted\n"));
  CHECK(count_lines_with_prefix(RIG_LAUNCH, "") == launches);
  CHECK(rig_count(rig, RIG_LAUNCH, kLaunched) == launches);
  CHECK(rig_count(rig, RIG_LOG, "joinable thread ended") == 0);
  rig_free(rig);
}

static int count_lines_with_prefix(RigStream stream, const char *prefix) {
  int count = 0;
  GPtrArray *lines = rig_lines(rig);
  for (guint i = 0; i < lines->len; i++) {
    RigLine *line = g_ptr_array_index(lines, i);
    count += line->stream == stream && g_str_has_prefix(line->text, prefix);
  }
  return count;
}

static int count_library_calls(const char *call) {
  char *calls = rig_library_calls(rig);
  char **lines = g_strsplit(calls, "\n", -1);
  int count = 0;
  for (char **line = lines; *line; line++) count += strcmp(*line, call) == 0;
  g_strfreev(lines);
  g_free(calls);
  return count;
}

static gboolean wait_library_call(const char *call, int count, int timeout_ms) {
  for (int waited = 0; count_library_calls(call) < count; waited += 50) {
    if (waited >= timeout_ms) return FALSE;
    rig_pump(rig, 50);
  }
  return TRUE;
}

/* A token present at start is not probed; foreign ids give no callback; every
 * arrival after start probes once and launches the management application;
 * a removal is seen and a re-plug probes again. */
static void hotplug(void) {
  start(kOurToken);
  const char *present = rig_plug(rig, TOKEN_VENDOR_1, TOKEN_PRODUCT);
  rig_start(rig);
  expect_armed(2, 2);

  rig_plug(rig, 0x1234, TOKEN_PRODUCT);
  rig_plug(rig, TOKEN_VENDOR_1, 5);
  rig_plug(rig, TOKEN_VENDOR_2, 5);
  rig_unplug(rig, present);
  CHECK(rig_wait(rig, RIG_STDOUT, "DeviceDisappeared", 3, 3000));

  plug_and_see(TOKEN_VENDOR_1, 3);
  plug_and_see(TOKEN_VENDOR_1, 4);
  plug_and_see(TOKEN_VENDOR_2, 5);
  CHECK(rig_wait(rig, RIG_LAUNCH, kLaunched, 3, 6000));
  rig_pump(rig, 300);

  CHECK(rig_count(rig, RIG_STDOUT, "DeviceAppeared") == 5);
  CHECK(rig_count(rig, RIG_LOG, kProbeLog) == 3);
  int firstArrival = rig_find(rig, RIG_STDOUT, "DeviceAppeared", 2);
  int firstProbe = rig_find(rig, RIG_LOG, kProbeLog, 0);
  CHECK(firstArrival < firstProbe && firstProbe < rig_find(rig, RIG_LAUNCH, kLaunched, 0));
  CHECK(count_lines_with_prefix(RIG_LOG, "szDeviceName:") == 0);
  interrupt_and_finish(3);
}

/* A token of another product code is listed twice, logged, and not launched;
 * the next arrival with our token present launches once. */
static void foreign_token(void) {
  start("reader Other Token 12345\n");
  rig_start(rig);
  expect_armed(2, 2);
  plug_and_see(TOKEN_VENDOR_1, 3);
  CHECK(rig_wait(rig, RIG_LOG, "szDeviceName:\tdwDeviceNameLen:0\tpdwNum:0\tdwRet:0", 1, 4000));
  CHECK(wait_library_call("KcConnectDev  failed 2", 1, 2000));
  CHECK(rig_count(rig, RIG_LOG, kProbeLog) == 1);
  CHECK(rig_find(rig, RIG_LOG, kProbeLog, 0) <
        rig_find(rig, RIG_LOG, "szDeviceName:\tdwDeviceNameLen:0\tpdwNum:0\tdwRet:0", 0));
  CHECK(count_library_calls("KcListReaders") == 2);
  rig_pump(rig, 300);
  CHECK(count_lines_with_prefix(RIG_LAUNCH, "") == 0);

  rig_set_readers(rig, kOurToken);
  plug_and_see(TOKEN_VENDOR_2, 4);
  CHECK(rig_wait(rig, RIG_LOG, kProbeLog, 2, 4000));
  CHECK(rig_wait(rig, RIG_LAUNCH, kLaunched, 1, 2000));
  rig_pump(rig, 300);
  CHECK(count_lines_with_prefix(RIG_LOG, "szDeviceName:") == 1);
  interrupt_and_finish(1);
}

/* Without the token library both detectors still arm; a probe fails at every
 * library call and launches nothing. */
static void no_library(void) {
  start(kOurToken);
  rig_start(rig);
  expect_armed(2, 2);
  CHECK(rig_count(rig, RIG_LOG, "load dylib fail!") == 1);
  CHECK(count_lines_with_prefix(RIG_STDOUT, "/usr/local/lib/libkeycore.so: ") == 1);
  plug_and_see(TOKEN_VENDOR_1, 3);
  CHECK(rig_wait(rig, RIG_LOG, "szDeviceName:\tdwDeviceNameLen:1024\tpdwNum:0\tdwRet:ffffffff", 1, 4000));
  CHECK(rig_wait(rig, RIG_STDOUT, kNoLibraryLine, 3, 2000));
  rig_pump(rig, 300);
  interrupt_and_finish(0);
}

/* One detector's set-up fails at the platform call named by `hook`: its
 * message is printed once, and the other detector still probes and launches. */
static void one_detector_fails(const char *hook, const char *message, int appearedAtStart) {
  start(kOurToken);
  rig_setenv(rig, "KT_IOKIT_FAIL", hook);
  rig_start(rig);
  expect_armed(1, appearedAtStart);
  CHECK(rig_wait(rig, RIG_STDOUT, message, 1, 3000));
  rig_plug(rig, TOKEN_VENDOR_1, TOKEN_PRODUCT);
  rig_plug(rig, TOKEN_VENDOR_2, TOKEN_PRODUCT);
  CHECK(rig_wait(rig, RIG_LAUNCH, kLaunched, 1, 5000));
  rig_pump(rig, 300);
  CHECK(rig_count(rig, RIG_STDOUT, message) == 1);
  CHECK(rig_count(rig, RIG_STDOUT, "DeviceAppeared") == appearedAtStart + 1);
  CHECK(rig_count(rig, RIG_STDOUT, "DeviceDisappeared") == 1);
  CHECK(rig_count(rig, RIG_LOG, kProbeLog) == 1);
  interrupt_and_finish(1);
}

static void master_port_fails(void) {
  one_detector_fails("IOMasterPort", "Unable to create a master I/O Kit port (e00002bc)", 1);
}

static void matching_fails(void) {
  one_detector_fails("IOServiceMatching", "Unable to create a USB matching dictionary (00000000)", 1);
}

static void arrival_registration_fails(void) {
  one_detector_fails("IOServiceAddMatchingNotification/IOServiceFirstMatch",
                     "Unable to IOServiceAddMatchingNotification (e00002bc)", 1);
}

static void removal_registration_fails(void) {
  one_detector_fails("IOServiceAddMatchingNotification/IOServiceTerminate",
                     "Unable to IOServiceAddMatchingNotification2 (e00002bc)", 2);
}

/* keywatchd ends with status 255 when a detection thread, or the pipe that
 * SIGINT wakes the main thread through, cannot be made. */
static void startup_fails(void) {
  const char *hooks[][2] = {{"KT_FAIL_THREAD", "startDetect1"}, {"KT_FAIL_THREAD", "startDetect2"},
                            {"KT_FAIL_PIPE", "1"}};
  const char *messages[] = {"11111 pthread_create error:Resource temporarily unavailable",
                            "11111 pthread_create error:Resource temporarily unavailable",
                            "pipe error:Too many open files"};
  for (int i = 0; i < 3; i++) {
    start(kOurToken);
    rig_setenv(rig, hooks[i][0], hooks[i][1]);
    rig_start(rig);
    CHECK(rig_wait_exit(rig, 5000) == 255);
    CHECK(rig_count(rig, RIG_STDOUT, messages[i]) == 1);
    rig_free(rig);
  }
}

/* Without the SIGINT handler of one detector, set-up goes on and the other
 * detector's handler still ends keywatchd; a probe thread that cannot be
 * started loses that arrival only, and says so. */
static void signal_and_probe_thread_fail(void) {
  start(kOurToken);
  rig_setenv(rig, "KT_FAIL_SIGNAL", "1");
  rig_setenv(rig, "KT_FAIL_THREAD", "pdpcde:1");
  rig_start(rig);
  expect_armed(2, 2);
  CHECK(rig_count(rig, RIG_STDOUT, "Could not establish new signal handler") == 1);
  const char *token = rig_plug(rig, TOKEN_VENDOR_1, TOKEN_PRODUCT);
  CHECK(rig_wait(rig, RIG_STDOUT, "DeviceAppeared", 3, 3000));
  rig_unplug(rig, token);
  CHECK(rig_wait(rig, RIG_STDOUT, "DeviceDisappeared", 3, 3000));
  plug_and_see(TOKEN_VENDOR_1, 4);
  CHECK(rig_wait(rig, RIG_LAUNCH, kLaunched, 1, 5000));
  rig_pump(rig, 300);
  CHECK(rig_count(rig, RIG_LOG, kProbeLog) == 1);
  CHECK(rig_count(rig, RIG_STDOUT, "Arrival not probed: pthread_create error:Resource temporarily unavailable") == 1);
  interrupt_and_finish(1);
}

/* Each failure of the token library inside a probe gives the retry line with
 * that failure's status and no launch; the next arrival probes afresh. */
static void library_faults(void) {
  static const struct {
    const char *config, *retry;
  } faults[] = {
      {"list-fail 7\n", "szDeviceName:\tdwDeviceNameLen:1024\tpdwNum:0\tdwRet:7"},
      {"reader Selvik Token 01 20407 connect-fail\n", "szDeviceName:\tdwDeviceNameLen:0\tpdwNum:0\tdwRet:2"},
      {"reader Selvik Token 01 20407 begin-fail\n", "szDeviceName:\tdwDeviceNameLen:0\tpdwNum:0\tdwRet:3"},
      {"reader Selvik Token 01 20407 read-fail\n", "szDeviceName:\tdwDeviceNameLen:0\tpdwNum:0\tdwRet:4"},
  };
  start(NULL);
  rig_start(rig);
  expect_armed(2, 2);
  int n = G_N_ELEMENTS(faults);
  for (int i = 0; i < n; i++) {
    rig_set_readers(rig, faults[i].config);
    plug_and_see(i % 2 ? TOKEN_VENDOR_2 : TOKEN_VENDOR_1, 3 + i);
    CHECK(rig_wait(rig, RIG_LOG, faults[i].retry, 1, 4000));
    /* The probe's last call: the connection to the empty name it was left with. */
    CHECK(wait_library_call("KcConnectDev  failed 2", i + 1, 2000));
  }
  rig_set_readers(rig, kOurToken);
  plug_and_see(TOKEN_VENDOR_1, 3 + n);
  CHECK(rig_wait(rig, RIG_LAUNCH, kLaunched, 1, 4000));
  rig_pump(rig, 300);
  CHECK(rig_count(rig, RIG_LOG, kProbeLog) == n + 1);
  for (int i = 0; i < n; i++) CHECK(rig_count(rig, RIG_LOG, faults[i].retry) == 1);
  interrupt_and_finish(1);
}

static int count_in_stdout(const char *text) {
  int count = 0;
  for (const char *at = rig_raw_stdout(rig)->str; (at = strstr(at, text)) != NULL; at += strlen(text)) count++;
  return count;
}

/* A token library without KcConnectDev: every call to it is named on stdout
 * (two readers walked twice, then the probe's own connection), nothing is
 * launched, and the next arrival is probed the same way. The message has no
 * newline, so it is counted once keywatchd has ended. */
static void function_missing(void) {
  start(NULL);
  rig_start(rig);
  expect_armed(2, 2);
  for (int probe = 1; probe <= 2; probe++) {
    /* The second "DeviceAppeared" ends the first probe's unterminated line. */
    rig_plug(rig, probe == 1 ? TOKEN_VENDOR_1 : TOKEN_VENDOR_2, TOKEN_PRODUCT);
    CHECK(rig_wait(rig, RIG_LOG, "szDeviceName:\tdwDeviceNameLen:0\tpdwNum:0\tdwRet:ffffffff", probe, 4000));
  }
  rig_pump(rig, 300);
  CHECK(rig_interrupt(rig) == 0);
  int missing = 0;
  for (const char *at = rig_raw_stdout(rig)->str; (at = strstr(at, "get api KcConnectDev failed")) != NULL; at++)
    missing++;
  CHECK(missing == 10);
  CHECK(count_lines_with_prefix(RIG_LAUNCH, "") == 0);
  rig_free(rig);
}

/* Waits until keywatchd runs `threads` threads; false after two seconds. */
static gboolean wait_threads(long threads) {
  for (int waited = 0; rig_status_field(rig, "Threads:") != threads; waited += 50) {
    if (waited >= 2000) return FALSE;
    rig_pump(rig, 50);
  }
  return TRUE;
}

/* A probe wedged inside the token library keeps its own thread and nothing
 * else: later arrivals on both detectors are still detected and probed, and
 * once their probes have ended keywatchd holds the threads and descriptors it
 * held before, plus that one thread. */
static void stuck_probe(void) {
  static const char retry[] = "szDeviceName:\tdwDeviceNameLen:0\tpdwNum:0\tdwRet:0";
  const int later = 12;
  start("reader Wedged Reader 20407 read-hang\n");
  rig_start(rig);
  expect_armed(2, 2);
  rig_pump(rig, 300);
  long idle_threads = rig_status_field(rig, "Threads:"), idle_fds = rig_open_fds(rig);
  CHECK(idle_threads > 0 && idle_fds > 0);

  plug_and_see(TOKEN_VENDOR_1, 3);
  CHECK(wait_library_call("KcReadPCODE hangs", 1, 4000));
  rig_set_readers(rig, "reader Other Token 12345\n");
  for (int i = 0; i < later; i++) {
    const char *device = rig_plug(rig, i % 2 ? TOKEN_VENDOR_1 : TOKEN_VENDOR_2, TOKEN_PRODUCT);
    CHECK(rig_wait(rig, RIG_STDOUT, "DeviceAppeared", 4 + i, 3000));
    rig_unplug(rig, device);
  }
  CHECK(rig_wait(rig, RIG_LOG, retry, later, 6000));
  CHECK(wait_library_call("KcConnectDev  failed 2", later, 2000));
  CHECK(wait_threads(idle_threads + 1));
  CHECK(rig_open_fds(rig) == idle_fds);
  CHECK(count_library_calls("KcReadPCODE hangs") == 1);

  rig_set_readers(rig, kOurToken);
  plug_and_see(TOKEN_VENDOR_2, 4 + later);
  CHECK(rig_wait(rig, RIG_LAUNCH, kLaunched, 1, 4000));
  CHECK(rig_count(rig, RIG_LOG, kProbeLog) == later + 2);
  interrupt_and_finish(1);
}

/* Arrivals on both detectors close together, with a slow token library: the
 * probes overlap inside the library, and each one launches. */
static void overlapping_probes(void) {
  const int arrivals = 6;
  start("slow 200\nreader Selvik Token 01 20407\nreader Selvik Token 02 20407\n");
  rig_start(rig);
  expect_armed(2, 2);
  /* One callback may drain several quick arrivals: each is seen before the next. */
  for (int i = 0; i < arrivals; i++) plug_and_see(i % 2 ? TOKEN_VENDOR_2 : TOKEN_VENDOR_1, 3 + i);
  CHECK(rig_wait(rig, RIG_LAUNCH, kLaunched, arrivals, 10000));
  rig_pump(rig, 300);
  CHECK(rig_count(rig, RIG_LOG, kProbeLog) == arrivals);
  /* Each probe: the walk's two readers, then its own connection, read and close. */
  CHECK(count_library_calls("KcConnectDev Selvik Token 01") == 2 * arrivals);
  CHECK(count_library_calls("KcReadPCODE 20407") == 3 * arrivals);
  interrupt_and_finish(arrivals);
}

/* Whether keywatchd has its SIGINT handler in place (its detectors are set up
 * right after), within three seconds. */
static gboolean wait_sigint_caught(void) {
  for (int waited = 0; waited < 3000; waited += 20) {
    char path[64], line[256];
    g_snprintf(path, sizeof path, "/proc/%d/status", rig_pid(rig));
    FILE *status = fopen(path, "r");
    unsigned long long caught = 0;
    while (status && fgets(line, sizeof line, status))
      if (strncmp(line, "SigCgt:", 7) == 0) caught = strtoull(line + 7, NULL, 16);
    if (status) fclose(status);
    if (caught & (1ULL << (SIGINT - 1))) {
      rig_pump(rig, 300);
      return TRUE;
    }
    rig_pump(rig, 20);
  }
  return FALSE;
}

/* The application is opened within the probe's 1.5 s and a margin of the
 * arrival. */
static gboolean arrival_launches(unsigned vendor, int launches) {
  rig_plug(rig, vendor, TOKEN_PRODUCT);
  return rig_wait(rig, RIG_LAUNCH, kLaunched, launches, 1500 + 1000);
}

/* keywatchd started as `command` ("$0" is keywatchd), with stdout and stderr
 * open or not, either runs (status -1 here: it opens the application on an
 * arrival and ends, with status 0, on SIGINT only) or exits at once with
 * `status` and `message`. */
static void startup_conditions(void) {
  static const struct {
    const char *command;
    gboolean out, err;
    int status;
    const char *message;
  } starts[] = {
      {"exec \"$0\" <&-", TRUE, TRUE, -1, NULL},
      {"exec \"$0\" >&-", FALSE, TRUE, -1, NULL},
      {"exec \"$0\" 2>&-", TRUE, FALSE, -1, NULL},
      {"exec \"$0\" <&- >&-", FALSE, TRUE, -1, NULL},
      {"exec \"$0\" <&- 2>&-", TRUE, FALSE, -1, NULL},
      {"exec \"$0\" >&- 2>&-", FALSE, FALSE, -1, NULL},
      {"exec \"$0\" <&- >&- 2>&-", FALSE, FALSE, -1, NULL},
      {"ulimit -n 8; exec \"$0\"", TRUE, TRUE, 255, "Too few file descriptors: keywatchd needs 64, the limit is 8"},
      {"ulimit -n 40; exec \"$0\"", TRUE, TRUE, 255, "Too few file descriptors: keywatchd needs 64, the limit is 40"},
      {"ulimit -S -n 8; exec \"$0\"", TRUE, TRUE, -1, NULL}, /* the hard limit is enough */
      {"exec \"$KT_REFUSE_SOCKETS\" \"$0\"", TRUE, TRUE, 2,
       "Unable to create an I/O Kit notification port (Address family not supported by protocol)"},
  };
  for (size_t i = 0; i < G_N_ELEMENTS(starts); i++) {
    g_printerr("%s\n", starts[i].command);
    start_unhooked(kOurToken);
    rig_wrap(rig, starts[i].command);
    rig_start(rig);
    if (starts[i].status >= 0) {
      CHECK(rig_wait_exit(rig, 5000) == starts[i].status);
      CHECK(rig_count(rig, RIG_STDOUT, starts[i].message) == (starts[i].status == 2 ? 2 : 1));
      if (starts[i].status == 2) CHECK(rig_count(rig, RIG_STDOUT, "No USB detector could be set up") == 1);
      rig_free(rig);
      continue;
    }
    CHECK(wait_sigint_caught());
    CHECK(arrival_launches(i % 2 ? TOKEN_VENDOR_2 : TOKEN_VENDOR_1, 1));
    rig_pump(rig, 200);
    CHECK(rig_wait_exit(rig, 0) == -1); /* still running */
    CHECK(rig_count(rig, RIG_STDOUT, "Begin") == (starts[i].out ? 2 : 0));
    CHECK(rig_count(rig, RIG_LOG, kProbeLog) == (starts[i].err ? 1 : 0));
    CHECK(rig_interrupt(rig) == 0);
    if (starts[i].out) CHECK(g_str_has_suffix(rig_raw_stdout(rig)->str, "\n\nInterrupted\n"));
    CHECK(rig_count(rig, RIG_LAUNCH, kLaunched) == 1);
    rig_free(rig);
  }
}

/* Fills keywatchd's stdout pipe through a descriptor of our own on it. */
static void fill_stdout_pipe(void) {
  char path[64], block[4096];
  memset(block, 'y', sizeof block);
  g_snprintf(path, sizeof path, "/proc/%d/fd/1", rig_pid(rig));
  int pipe_end = open(path, O_WRONLY | O_NONBLOCK);
  CHECK(pipe_end >= 0);
  while (write(pipe_end, block, sizeof block) > 0) {
  }
  close(pipe_end);
}

/* With stdout a pipe that nobody reads, full from the start, arrivals are
 * still probed and launched in time; once it is read again every line comes
 * in order; full again, SIGINT still ends keywatchd within a second. */
static void unread_stdout(void) {
  start_unhooked(kOurToken);
  /* ThreadSanitizer's run-time would wait a second at exit of its own. */
  char *sanitizer = g_strdup_printf("%s:atexit_sleep_ms=0", g_getenv("TSAN_OPTIONS") ? g_getenv("TSAN_OPTIONS") : "");
  rig_setenv(rig, "TSAN_OPTIONS", sanitizer);
  g_free(sanitizer);
  rig_hold_stdout(rig, TRUE);
  rig_wrap(rig, "yes xxxxxxx | head -c 65536; exec \"$0\""); /* a pipe's 64 kB */
  rig_start(rig);
  CHECK(wait_sigint_caught());
  CHECK(arrival_launches(TOKEN_VENDOR_1, 1));
  CHECK(arrival_launches(TOKEN_VENDOR_2, 2));
  CHECK(rig_count(rig, RIG_LOG, kProbeLog) == 2);

  rig_hold_stdout(rig, FALSE);
  CHECK(rig_wait(rig, RIG_STDOUT, "DeviceAppeared", 4, 3000));
  CHECK(rig_count(rig, RIG_STDOUT, "Begin") == 2 && rig_count(rig, RIG_STDOUT, "DeviceDisappeared") == 2);
  CHECK(rig_count(rig, RIG_STDOUT, "xxxxxxx") == 65536 / 8);
  CHECK(rig_find(rig, RIG_STDOUT, "xxxxxxx", 65536 / 8 - 1) < rig_find(rig, RIG_STDOUT, "Begin", 0));

  rig_hold_stdout(rig, TRUE);
  fill_stdout_pipe();
  CHECK(arrival_launches(TOKEN_VENDOR_1, 3));
  kill(rig_pid(rig), SIGINT);
  CHECK(rig_wait_exit(rig, 1000) == 0);
  rig_free(rig);
}

/* A second keywatchd names the running one and exits with status 1, and each
 * arrival opens the application once; once the first was killed, a new one
 * starts in its place. */
static void second_copy(void) {
  start_unhooked(kOurToken);
  rig_start(rig);
  expect_armed(2, 2);
  char *output = NULL;
  int status = rig_run_copy(rig, 5000, &output);
  g_printerr("second copy, status %d: %s", status, output);
  CHECK(status == 1);
  char *named = g_strdup_printf("keywatchd is already running (pid %d, lock ", rig_pid(rig));
  CHECK(g_str_has_prefix(output, named));
  g_free(named);
  g_free(output);
  CHECK(arrival_launches(TOKEN_VENDOR_1, 1));
  rig_pump(rig, 500);
  CHECK(rig_count(rig, RIG_LAUNCH, kLaunched) == 1);

  int first = rig_pid(rig);
  kill(first, SIGKILL);
  rig_wait_exit(rig, 2000);
  CHECK(kill(first, 0) != 0);
  rig_start(rig);
  CHECK(rig_wait(rig, RIG_STDOUT, "DeviceDisappeared", 4, 3000));
  CHECK(arrival_launches(TOKEN_VENDOR_2, 2));
  interrupt_and_finish(2);
}

int main(int argc, char **argv) {
  static const struct {
    const char *name;
    void (*run)(void);
  } cases[] = {
      {"hotplug", hotplug},
      {"foreign_token", foreign_token},
      {"no_library", no_library},
      {"master_port_fails", master_port_fails},
      {"matching_fails", matching_fails},
      {"arrival_registration_fails", arrival_registration_fails},
      {"removal_registration_fails", removal_registration_fails},
      {"startup_fails", startup_fails},
      {"signal_and_probe_thread_fail", signal_and_probe_thread_fail},
      {"library_faults", library_faults},
      {"function_missing", function_missing},
      {"stuck_probe", stuck_probe},
      {"overlapping_probes", overlapping_probes},
      {"startup_conditions", startup_conditions},
      {"unread_stdout", unread_stdout},
      {"second_copy", second_copy},
  };
  for (size_t i = 0; argc == 2 && i < G_N_ELEMENTS(cases); i++) {
    if (strcmp(argv[1], cases[i].name) == 0) {
      cases[i].run();
      return 0;
    }
  }
  g_printerr("usage: keywatchd_test <case>\n");
  return 2;
}
