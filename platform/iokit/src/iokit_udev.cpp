// IOKit's USB notifications over libudev: master ports, notification ports,
// registrations and their iterators, and the device objects they yield.
#include <IOKit/IOKitLib.h>
#include <libudev.h>
#include <poll.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <unordered_map>

#include "cf_private.h"
#include "fault_hook.h"

namespace {

const long kAny = -1;

struct DeviceIds {
  long vendor = kAny;
  long product = kAny;
};

struct Registration {
  IONotificationPort *port;  // null once the port is destroyed
  bool arrivals;             // first match; otherwise termination
  long vendor, product;      // kAny matches every value
  IOServiceMatchingCallback callback;
  void *refCon;
  io_iterator_t iterator;
  std::deque<std::string> pending;  // devices not yet taken from the iterator
  std::set<std::string> reported;   // arrivals: present devices already queued
  bool due = false;                 // the callback must be called
};

// What an io_object_t or master port name stands for.
struct Object {
  enum Kind { MasterPort, Iterator, Device } kind;
  udev *context = nullptr;                // MasterPort
  Registration *registration = nullptr;   // Iterator
};

// One lock guards every port, registration and object name. Never destroyed,
// as other threads may still call in while the process exits.
std::mutex &layerLock() {
  static auto *lock = new std::mutex;
  return *lock;
}

std::unordered_map<uint32_t, Object> &objects() {
  static auto *table = new std::unordered_map<uint32_t, Object>;
  return *table;
}

uint32_t addObject(const Object &object) {
  static uint32_t last = 0;
  if (++last == 0) ++last;
  objects()[last] = object;
  return last;
}

Object *findObject(uint32_t name, Object::Kind kind) {
  auto it = objects().find(name);
  return it != objects().end() && it->second.kind == kind ? &it->second : nullptr;
}

long hexAttribute(udev_device *device, const char *name) {
  const char *text = udev_device_get_sysattr_value(device, name);
  if (!text) return kAny;
  char *end;
  long value = std::strtol(text, &end, 16);
  return end != text ? value : kAny;
}

// From sysfs, or from the uevent's PRODUCT ("vendor/product/release" in hex)
// when the device is already gone again.
DeviceIds readIds(udev_device *device) {
  DeviceIds ids = {hexAttribute(device, "idVendor"), hexAttribute(device, "idProduct")};
  const char *product = udev_device_get_property_value(device, "PRODUCT");
  if ((ids.vendor == kAny || ids.product == kAny) && product) {
    char *end;
    long vendorId = std::strtol(product, &end, 16);
    if (*end == '/') ids = {vendorId, std::strtol(end + 1, nullptr, 16)};
  }
  return ids;
}

bool matches(const Registration &registration, const DeviceIds &ids) {
  return (registration.vendor == kAny || registration.vendor == ids.vendor) &&
         (registration.product == kAny || registration.product == ids.product);
}

void queue(Registration &registration, const std::string &syspath) {
  registration.pending.push_back(syspath);
  registration.due = true;
}

}  // namespace

struct IONotificationPort {
  udev *context = nullptr;
  udev_monitor *monitor = nullptr;
  CFRunLoopSourceRef source = nullptr;
  std::vector<Registration *> registrations;
  std::map<std::string, DeviceIds> present;  // ids as read when the device arrived
};

