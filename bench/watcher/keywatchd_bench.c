/* keywatchd's idle cost, its resources before and after many plug/unplug
 * cycles, and how soon an arrival is reported. Prints figures; asserts
 * nothing. Run under the sandbox (see CMakeLists.txt):
 *   keywatchd_bench <keywatchd> [cycles]
 * Every arrival after start-up should give exactly one probe; the figures say
 * how many probes ran for how many arrivals. */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include "watcher_rig.h"

#define TOKEN_VENDOR 0xd449
#define TOKEN_PRODUCT 4
#define LATENCY_SAMPLES 200

typedef struct {
  long rss_kb, threads, fds, cpu_ticks;
} Usage;

/* utime + stime, in clock ticks */
static long cpu_ticks(int pid) {
  char path[64], text[1024];
  snprintf(path, sizeof path, "/proc/%d/stat", pid);
  FILE *file = fopen(path, "r");
  if (!file || !fgets(text, sizeof text, file)) {
    if (file) fclose(file);
    return -1;
  }
  fclose(file);
  char *field = strrchr(text, ')') + 2; /* field 3, the state */
  long utime = 0, stime = 0;
  for (int index = 3; field && index <= 15; index++, field = strchr(field, ' ') ? strchr(field, ' ') + 1 : NULL) {
    if (index == 14) utime = atol(field);
    if (index == 15) stime = atol(field);
  }
  return utime + stime;
}

static Usage usage(Rig *rig) {
  Usage u = {rig_status_field(rig, "VmRSS:"), rig_status_field(rig, "Threads:"), rig_open_fds(rig),
             cpu_ticks(rig_pid(rig))};
  return u;
}

static void print_usage(const char *when, Usage u) {
  printf("%-40s RSS %ld kB, %ld threads, %ld open descriptors\n", when, u.rss_kb, u.threads, u.fds);
}

static int compare_doubles(const void *a, const void *b) {
  double x = *(const double *)a, y = *(const double *)b;
  return (x > y) - (x < y);
}

static gboolean wait_line(Rig *rig, RigStream stream, const char *text, int count) {
  if (rig_wait(rig, stream, text, count, 10000)) return TRUE;
  fprintf(stderr, "timed out waiting for %d x \"%s\"\n", count, text);
  return FALSE;
}

int main(int argc, char **argv) {
  if (argc < 2) {
    fprintf(stderr, "usage: keywatchd_bench <keywatchd> [cycles]\n");
    return 2;
  }
  int cycles = argc > 2 ? atoi(argv[2]) : 1000;
  Rig *rig = rig_new(argv[1]);
  rig_set_readers(rig, "reader Other Token 12345\n"); /* no token of ours: probes launch nothing */
  rig_start(rig);
  if (!wait_line(rig, RIG_STDOUT, "DeviceDisappeared", 2)) return 1;
  rig_pump(rig, 1000);

  Usage idle = usage(rig);
  rig_pump(rig, 10000);
  long idle_ticks = usage(rig).cpu_ticks - idle.cpu_ticks;
  printf("%-40s %ld ticks (%ld ticks/s)\n", "CPU over 10 idle seconds", idle_ticks, sysconf(_SC_CLK_TCK));
  print_usage("idle, before any probe:", idle);

  int appeared = 2, disappeared = 2;
  const char *retry = "szDeviceName:\tdwDeviceNameLen:0\tpdwNum:0\tdwRet:0";
  /* A first cycle loads what probing needs once; then the cycles in two
   * halves: growth that stops after the first half is the allocator keeping
   * the peak of many overlapping probes, growth that goes on is a leak. */
  int rounds[] = {1, cycles / 2, cycles - cycles / 2};
  for (int round = 0, total = 0; round < 3; round++) {
    gint64 start = g_get_monotonic_time();
    for (int i = 0; i < rounds[round]; i++) {
      const char *device = rig_plug(rig, TOKEN_VENDOR, TOKEN_PRODUCT);
      if (!wait_line(rig, RIG_STDOUT, "DeviceAppeared", ++appeared)) return 1;
      rig_unplug(rig, device);
      if (!wait_line(rig, RIG_STDOUT, "DeviceDisappeared", ++disappeared)) return 1;
    }
    double seconds = (g_get_monotonic_time() - start) / 1e6;
    total += rounds[round];
    /* Every arrival after start-up probes; wait until all probes have ended. */
    if (!rig_wait(rig, RIG_LOG, retry, appeared - 2, 60000)) fprintf(stderr, "not every probe ended\n");
    rig_pump(rig, 2000);
    char when[64];
    snprintf(when, sizeof when, "after %d cycles (%.1f s), probes done:", total, seconds);
    print_usage(when, usage(rig));
    printf("%-40s %d probes for %d arrivals\n", "", rig_count(rig, RIG_LOG, "设备插入"), appeared - 2);
  }

  /* Latency from the "add" uevent itself: replay remove/add on one device. */
  double latency_ms[LATENCY_SAMPLES];
  const char *device = rig_plug(rig, TOKEN_VENDOR, TOKEN_PRODUCT);
  if (!wait_line(rig, RIG_STDOUT, "DeviceAppeared", ++appeared)) return 1;
  for (int i = 0; i < LATENCY_SAMPLES; i++) {
    rig_uevent(rig, device, "remove");
    if (!wait_line(rig, RIG_STDOUT, "DeviceDisappeared", ++disappeared)) return 1;
    gint64 sent = g_get_monotonic_time();
    rig_uevent(rig, device, "add");
    if (!wait_line(rig, RIG_STDOUT, "DeviceAppeared", ++appeared)) return 1;
    GPtrArray *lines = rig_lines(rig);
    RigLine *line = g_ptr_array_index(lines, rig_find(rig, RIG_STDOUT, "DeviceAppeared", appeared - 1));
    latency_ms[i] = (line->time_us - sent) / 1000.0;
  }
  qsort(latency_ms, LATENCY_SAMPLES, sizeof latency_ms[0], compare_doubles);
  printf("%-40s p50 %.3f ms, p99 %.3f ms, max %.3f ms (%d samples)\n", "uevent -> \"DeviceAppeared\" latency",
         latency_ms[LATENCY_SAMPLES / 2], latency_ms[LATENCY_SAMPLES * 99 / 100], latency_ms[LATENCY_SAMPLES - 1],
         LATENCY_SAMPLES);

  rig_interrupt(rig);
  rig_free(rig);
  return 0;
}
