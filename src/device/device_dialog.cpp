#include "device/device_dialog.h"

#include <utility>

#include "device/stored_device.h"
#include "platform/messages.h"
#include "platform/profile.h"

namespace orix {

DeviceDialog::DeviceDialog(WindowHandle parent, Enumerator enumerate)
    : parent_(parent), enumerate_(std::move(enumerate)) {}

const DialogTemplate& DeviceDialog::Resource() {
    static const DialogTemplate resource = [] {
        DialogTemplate t;
        t.caption = "Direct3D 설정";
        t.pointSize = 10;
        t.cx = 174;
        t.cy = 86;
        t.controls = {
            {IDOK, DialogControlKind::DefaultPushButton, "확인", 80, 65, 40, 14, true},
            {IDCANCEL, DialogControlKind::PushButton, "취소", 125, 65, 41, 14, true},
            {-1, DialogControlKind::Label, "DirectDraw 디바이스", 7, 7, 80, 8, false},
            {kListId, DialogControlKind::DropDownList, "", 7, 18, 160, 47, true},
        };
        return t;
    }();
    return resource;
}

bool DeviceDialog::LoadStored() {
    return ReadStoredDeviceGuid(&selection_);
}

bool DeviceDialog::SaveSelected() {
    return WriteStoredDeviceGuid(selection_);
}

bool DeviceDialog::AddDriver(const DriverGuid* guid, const std::string& description,
                             const std::string& /*driverName*/) {
    table_.push_back(guid ? *guid : DriverGuid());
    items_.push_back(description);
    return true;
}

int DeviceDialog::Initialize() {
    table_.clear();
    items_.clear();
    if (enumerate_) {
        for (const DisplayDriverInfo& driver : enumerate_()) {
            if (!AddDriver(&driver.guid, driver.description, driver.driverName)) break;
        }
    }
    LoadStored();
    if (items_.empty()) return -1;
    int preselect = 0;
    for (size_t i = 0; i < table_.size(); ++i) {
        if (table_[i] == selection_) preselect = static_cast<int>(i);
    }
    return preselect;
}

int DeviceDialog::Accept(int index) {
    if (index < 0 || static_cast<size_t>(index) >= table_.size()) return 0;
    selection_ = table_[index];
    if (!SaveSelected()) {
        error_ = "could not store the choice in " + ProfilePath();
    }
    return 1;
}

int DeviceDialog::Run() {
    error_.clear();
    int preselect = Initialize();
    DialogOutcome outcome = RunDialogWindow(Resource(), parent_, kListId, items_, preselect);
    if (!outcome.shown) {
        error_ = outcome.error;
        return 0;
    }
    if (outcome.command != IDOK) return 0;
    return Accept(outcome.selection);
}

DeviceChoice ObtainDeviceGuid(WindowHandle parent, DriverGuid* guid,
                              DeviceDialog::Enumerator enumerate) {
    if (ReadStoredDeviceGuid(guid)) return DeviceChoice::Stored;
    DeviceDialog dialog(parent, std::move(enumerate));
    int result = dialog.Run();
    if (result != 1) {
        return dialog.LastError().empty() ? DeviceChoice::Cancelled : DeviceChoice::NoDialog;
    }
    if (!ReadStoredDeviceGuid(guid)) {
        // The profile refused the choice: use it for this run and say it will be asked again.
        *guid = dialog.Selection();
        ShowMessageBox(dialog.LastError() + "; the device will be asked for again next time.",
                       "Direct3D");
    }
    return DeviceChoice::Chosen;
}

}  // namespace orix
