#include "child.h"
#include "xwatch.h"
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <stdio.h>
#include <string.h>
#include <sys/wait.h>
#include <unistd.h>

extern char **environ;

int childStart(Child *c, char *const argv[])
{
  int toChild[2], fromChild[2];
  posix_spawn_file_actions_t actions;
  memset(c, 0, sizeof *c);
  if (pipe(toChild) != 0 || pipe(fromChild) != 0)
    return -1;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, toChild[0], 0);
  posix_spawn_file_actions_adddup2(&actions, fromChild[1], 1);
  posix_spawn_file_actions_addclose(&actions, toChild[1]);
  posix_spawn_file_actions_addclose(&actions, fromChild[0]);
  int rc = posix_spawn(&c->pid, argv[0], &actions, NULL, argv, environ);
  posix_spawn_file_actions_destroy(&actions);
  close(toChild[0]);
  close(fromChild[1]);
  c->in = toChild[1];
  c->out = fromChild[0];
  return rc;
}

int childReadLine(Child *c, char *line, size_t size, double timeout)
{
  double until = xwNow() + timeout;
  for (;;)
    {
      char *end = memchr(c->buffer, '\n', c->held);
      if (end != NULL)
        {
          size_t n = end - c->buffer;
          snprintf(line, size, "%.*s", (int)n, c->buffer);
          memmove(c->buffer, end + 1, c->held - n - 1);
          c->held -= n + 1;
          return 1;
        }
      double left = until - xwNow();
      struct pollfd p = { c->out, POLLIN, 0 };
      if (left <= 0 || poll(&p, 1, (int)(left * 1e3) + 1) <= 0)
        return 0;
      ssize_t got = read(c->out, c->buffer + c->held, sizeof c->buffer - 1 - c->held);
      if (got <= 0)
        return 0;
      c->held += got;
    }
}

void childWrite(Child *c, const char *text)
{
  size_t n = strlen(text);
  if (write(c->in, text, n) != (ssize_t)n)
    perror("dialog_speed: write to child");
}

void childEnd(Child *c, double timeout)
{
  int status;
  double until = xwNow() + timeout;
  close(c->in);
  close(c->out);
  while (waitpid(c->pid, &status, WNOHANG) == 0)
    {
      if (xwNow() > until)
        {
          kill(c->pid, SIGKILL);
          waitpid(c->pid, &status, 0);
          break;
        }
      usleep(10000);
    }
}

pid_t helperStart(char *const argv[])
{
  pid_t pid;
  return posix_spawn(&pid, argv[0], NULL, NULL, argv, environ) == 0 ? pid : -1;
}

void helperWait(pid_t pid)
{
  int status;
  if (pid > 0)
    waitpid(pid, &status, 0);
}
