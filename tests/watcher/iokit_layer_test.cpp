// The IOKit layer's notifications against simulated USB devices: arrivals and
// removals are reported once each, whatever the moment of the plug relative
// to the registrations. Runs under umockdev-wrapper.
#include <IOKit/IOKitLib.h>
#include <gtest/gtest.h>
#include <umockdev.h>

#include <chrono>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace {

// Counts what each callback call drains from its iterator.
struct Recorder {
  std::mutex lock;
  std::vector<int> batches;

  int total() {
    std::lock_guard<std::mutex> guard(lock);
    int sum = 0;
    for (int n : batches) sum += n;
    return sum;
  }
  std::vector<int> snapshot() {
    std::lock_guard<std::mutex> guard(lock);
    return batches;
  }
};

int drain(io_iterator_t iterator) {
  int count = 0;
  for (io_object_t object; (object = IOIteratorNext(iterator)) != 0; ++count) IOObjectRelease(object);
  return count;
}

void record(void *refCon, io_iterator_t iterator) {
  auto *recorder = static_cast<Recorder *>(refCon);
  int drained = drain(iterator);
  std::lock_guard<std::mutex> guard(recorder->lock);
  recorder->batches.push_back(drained);
}

bool waitFor(Recorder &recorder, int total) {
  for (int i = 0; i < 300 && recorder.total() < total; ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  return recorder.total() >= total;
}

CFMutableDictionaryRef matching(SInt32 vendor, SInt32 product) {
  CFMutableDictionaryRef dictionary = IOServiceMatching("IOUSBDevice");
  CFNumberRef number = CFNumberCreate(kCFAllocatorDefault, kCFNumberSInt32Type, &vendor);
  CFDictionarySetValue(dictionary, CFSTR("idVendor"), number);
  CFRelease(number);
  number = CFNumberCreate(kCFAllocatorDefault, kCFNumberSInt32Type, &product);
  CFDictionarySetValue(dictionary, CFSTR("idProduct"), number);
  CFRelease(number);
  return dictionary;
}

class IOKitLayer : public ::testing::Test {
 protected:
  void SetUp() override {
    testbed = umockdev_testbed_new();
    mach_port_t master = MACH_PORT_NULL;
    ASSERT_EQ(IOMasterPort(MACH_PORT_NULL, &master), kIOReturnSuccess);
    port = IONotificationPortCreate(master);
    ASSERT_NE(port, nullptr);
    ASSERT_EQ(mach_port_deallocate(mach_task_self(), master), KERN_SUCCESS);
  }

  void TearDown() override {
    IONotificationPortDestroy(port);  // makes the loop thread's CFRunLoopRun return
    if (loop.joinable()) loop.join();
    for (io_iterator_t iterator : iterators) IOObjectRelease(iterator);
    g_object_unref(testbed);
  }

  std::string plug(unsigned vendor, unsigned product) {
    char name[16], vendorHex[8], productHex[8], productProperty[32];
    snprintf(name, sizeof name, "usb%d", ++serial);
    snprintf(vendorHex, sizeof vendorHex, "%04x", vendor);
    snprintf(productHex, sizeof productHex, "%04x", product);
    snprintf(productProperty, sizeof productProperty, "%x/%x/100", vendor, product);
    gchar *syspath = umockdev_testbed_add_device(testbed, "usb", name, nullptr, "idVendor", vendorHex, "idProduct",
                                                 productHex, nullptr, "DEVTYPE", "usb_device", "PRODUCT",
                                                 productProperty, nullptr);
    std::string path = syspath;
    g_free(syspath);
    return path;
  }

  void unplug(const std::string &syspath) {
    umockdev_testbed_uevent(testbed, syspath.c_str(), "remove");
    umockdev_testbed_remove_device(testbed, syspath.c_str());
  }

  io_iterator_t watch(const char *type, Recorder &recorder, SInt32 vendor = 0xd449, SInt32 product = 4) {
    io_iterator_t iterator = 0;
    EXPECT_EQ(IOServiceAddMatchingNotification(port, type, matching(vendor, product), record, &recorder, &iterator),
              kIOReturnSuccess);
    iterators.push_back(iterator);
    return iterator;
  }

  // Serves the port's notifications on a thread of their own, as a detector does.
  void serve() {
    loop = std::thread([this] {
      CFRunLoopAddSource(CFRunLoopGetCurrent(), IONotificationPortGetRunLoopSource(port), kCFRunLoopDefaultMode);
      CFRunLoopRun();
    });
  }

  UMockdevTestbed *testbed = nullptr;
  IONotificationPortRef port = nullptr;
  std::vector<io_iterator_t> iterators;
  std::thread loop;
  int serial = 0;
};

TEST_F(IOKitLayer, ArrivalRegistrationStartsWithTheMatchingDevicesPresent) {
  plug(0xd449, 4);
  plug(0xd449, 5);
  plug(0x5651, 4);
  plug(0xd449, 4);
  Recorder arrivals;
  EXPECT_EQ(drain(watch(kIOFirstMatchNotification, arrivals)), 2);
  Recorder removals;
  EXPECT_EQ(drain(watch(kIOTerminatedNotification, removals)), 0);
}

TEST_F(IOKitLayer, DevicePluggedBeforeTheRegistrationIsReportedOnce) {
  plug(0xd449, 4);  // its "add" waits in the monitor, which is already enabled
  Recorder arrivals, others;
  EXPECT_EQ(drain(watch(kIOFirstMatchNotification, arrivals)), 1);
  drain(watch(kIOFirstMatchNotification, others, 0x5651, 4));
  serve();
  plug(0x5651, 4);  // handled after the waiting event
  ASSERT_TRUE(waitFor(others, 1));
  EXPECT_EQ(arrivals.total(), 0);
}

TEST_F(IOKitLayer, ArrivalBetweenTheTwoRegistrationsIsNotLost) {
  Recorder arrivals, removals;
  drain(watch(kIOFirstMatchNotification, arrivals));
  plug(0xd449, 4);
  drain(watch(kIOTerminatedNotification, removals));
  serve();
  ASSERT_TRUE(waitFor(arrivals, 1));
  EXPECT_EQ(arrivals.snapshot(), std::vector<int>{1});
}

TEST_F(IOKitLayer, RemovalIsRecognisedByTheIdsSeenAtArrival) {
  Recorder arrivals, removals;
  std::string present = plug(0xd449, 4);
  std::string foreignPresent = plug(0x1234, 4);
  drain(watch(kIOFirstMatchNotification, arrivals));
  drain(watch(kIOTerminatedNotification, removals));
  std::string foreign = plug(0xd449, 7);
  std::string token = plug(0xd449, 4);
  // All gone from sysfs before any of the events is handled.
  unplug(foreignPresent);
  unplug(foreign);
  unplug(present);
  unplug(token);
  serve();
  ASSERT_TRUE(waitFor(removals, 2));
  EXPECT_EQ(removals.snapshot(), std::vector<int>{2});
  EXPECT_EQ(arrivals.snapshot(), std::vector<int>{1});
}

TEST_F(IOKitLayer, ArrivalsWaitingTogetherComeInOneCallback) {
  Recorder arrivals;
  drain(watch(kIOFirstMatchNotification, arrivals));
  plug(0xd449, 4);
  plug(0xd449, 4);
  plug(0xd449, 4);
  serve();  // the three events are already waiting
  ASSERT_TRUE(waitFor(arrivals, 3));
  EXPECT_EQ(arrivals.snapshot(), std::vector<int>{3});
}

TEST(RunLoop, WithoutSourcesReturnsAtOnce) {
  std::thread([] { CFRunLoopRun(); }).join();
}

// Run with KT_IOKIT_FAIL=IOMasterPort:2,IOServiceMatching,IOServiceAddMatchingNotification/IOServiceTerminate
TEST(FaultHook, FailsTheNamedOccurrences) {
  mach_port_t master = 1;
  EXPECT_EQ(IOMasterPort(MACH_PORT_NULL, &master), kIOReturnSuccess);
  mach_port_deallocate(mach_task_self(), master);
  EXPECT_EQ(IOMasterPort(MACH_PORT_NULL, &master), kIOReturnError);
  EXPECT_EQ(master, MACH_PORT_NULL);
  EXPECT_EQ(IOMasterPort(MACH_PORT_NULL, &master), kIOReturnSuccess);

  EXPECT_EQ(IOServiceMatching("IOUSBDevice"), nullptr);
  CFMutableDictionaryRef dictionary = IOServiceMatching("IOUSBDevice");
  ASSERT_NE(dictionary, nullptr);

  IONotificationPortRef port = IONotificationPortCreate(master);
  io_iterator_t arrivals = 0, removals = 0;
  CFRetain(dictionary);
  EXPECT_EQ(IOServiceAddMatchingNotification(port, kIOTerminatedNotification, dictionary, record, nullptr, &removals),
            kIOReturnError);
  EXPECT_EQ(IOServiceAddMatchingNotification(port, kIOFirstMatchNotification, dictionary, record, nullptr, &arrivals),
            kIOReturnSuccess);
  IOObjectRelease(arrivals);
  IONotificationPortDestroy(port);
  mach_port_deallocate(mach_task_self(), master);
}

}  // namespace
