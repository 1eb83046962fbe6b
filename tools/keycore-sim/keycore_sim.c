// The seven functions of libkeycore, answering from the configuration file.
#include "sim_config.h"
#include "sim_handles.h"
#include "sim_log.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#define KC_EXPORT __attribute__((visibility("default")))

enum {
    SIM_BAD_PARAMS = 1,
    SIM_NO_READER = 2,
    SIM_BEGIN_FAILED = 3,
    SIM_READ_FAILED = 4,
    SIM_NO_MEMORY = 5,
    SIM_BAD_HANDLE = 6,
    SIM_TOO_SMALL = 8,
};

// A call on a wedged reader: logged as it starts, and it never returns.
static void hang(const char *call, const char *name)
{
    char detail[SIM_MAX_NAME + 8];
    snprintf(detail, sizeof detail, "%s%shangs", name ? name : "", name ? " " : "");
    sim_log(call, detail, 0);
    for (;;)
        sleep(3600);
}

// A slow token answers after a while; the caller's thread waits in the call.
static void answer_slowly(const struct sim_config *config)
{
    if (config && config->slow_ms > 0)
        usleep((useconds_t)config->slow_ms * 1000);
}

static int list_readers(const struct sim_config *config, char *list, int *len, int *count)
{
    if (!config)
        return SIM_NO_MEMORY;
    if (!list || !len)
        return SIM_BAD_PARAMS;
    if (config->list_status)
        return config->list_status;

    int needed = 1;  // the final extra zero byte
    for (int i = 0; i < config->reader_count; i++)
        needed += (int)strlen(config->readers[i].name) + 1;
    if (needed > *len) {
        *len = needed;
        return SIM_TOO_SMALL;
    }
    int at = 0;
    for (int i = 0; i < config->reader_count; i++) {
        size_t size = strlen(config->readers[i].name) + 1;
        memcpy(list + at, config->readers[i].name, size);
        at += (int)size;
    }
    list[at++] = '\0';
    if (config->has_fill)
        memset(list + at, config->fill, (size_t)(*len - at));

    if (config->has_length)
        *len = config->length;
    else
        *len = config->length_uncounted ? at - 1 : at;
    if (count)
        *count = config->has_count ? config->count : config->reader_count;
    return 0;
}

KC_EXPORT int KcListReaders(char *list, int *len, int *count)
{
    struct sim_config *config = sim_config_load();
    answer_slowly(config);
    int status = list_readers(config, list, len, count);
    free(config);
    sim_log("KcListReaders", NULL, status);
    return status;
}

static int connect_reader(const char *name, void **handle)
{
    if (!name || !handle)
        return SIM_BAD_PARAMS;
    struct sim_config *config = sim_config_load();
    if (!config)
        return SIM_NO_MEMORY;
    answer_slowly(config);
    const struct sim_reader *reader = sim_config_find(config, name);
    if (reader && reader->failure == SIM_CONNECT_HANG)
        hang("KcConnectDev", name);
    int status = SIM_NO_READER;
    if (reader && reader->failure != SIM_CONNECT_FAIL) {
        void *opened = sim_handle_open(reader);
        status = opened ? 0 : SIM_NO_MEMORY;
        if (opened)
            *handle = opened;
    }
    free(config);
    return status;
}

KC_EXPORT int KcConnectDev(const char *name, void **handle)
{
    int status = connect_reader(name, handle);
    sim_log("KcConnectDev", name ? name : "", status);
    return status;
}

KC_EXPORT int KcBeginTransaction(void *handle)
{
    struct sim_reader reader;
    int known = sim_handle_reader(handle, &reader);
    if (known && reader.failure == SIM_BEGIN_HANG)
        hang("KcBeginTransaction", NULL);
    int status = !known                           ? SIM_BAD_HANDLE
               : reader.failure == SIM_BEGIN_FAIL ? SIM_BEGIN_FAILED
                                                  : 0;
    sim_log("KcBeginTransaction", NULL, status);
    return status;
}

KC_EXPORT int KcReadPCODE(void *handle, int *pcode, int *second)
{
    struct sim_reader reader;
    int known = sim_handle_reader(handle, &reader);
    if (known && reader.failure == SIM_READ_HANG)
        hang("KcReadPCODE", NULL);
    int status = !known                          ? SIM_BAD_HANDLE
               : reader.failure == SIM_READ_FAIL ? SIM_READ_FAILED
               : !pcode                          ? SIM_BAD_PARAMS
                                                 : 0;
    char detail[16];
    if (status == 0) {
        *pcode = reader.pcode;
        if (second)
            *second = 1;
        snprintf(detail, sizeof detail, "%d", reader.pcode);
    }
    sim_log("KcReadPCODE", status == 0 ? detail : NULL, status);
    return status;
}

KC_EXPORT int KcEndTransaction(void *handle)
{
    struct sim_reader reader;
    int status = sim_handle_reader(handle, &reader) ? 0 : SIM_BAD_HANDLE;
    sim_log("KcEndTransaction", NULL, status);
    return status;
}

KC_EXPORT int KcDisconnectDev(void *handle)
{
    int status = sim_handle_close(handle) ? 0 : SIM_BAD_HANDLE;
    sim_log("KcDisconnectDev", NULL, status);
    return status;
}

KC_EXPORT int KcGetSerial(void *handle, unsigned int value)
{
    struct sim_reader reader;
    int status = sim_handle_reader(handle, &reader) ? 0 : SIM_BAD_HANDLE;
    char detail[16];
    snprintf(detail, sizeof detail, "%u", value);
    sim_log("KcGetSerial", detail, status);
    return status;
}
