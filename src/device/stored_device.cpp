#include "device/stored_device.h"

#include <string>

#include "device/guid_text.h"
#include "platform/profile.h"

namespace orix {

const char kProfileSection[] = "Orix Config";
const char kProfileDeviceKey[] = "Default DirectDraw GUID";

bool ReadStoredDeviceGuid(DriverGuid* guid) {
    // The engine read into a 255-character buffer; what lies beyond never reaches the digits.
    std::string text = GetProfileString(kProfileSection, kProfileDeviceKey, "");
    if (text.empty()) return false;
    if (guid) *guid = GuidFromText(text);
    return true;
}

bool WriteStoredDeviceGuid(const DriverGuid& guid) {
    return WriteProfileString(kProfileSection, kProfileDeviceKey, GuidToText(guid));
}

bool ForgetStoredDevice() {
    return RemoveProfileKey(kProfileSection, kProfileDeviceKey);
}

}  // namespace orix
