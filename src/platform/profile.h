/// \file
/// The user profile: the stand-in for GetProfileStringA / WriteProfileStringA, kept in an INI
/// file. The file is $ORIX_PROFILE when set, else $XDG_CONFIG_HOME/orix/profile.ini, else
/// ~/.config/orix/profile.ini. Section and key names match without regard to case, as the
/// Windows profile does; the first entry of a name wins when a hand-edited file repeats it.
///
/// Depends on inih for reading. Limits: lines longer than inih's 200 characters are cut; values
/// are single-line text and lose a trailing " ;comment" when read back, as inih reads inline
/// comments; names may not hold '[', ']', '=', ';', '#' or line breaks.
#pragma once

#include <string>

namespace orix {

/// Where the profile lives now (the environment is read at each call).
std::string ProfilePath();

/// The value of key in section, or defaultValue when the file, section or key is missing.
std::string GetProfileString(const std::string& section, const std::string& key,
                             const std::string& defaultValue);

/// Sets key in section to value, keeping every other line of the file; creates the file and its
/// folders when missing and replaces the file atomically. False, file untouched, on failure or
/// on names or values the file could not hold.
bool WriteProfileString(const std::string& section, const std::string& key,
                        const std::string& value);

/// Removes key from section (WriteProfileStringA with a null value). True when the key is gone.
bool RemoveProfileKey(const std::string& section, const std::string& key);

}  // namespace orix
