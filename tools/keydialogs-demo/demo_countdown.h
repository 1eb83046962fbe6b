/* The countdown window in the demo, with an optional second thread that ends
 * it the way the token's module would. */
#pragma once

/* Runs showCountDownWindow from the arguments
 *   SECONDS [NAME [BUNDLE [WIDTH HEIGHT [END_MS int|closeWindow|closeWindow_t]]]]
 * ("-" for a null NAME or BUNDLE) and prints what it returned. `symbol` finds
 * a function of the loaded library. Returns 2 on bad arguments. */
int demoCountdown(void *(*symbol)(const char *), int argc, char **argv);
