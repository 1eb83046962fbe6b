/* The lists that the demo hands to the selection dialogs. */
#pragma once
#include "keydialogs.h"

/* An NSArray of NSDictionary elements, one per argument of the form
 * "key=value;key=value..."; an argument "@FILE" stands for the lines of FILE,
 * each of that form. The array is the caller's to release. */
kd_array_t demoNewList(int count, char **args);
