// The open device handles. Probes call from several threads at once, so the
// set is guarded by a lock; nothing else in the simulator outlives a call.
#pragma once

#include "sim_config.h"

// A new handle for that reader (a copy is kept), or null when memory runs out.
void *sim_handle_open(const struct sim_reader *reader);

// Copies the reader behind an open handle into *reader; 0 when the handle is
// not open.
int sim_handle_reader(void *handle, struct sim_reader *reader);

// Closes an open handle; 0 when it was not open.
int sim_handle_close(void *handle);
