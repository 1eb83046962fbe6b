#include "DescriptorLimit.h"

bool RaiseDescriptorLimit(rlim_t needed, rlim_t *limit) {
  struct rlimit descriptors;
  if (getrlimit(RLIMIT_NOFILE, &descriptors) != 0) return true;  // nothing known to be short
  *limit = descriptors.rlim_cur;
  if (descriptors.rlim_cur == RLIM_INFINITY || descriptors.rlim_cur >= needed) return true;
  if (descriptors.rlim_max != RLIM_INFINITY && descriptors.rlim_max < needed) {
    *limit = descriptors.rlim_max;
    return false;
  }
  descriptors.rlim_cur = needed;
  return setrlimit(RLIMIT_NOFILE, &descriptors) == 0;
}
