// The program's windows and their one message loop. The process ends when
// the last window has closed, whichever it is.
#pragma once

#include "toolkit/form_description.h"
#include "toolkit/handles.h"

#include <windows.h>

#include <memory>
#include <vector>

namespace tk {

class Form;

class App {
public:
    explicit App(HINSTANCE instance);
    ~App();
    App(const App&) = delete;
    App& operator=(const App&) = delete;

    // Registers the window classes and creates the hidden owner window that
    // keeps the program's windows off the taskbar.
    bool Init();

    // Creates and shows a window from its description; nullptr on failure.
    // The Form lives until its window is destroyed.
    Form* OpenForm(const FormDescription& description);

    // The Form whose top-level window is `window`, if any.
    Form* FormFor(HWND window) const;
    std::size_t open_form_count() const { return forms_.size(); }

    // Runs the message loop until the last window has closed; the exit code.
    int Run();

    // Keyboard navigation (Tab order, Enter, Esc) for a message taken off the
    // queue; true when the message was handled and must not be dispatched.
    bool PreTranslate(MSG& msg);

    // Handles every queued message without waiting (for tests).
    void PumpPending();

    HINSTANCE instance() const { return instance_; }
    HWND owner() const { return owner_.get(); }

private:
    friend class Form;
    void OnFormDestroyed(Form* form);

    HINSTANCE instance_;
    UniqueWindow owner_;
    std::vector<std::unique_ptr<Form>> forms_;
    bool running_ = false;
};

}  // namespace tk
