// USB device notifications under IOKit's names, built on libudev.
//
// What it covers: IOMasterPort, IOServiceMatching("IOUSBDevice") with the
// keys "idVendor" and "idProduct" (CFNumbers, compared with the sysfs
// attributes of the same names), IONotificationPortCreate/Destroy with a
// run-loop source, IOServiceAddMatchingNotification for
// kIOFirstMatchNotification and kIOTerminatedNotification, IOIteratorNext
// and IOObjectRelease. Devices are udev's "usb"/"usb_device" devices.
//
// How it works: a notification port owns a udev monitor; its run-loop source
// fires when the monitor has events. A first-match registration starts with
// the matching devices already present, enumerated after the monitor is
// enabled; a device reported by both the enumeration and an "add" event is
// reported once. A device's ids are read from sysfs at its arrival, or from
// the uevent's PRODUCT property when it is already gone again; a removal is
// matched with the ids remembered at arrival (sysfs is gone by then). Each
// callback call hands over the registration's iterator, which yields the
// devices matched since it was last drained. Releasing a registration's
// iterator ends the registration.
//
// IONotificationPortCreate returns NULL when the udev monitor cannot be made,
// with errno saying why (EAFNOSUPPORT for a refused netlink socket, EMFILE).
//
// Test hook (Linux only): the environment variable KT_IOKIT_FAIL makes calls
// fail, so that programs' failure paths can be exercised. It holds a
// comma-separated list of CALL or CALL:N (N = which occurrence fails,
// counted over the whole process from 1; default 1). CALL is one of
//   IOMasterPort                                      -> kIOReturnError, port 0
//   IOServiceMatching                                 -> NULL
//   IOServiceAddMatchingNotification/IOServiceFirstMatch -> kIOReturnError
//   IOServiceAddMatchingNotification/IOServiceTerminate  -> kIOReturnError
// e.g. KT_IOKIT_FAIL=IOMasterPort:2 makes the second IOMasterPort call fail.
#pragma once

#include <CoreFoundation/CoreFoundation.h>
#include <mach/mach.h>

typedef kern_return_t IOReturn;
typedef mach_port_t io_object_t;
typedef io_object_t io_iterator_t;
typedef io_object_t io_service_t;
typedef char io_name_t[128];
typedef struct IONotificationPort *IONotificationPortRef;
typedef void (*IOServiceMatchingCallback)(void *refCon, io_iterator_t iterator);

#define kIOFirstMatchNotification "IOServiceFirstMatch"
#define kIOTerminatedNotification "IOServiceTerminate"
#define kIOMasterPortDefault MACH_PORT_NULL

#define kIOReturnSuccess KERN_SUCCESS
#define kIOReturnError ((IOReturn)0xe00002bc)
#define kIOReturnNoMemory ((IOReturn)0xe00002bd)
#define kIOReturnBadArgument ((IOReturn)0xe00002c2)
#define kIOReturnUnsupported ((IOReturn)0xe00002c7)
#define kIOReturnAborted ((IOReturn)0xe00002eb)

#ifdef __cplusplus
extern "C" {
#endif

kern_return_t IOMasterPort(mach_port_t bootstrapPort, mach_port_t *masterPort);
CFMutableDictionaryRef IOServiceMatching(const char *name);

IONotificationPortRef IONotificationPortCreate(mach_port_t masterPort);
void IONotificationPortDestroy(IONotificationPortRef notify);
CFRunLoopSourceRef IONotificationPortGetRunLoopSource(IONotificationPortRef notify);

kern_return_t IOServiceAddMatchingNotification(IONotificationPortRef notifyPort,
                                               const io_name_t notificationType,
                                               CFDictionaryRef matching,
                                               IOServiceMatchingCallback callback,
                                               void *refCon,
                                               io_iterator_t *notification);
io_object_t IOIteratorNext(io_iterator_t iterator);
kern_return_t IOObjectRelease(io_object_t object);

#ifdef __cplusplus
}
#endif
