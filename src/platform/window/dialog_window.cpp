#include "platform/dialog_window.h"

#include <SDL.h>
#include <SDL_ttf.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>

#include "platform/window/window_events.h"
#include "platform/window/window_guard.h"

namespace orix {

namespace {

std::vector<DialogInput>& Script() {
    static std::vector<DialogInput> script;
    return script;
}

int MulDiv(int a, int b, int c) {
    long long p = static_cast<long long>(a) * b;
    return static_cast<int>((p >= 0 ? p + c / 2 : p - c / 2) / c);
}

bool Inside(const Rect& r, int x, int y) {
    return x >= r.left && x < r.right && y >= r.top && y < r.bottom;
}

const SDL_Color kText{0, 0, 0, 255};
const SDL_Color kHighlightText{255, 255, 255, 255};
const uint32_t kFace = 0xF0F0F0, kWhite = 0xFFFFFF, kShadow = 0xA0A0A0, kDark = 0x696969,
               kBlack = 0x000000, kHighlight = 0x0078D7;

// The state of one run: the window, the font, the layout and where the keyboard is.
class DialogRun {
public:
    DialogRun(const DialogTemplate& dialog, int listId, const std::vector<std::string>& items,
              int selection)
        : dialog_(dialog), listId_(listId), items_(items), selection_(selection) {}

    ~DialogRun() {
        if (window_) SDL_DestroyWindow(window_);
        if (font_) TTF_CloseFont(font_);
        if (ttfStarted_) TTF_Quit();
        if (videoStarted_) SDL_QuitSubSystem(SDL_INIT_VIDEO);
    }

    bool Open(WindowHandle owner, DialogOutcome* out);
    void Loop(DialogOutcome* out);

private:
    void Layout(DialogOutcome* out);
    const DialogControl& Control(size_t i) const { return dialog_.controls[i]; }
    int IndexOf(int id) const;
    void HandleKey(const SDL_KeyboardEvent& key);
    void HandleMouseDown(int x, int y);
    void HandleMouseUp(int x, int y);
    void MoveFocus(int direction);
    void SetSelection(int index);
    void OpenList(bool open);
    void ScrollTo(int item);
    void End(int command) {
        done_ = true;
        command_ = command;
    }
    bool PlayNextInput();
    void Draw();
    void Capture(DialogOutcome* out);
    void FillRect(const Rect& r, uint32_t rgb);
    void Frame(const Rect& r, uint32_t topLeft, uint32_t bottomRight);
    void Text(const std::string& text, const Rect& r, SDL_Color color, bool centred);
    Rect ListField() const { return rects_[listIndex_]; }
    Rect ListBox() const;
    Rect ListItemRect(int item) const;
    bool IsButton(int i) const {
        return i >= 0 && (Control(i).kind == DialogControlKind::PushButton ||
                          Control(i).kind == DialogControlKind::DefaultPushButton);
    }

    const DialogTemplate& dialog_;
    int listId_;
    std::vector<std::string> items_;
    int selection_;

    bool videoStarted_ = false;
    bool ttfStarted_ = false;
    SDL_Window* window_ = nullptr;
    TTF_Font* font_ = nullptr;
    uint32_t windowId_ = 0;

