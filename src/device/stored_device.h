/// \file
/// The stored device setting: the driver chosen in the device dialog, kept in the user profile
/// under section "Orix Config", key "Default DirectDraw GUID", as GuidText.
///
/// Depends on the profile (platform/profile.h) and GuidText. The engine's set-up and the device
/// dialog both read it through ReadStoredDeviceGuid.
#pragma once

#include "platform/device_types.h"

namespace orix {

extern const char kProfileSection[];    ///< "Orix Config"
extern const char kProfileDeviceKey[];  ///< "Default DirectDraw GUID"

/// Reads the stored identifier into *guid; false, *guid untouched, when nothing is stored.
bool ReadStoredDeviceGuid(DriverGuid* guid);
/// Stores guid as its 32 digits; false when the profile cannot be written.
bool WriteStoredDeviceGuid(const DriverGuid& guid);
/// Forgets the stored choice, so the next start asks again.
bool ForgetStoredDevice();

}  // namespace orix
