/// \file
/// DeviceDialog: asks the user which display driver to render with and stores the choice in the
/// profile (dialog resource 101: a drop-down list of the drivers, OK and Cancel).
///
/// The logic (identifier table in enumeration order, preselection of the stored driver, what OK
/// and Cancel do) lives here and runs without a window; the modal window itself is drawn by the
/// platform layer (platform/dialog_window.h). Depends on EnumerateDisplayDrivers (or an
/// enumerator a test passes in) and the stored device setting. Lists every driver found.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/dialog_window.h"
#include "platform/display_system.h"
#include "platform/window.h"

namespace orix {

class DeviceDialog {
public:
    using Enumerator = std::function<std::vector<DisplayDriverInfo>()>;

    /// The dialog for parent (may be null), listing what enumerate returns.
    explicit DeviceDialog(WindowHandle parent, Enumerator enumerate = EnumerateDisplayDrivers);

    /// Shows the modal dialog: 1 after OK (the choice is stored), 0 after Cancel, closing the
    /// dialog, or when no dialog could be shown (the reason is in LastError()).
    int Run();
    /// Reads the stored identifier into the selection; false, selection kept, when none.
    bool LoadStored();
    /// Stores the selection as GuidText; false when the profile cannot be written.
    bool SaveSelected();

    /// The dialog's initialisation: enumerate the drivers, load the stored one and return the
    /// item to preselect (the last item naming the stored identifier, else 0; -1 for none).
    int Initialize();
    /// The enumeration callback: item n of the list gets table entry n (all zero for a null
    /// identifier). True to go on enumerating.
    bool AddDriver(const DriverGuid* guid, const std::string& description,
                   const std::string& driverName);
    /// OK with list item index selected: the selection becomes that identifier and is saved; 1.
    /// 0 when index names no item.
    int Accept(int index);

    const std::vector<DriverGuid>& Identifiers() const { return table_; }
    const std::vector<std::string>& Items() const { return items_; }
    const DriverGuid& Selection() const { return selection_; }
    const std::string& LastError() const { return error_; }

    /// Dialog resource 101.
    static const DialogTemplate& Resource();
    static constexpr int kListId = 1000;

private:
    WindowHandle parent_;
    Enumerator enumerate_;
    DriverGuid selection_;
    std::vector<DriverGuid> table_;
    std::vector<std::string> items_;
    std::string error_;
};

/// How the start-up obtained its driver.
enum class DeviceChoice { Stored, Chosen, Cancelled, NoDialog };

/// The start-up flow: the stored identifier when there is one, otherwise the dialog's choice
/// (read back from the profile, or taken from the dialog when it could not be stored). *guid is
/// written for Stored and Chosen only.
DeviceChoice ObtainDeviceGuid(WindowHandle parent, DriverGuid* guid,
                              DeviceDialog::Enumerator enumerate = EnumerateDisplayDrivers);

}  // namespace orix
