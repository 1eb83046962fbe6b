// keywatchd holds about 15 descriptors once set up, and each probe takes a few
// more while it runs (the token library's, the launch's). Below a floor of
// descriptors, arrivals would go unprobed at the first busy moment: such a
// limit is refused at start, with a message, rather than met by chance later.
#pragma once

#include <sys/resource.h>

const rlim_t kDescriptorsNeeded = 64;

// Raises the soft limit on descriptors to `needed` where the hard limit
// allows. False when it stays below; `limit` is then the limit that holds.
bool RaiseDescriptorLimit(rlim_t needed, rlim_t *limit);
