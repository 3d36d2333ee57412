#include "toolkit/app.h"

#include "toolkit/form.h"
#include "toolkit/picture_box.h"
#include "toolkit/window_class.h"

#include "toolkit/month_calendar/month_calendar.h"

#include <algorithm>

namespace tk {
namespace {

constexpr wchar_t kOwnerClass[] = L"TimbusOwner";

bool RegisterOwnerClass(HINSTANCE instance) {
    return RegisterWindowClass(instance, kOwnerClass, DefWindowProcW);
}

}  // namespace

App::App(HINSTANCE instance) : instance_(instance) {}

App::~App() {
    // Each destroyed window removes its Form from the list.
    while (!forms_.empty()) {
        const std::size_t before = forms_.size();
        DestroyWindow(forms_.back()->hwnd());
        if (forms_.size() == before) forms_.pop_back();
    }
}

bool App::Init() {
    if (!Form::RegisterClass(instance_) || !RegisterPictureBoxClass(instance_) ||
        !RegisterOwnerClass(instance_)) {
        return false;
    }
    if (!RegisterMonthCalendarClass(instance_)) return false;
    // A window that is never shown owns the visible ones: owned windows get
    // no taskbar button, yet keep their normal title bar.
    owner_.reset(CreateWindowExW(0, kOwnerClass, L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                 instance_, nullptr));
    return static_cast<bool>(owner_);
}

Form* App::OpenForm(const FormDescription& description) {
    auto form = std::make_unique<Form>(*this, description);
    if (!form->Create(owner_.get())) return nullptr;
    Form* raw = form.get();
    forms_.push_back(std::move(form));
    raw->Show();
    return raw;
}

Form* App::FormFor(HWND window) const {
    for (const auto& form : forms_) {
        if (form->hwnd() == window) return form.get();
    }
    return nullptr;
}

void App::OnFormDestroyed(Form* form) {
    auto it = std::find_if(forms_.begin(), forms_.end(),
                           [form](const auto& owned) { return owned.get() == form; });
    if (it == forms_.end()) return;  // a window that failed to open
    void (*on_destroyed)() = form->description().on_destroyed;
    forms_.erase(it);
    if (on_destroyed) on_destroyed();
    if (forms_.empty() && running_) PostQuitMessage(0);
}

bool App::PreTranslate(MSG& msg) {
    if (msg.hwnd == nullptr) return false;
    Form* form = FormFor(GetAncestor(msg.hwnd, GA_ROOT));
    if (form == nullptr) return false;
    form->NoteKeyboardUse(msg);
    return form->HandleTab(msg) || IsDialogMessageW(form->hwnd(), &msg);
}

int App::Run() {
    running_ = true;
    if (forms_.empty()) PostQuitMessage(0);
    MSG msg{};
    int result;
    while ((result = GetMessageW(&msg, nullptr, 0, 0)) > 0) {
        if (PreTranslate(msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    running_ = false;
    return result < 0 ? 1 : static_cast<int>(msg.wParam);
}

void App::PumpPending() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(msg.wParam));
            return;
        }
        if (PreTranslate(msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

}  // namespace tk
