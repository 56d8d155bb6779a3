/// \file
/// A small modal dialog window built from a dialog template: the stand-in for a dialog resource
/// shown with DialogBoxParam. Holds push buttons, static labels and one drop-down list; laid out
/// from dialog units with the font's average character size, as Windows does; drawn in a font
/// that shows Hangul; operated by mouse and keyboard (Tab, arrows, Home/End, F4 or Alt+Down to
/// open the list, Enter, Escape, Space).
///
/// Carried by SDL2 and SDL2_ttf; the window is drawn in software, so it needs no GL. Runs its own
/// event loop until a button ends it or the window is closed (which counts as IDCANCEL); events
/// of other windows go on to the message queue, their input is dropped while the dialog is up.
/// Tests drive it with a script of inputs that become real SDL events once it is shown.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/device_types.h"
#include "platform/window.h"

namespace orix {

enum : int { IDOK = 1, IDCANCEL = 2 };

enum class DialogControlKind { PushButton, DefaultPushButton, Label, DropDownList };

/// One control of a template, in dialog units. For the list, cy is the height dropped open.
struct DialogControl {
    int id = -1;
    DialogControlKind kind = DialogControlKind::Label;
    std::string text;  ///< UTF-8
    int x = 0, y = 0, cx = 0, cy = 0;
    bool tabStop = false;
};

struct DialogTemplate {
    std::string caption;  ///< UTF-8
    int pointSize = 10;
    int cx = 0, cy = 0;  ///< client size in dialog units
    std::vector<DialogControl> controls;
};

/// One scripted input: a key (SDL key code, with Alt or Shift), a click on the middle of a
/// control, a click on list item `item` (the list must be open), or the window's close button.
struct DialogInput {
    enum Kind { Key, ClickControl, ClickListItem, CloseWindow } kind = Key;
    int32_t key = 0;
    bool alt = false;
    bool shift = false;
    int control = 0;
    int item = 0;
};

/// What a run of the dialog ended with, and what it looked like.
struct DialogOutcome {
    bool shown = false;  ///< false: no window could be made (see error)
    std::string error;
    int command = IDCANCEL;  ///< IDOK or IDCANCEL
    int selection = -1;      ///< list item selected when it ended
    /// Layout in pixels, in template order.
    int baseUnitX = 0, baseUnitY = 0;
    int width = 0, height = 0;
    std::vector<Rect> controlRects;
    int visibleListRows = 0;
    std::string fontPath;
    /// The last picture drawn, 0x00RRGGBB, rows top-down, width x height.
    std::vector<uint32_t> pixels;
};

/// Pixels of a length in dialog units: MulDiv(units, base, 4) horizontally, (units, base, 8)
/// vertically.
int DialogUnitsToPixelsX(int units, int baseUnitX);
int DialogUnitsToPixelsY(int units, int baseUnitY);

/// The font file the dialog draws with: $ORIX_DIALOG_FONT, else the first Hangul font found.
std::string DialogFontPath();

/// Shows the dialog modally over owner (may be null or a stand-in) with the list control
/// `listId` holding items and item `initialSelection` selected, and runs it until it ends.
DialogOutcome RunDialogWindow(const DialogTemplate& dialog, WindowHandle owner, int listId,
                              const std::vector<std::string>& items, int initialSelection);

/// Inputs the next dialog run plays, one at a time whenever it has no other event to handle.
void SetDialogInputScript(const std::vector<DialogInput>& script);

}  // namespace orix
