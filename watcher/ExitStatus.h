// What keywatchd's exit status tells its service manager.
#pragma once

enum ExitStatus {
  kExitInterrupted = 0,     // SIGINT, the one clean way out
  kExitAlreadyRunning = 1,  // another keywatchd watches this user's session
  kExitNoDetector = 2,      // neither USB detector could be set up
  kExitFailed = 255,        // out of descriptors, threads or memory
};