namespace {

void handleEvent(IONotificationPort &port, udev_device *device) {
  const char *action = udev_device_get_action(device);
  const char *syspath = udev_device_get_syspath(device);
  if (!action || !syspath) return;
  if (std::strcmp(action, "add") == 0) {
    DeviceIds ids = readIds(device);
    port.present[syspath] = ids;
    for (Registration *r : port.registrations)
      if (r->arrivals && matches(*r, ids) && r->reported.insert(syspath).second) queue(*r, syspath);
  } else if (std::strcmp(action, "remove") == 0) {
    auto known = port.present.find(syspath);
    if (known == port.present.end()) return;
    DeviceIds ids = known->second;
    port.present.erase(known);
    for (Registration *r : port.registrations) {
      if (r->arrivals)
        r->reported.erase(syspath);
      else if (matches(*r, ids))
        queue(*r, syspath);
    }
  }
}

bool readable(int fd) {
  pollfd p = {fd, POLLIN, 0};
  return poll(&p, 1, 0) > 0;
}

// Run-loop source callback: takes every pending uevent, then calls each
// registration that has news once.
void servePort(void *info) {
  auto *port = static_cast<IONotificationPort *>(info);
  struct Call {
    IOServiceMatchingCallback callback;
    void *refCon;
    io_iterator_t iterator;
  };
  std::vector<Call> calls;
  {
    std::lock_guard<std::mutex> guard(layerLock());
    int fd = udev_monitor_get_fd(port->monitor);
    do {
      udev_device *device = udev_monitor_receive_device(port->monitor);
      if (!device) break;
      handleEvent(*port, device);
      udev_device_unref(device);
    } while (readable(fd));
    for (Registration *r : port->registrations) {
      if (!r->due) continue;
      r->due = false;
      calls.push_back({r->callback, r->refCon, r->iterator});
    }
  }
  for (const Call &call : calls) call.callback(call.refCon, call.iterator);
}

void finalizePort(void *info) {
  auto *port = static_cast<IONotificationPort *>(info);
  {
    std::lock_guard<std::mutex> guard(layerLock());
    for (Registration *r : port->registrations) r->port = nullptr;
  }
  udev_monitor_unref(port->monitor);
  udev_unref(port->context);
  delete port;
}

// Records every USB device present; queues the matching ones on an arrival
// registration.
void enumeratePresent(IONotificationPort &port, Registration &registration) {
  udev_enumerate *enumeration = udev_enumerate_new(port.context);
  if (!enumeration) return;
  udev_enumerate_add_match_subsystem(enumeration, "usb");
  udev_enumerate_scan_devices(enumeration);
  udev_list_entry *entry;
  udev_list_entry_foreach(entry, udev_enumerate_get_list_entry(enumeration)) {
    udev_device *device = udev_device_new_from_syspath(port.context, udev_list_entry_get_name(entry));
    if (!device) continue;
    const char *devtype = udev_device_get_devtype(device);
    if (devtype && std::strcmp(devtype, "usb_device") == 0) {
      std::string syspath = udev_device_get_syspath(device);
      DeviceIds ids = port.present.emplace(syspath, readIds(device)).first->second;
      if (registration.arrivals && matches(registration, ids) && registration.reported.insert(syspath).second)
        registration.pending.push_back(syspath);
    }
    udev_device_unref(device);
  }
  udev_enumerate_unref(enumeration);
}

// Reads a matching dictionary into `registration`; false for what this layer
// cannot match.
bool readMatching(CFDictionaryRef matching, Registration &registration) {
  bool usbDevice = false;
  for (auto &entry : matching->entries) {
    int64_t number;
    if (ktStringEquals(entry.first, "IOProviderClass"))
      usbDevice = ktStringEquals(entry.second, "IOUSBDevice") || ktStringEquals(entry.second, "IOUSBHostDevice");
    else if (ktStringEquals(entry.first, "idVendor") && ktNumberValue(entry.second, &number))
      registration.vendor = number;
    else if (ktStringEquals(entry.first, "idProduct") && ktNumberValue(entry.second, &number))
      registration.product = number;
    else
      return false;
  }
  return usbDevice;
}

}  // namespace

extern "C" mach_port_t mach_task_self(void) { return 1; }

extern "C" kern_return_t mach_port_deallocate(ipc_space_t, mach_port_t name) {
  std::lock_guard<std::mutex> guard(layerLock());
  Object *master = findObject(name, Object::MasterPort);
  if (!master) return KERN_INVALID_NAME;
  udev_unref(master->context);
  objects().erase(name);
  return KERN_SUCCESS;
}

extern "C" kern_return_t IOMasterPort(mach_port_t, mach_port_t *masterPort) {
  if (!masterPort) return kIOReturnBadArgument;
  *masterPort = MACH_PORT_NULL;
  if (ktShouldFail("IOMasterPort")) return kIOReturnError;
  udev *context = udev_new();
  if (!context) return kIOReturnNoMemory;
  std::lock_guard<std::mutex> guard(layerLock());
  Object master{Object::MasterPort};
  master.context = context;
  *masterPort = addObject(master);
  return kIOReturnSuccess;
}

extern "C" CFMutableDictionaryRef IOServiceMatching(const char *name) {
  if (!name || ktShouldFail("IOServiceMatching")) return nullptr;
  auto *dictionary = new __CFDictionary;
  CFDictionarySetValue(dictionary, CFSTR("IOProviderClass"), __CFStringMakeConstantString(name));
  return dictionary;
}

