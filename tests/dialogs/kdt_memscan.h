// Scans every readable mapping of this process for copies of a PIN: UTF-8,
// UTF-16LE and UTF-32LE, the whole PIN or any 8-character piece of it.
#pragma once
#include "kdt_secret.h"

// Each copy found is reported on stderr under `label` with its address, its
// mapping and its encoding. Returns the number of copies.
int kdtScanForSecret(const KDTSecret *secret, const char *label);

// Plants copies of the PIN in the heap and on the stack, in each encoding and
// as a lone 8-character piece, checks that the scan finds every one of them
// and nothing once they are wiped. Returns whether it did.
int kdtScanFindsPlantedCopies(const KDTSecret *secret);
