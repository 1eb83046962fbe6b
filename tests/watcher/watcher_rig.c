#define _XOPEN_SOURCE 700
#define _DEFAULT_SOURCE
#include "watcher_rig.h"

#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <ftw.h>
#include <signal.h>
#include <stdio.h>
#include <string.h>
#include <sys/stat.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <umockdev.h>
#include <unistd.h>

struct Rig {
  UMockdevTestbed *testbed;
  char *keywatchd;
  char *dir; /* keywatchd's TMPDIR; holds the fake `open` and the rig's files */
  char *config_path, *library_log, *launch_log;
  GPtrArray *env;        /* extra "NAME=value" entries */
  GPtrArray *lines;      /* of RigLine */
  GString *raw_stdout;   /* everything keywatchd printed */
  GString *pending[2];   /* partial lines of stdout and stderr */
  GPtrArray *syspaths;   /* of plugged devices, owned here */
  gsize launch_offset;
  int device_serial;
  int stdout_fd;
  gboolean stdout_held;  /* stdout is left unread */
  char *wrapper;         /* shell command that starts keywatchd as "$0", or NULL */
  guint sources[3]; /* stdout and stderr watches, launch poll */
  GPid pid;
  gboolean running;
  int exit_status;       /* -1 for an end by signal */
};

static void add_line(Rig *rig, RigStream stream, const char *text) {
  RigLine *line = g_new0(RigLine, 1);
  line->stream = stream;
  line->time_us = g_get_monotonic_time();
  if (stream == RIG_LOG) {
    /* NSLog's prefix: "<date> <time> keywatchd[pid:tid] " */
    const char *message = strstr(text, "] ");
    if (message && strstr(text, "keywatchd[") && strstr(text, "keywatchd[") < message) text = message + 2;
  }
  line->text = g_strdup(text);
  g_ptr_array_add(rig->lines, line);
}

static void free_line(gpointer data) {
  RigLine *line = data;
  g_free(line->text);
  g_free(line);
}

static void split_lines(Rig *rig, RigStream stream, GString *pending) {
  char *newline;
  while ((newline = memchr(pending->str, '\n', pending->len)) != NULL) {
    *newline = '\0';
    add_line(rig, stream, pending->str);
    g_string_erase(pending, 0, newline - pending->str + 1);
  }
}

static gboolean on_output(GIOChannel *channel, GIOCondition condition, gpointer data) {
  Rig *rig = data;
  int fd = g_io_channel_unix_get_fd(channel);
  gboolean is_stdout = fd == rig->stdout_fd;
  char buffer[4096];
  ssize_t n = read(fd, buffer, sizeof buffer);
  if (n <= 0) {
    gboolean more = n < 0 && (errno == EAGAIN || errno == EINTR);
    if (!more) {
      rig->sources[is_stdout ? 0 : 1] = 0;
      close(fd);
      if (is_stdout) rig->stdout_fd = -1;
    }
    return more;
  }
  if (is_stdout) g_string_append_len(rig->raw_stdout, buffer, n);
  GString *pending = rig->pending[is_stdout ? 0 : 1];
  g_string_append_len(pending, buffer, n);
  split_lines(rig, is_stdout ? RIG_STDOUT : RIG_LOG, pending);
  return TRUE;
}

/* The fake `open` appends to a file; new lines become launch events. */
static gboolean poll_launches(gpointer data) {
  Rig *rig = data;
  char *contents = NULL;
  gsize length = 0;
  if (g_file_get_contents(rig->launch_log, &contents, &length, NULL) && length > rig->launch_offset) {
    char *start = contents + rig->launch_offset, *newline;
    while ((newline = memchr(start, '\n', contents + length - start)) != NULL) {
      *newline = '\0';
      add_line(rig, RIG_LAUNCH, start);
      rig->launch_offset += newline - start + 1;
      start = newline + 1;
    }
  }
  g_free(contents);
  return G_SOURCE_CONTINUE;
}

static void on_child_exit(GPid pid, gint status, gpointer data) {
  Rig *rig = data;
  rig->running = FALSE;
  rig->exit_status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  g_spawn_close_pid(pid);
}

