#include "toolkit/form.h"
#include "toolkit/window_class.h"

#include "toolkit/app.h"
#include "toolkit/dpi.h"
#include "toolkit/picture_box.h"

#include "toolkit/month_calendar/month_calendar.h"

#include <algorithm>

namespace tk {
namespace {

// A fixed dialog frame: title bar with a close box only, not resizable. No
// WS_CLIPCHILDREN: a frame paints only its edge and caption, and relies on
// the window's background inside (PaintBackground skips the other controls).
constexpr DWORD kFormStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU;
constexpr DWORD kFormExStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;
constexpr int kFirstControlId = 100;

bool TakesFocus(ControlKind kind) {
    return kind == ControlKind::PictureBox || kind == ControlKind::PushButton ||
           kind == ControlKind::MonthCalendar;
}

// Leaves only Move and Close in the system menu of a fixed-size window.
void TrimSystemMenu(HWND hwnd) {
    HMENU menu = GetSystemMenu(hwnd, FALSE);
    if (menu == nullptr) return;
    for (UINT command : {SC_SIZE, SC_MINIMIZE, SC_MAXIMIZE, SC_RESTORE}) {
        DeleteMenu(menu, command, MF_BYCOMMAND);
    }
}

// The client area on the screen. Its place and its size are separate values
// (unlike a control's edges), so each is converted on its own.
RECT ClientOnScreen(const TwipsRect& client, unsigned dpi) {
    const int left = TwipsToPixels(client.left_twips, dpi);
    const int top = TwipsToPixels(client.top_twips, dpi);
    return {left, top, left + TwipsToPixels(client.width_twips, dpi),
            top + TwipsToPixels(client.height_twips, dpi)};
}

UniqueIcon LoadIconAt(HINSTANCE instance, int id, int size_px) {
    return UniqueIcon(static_cast<HICON>(
        LoadImageW(instance, MAKEINTRESOURCEW(id), IMAGE_ICON, size_px, size_px, 0)));
}

}  // namespace

bool Form::RegisterClass(HINSTANCE instance) {
    return RegisterWindowClass(instance, kClassName, WindowProc);
}

Form::Form(App& app, const FormDescription& description) : app_(app), description_(description) {}

Form::~Form() {
    if (hwnd_ != nullptr) {
        // Only reached when creation failed half-way.
        SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
        DestroyWindow(hwnd_);
    }
}

bool Form::Create(HWND owner) {
    const unsigned system_dpi = SystemDpi();
    const RECT rect = WindowRectForClient(ClientOnScreen(description_.client, system_dpi),
                                          kFormStyle, kFormExStyle, system_dpi);
    HWND created = CreateWindowExW(kFormExStyle, kClassName, description_.caption, kFormStyle,
                                   rect.left, rect.top, rect.right - rect.left,
                                   rect.bottom - rect.top, owner, nullptr, app_.instance(), this);
    if (created == nullptr) return false;
    dpi_ = DpiForWindow(hwnd_);
    TrimSystemMenu(hwnd_);
    if (description_.icon_id != 0) {
        const int small_px = GetSystemMetrics(SM_CXSMICON) * static_cast<int>(dpi_) / kDefaultDpi;
        const int big_px = GetSystemMetrics(SM_CXICON) * static_cast<int>(dpi_) / kDefaultDpi;
        small_icon_ = LoadIconAt(app_.instance(), description_.icon_id, small_px);
        big_icon_ = LoadIconAt(app_.instance(), description_.icon_id, big_px);
        if (!small_icon_ || !big_icon_) return false;
        SendMessageW(hwnd_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small_icon_.get()));
        SendMessageW(hwnd_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big_icon_.get()));
    }
    if (!BuildFont() || !CreateControls()) return false;
    PlaceWindow();
    // Focus cues stay hidden until the keyboard is used, as in dialogs.
    SendMessageW(hwnd_, WM_CHANGEUISTATE,
                 MAKEWPARAM(UIS_INITIALIZE, UISF_HIDEFOCUS | UISF_HIDEACCEL), 0);
    return true;
}

