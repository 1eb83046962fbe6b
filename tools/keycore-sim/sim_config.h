// The simulator's view of the attached readers, read from KEYCORE_SIM_CONFIG.
#pragma once

enum { SIM_MAX_READERS = 64, SIM_MAX_NAME = 256 };

enum sim_failure {
    SIM_OK,
    SIM_CONNECT_FAIL,
    SIM_BEGIN_FAIL,
    SIM_READ_FAIL,
    SIM_CONNECT_HANG,  // the call never returns, as a wedged reader's would
    SIM_BEGIN_HANG,
    SIM_READ_HANG,
};

struct sim_reader {
    char name[SIM_MAX_NAME];
    int pcode;
    enum sim_failure failure;
};

struct sim_config {
    struct sim_reader readers[SIM_MAX_READERS];
    int reader_count;
    int list_status;        // non-zero: KcListReaders fails with it
    int length_uncounted;   // report the length without the final extra zero
    int has_length;         // report `length` instead of the true length
    int length;
    int has_count;          // report `count` instead of reader_count
    int count;
    int has_fill;           // fill the caller's buffer after the list with `fill`
    char fill;
    int slow_ms;            // KcListReaders and KcConnectDev take this long
};

// Reads the file named by KEYCORE_SIM_CONFIG; a missing file is no reader.
// The result is heap-allocated (free it) or null when memory runs out.
struct sim_config *sim_config_load(void);

// The reader of that name, or null.
const struct sim_reader *sim_config_find(const struct sim_config *config, const char *name);