    std::vector<Rect> rects_;
    int baseX_ = 0, baseY_ = 0, rowHeight_ = 0, visibleRows_ = 0;
    int listIndex_ = -1;
    int focus_ = -1;    // control index with the keyboard focus
    int pressed_ = -1;  // button held down by the mouse
    bool listOpen_ = false;
    int hot_ = -1;  // highlighted item of the open list
    int scroll_ = 0;
    bool done_ = false;
    int command_ = IDCANCEL;
};

int DialogRun::IndexOf(int id) const {
    for (size_t i = 0; i < dialog_.controls.size(); ++i) {
        if (dialog_.controls[i].id == id) return static_cast<int>(i);
    }
    return -1;
}

bool DialogRun::Open(WindowHandle owner, DialogOutcome* out) {
    out->fontPath = DialogFontPath();
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
        out->error = std::string("no display for the dialog: ") + SDL_GetError();
        return false;
    }
    videoStarted_ = true;
    if (TTF_Init() != 0) {
        out->error = std::string("font engine: ") + TTF_GetError();
        return false;
    }
    ttfStarted_ = true;
    if (out->fontPath.empty()) {
        out->error = "no font for the dialog (install fonts-nanum or set ORIX_DIALOG_FONT)";
        return false;
    }
    // Point size at 96 dots per inch, as Windows sizes dialog fonts.
    font_ = TTF_OpenFontDPI(out->fontPath.c_str(), dialog_.pointSize, 96, 96);
    if (!font_) {
        out->error = "cannot open font " + out->fontPath + ": " + TTF_GetError();
        return false;
    }
    Layout(out);
    window_ = SDL_CreateWindow(dialog_.caption.c_str(), SDL_WINDOWPOS_CENTERED,
                               SDL_WINDOWPOS_CENTERED, out->width, out->height, SDL_WINDOW_SHOWN);
    if (!window_) {
        out->error = std::string("cannot create the dialog window: ") + SDL_GetError();
        return false;
    }
    windowId_ = SDL_GetWindowID(window_);
    if (auto* parent = static_cast<SDL_Window*>(NativeWindow(owner))) {
        SDL_SetWindowModalFor(window_, parent);
    }
    SDL_RaiseWindow(window_);
    out->shown = true;
    return true;
}

void DialogRun::Layout(DialogOutcome* out) {
    // Windows' base units: the average width of the 52 letters, and the font's height.
    int w = 0, h = 0;
    TTF_SizeUTF8(font_, "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz", &w, &h);
    baseX_ = std::max(1, (w / 26 + 1) / 2);
    baseY_ = std::max(1, TTF_FontHeight(font_));
    rowHeight_ = baseY_ + 2;
    rects_.clear();
    for (size_t i = 0; i < dialog_.controls.size(); ++i) {
        const DialogControl& c = dialog_.controls[i];
        Rect r;
        r.left = DialogUnitsToPixelsX(c.x, baseX_);
        r.top = DialogUnitsToPixelsY(c.y, baseY_);
        r.right = r.left + DialogUnitsToPixelsX(c.cx, baseX_);
        r.bottom = r.top + DialogUnitsToPixelsY(c.cy, baseY_);
        if (c.kind == DialogControlKind::DropDownList && c.id == listId_) {
            listIndex_ = static_cast<int>(i);
            // The template's height is the list dropped open; the closed field is one row.
            int dropped = r.bottom - r.top;
            r.bottom = r.top + baseY_ + 8;
            visibleRows_ = std::max(1, (dropped - (baseY_ + 8) - 2) / rowHeight_);
        }
        rects_.push_back(r);
    }
    for (size_t i = 0; i < dialog_.controls.size() && focus_ < 0; ++i) {
        if (dialog_.controls[i].tabStop) focus_ = static_cast<int>(i);
    }
    // The list is what the user came for: it takes the focus first.
    if (listIndex_ >= 0) focus_ = listIndex_;
    out->baseUnitX = baseX_;
    out->baseUnitY = baseY_;
    out->width = DialogUnitsToPixelsX(dialog_.cx, baseX_);
    out->height = DialogUnitsToPixelsY(dialog_.cy, baseY_);
    out->controlRects = rects_;
    out->visibleListRows = visibleRows_;
}

Rect DialogRun::ListBox() const {
    Rect field = ListField();
    int rows = std::min<int>(visibleRows_, std::max<int>(1, static_cast<int>(items_.size())));
    return Rect{field.left, field.bottom, field.right, field.bottom + rows * rowHeight_ + 2};
}

Rect DialogRun::ListItemRect(int item) const {
    Rect box = ListBox();
    int top = box.top + 1 + (item - scroll_) * rowHeight_;
    bool scrollBar = static_cast<int>(items_.size()) > visibleRows_;
    return Rect{box.left + 1, top, box.right - 1 - (scrollBar ? 12 : 0), top + rowHeight_};
}

void DialogRun::SetSelection(int index) {
    if (items_.empty()) return;
    selection_ = std::clamp(index, 0, static_cast<int>(items_.size()) - 1);
}

void DialogRun::ScrollTo(int item) {
    if (item < scroll_) scroll_ = item;
    if (item >= scroll_ + visibleRows_) scroll_ = item - visibleRows_ + 1;
    int maxScroll = std::max(0, static_cast<int>(items_.size()) - visibleRows_);
    scroll_ = std::clamp(scroll_, 0, maxScroll);
}

void DialogRun::OpenList(bool open) {
    if (listIndex_ < 0 || items_.empty()) open = false;
    listOpen_ = open;
    if (open) {
        hot_ = std::max(0, selection_);
        ScrollTo(hot_);
    }
}

void DialogRun::MoveFocus(int direction) {
    int n = static_cast<int>(dialog_.controls.size());
    for (int step = 1; step <= n; ++step) {
        int i = ((focus_ + direction * step) % n + n) % n;
        if (Control(i).tabStop) {
            focus_ = i;
            return;
        }
    }
}

void DialogRun::HandleKey(const SDL_KeyboardEvent& key) {
    SDL_Keycode k = key.keysym.sym;
    bool alt = (key.keysym.mod & KMOD_ALT) != 0;
    bool shift = (key.keysym.mod & KMOD_SHIFT) != 0;
    int count = static_cast<int>(items_.size());
    if (alt && k == SDLK_F4) return End(IDCANCEL);
    if (listOpen_) {
        switch (k) {
            case SDLK_UP:
                hot_ = std::max(0, hot_ - 1);
                break;
            case SDLK_DOWN:
                hot_ = std::min(count - 1, hot_ + 1);
                break;
            case SDLK_HOME:
                hot_ = 0;
                break;
            case SDLK_END:
                hot_ = count - 1;
                break;
            case SDLK_PAGEUP:
                hot_ = std::max(0, hot_ - visibleRows_);
                break;
            case SDLK_PAGEDOWN:
                hot_ = std::min(count - 1, hot_ + visibleRows_);
                break;
            case SDLK_RETURN:
            case SDLK_KP_ENTER:
            case SDLK_F4:
                SetSelection(hot_);
                OpenList(false);
                return;
            case SDLK_ESCAPE:
                OpenList(false);
                return;
            case SDLK_TAB:
                SetSelection(hot_);
                OpenList(false);
                MoveFocus(shift ? -1 : 1);
                return;
            default:
                return;
        }
        ScrollTo(hot_);
        return;
    }
    bool onList = focus_ == listIndex_ && listIndex_ >= 0;
    switch (k) {
        case SDLK_ESCAPE:
            return End(IDCANCEL);
        case SDLK_RETURN:
        case SDLK_KP_ENTER:
            // Enter presses the focused button, otherwise the default one.
            if (IsButton(focus_)) return End(Control(focus_).id);
            for (size_t i = 0; i < dialog_.controls.size(); ++i) {
                if (Control(i).kind == DialogControlKind::DefaultPushButton) {
                    return End(Control(i).id);
                }
            }
            return;
        case SDLK_SPACE:
            if (IsButton(focus_)) End(Control(focus_).id);
            return;
        case SDLK_TAB:
            MoveFocus(shift ? -1 : 1);
            return;
        case SDLK_F4:
            if (onList) OpenList(true);
            return;
        case SDLK_UP:
        case SDLK_LEFT:
        case SDLK_DOWN:
        case SDLK_RIGHT: {
            bool back = k == SDLK_UP || k == SDLK_LEFT;
            if (onList && alt) return OpenList(true);
            if (onList) return SetSelection(selection_ + (back ? -1 : 1));
            return MoveFocus(back ? -1 : 1);
        }
        case SDLK_HOME:
            if (onList) SetSelection(0);
            return;
        case SDLK_END:
            if (onList) SetSelection(count - 1);
            return;
        default:
            return;
    }
}

void DialogRun::HandleMouseDown(int x, int y) {
    if (listOpen_) {
        Rect box = ListBox();
        if (Inside(box, x, y)) {
            Rect first = ListItemRect(scroll_);
            if (x >= first.right) {
                // The scroll bar: upper half up a page, lower half down a page.
                bool up = y < (box.top + box.bottom) / 2;
                scroll_ += up ? -visibleRows_ : visibleRows_;
                ScrollTo(std::clamp(scroll_, 0, static_cast<int>(items_.size()) - 1));
                return;
            }
            int item = scroll_ + (y - box.top - 1) / rowHeight_;
            if (item >= 0 && item < static_cast<int>(items_.size())) SetSelection(item);
        }
        OpenList(false);
        return;
    }
    for (size_t i = 0; i < rects_.size(); ++i) {
        if (!Inside(rects_[i], x, y)) continue;
        int idx = static_cast<int>(i);
        if (idx == listIndex_) {
            focus_ = idx;
            OpenList(true);
        } else if (IsButton(idx)) {
            focus_ = idx;
            pressed_ = idx;
        }
        return;
    }
}

void DialogRun::HandleMouseUp(int x, int y) {
    int pressed = pressed_;
    pressed_ = -1;
    // A button acts when released over itself, so a press can still be taken back.
    if (pressed >= 0 && Inside(rects_[pressed], x, y)) End(Control(pressed).id);
}

bool DialogRun::PlayNextInput() {
    std::vector<DialogInput>& script = Script();
    if (script.empty()) return false;
    DialogInput in = script.front();
    script.erase(script.begin());
    SDL_Event e{};
    auto pushClick = [&](int x, int y) {
        SDL_Event m{};
        m.type = SDL_MOUSEBUTTONDOWN;
        m.button.windowID = windowId_;
        m.button.button = SDL_BUTTON_LEFT;
        m.button.state = SDL_PRESSED;
        m.button.clicks = 1;
        m.button.x = x;
        m.button.y = y;
        SDL_PushEvent(&m);
        m.type = SDL_MOUSEBUTTONUP;
        m.button.state = SDL_RELEASED;
        SDL_PushEvent(&m);
    };
    switch (in.kind) {
        case DialogInput::Key:
            e.type = SDL_KEYDOWN;
            e.key.windowID = windowId_;
            e.key.state = SDL_PRESSED;
            e.key.keysym.sym = in.key;
            e.key.keysym.scancode = SDL_GetScancodeFromKey(in.key);
            e.key.keysym.mod =
                static_cast<uint16_t>((in.alt ? KMOD_LALT : 0) | (in.shift ? KMOD_LSHIFT : 0));
            SDL_PushEvent(&e);
            e.type = SDL_KEYUP;
            e.key.state = SDL_RELEASED;
            SDL_PushEvent(&e);
            break;
        case DialogInput::ClickControl: {
            int i = IndexOf(in.control);
            if (i >= 0)
                pushClick((rects_[i].left + rects_[i].right) / 2,
                          (rects_[i].top + rects_[i].bottom) / 2);
            break;
        }
        case DialogInput::ClickListItem: {
            if (listOpen_) ScrollTo(in.item);
            Rect r = ListItemRect(in.item);
            pushClick((r.left + r.right) / 2, (r.top + r.bottom) / 2);
            break;
        }
        case DialogInput::CloseWindow:
            e.type = SDL_WINDOWEVENT;
            e.window.windowID = windowId_;
            e.window.event = SDL_WINDOWEVENT_CLOSE;
            SDL_PushEvent(&e);
            break;
    }
    return true;
}

void DialogRun::Loop(DialogOutcome* out) {
    Draw();
    while (!done_) {
        // A termination request cancels the dialog; the window it belongs to closes after.
        if (TerminationRequested()) {
            End(IDCANCEL);
            continue;
        }
        SDL_Event e;
        bool got = SDL_PollEvent(&e) != 0;
        if (!got) {
            if (PlayNextInput()) continue;
            got = SDL_WaitEventTimeout(&e, 100) != 0;
            if (!got) continue;
        }
        uint32_t id = 0;
        switch (e.type) {
            case SDL_WINDOWEVENT:
                id = e.window.windowID;
                break;
            case SDL_KEYDOWN:
            case SDL_KEYUP:
                id = e.key.windowID;
                break;
            case SDL_MOUSEBUTTONDOWN:
            case SDL_MOUSEBUTTONUP:
                id = e.button.windowID;
                break;
            case SDL_MOUSEMOTION:
                id = e.motion.windowID;
                break;
            case SDL_MOUSEWHEEL:
                id = e.wheel.windowID;
                break;
            case SDL_QUIT:
                End(IDCANCEL);
                continue;
            default:
                continue;
        }
        if (id != windowId_) {
            // The owner is disabled while the dialog is up: it keeps its window events, no input.
            if (e.type == SDL_WINDOWEVENT && e.window.event != SDL_WINDOWEVENT_CLOSE) {
                QueueWindowEvent(e);
            }
            continue;
        }
        switch (e.type) {
            case SDL_WINDOWEVENT:
                if (e.window.event == SDL_WINDOWEVENT_CLOSE) End(IDCANCEL);
                break;
            case SDL_KEYDOWN:
                HandleKey(e.key);
                break;
            case SDL_MOUSEBUTTONDOWN:
                if (e.button.button == SDL_BUTTON_LEFT) HandleMouseDown(e.button.x, e.button.y);
                break;
            case SDL_MOUSEBUTTONUP:
                if (e.button.button == SDL_BUTTON_LEFT) HandleMouseUp(e.button.x, e.button.y);
                break;
            case SDL_MOUSEMOTION:
                if (listOpen_ && Inside(ListBox(), e.motion.x, e.motion.y)) {
                    int item = scroll_ + (e.motion.y - ListBox().top - 1) / rowHeight_;
                    if (item >= 0 && item < static_cast<int>(items_.size())) hot_ = item;
                }
                break;
            case SDL_MOUSEWHEEL:
                if (listOpen_) {
                    scroll_ -= e.wheel.y;
                    scroll_ = std::clamp(
                        scroll_, 0, std::max(0, static_cast<int>(items_.size()) - visibleRows_));
                } else if (focus_ == listIndex_) {
                    SetSelection(selection_ - e.wheel.y);
                }
                break;
            default:
                break;
        }
        Draw();
    }
    out->command = command_;
    out->selection = items_.empty() ? -1 : selection_;
    Capture(out);
}

void DialogRun::Capture(DialogOutcome* out) {
    SDL_Surface* s = SDL_GetWindowSurface(window_);
    if (!s) return;
    SDL_Surface* rgb = SDL_ConvertSurfaceFormat(s, SDL_PIXELFORMAT_XRGB8888, 0);
    if (!rgb) return;
    out->pixels.resize(static_cast<size_t>(rgb->w) * rgb->h);
    for (int y = 0; y < rgb->h; ++y) {
        const auto* row = reinterpret_cast<const uint32_t*>(
            static_cast<const uint8_t*>(rgb->pixels) + static_cast<size_t>(y) * rgb->pitch);
        for (int x = 0; x < rgb->w; ++x) {
            out->pixels[static_cast<size_t>(y) * rgb->w + x] = row[x] & 0xFFFFFF;
        }
    }
    out->width = rgb->w;
    out->height = rgb->h;
    SDL_FreeSurface(rgb);
}

void DialogRun::FillRect(const Rect& r, uint32_t rgb) {
    SDL_Surface* s = SDL_GetWindowSurface(window_);
    if (!s) return;
    SDL_Rect sr{r.left, r.top, r.right - r.left, r.bottom - r.top};
    SDL_FillRect(s, &sr, SDL_MapRGB(s->format, (rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF));
}

void DialogRun::Frame(const Rect& r, uint32_t topLeft, uint32_t bottomRight) {
    FillRect(Rect{r.left, r.top, r.right, r.top + 1}, topLeft);
    FillRect(Rect{r.left, r.top, r.left + 1, r.bottom}, topLeft);
    FillRect(Rect{r.left, r.bottom - 1, r.right, r.bottom}, bottomRight);
    FillRect(Rect{r.right - 1, r.top, r.right, r.bottom}, bottomRight);
}

void DialogRun::Text(const std::string& text, const Rect& r, SDL_Color color, bool centred) {
    SDL_Surface* s = SDL_GetWindowSurface(window_);
    if (!s || text.empty()) return;
    SDL_Surface* t = TTF_RenderUTF8_Blended(font_, text.c_str(), color);
    if (!t) return;
    int x = centred ? (r.left + r.right - t->w) / 2 : r.left;
    int y = centred ? (r.top + r.bottom - t->h) / 2 : r.top;
    SDL_Rect clip{r.left, r.top, r.right - r.left, r.bottom - r.top};
    SDL_SetClipRect(s, &clip);
    SDL_Rect dst{x, y, t->w, t->h};
    SDL_BlitSurface(t, nullptr, s, &dst);
    SDL_SetClipRect(s, nullptr);
    SDL_FreeSurface(t);
}

void DialogRun::Draw() {
    SDL_Surface* s = SDL_GetWindowSurface(window_);
    if (!s) return;
    FillRect(Rect{0, 0, s->w, s->h}, kFace);
    // Windows draws the default border on the focused button, else on the default button.
    int defaultFrame = IsButton(focus_) ? focus_ : -1;
    for (size_t i = 0; i < dialog_.controls.size() && defaultFrame < 0; ++i) {
        if (Control(i).kind == DialogControlKind::DefaultPushButton) {
            defaultFrame = static_cast<int>(i);
        }
    }
    for (size_t i = 0; i < dialog_.controls.size(); ++i) {
        const DialogControl& c = Control(i);
        const Rect& r = rects_[i];
        int idx = static_cast<int>(i);
        switch (c.kind) {
            case DialogControlKind::Label:
                Text(c.text, r, kText, false);
                break;
            case DialogControlKind::PushButton:
            case DialogControlKind::DefaultPushButton: {
                bool down = pressed_ == idx;
                FillRect(r, kFace);
                Rect inner = r;
                if (defaultFrame == idx) {
                    Frame(r, kBlack, kBlack);
                    inner = Rect{r.left + 1, r.top + 1, r.right - 1, r.bottom - 1};
                }
                Frame(inner, down ? kDark : kWhite, down ? kWhite : kDark);
                Text(c.text, inner, kText, true);
                if (focus_ == idx) {
                    Rect f{inner.left + 3, inner.top + 3, inner.right - 3, inner.bottom - 3};
                    Frame(f, kShadow, kShadow);
                }
                break;
            }
            case DialogControlKind::DropDownList: {
                FillRect(r, kWhite);
                Frame(r, kShadow, kWhite);
                Rect button{r.right - 17, r.top + 2, r.right - 2, r.bottom - 2};
                FillRect(button, kFace);
                Frame(button, kWhite, kDark);
                int cx = (button.left + button.right) / 2, cy = (button.top + button.bottom) / 2;
                for (int row = 0; row < 4; ++row) {
                    FillRect(Rect{cx - 3 + row, cy - 2 + row, cx + 4 - row, cy - 1 + row}, kBlack);
                }
                Rect textRect{r.left + 3, r.top + 3, button.left - 2, r.bottom - 3};
                bool focused = focus_ == idx && !listOpen_;
                if (focused) FillRect(textRect, kHighlight);
                if (selection_ >= 0 && selection_ < static_cast<int>(items_.size())) {
                    Rect t{textRect.left + 2, textRect.top, textRect.right, textRect.bottom};
                    Text(items_[selection_], t, focused ? kHighlightText : kText, false);
                }
                break;
            }
        }
    }
    if (listOpen_) {
        Rect box = ListBox();
        FillRect(box, kWhite);
        Frame(box, kBlack, kBlack);
        int last = std::min(static_cast<int>(items_.size()), scroll_ + visibleRows_);
        for (int item = scroll_; item < last; ++item) {
            Rect ir = ListItemRect(item);
            if (item == hot_) FillRect(ir, kHighlight);
            Rect t{ir.left + 2, ir.top + 1, ir.right, ir.bottom};
            Text(items_[item], t, item == hot_ ? kHighlightText : kText, false);
        }
        if (static_cast<int>(items_.size()) > visibleRows_) {
            Rect bar{box.right - 13, box.top + 1, box.right - 1, box.bottom - 1};
            FillRect(bar, kFace);
            int span = bar.bottom - bar.top;
            int n = static_cast<int>(items_.size());
            Rect thumb{bar.left + 1, bar.top + span * scroll_ / n, bar.right - 1,
                       bar.top + span * (scroll_ + visibleRows_) / n};
            FillRect(thumb, kShadow);
        }
    }
    SDL_UpdateWindowSurface(window_);
}

}  // namespace

int DialogUnitsToPixelsX(int units, int baseUnitX) {
    return MulDiv(units, baseUnitX, 4);
}
int DialogUnitsToPixelsY(int units, int baseUnitY) {
    return MulDiv(units, baseUnitY, 8);
}

std::string DialogFontPath() {
    const char* over = std::getenv("ORIX_DIALOG_FONT");
    if (over && *over && access(over, R_OK) == 0) return over;
    // A fixed-pitch Hangul face first: the dialog's own font was one.
    static const char* const kCandidates[] = {
        "/usr/share/fonts/truetype/nanum/NanumGothicCoding.ttf",
        "/usr/share/fonts/truetype/nanum/NanumGothic.ttf",
        "/usr/share/fonts/truetype/nanum/NanumBarunGothic.ttf",
        "/usr/share/fonts/opentype/noto/NotoSansCJK-Regular.ttc",
        "/usr/share/fonts/truetype/unfonts-core/UnDotum.ttf",
        "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf",
    };
    for (const char* path : kCandidates) {
        if (access(path, R_OK) == 0) return path;
    }
    return std::string();
}

DialogOutcome RunDialogWindow(const DialogTemplate& dialog, WindowHandle owner, int listId,
                              const std::vector<std::string>& items, int initialSelection) {
    DialogOutcome out;
    DialogRun run(dialog, listId, items, items.empty() ? -1 : initialSelection);
    if (!run.Open(owner, &out)) {
        Script().clear();
        return out;
    }
    run.Loop(&out);
    Script().clear();
    return out;
}

void SetDialogInputScript(const std::vector<DialogInput>& script) {
    Script() = script;
}

}  // namespace orix
