// A top-level window realised from its FormDescription: it creates every control of
// the table in order, keeps their HWNDs by name, lays them out from twips at
// the window's DPI and routes clicks to the table's handlers.
#pragma once

#include "toolkit/form_description.h"
#include "toolkit/handles.h"

#include <windows.h>

#include <string_view>
#include <vector>

namespace tk {

class App;

class Form {
public:
    static constexpr wchar_t kClassName[] = L"TimbusForm";
    static bool RegisterClass(HINSTANCE instance);

    Form(App& app, const FormDescription& description);
    ~Form();
    Form(const Form&) = delete;
    Form& operator=(const Form&) = delete;

    // Creates the window and its controls, hidden; false on failure.
    bool Create(HWND owner);
    // Shows the window at its place, makes it active and focuses the first
    // control in tab order.
    void Show();
    // Brings an existing window to the front and activates it.
    void Activate();
    void Close();

    HWND hwnd() const { return hwnd_; }
    const FormDescription& description() const { return description_; }
    App& app() const { return app_; }
    unsigned dpi() const { return dpi_; }

    // The HWND created for a control of the table, by its name; nullptr if
    // there is none.
    HWND Control(std::wstring_view name) const;
    const ControlDescription* DescriptionOf(HWND control) const;

    // Tab and Shift+Tab in tab-index order, across containers.
    bool HandleTab(const MSG& msg);
    // Keys that move the focus or show access keys bring the keyboard cues
    // out, as the dialog manager does.
    void NoteKeyboardUse(const MSG& msg);

private:
    struct Child {
        const ControlDescription* control;
        HWND hwnd;
        int id;
    };

    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);
    LRESULT HandleMessage(UINT message, WPARAM wparam, LPARAM lparam);

    bool CreateControls();
    HWND CreateControl(const ControlDescription& control, HWND parent, int id);
    void PlaceWindow();
    void LayOutControls();
    bool BuildFont();
    void Click(const ControlDescription& control);

    LRESULT OnCommand(int id, int code);
    LRESULT OnControlColour(HDC dc, HWND control);
    LRESULT OnDefaultId() const;
    LRESULT OnDpiChanged(unsigned dpi, const RECT& suggested);
    void OnActivate(bool active);
    void OnChangeUiState(WORD action, WORD flags);
    void OnUpdateUiState(WORD action, WORD flags);
    void PaintBackground(HDC dc) const;
    const Child* ChildFor(HWND window) const;
    const Child* FocusedChild() const;
    HWND ParentFor(const ControlDescription& control) const;

    App& app_;
    const FormDescription& description_;
    HWND hwnd_ = nullptr;
    unsigned dpi_ = 96;
    UniqueFont font_;
    UniqueIcon big_icon_;
    UniqueIcon small_icon_;
    std::vector<Child> children_;
    HWND last_focus_ = nullptr;
    // The keyboard cues hidden now (UISF_ flags). Kept here rather than left
    // to the system, which under Wine neither keeps them nor tells children.
    WORD hidden_cues_ = UISF_HIDEFOCUS | UISF_HIDEACCEL;
};

}  // namespace tk