Rig *rig_new(const char *keywatchd) {
  Rig *rig = g_new0(Rig, 1);
  rig->testbed = umockdev_testbed_new();
  rig->keywatchd = g_strdup(keywatchd);
  rig->dir = g_dir_make_tmp("keywatchd-rig-XXXXXX", NULL);
  g_assert_nonnull(rig->dir);
  rig->config_path = g_build_filename(rig->dir, "readers.conf", NULL);
  rig->library_log = g_build_filename(rig->dir, "library.log", NULL);
  rig->launch_log = g_build_filename(rig->dir, "launches", NULL);
  rig->env = g_ptr_array_new_with_free_func(g_free);
  rig->lines = g_ptr_array_new_with_free_func(free_line);
  rig->raw_stdout = g_string_new(NULL);
  rig->pending[0] = g_string_new(NULL);
  rig->pending[1] = g_string_new(NULL);
  rig->syspaths = g_ptr_array_new_with_free_func(g_free);

  char *bin = g_build_filename(rig->dir, "bin", NULL);
  char *open_path = g_build_filename(bin, "open", NULL);
  /* Like a real launcher it takes a moment after it has started: a test that
   * interrupts keywatchd right after a launch meets it while it still waits. */
  char *script = g_strdup_printf("#!/bin/sh\nprintf '%%s\\n' \"$*\" >> '%s'\nsleep 0.2\n", rig->launch_log);
  g_assert_cmpint(mkdir(bin, 0755), ==, 0);
  g_assert_true(g_file_set_contents(open_path, script, -1, NULL));
  g_assert_cmpint(chmod(open_path, 0755), ==, 0);
  char *path = g_strdup_printf("PATH=%s:%s", bin, g_getenv("PATH"));
  g_ptr_array_add(rig->env, path);
  g_free(script);
  g_free(open_path);
  g_free(bin);
  rig_setenv(rig, "TMPDIR", rig->dir);
  rig_setenv(rig, "XDG_RUNTIME_DIR", rig->dir);
  rig_setenv(rig, "KT_RIG_MARKER", rig->dir);
  rig_setenv(rig, "KEYCORE_SIM_CONFIG", rig->config_path);
  rig_setenv(rig, "KEYCORE_SIM_LOG", rig->library_log);
  return rig;
}

void rig_set_readers(Rig *rig, const char *config) {
  g_assert_true(g_file_set_contents(rig->config_path, config, -1, NULL));
}

void rig_setenv(Rig *rig, const char *name, const char *value) {
  g_ptr_array_add(rig->env, g_strdup_printf("%s=%s", name, value));
}

static guint watch_fd(Rig *rig, int fd) {
  fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
  GIOChannel *channel = g_io_channel_unix_new(fd);
  guint source = g_io_add_watch(channel, G_IO_IN | G_IO_HUP | G_IO_ERR, on_output, rig);
  g_io_channel_unref(channel);
  return source;
}

/* This process's environment with the rig's variables set over it. */
static char **rig_environment(Rig *rig) {
  char **envp = g_get_environ();
  for (guint i = 0; i < rig->env->len; i++) {
    char *entry = g_ptr_array_index(rig->env, i);
    char *name = g_strndup(entry, strchr(entry, '=') - entry);
    envp = g_environ_setenv(envp, name, strchr(entry, '=') + 1, TRUE);
    g_free(name);
  }
  return envp;
}

void rig_start(Rig *rig) {
  char **envp = rig_environment(rig);
  char *direct[] = {rig->keywatchd, NULL};
  char *wrapped[] = {"/bin/sh", "-c", rig->wrapper, rig->keywatchd, NULL};
  char **argv = rig->wrapper ? wrapped : direct;
  int out, err;
  GError *error = NULL;
  gboolean spawned = g_spawn_async_with_pipes(rig->dir, argv, envp, G_SPAWN_DO_NOT_REAP_CHILD, NULL, NULL,
                                              &rig->pid, NULL, &out, &err, &error);
  g_assert_no_error(error);
  g_assert_true(spawned);
  g_strfreev(envp);
  rig->running = TRUE;
  rig->stdout_fd = out;
  rig->sources[0] = rig->stdout_held ? 0 : watch_fd(rig, out);
  rig->sources[1] = watch_fd(rig, err);
  if (!rig->sources[2]) rig->sources[2] = g_timeout_add(20, poll_launches, rig);
  g_child_watch_add(rig->pid, on_child_exit, rig);
}

void rig_wrap(Rig *rig, const char *command) {
  g_free(rig->wrapper);
  rig->wrapper = g_strdup(command);
}

void rig_hold_stdout(Rig *rig, gboolean hold) {
  rig->stdout_held = hold;
  if (hold && rig->sources[0]) {
    g_source_remove(rig->sources[0]);
    rig->sources[0] = 0;
  } else if (!hold && !rig->sources[0] && rig->running) {
    rig->sources[0] = watch_fd(rig, rig->stdout_fd);
  }
}