// Ports are made one at a time, under the layer's lock: umockdev's preload,
// which hotplug tests run under, keeps its table of emulated uevent sockets
// without a lock, so two threads opening theirs at once may lose one, whose
// binding then fails.
extern "C" IONotificationPortRef IONotificationPortCreate(mach_port_t masterPort) {
  std::lock_guard<std::mutex> guard(layerLock());
  Object *master = findObject(masterPort, Object::MasterPort);
  if (!master) return nullptr;
  udev *context = udev_ref(master->context);
  udev_monitor *monitor = udev_monitor_new_from_netlink(context, "udev");
  int result = monitor ? udev_monitor_filter_add_match_subsystem_devtype(monitor, "usb", "usb_device") : -(errno ? errno : ENOMEM);
  if (result >= 0) result = udev_monitor_enable_receiving(monitor);
  if (result < 0) {
    udev_monitor_unref(monitor);
    udev_unref(context);
    errno = -result;  // the cause, for the caller's message
    return nullptr;
  }
  auto *port = new IONotificationPort;
  port->context = context;
  port->monitor = monitor;
  port->source = ktSourceCreate(udev_monitor_get_fd(monitor), servePort, port, finalizePort);
  return port;
}

extern "C" CFRunLoopSourceRef IONotificationPortGetRunLoopSource(IONotificationPortRef notify) {
  return notify ? notify->source : nullptr;
}

extern "C" void IONotificationPortDestroy(IONotificationPortRef notify) {
  if (!notify) return;
  CFRunLoopSourceRef source = notify->source;
  CFRunLoopSourceInvalidate(source);
  CFRelease(source);  // the port goes with its source's last reference
}

extern "C" kern_return_t IOServiceAddMatchingNotification(IONotificationPortRef notifyPort,
                                                          const io_name_t notificationType,
                                                          CFDictionaryRef matching,
                                                          IOServiceMatchingCallback callback,
                                                          void *refCon, io_iterator_t *notification) {
  auto *registration = new Registration{notifyPort, false, kAny, kAny, callback, refCon, 0};
  kern_return_t result = kIOReturnSuccess;
  if (!notifyPort || !matching || !callback || !notification || !notificationType)
    result = kIOReturnBadArgument;
  else if (ktShouldFail((std::string("IOServiceAddMatchingNotification/") + notificationType).c_str()))
    result = kIOReturnError;
  else if (std::strcmp(notificationType, kIOFirstMatchNotification) == 0)
    registration->arrivals = true;
  else if (std::strcmp(notificationType, kIOTerminatedNotification) != 0)
    result = kIOReturnUnsupported;
  if (result == kIOReturnSuccess && !readMatching(matching, *registration)) result = kIOReturnUnsupported;
  CFRelease(matching);  // consumed, as on macOS, whatever the outcome
  if (result != kIOReturnSuccess) {
    delete registration;
    return result;
  }
  std::lock_guard<std::mutex> guard(layerLock());
  Object iterator{Object::Iterator};
  iterator.registration = registration;
  registration->iterator = addObject(iterator);
  enumeratePresent(*notifyPort, *registration);
  notifyPort->registrations.push_back(registration);
  *notification = registration->iterator;
  return kIOReturnSuccess;
}

extern "C" io_object_t IOIteratorNext(io_iterator_t iterator) {
  std::lock_guard<std::mutex> guard(layerLock());
  Object *object = findObject(iterator, Object::Iterator);
  if (!object || object->registration->pending.empty()) return 0;
  object->registration->pending.pop_front();
  return addObject(Object{Object::Device});
}

extern "C" kern_return_t IOObjectRelease(io_object_t name) {
  std::lock_guard<std::mutex> guard(layerLock());
  auto it = objects().find(name);
  if (it == objects().end() || it->second.kind == Object::MasterPort) return kIOReturnBadArgument;
  if (Registration *registration = it->second.registration) {
    if (IONotificationPort *port = registration->port) {
      auto &list = port->registrations;
      for (auto r = list.begin(); r != list.end(); ++r) {
        if (*r == registration) {
          list.erase(r);
          break;
        }
      }
    }
    delete registration;
  }
  objects().erase(it);
  return kIOReturnSuccess;
}