void Form::Show() {
    ShowWindow(hwnd_, SW_SHOW);
    Activate();
}

void Form::Activate() {
    if (IsIconic(hwnd_)) ShowWindow(hwnd_, SW_RESTORE);
    SetWindowPos(hwnd_, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
    SetForegroundWindow(hwnd_);
    SetActiveWindow(hwnd_);
}

void Form::Close() { PostMessageW(hwnd_, WM_CLOSE, 0, 0); }

HWND Form::Control(std::wstring_view name) const {
    for (const auto& child : children_) {
        if (name == child.control->name) return child.hwnd;
    }
    return nullptr;
}

const ControlDescription* Form::DescriptionOf(HWND control) const {
    const Child* child = ChildFor(control);
    return child ? child->control : nullptr;
}

const Form::Child* Form::ChildFor(HWND window) const {
    for (const auto& child : children_) {
        if (child.hwnd == window) return &child;
    }
    return nullptr;
}

// The control that has the focus, or holds the window that has it.
const Form::Child* Form::FocusedChild() const {
    for (HWND w = GetFocus(); w != nullptr && w != hwnd_; w = GetParent(w)) {
        if (const Child* child = ChildFor(w)) return child;
    }
    return nullptr;
}

HWND Form::ParentFor(const ControlDescription& control) const {
    if (control.container == nullptr) return hwnd_;
    return Control(control.container);
}

bool Form::BuildFont() {
    const LOGFONTW face = DialogFont(dpi_);
    UniqueFont font(CreateFontIndirectW(&face));
    if (!font) return false;
    for (const auto& child : children_) {
        SendMessageW(child.hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font.get()), TRUE);
    }
    // The old font goes only once no control holds it any more.
    font_ = std::move(font);
    return true;
}

bool Form::CreateControls() {
    int id = kFirstControlId;
    for (const auto& control : description_.controls) {
        HWND parent = ParentFor(control);
        if (parent == nullptr) return false;
        HWND hwnd = CreateControl(control, parent, id);
        if (hwnd == nullptr) return false;
        children_.push_back({&control, hwnd, id});
        SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
        if (control.kind == ControlKind::MonthCalendar && control.calendar != nullptr) {
            if (!ApplyMonthCalendarSettings(hwnd, *control.calendar)) return false;
        }
        ++id;
    }
    // Within each container the z-order follows the tab indices, so that tools
    // that read controls in z-order (screen readers, the dialog manager) meet
    // them in the same order as Tab does.
    std::vector<const Child*> order;
    for (const auto& child : children_)
        order.push_back(&child);
    std::stable_sort(order.begin(), order.end(), [](const Child* a, const Child* b) {
        return a->control->tab_index < b->control->tab_index;
    });
    for (const Child* child : order) {
        SetWindowPos(child->hwnd, HWND_BOTTOM, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_NOOWNERZORDER);
    }
    return true;
}

HWND Form::CreateControl(const ControlDescription& control, HWND parent, int id) {
    const PixelRect r = ToPixels(control.place, dpi_);
    const DWORD common = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS;
    const DWORD tab = TakesFocus(control.kind) ? WS_TABSTOP | WS_GROUP : 0;
    auto* menu = reinterpret_cast<HMENU>(static_cast<INT_PTR>(id));
    const wchar_t* class_name = L"";
    DWORD style = common | tab;
    DWORD ex_style = 0;
    PictureBoxParams picture{control.picture_kind, control.picture_id};
    void* params = nullptr;
    switch (control.kind) {
        case ControlKind::PictureBox:
            class_name = kPictureBoxClass;
            style |= WS_CLIPCHILDREN;
            ex_style = WS_EX_CLIENTEDGE | WS_EX_CONTROLPARENT;
            params = &picture;
            break;
        case ControlKind::PushButton:
            class_name = L"BUTTON";
            style |= control.is_default ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON;
            break;
        case ControlKind::Label:
            class_name = L"STATIC";
            style |= SS_LEFT | SS_NOPREFIX;
            break;
        case ControlKind::Frame:
            class_name = L"BUTTON";
            style |= BS_GROUPBOX;
            break;
        case ControlKind::MonthCalendar:
            class_name = kMonthCalendarClassName;
            break;
    }
    // A picture or a calendar shows no window text; it is what accessibility
    // tools read as the control's name.
    const bool shows_no_text =
        control.kind == ControlKind::PictureBox || control.kind == ControlKind::MonthCalendar;
    const wchar_t* text =
        shows_no_text && control.accessible_name ? control.accessible_name : control.text;
    return CreateWindowExW(ex_style, class_name, text, style, r.left_px, r.top_px, r.width_px,
                           r.height_px, parent, menu, app_.instance(), params);
}

