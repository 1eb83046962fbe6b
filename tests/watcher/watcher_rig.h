/* A test rig for keywatchd: a umockdev testbed with USB devices to plug and
 * unplug, the simulated token library's configuration, a fake `open` that
 * records what it is asked to open, and keywatchd's output, line by line, in
 * the order it arrived. Run under umockdev-wrapper. */
#pragma once

#include <glib.h>

typedef enum { RIG_STDOUT, RIG_LOG, RIG_LAUNCH } RigStream;

typedef struct {
  RigStream stream;
  char *text;     /* stdout: the line; log: NSLog's message; launch: open's argument */
  gint64 time_us; /* monotonic time when the rig saw it */
} RigLine;

typedef struct Rig Rig;

Rig *rig_new(const char *keywatchd);
/* Writes the token library simulator's configuration (may be done while
 * keywatchd runs). */
void rig_set_readers(Rig *rig, const char *config);
/* Adds a variable to keywatchd's environment; call before rig_start. */
void rig_setenv(Rig *rig, const char *name, const char *value);
/* Starts keywatchd through `sh -c command`, in which "$0" is keywatchd (for
 * example "ulimit -n 8; exec \"$0\""); call before rig_start. */
void rig_wrap(Rig *rig, const char *command);
/* While held, keywatchd's stdout is left unread (its pipe fills up). */
void rig_hold_stdout(Rig *rig, gboolean hold);
/* Starts keywatchd; after it has ended, starts it again, with the same lines. */
void rig_start(Rig *rig);
/* Runs a further copy of keywatchd with the same environment and waits for it
 * (killed after timeout_ms); its exit status (-1 for a signal) and, in
 * `output`, its stdout and stderr together (to be freed). */
int rig_run_copy(Rig *rig, int timeout_ms, char **output);

/* Plugs in a USB device; returns its syspath (owned by the rig). */
const char *rig_plug(Rig *rig, unsigned vendor, unsigned product);
void rig_unplug(Rig *rig, const char *syspath);
/* Sends a uevent for a plugged device without changing it. */
void rig_uevent(Rig *rig, const char *syspath, const char *action);

/* Waits until `stream` holds `count` lines equal to `text`; false on timeout. */
gboolean rig_wait(Rig *rig, RigStream stream, const char *text, int count, int timeout_ms);
/* Keeps reading keywatchd's output for this long. */
void rig_pump(Rig *rig, int ms);
/* Waits for keywatchd to end; its exit status, or -1 on timeout or signal. */
int rig_wait_exit(Rig *rig, int timeout_ms);
/* Sends SIGINT, once keywatchd does not ignore it, and waits for the end;
 * the exit status as rig_wait_exit. */
int rig_interrupt(Rig *rig);

int rig_count(Rig *rig, RigStream stream, const char *text);
/* Index of the n-th (from 0) line equal to `text` in the merged output, or -1. */
int rig_find(Rig *rig, RigStream stream, const char *text, int nth);
GPtrArray *rig_lines(Rig *rig); /* of RigLine */
const GString *rig_raw_stdout(Rig *rig);
/* The simulated library's call log, one call per line. */
char *rig_library_calls(Rig *rig);
int rig_pid(Rig *rig);
/* A numeric field of keywatchd's /proc status ("Threads:", "VmRSS:"), or -1. */
long rig_status_field(Rig *rig, const char *name);
/* How many descriptors keywatchd holds open, or -1. */
long rig_open_fds(Rig *rig);

/* Ends keywatchd if it still runs, and every process it left behind. With
 * KT_RIG_VERBOSE set, prints every line seen first. */
void rig_free(Rig *rig);

/* Prints every line seen, for a failing test's output. */
void rig_dump(Rig *rig);