int rig_run_copy(Rig *rig, int timeout_ms, char **output) {
  char **envp = rig_environment(rig);
  char *timeout = g_strdup_printf("%d", (timeout_ms + 999) / 1000);
  /* Its output and status go through files: the copy may leave children. */
  char *out_path = g_build_filename(rig->dir, "copy.out", NULL);
  char *script = g_strdup_printf("timeout -s KILL %s \"$0\" > '%s' 2>&1", timeout, out_path);
  char *argv[] = {"/bin/sh", "-c", script, rig->keywatchd, NULL};
  int status = -1;
  GError *error = NULL;
  g_spawn_sync(rig->dir, argv, envp, G_SPAWN_DEFAULT, NULL, NULL, NULL, NULL, &status, &error);
  g_assert_no_error(error);
  if (!g_file_get_contents(out_path, output, NULL, NULL)) *output = g_strdup("");
  g_strfreev(envp);
  g_free(script);
  g_free(out_path);
  g_free(timeout);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

const char *rig_plug(Rig *rig, unsigned vendor, unsigned product) {
  char name[32], vendor_hex[8], product_hex[8], product_property[32];
  g_snprintf(name, sizeof name, "usb%d", ++rig->device_serial);
  g_snprintf(vendor_hex, sizeof vendor_hex, "%04x", vendor);
  g_snprintf(product_hex, sizeof product_hex, "%04x", product);
  g_snprintf(product_property, sizeof product_property, "%x/%x/100", vendor, product); /* as the kernel has it */
  /* Sends the "add" uevent itself. */
  char *syspath = umockdev_testbed_add_device(rig->testbed, "usb", name, NULL, "idVendor", vendor_hex,
                                              "idProduct", product_hex, NULL, "DEVTYPE", "usb_device",
                                              "PRODUCT", product_property, NULL);
  g_assert_nonnull(syspath);
  g_ptr_array_add(rig->syspaths, syspath);
  return syspath;
}

void rig_uevent(Rig *rig, const char *syspath, const char *action) {
  umockdev_testbed_uevent(rig->testbed, syspath, action);
}

void rig_unplug(Rig *rig, const char *syspath) {
  rig_uevent(rig, syspath, "remove"); /* before the removal: umockdev needs the device */
  umockdev_testbed_remove_device(rig->testbed, syspath);
}

static gboolean iterate_until(gint64 deadline) {
  if (g_get_monotonic_time() >= deadline) return FALSE;
  g_main_context_iteration(NULL, TRUE); /* the launch poll wakes it every 20 ms */
  return TRUE;
}

gboolean rig_wait(Rig *rig, RigStream stream, const char *text, int count, int timeout_ms) {
  gint64 deadline = g_get_monotonic_time() + (gint64)timeout_ms * 1000;
  while (rig_count(rig, stream, text) < count)
    if (!iterate_until(deadline)) return FALSE;
  return TRUE;
}

void rig_pump(Rig *rig, int ms) {
  gint64 deadline = g_get_monotonic_time() + (gint64)ms * 1000;
  while (iterate_until(deadline)) {
  }
}

int rig_wait_exit(Rig *rig, int timeout_ms) {
  gint64 deadline = g_get_monotonic_time() + (gint64)timeout_ms * 1000;
  while (rig->running)
    if (!iterate_until(deadline)) return -1;
  /* Take what is still in the pipes. */
  while (g_main_context_iteration(NULL, FALSE)) {
  }
  poll_launches(rig);
  return rig->exit_status;
}

/* The text after `name` in keywatchd's /proc status ("Threads:"). */
static gboolean status_text(Rig *rig, const char *name, char *text, size_t size) {
  char path[64], line[256];
  g_snprintf(path, sizeof path, "/proc/%d/status", rig->pid);
  FILE *file = fopen(path, "r");
  gboolean found = FALSE;
  while (file && !found && fgets(line, sizeof line, file))
    if ((found = strncmp(line, name, strlen(name)) == 0)) g_strlcpy(text, line + strlen(name), size);
  if (file) fclose(file);
  return found;
}

int rig_interrupt(Rig *rig) {
  kill(rig->pid, SIGINT);
  return rig_wait_exit(rig, 5000);
}

int rig_count(Rig *rig, RigStream stream, const char *text) {
  int count = 0;
  for (guint i = 0; i < rig->lines->len; i++) {
    RigLine *line = g_ptr_array_index(rig->lines, i);
    if (line->stream == stream && strcmp(line->text, text) == 0) count++;
  }
  return count;
}

int rig_find(Rig *rig, RigStream stream, const char *text, int nth) {
  for (guint i = 0; i < rig->lines->len; i++) {
    RigLine *line = g_ptr_array_index(rig->lines, i);
    if (line->stream == stream && strcmp(line->text, text) == 0 && nth-- == 0) return (int)i;
  }
  return -1;
}

GPtrArray *rig_lines(Rig *rig) { return rig->lines; }
const GString *rig_raw_stdout(Rig *rig) { return rig->raw_stdout; }
int rig_pid(Rig *rig) { return rig->pid; }

long rig_status_field(Rig *rig, const char *name) {
  char text[32];
  return status_text(rig, name, text, sizeof text) ? atol(text) : -1;
}

long rig_open_fds(Rig *rig) {
  char path[64];
  g_snprintf(path, sizeof path, "/proc/%d/fd", rig->pid);
  DIR *dir = opendir(path);
  if (!dir) return -1;
  long count = 0;
  struct dirent *entry;
  while ((entry = readdir(dir)) != NULL) count += entry->d_name[0] != '.';
  closedir(dir);
  return count;
}

char *rig_library_calls(Rig *rig) {
  char *contents = NULL;
  if (!g_file_get_contents(rig->library_log, &contents, NULL, NULL)) contents = g_strdup("");
  return contents;
}

/* GNUstep starts daemons (gdnc) that outlive the program; they inherit the
 * rig's marker in their environment. */
static void end_marked_processes(Rig *rig) {
  char *marker = g_strdup_printf("KT_RIG_MARKER=%s", rig->dir);
  gsize marker_length = strlen(marker) + 1;
  DIR *proc = opendir("/proc");
  struct dirent *entry;
  while (proc && (entry = readdir(proc)) != NULL) {
    int pid = atoi(entry->d_name);
    if (pid <= 0 || pid == getpid()) continue;
    char *path = g_strdup_printf("/proc/%d/environ", pid);
    char *environ_text = NULL;
    gsize length = 0;
    if (g_file_get_contents(path, &environ_text, &length, NULL)) {
      for (gsize at = 0; at < length; at += strlen(environ_text + at) + 1)
        if (memcmp(environ_text + at, marker, MIN(marker_length, length - at)) == 0) kill(pid, SIGKILL);
    }
    g_free(environ_text);
    g_free(path);
  }
  if (proc) closedir(proc);
  g_free(marker);
}

static int remove_entry(const char *path, const struct stat *st, int type, struct FTW *ftw) {
  return remove(path);
}

void rig_free(Rig *rig) {
  if (g_getenv("KT_RIG_VERBOSE")) rig_dump(rig);
  if (rig->running) {
    kill(rig->pid, SIGKILL);
    rig_wait_exit(rig, 5000);
  }
  end_marked_processes(rig);
  for (int i = 0; i < 3; i++)
    if (rig->sources[i]) g_source_remove(rig->sources[i]);
  nftw(rig->dir, remove_entry, 16, FTW_DEPTH | FTW_PHYS);
  g_object_unref(rig->testbed);
  g_ptr_array_free(rig->syspaths, TRUE);
  g_ptr_array_free(rig->lines, TRUE);
  g_ptr_array_free(rig->env, TRUE);
  g_string_free(rig->raw_stdout, TRUE);
  g_string_free(rig->pending[0], TRUE);
  g_string_free(rig->pending[1], TRUE);
  if (rig->stdout_fd >= 0 && rig->pid) close(rig->stdout_fd);
  g_free(rig->keywatchd);
  g_free(rig->wrapper);
  g_free(rig->dir);
  g_free(rig->config_path);
  g_free(rig->library_log);
  g_free(rig->launch_log);
  g_free(rig);
}

void rig_dump(Rig *rig) {
  static const char *names[] = {"stdout", "log", "launch"};
  gint64 start = rig->lines->len ? ((RigLine *)g_ptr_array_index(rig->lines, 0))->time_us : 0;
  for (guint i = 0; i < rig->lines->len; i++) {
    RigLine *line = g_ptr_array_index(rig->lines, i);
    fprintf(stderr, "  %7.3f %-6s %s\n", (line->time_us - start) / 1e6, names[line->stream], line->text);
  }
}
