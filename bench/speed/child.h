// Child processes of the speed benchmark, with pipes to their standard input
// and output, and line reading with a time limit.
#pragma once
#include <sys/types.h>

typedef struct
{
  pid_t pid;
  int in;       // writes to the child's standard input
  int out;      // reads from its standard output
  char buffer[4096];
  size_t held;
} Child;

// Starts argv[0] (a path) with `argv`; returns 0 on success.
int childStart(Child *c, char *const argv[]);

// Reads one line (without its newline) into `line`; 0 after `timeout`
// seconds or at the end of the output.
int childReadLine(Child *c, char *line, size_t size, double timeout);

// Writes `text` to the child's standard input.
void childWrite(Child *c, const char *text);

// Closes the pipes and waits for the child, killing it after `timeout` seconds.
void childEnd(Child *c, double timeout);

// Starts a helper (xdotool) without waiting for it, so that the X events it
// makes are read and stamped while it runs; helperWait reaps it.
pid_t helperStart(char *const argv[]);
void helperWait(pid_t pid);
