// Standard output and standard error behind pipes that a relay thread empties
// at once, so that no thread that prints ever waits for the reader of the real
// output (a journal that lags, a terminal on hold, a pipe nobody reads). A
// writer thread per stream passes the lines on, in the order they came. Lines
// that do not fit into its bounded queue are dropped and counted; the count is
// written in their place once the reader takes lines again.
#pragma once

// Puts descriptors 1 and 2 behind the relay. 0 on success; otherwise an errno
// value, with 1 and 2 untouched, and the process must exit.
int StartOutputRelay(void);

// Waits until what had been printed before the call is written out, or until
// `seconds` have passed.
void FlushOutputRelay(double seconds);

// The descriptor that `stream` (1 or 2) really writes to, for programs that
// keywatchd starts: its relay's pipe ends with keywatchd.
int OutputRelayTarget(int stream);
