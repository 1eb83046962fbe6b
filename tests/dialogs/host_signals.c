/* A plain C host's signal dispositions survive loading the library, making
 * the application object and a dialog on another thread:
 *   host_signals LIBRARY */
#include <dlfcn.h>
#include <pthread.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <unistd.h>

#define RESTORER 0x04000000

static struct sigaction host[NSIG];
static int (*show_message)(const char *, int);

static void on_term(int s) { (void)s; }

static int changed(const char *when)
{
  int s, differences = 0;
  for (s = 1; s < NSIG; s++)
    {
      struct sigaction now;
      if (sigaction(s, NULL, &now) != 0)
        continue;
      /* glibc adds its restorer flag to every disposition set through it. */
      if (now.sa_handler != host[s].sa_handler
          || (now.sa_flags & ~RESTORER) != (host[s].sa_flags & ~RESTORER))
        {
          fprintf(stderr, "%s: signal %d changed\n", when, s);
          differences++;
        }
    }
  return differences;
}

static void *message(void *unused)
{
  show_message("信号", 0);
  return unused;
}

int main(int argc, char **argv)
{
  struct sigaction term = { .sa_handler = on_term };
  pthread_t thread;
  void *library;
  int s, failures = 0;

  sigaction(SIGTERM, &term, NULL);  /* a host's own handler, as a browser has */
  for (s = 1; s < NSIG; s++)
    sigaction(s, NULL, &host[s]);
  if (argc < 2 || (library = dlopen(argv[1], RTLD_NOW)) == NULL)
    return 2;
  failures += changed("loaded");
  ((void (*)(void))dlsym(library, "P11_ConsoleInit"))();
  failures += changed("P11_ConsoleInit");
  show_message = (int (*)(const char *, int))dlsym(library, "P11_ShowMsg");
  pthread_create(&thread, NULL, message, NULL);
  sleep(2);
  system("/usr/bin/xdotool key Return");
  pthread_join(thread, NULL);
  failures += changed("a dialog");
  printf("%d changed\n", failures);
  return failures == 0 ? 0 : 1;
}
