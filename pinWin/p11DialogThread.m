#import "p11DialogThread.h"
#import <Foundation/Foundation.h>
#include <pthread.h>

static pthread_mutex_t gate = PTHREAD_MUTEX_INITIALIZER;
static pthread_cond_t gateOpen = PTHREAD_COND_INITIALIZER;
static int dialogsOpen;   // the open one and those started inside it
static BOOL runnerKnown;  // whether `runner` is set yet
static pthread_t runner;  // the thread that runs the open dialogs

typedef struct
{
  dispatch_function_t dialog;
  void *call;
} DialogRun;

static BOOL onRunner(void)
{
  return dialogsOpen > 0 && runnerKnown && pthread_equal(runner, pthread_self());
}

static void runOnThisThread(void *context)
{
  DialogRun *run = context;
  pthread_mutex_lock(&gate);
  runner = pthread_self();
  runnerKnown = YES;
  pthread_mutex_unlock(&gate);
  run->dialog(run->call);
}

void p11RunDialog(dispatch_function_t dialog, void *call)
{
  DialogRun run = { dialog, call };
  BOOL nested;

  pthread_mutex_lock(&gate);
  nested = onRunner();
  while (!nested && dialogsOpen > 0)
    pthread_cond_wait(&gateOpen, &gate);
  dialogsOpen++;
  pthread_mutex_unlock(&gate);

  if (nested)
    dialog(call);
  else if (pthread_main_np())
    runOnThisThread(&run);
  else
    dispatch_sync_f(dispatch_get_main_queue(), &run, runOnThisThread);

  pthread_mutex_lock(&gate);
  if (--dialogsOpen == 0)
    {
      runnerKnown = NO;
      pthread_cond_broadcast(&gateOpen);
    }
  pthread_mutex_unlock(&gate);
}
