// The bad-argument calls, made from C through the library's own header.
#pragma once

typedef enum
{
  KDTNoWindow,    // the call must return without showing anything
  KDTPressButton, // a dialog shows; the test presses `button`
  KDTEndsItself   // a dialog shows and ends on its own
} KDTBadCallAnswer;

typedef struct
{
  const char *what;
  int (*call)(void);
  KDTBadCallAnswer answer;
  const char *button;
  int expected;
} KDTBadCall;

// Ended by an entry with a null `what`.
extern const KDTBadCall kdtBadCalls[];

// Supplied by the Objective-C side: the library's symbols, and arrays that are
// not what the selection dialogs expect (see bad_argument_scenarios.m).
void *kdtSymbol(const char *name);
void *kdtOddArray(int which);
enum { KDTEmptyArray, KDTArrayOfNonDictionaries, KDTArrayOfOddDictionaries };