// Puts the client area's top-left at the stored screen place, at this DPI.
void Form::PlaceWindow() {
    const auto style = static_cast<DWORD>(GetWindowLongPtrW(hwnd_, GWL_STYLE));
    const auto ex_style = static_cast<DWORD>(GetWindowLongPtrW(hwnd_, GWL_EXSTYLE));
    const RECT rect =
        WindowRectForClient(ClientOnScreen(description_.client, dpi_), style, ex_style, dpi_);
    SetWindowPos(hwnd_, nullptr, rect.left, rect.top, rect.right - rect.left,
                 rect.bottom - rect.top, SWP_NOZORDER | SWP_NOACTIVATE);
}

void Form::LayOutControls() {
    for (const auto& child : children_) {
        const PixelRect r = ToPixels(child.control->place, dpi_);
        SetWindowPos(child.hwnd, nullptr, r.left_px, r.top_px, r.width_px, r.height_px,
                     SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

bool Form::HandleTab(const MSG& msg) {
    if (msg.message != WM_KEYDOWN || msg.wParam != VK_TAB) return false;
    if (GetKeyState(VK_CONTROL) < 0 || GetKeyState(VK_MENU) < 0) return false;
    HWND focus = GetFocus();
    if (focus != nullptr) {
        const auto code =
            SendMessageW(focus, WM_GETDLGCODE, msg.wParam, reinterpret_cast<LPARAM>(&msg));
        if (code & (DLGC_WANTTAB | DLGC_WANTALLKEYS)) return false;
    }
    std::vector<const Child*> order;
    for (const auto& child : children_) {
        if (TakesFocus(child.control->kind) && IsWindowVisible(child.hwnd) &&
            IsWindowEnabled(child.hwnd)) {
            order.push_back(&child);
        }
    }
    if (order.empty()) return true;
    std::stable_sort(order.begin(), order.end(), [](const Child* a, const Child* b) {
        return a->control->tab_index < b->control->tab_index;
    });
    const bool backwards = GetKeyState(VK_SHIFT) < 0;
    const Child* current = FocusedChild();
    auto it = std::find(order.begin(), order.end(), current);
    std::size_t next = 0;
    if (it == order.end()) {
        next = backwards ? order.size() - 1 : 0;
    } else {
        const auto index = static_cast<std::size_t>(it - order.begin());
        next = backwards ? (index + order.size() - 1) % order.size() : (index + 1) % order.size();
    }
    SendMessageW(hwnd_, WM_CHANGEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEFOCUS), 0);
    SetFocus(order[next]->hwnd);
    return true;
}

void Form::NoteKeyboardUse(const MSG& msg) {
    WORD flags = 0;
    if (msg.message == WM_SYSKEYDOWN || (msg.message == WM_KEYDOWN && msg.wParam == VK_MENU)) {
        flags = UISF_HIDEACCEL | UISF_HIDEFOCUS;
    } else if (msg.message == WM_KEYDOWN) {
        switch (msg.wParam) {
            case VK_TAB:
            case VK_LEFT:
            case VK_RIGHT:
            case VK_UP:
            case VK_DOWN:
            case VK_PRIOR:
            case VK_NEXT:
            case VK_HOME:
            case VK_END:
                flags = UISF_HIDEFOCUS;
                break;
            default:
                break;
        }
    }
    if (flags != 0 && (hidden_cues_ & flags) != 0) {
        SendMessageW(hwnd_, WM_CHANGEUISTATE, MAKEWPARAM(UIS_CLEAR, flags), 0);
    }
}

namespace {

// "Always show keyboard cues" in the system's settings.
bool CuesAlwaysShown() {
    BOOL on = FALSE;
    return SystemParametersInfoW(SPI_GETKEYBOARDCUES, 0, &on, 0) && on;
}

WORD Apply(WORD hidden, WORD action, WORD flags) {
    if (action == UIS_SET) return hidden | flags;
    if (action == UIS_CLEAR) return hidden & static_cast<WORD>(~flags);
    return hidden;
}

}  // namespace

void Form::OnChangeUiState(WORD action, WORD flags) {
    flags &= UISF_HIDEFOCUS | UISF_HIDEACCEL;
    // Initialising tells every control, changed or not: they start with
    // defaults of their own.
    const bool initialise = action == UIS_INITIALIZE;
    if (initialise) action = CuesAlwaysShown() ? UIS_CLEAR : UIS_SET;
    if (action != UIS_SET && action != UIS_CLEAR) return;
    if (action == UIS_SET && CuesAlwaysShown() && !initialise) return;
    if (!initialise && Apply(hidden_cues_, action, flags) == hidden_cues_) return;
    SendMessageW(hwnd_, WM_UPDATEUISTATE, MAKEWPARAM(action, flags), 0);
}

void Form::OnUpdateUiState(WORD action, WORD flags) {
    hidden_cues_ = Apply(hidden_cues_, action, flags & (UISF_HIDEFOCUS | UISF_HIDEACCEL));
    // Every control hears it straight from here, the ones inside a panel too.
    for (const auto& child : children_) {
        SendMessageW(child.hwnd, WM_UPDATEUISTATE, MAKEWPARAM(action, flags), 0);
    }
}

void Form::Click(const ControlDescription& control) {
    for (const auto& handler : description_.clicks) {
        if (std::wstring_view(handler.control) == control.name && handler.on_click) {
            handler.on_click(*this);
            return;
        }
    }
}

LRESULT Form::OnCommand(int id, int code) {
    if (code != BN_CLICKED) return 0;
    const ControlDescription* target = nullptr;
    if (id == IDCANCEL || id == IDOK) {
        // Esc and Enter from the dialog manager when no button has the focus.
        for (const auto& child : children_) {
            if ((id == IDCANCEL && child.control->is_cancel) ||
                (id == IDOK && child.control->is_default))
                target = child.control;
        }
    } else {
        for (const auto& child : children_) {
            if (child.id == id) target = child.control;
        }
    }
    if (target != nullptr && target->kind == ControlKind::PushButton) Click(*target);
    return 0;
}

// Enter clicks the focused push button, else the default button.
LRESULT Form::OnDefaultId() const {
    const Child* focused = FocusedChild();
    if (focused != nullptr && focused->control->kind == ControlKind::PushButton)
        return MAKELRESULT(focused->id, DC_HASDEFID);
    for (const auto& child : children_) {
        if (child.control->is_default) return MAKELRESULT(child.id, DC_HASDEFID);
    }
    return 0;
}

LRESULT Form::OnControlColour(HDC dc, HWND control) {
    const ControlDescription* description = DescriptionOf(control);
    const bool stored = description && description->fore_colour != kNoColour && !HighContrastOn();
    const ColourValue fore = stored ? description->fore_colour : SystemColour(COLOR_BTNTEXT);
    SetTextColor(dc, ResolveColour(fore));
    SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
    return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
}

void Form::PaintBackground(HDC dc) const {
    SavedDC saved(dc);
    for (const auto& child : children_) {
        if (child.control->kind == ControlKind::Frame || GetParent(child.hwnd) != hwnd_) continue;
        RECT r;
        GetWindowRect(child.hwnd, &r);
        MapWindowPoints(nullptr, hwnd_, reinterpret_cast<POINT*>(&r), 2);
        ExcludeClipRect(dc, r.left, r.top, r.right, r.bottom);
    }
    RECT client;
    GetClientRect(hwnd_, &client);
    // A fixed background gives way to the system's face colour in high contrast.
    const ColourValue back = HighContrastOn() && !IsSystemColour(description_.back_colour)
                                 ? SystemColour(COLOR_BTNFACE)
                                 : description_.back_colour;
    SetDCBrushColor(dc, ResolveColour(back));
    FillRect(dc, &client, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
}

LRESULT Form::OnDpiChanged(unsigned dpi, const RECT& suggested) {
    dpi_ = dpi;
    SetWindowPos(hwnd_, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                 suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
    BuildFont();
    LayOutControls();
    InvalidateRect(hwnd_, nullptr, TRUE);
    return 0;
}

// Keeps the focus where it was when the window is activated again.
void Form::OnActivate(bool active) {
    if (!active) {
        HWND focus = GetFocus();
        if (focus != nullptr && IsChild(hwnd_, focus)) last_focus_ = focus;
        return;
    }
    if (last_focus_ != nullptr && IsWindow(last_focus_) && IsChild(hwnd_, last_focus_)) {
        SetFocus(last_focus_);
        return;
    }
    const Child* first = nullptr;
    for (const auto& child : children_) {
        if (TakesFocus(child.control->kind) &&
            (!first || child.control->tab_index < first->control->tab_index))
            first = &child;
    }
    if (first != nullptr) SetFocus(first->hwnd);
}

LRESULT CALLBACK Form::WindowProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
    auto* self = reinterpret_cast<Form*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (message == WM_NCCREATE) {
        self = static_cast<Form*>(reinterpret_cast<CREATESTRUCTW*>(lparam)->lpCreateParams);
        self->hwnd_ = hwnd;
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    } else if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        if (self != nullptr) {
            self->hwnd_ = nullptr;
            self->children_.clear();
            self->app_.OnFormDestroyed(self);  // deletes self
        }
        return DefWindowProcW(hwnd, message, wparam, lparam);
    }
    return self ? self->HandleMessage(message, wparam, lparam)
                : DefWindowProcW(hwnd, message, wparam, lparam);
}

LRESULT Form::HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
        case WM_COMMAND:
            return OnCommand(LOWORD(wparam), HIWORD(wparam));
        case DM_GETDEFID:
            return OnDefaultId();
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORBTN:
            return OnControlColour(reinterpret_cast<HDC>(wparam), reinterpret_cast<HWND>(lparam));
        case WM_ERASEBKGND:
            PaintBackground(reinterpret_cast<HDC>(wparam));
            return 1;
        case WM_PRINTCLIENT:
            PaintBackground(reinterpret_cast<HDC>(wparam));
            return 0;
        case WM_ACTIVATE:
            OnActivate(LOWORD(wparam) != WA_INACTIVE);
            return 0;
        case WM_DPICHANGED:
            return OnDpiChanged(HIWORD(wparam), *reinterpret_cast<const RECT*>(lparam));
        case WM_CHANGEUISTATE:
            OnChangeUiState(LOWORD(wparam), HIWORD(wparam));
            return 0;
        case WM_UPDATEUISTATE:
            OnUpdateUiState(LOWORD(wparam), HIWORD(wparam));
            return 0;
        case WM_QUERYUISTATE:
            return hidden_cues_;
        // Only top-level windows hear of these; the controls need them too.
        case WM_SYSCOLORCHANGE:
        case WM_THEMECHANGED:
        case WM_SETTINGCHANGE:
        case WM_TIMECHANGE:
            if (message == WM_SETTINGCHANGE && wparam == SPI_SETKEYBOARDCUES) {
                OnChangeUiState(UIS_INITIALIZE, UISF_HIDEFOCUS | UISF_HIDEACCEL);
            }
            for (const auto& child : children_)
                SendMessageW(child.hwnd, message, wparam, lparam);
            // The controls too: the system's own do not repaint for these,
            // and the background paints over the frames' captions.
            RedrawWindow(hwnd_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
            break;
        default:
            break;
    }
    return DefWindowProcW(hwnd_, message, wparam, lparam);
}

}  // namespace tk
