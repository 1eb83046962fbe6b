// One line per call into KEYCORE_SIM_LOG, so tests can see what was asked.
#pragma once

// Appends `call` (and " <detail>" when detail is not null), plus
// " failed <status>" when status is non-zero, as one line.
void sim_log(const char *call, const char *detail, int status);
