// orix device: lists the display drivers and stores the one the demo uses, for machines where
// the device dialog cannot be shown.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "commands.h"
#include "device/guid_text.h"
#include "device/stored_device.h"
#include "platform/display_system.h"
#include "platform/profile.h"
#include "printable_text.h"

namespace orix::tool {

namespace {

int DeviceUsage() {
    std::fprintf(stderr,
                 "usage: orix device            show the stored driver\n"
                 "       orix device list       list the display drivers\n"
                 "       orix device set N      store driver N of the list\n"
                 "       orix device forget     forget it (the demo asks again)\n");
    return 2;
}

int List() {
    DriverGuid stored;
    bool hasStored = ReadStoredDeviceGuid(&stored);
    std::vector<DisplayDriverInfo> drivers = EnumerateDisplayDrivers();
    for (size_t i = 0; i < drivers.size(); ++i) {
        const DisplayDriverInfo& d = drivers[i];
        bool isStored = hasStored && d.guid == stored;
        std::printf("%zu  %s  %-8s  %s%s\n", i, GuidToText(d.guid).c_str(),
                    d.hardware ? "hardware" : "software", PrintableText(d.description).c_str(),
                    isStored ? "  (stored)" : "");
    }
    if (drivers.empty()) std::printf("no display driver found\n");
    return drivers.empty() ? 1 : 0;
}

int Set(const std::string& text) {
    const char* arg = text.c_str();
    char* end = nullptr;
    unsigned long n = std::strtoul(arg, &end, 10);
    // Text that is no number is a bad argument; a number past the list names no driver here.
    if (*arg < '0' || *arg > '9' || *end) {
        PrintLine(stderr, std::string("orix device set: ") + arg +
                              " is no driver number (see `orix device list`)");
        return 2;
    }
    std::vector<DisplayDriverInfo> drivers = EnumerateDisplayDrivers();
    if (n >= drivers.size()) {
        std::fprintf(stderr, "orix device set: no driver %s (see `orix device list`)\n", arg);
        return 1;
    }
    if (!WriteStoredDeviceGuid(drivers[n].guid)) {
        std::fprintf(stderr, "orix device set: cannot write %s\n", ProfilePath().c_str());
        return 1;
    }
    std::printf("stored %s (%s) in %s\n", GuidToText(drivers[n].guid).c_str(),
                drivers[n].description.c_str(), ProfilePath().c_str());
    return 0;
}

int Show() {
    DriverGuid stored;
    if (!ReadStoredDeviceGuid(&stored)) {
        std::printf("no driver stored in %s; the demo will ask\n", ProfilePath().c_str());
        return 0;
    }
    std::printf("%s in %s\n", GuidToText(stored).c_str(), ProfilePath().c_str());
    return 0;
}

}  // namespace

int RunDevice(const Args& args) {
    if (args.empty()) return Show();
    const std::string& verb = args[0];
    if (verb == "list" && args.size() == 1) return List();
    if (verb == "set" && args.size() == 2) return Set(args[1]);
    if (verb == "forget" && args.size() == 1) {
        if (ForgetStoredDevice()) return 0;
        std::fprintf(stderr, "orix device forget: cannot write %s\n", ProfilePath().c_str());
        return 1;
    }
    return DeviceUsage();
}

}  // namespace orix::tool
