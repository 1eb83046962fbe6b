#include "sim_handles.h"

#include <pthread.h>
#include <stdlib.h>

struct sim_handle {
    struct sim_handle *next;
    struct sim_reader reader;
};

static pthread_mutex_t lock = PTHREAD_MUTEX_INITIALIZER;
static struct sim_handle *open_handles;

void *sim_handle_open(const struct sim_reader *reader)
{
    struct sim_handle *handle = malloc(sizeof *handle);
    if (!handle)
        return NULL;
    handle->reader = *reader;
    pthread_mutex_lock(&lock);
    handle->next = open_handles;
    open_handles = handle;
    pthread_mutex_unlock(&lock);
    return handle;
}

// Must be called with the lock held.
static struct sim_handle **find(void *handle)
{
    struct sim_handle **link = &open_handles;
    while (*link && *link != handle)
        link = &(*link)->next;
    return *link ? link : NULL;
}

int sim_handle_reader(void *handle, struct sim_reader *reader)
{
    pthread_mutex_lock(&lock);
    struct sim_handle **link = find(handle);
    if (link)
        *reader = (*link)->reader;
    pthread_mutex_unlock(&lock);
    return link != NULL;
}

int sim_handle_close(void *handle)
{
    pthread_mutex_lock(&lock);
    struct sim_handle **link = find(handle);
    struct sim_handle *found = link ? *link : NULL;
    if (found)
        *link = found->next;
    pthread_mutex_unlock(&lock);
    free(found);
    return found != NULL;
}
