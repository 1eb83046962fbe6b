// Mach port names as the IOKit layer uses them (see IOKit/IOKitLib.h).
// Ports are plain 32-bit names handed out by the layer; the only port a
// program deallocates itself is the I/O registry master port.
#pragma once

#include <stdint.h>

typedef int kern_return_t;
typedef uint32_t mach_port_t;
typedef mach_port_t ipc_space_t;

#define MACH_PORT_NULL ((mach_port_t)0)
#define KERN_SUCCESS 0
#define KERN_INVALID_ARGUMENT 4
#define KERN_INVALID_NAME 15

#ifdef __cplusplus
extern "C" {
#endif

mach_port_t mach_task_self(void);
kern_return_t mach_port_deallocate(ipc_space_t task, mach_port_t name);

#ifdef __cplusplus
}
#endif
