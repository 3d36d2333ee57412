#include "toolkit/month_calendar/calendar_accessible.h"

#include <ole2.h>
#include <oleacc.h>

#include <algorithm>
#include <atomic>
#include <climits>
#include <cstdlib>
#include <new>
#include <optional>
#include <utility>

#include "toolkit/month_calendar/calendar_locale.h"

namespace tk::a11y {

namespace {

namespace chr = std::chrono;
using cal::Date;
using cal::View;

constexpr const wchar_t* kUserLocale = LOCALE_NAME_USER_DEFAULT;

// ---- Words -----------------------------------------------------------------

// The few words no locale API gives, by view where they differ.
struct Words {
    const wchar_t* previous[6];
    const wchar_t* next[6];
    const wchar_t* today;
    const wchar_t* includes_today;
    const wchar_t* press;
    const wchar_t* zoom_out;
    const wchar_t* select;
    const wchar_t* open;
};

constexpr Words kEnglish{
    {L"Previous month", L"Previous year", L"Previous decade", L"Previous century",
     L"Previous millennium", L"Previous"},
    {L"Next month", L"Next year", L"Next decade", L"Next century", L"Next millennium", L"Next"},
    L"Today",
    L"Includes today",
    L"Press",
    L"Zoom out",
    L"Select",
    L"Open",
};

constexpr Words kRussian{
    {L"Предыдущий месяц", L"Предыдущий год", L"Предыдущее десятилетие", L"Предыдущее столетие",
     L"Предыдущее тысячелетие", L"Назад"},
    {L"Следующий месяц", L"Следующий год", L"Следующее десятилетие", L"Следующее столетие",
     L"Следующее тысячелетие", L"Вперёд"},
    L"Сегодня",
    L"Включает сегодняшний день",
    L"Нажать",
    L"Отдалить",
    L"Выбрать",
    L"Открыть",
};

const Words& UserWords() {
    return PRIMARYLANGID(GetUserDefaultUILanguage()) == LANG_RUSSIAN ? kRussian : kEnglish;
}

std::wstring LongDate(Date day) {
    return cal::FormatLongDate(kUserLocale, static_cast<int>(day.year()),
                               static_cast<unsigned>(day.month()),
                               static_cast<unsigned>(day.day()));
}

// ---- The system's libraries, loaded when first asked for -------------------

template <typename Fn>
Fn Function(HMODULE module, const char* name) {
    return module != nullptr
               ? reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name)))
               : nullptr;
}

// A DLL from the system folder only, never from the program's folder or the
// current one. Systems without LOAD_LIBRARY_SEARCH_SYSTEM32 (Windows 7 before
// KB2533623) refuse the flag; a full path does the same there.
HMODULE LoadSystemLibrary(const wchar_t* name) {
    HMODULE module = LoadLibraryExW(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (module != nullptr || GetLastError() != ERROR_INVALID_PARAMETER) return module;
    wchar_t path[MAX_PATH];
    const UINT length = GetSystemDirectoryW(path, MAX_PATH);
    if (length == 0 || length + 1 + lstrlenW(name) >= MAX_PATH) return nullptr;
    path[length] = L'\\';
    lstrcpynW(path + length + 1, name, MAX_PATH - static_cast<int>(length) - 1);
    return LoadLibraryExW(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

class Library {
public:
    Library() = default;
    explicit Library(const wchar_t* name) : module_(LoadSystemLibrary(name)) {}
    ~Library() {
        if (module_ != nullptr) FreeLibrary(module_);
    }
    Library(const Library&) = delete;
    Library& operator=(const Library&) = delete;

    HMODULE get() const { return module_; }

private:
    HMODULE module_ = nullptr;
};

// Each object holds the libraries for as long as it lives: the standard
// object it keeps is oleacc's code, and clients may hold the object after
// the window is gone.
struct OleApi {
    Library oleacc{L"oleacc.dll"};
    Library oleaut32{L"oleaut32.dll"};
    Library ole32{L"ole32.dll"};

    LPFNLRESULTFROMOBJECT lresult_from_object =
        Function<LPFNLRESULTFROMOBJECT>(oleacc.get(), "LresultFromObject");
    LPFNCREATESTDACCESSIBLEOBJECT create_standard =
        Function<LPFNCREATESTDACCESSIBLEOBJECT>(oleacc.get(), "CreateStdAccessibleObject");
    BSTR(WINAPI* alloc_string)
    (const OLECHAR*, UINT) = Function<BSTR(WINAPI*)(const OLECHAR*, UINT)>(oleaut32.get(),
                                                                           "SysAllocStringLen");
    HRESULT(WINAPI* get_apartment_type)
    (APTTYPE*, APTTYPEQUALIFIER*) =
        Function<HRESULT(WINAPI*)(APTTYPE*, APTTYPEQUALIFIER*)>(ole32.get(), "CoGetApartmentType");
    HRESULT(WINAPI* initialize)
    (LPVOID, DWORD) = Function<HRESULT(WINAPI*)(LPVOID, DWORD)>(ole32.get(), "CoInitializeEx");
    HRESULT(WINAPI* disconnect)
    (LPUNKNOWN, DWORD) = Function<HRESULT(WINAPI*)(LPUNKNOWN, DWORD)>(ole32.get(),
                                                                      "CoDisconnectObject");

    bool complete() const {
        return lresult_from_object != nullptr && create_standard != nullptr &&
               alloc_string != nullptr && get_apartment_type != nullptr && initialize != nullptr &&
               disconnect != nullptr;
    }
};

// ---- Child geometry --------------------------------------------------------

cal::Rect ChildRect(const ShownCells& cells, const cal::Layout& layout, LONG child) {
    switch (child) {
        case kTitleId:
            return {layout.prev_button.right, layout.title.top, layout.next_button.left,
                    layout.title.bottom};
        case kPreviousId:
            return layout.prev_button;
        case kNextId:
            return layout.next_button;
        default:
            break;
    }
    const int cell = cells.CellOf(child);
    if (cell < 0) return {};
    return cells.month_view() ? layout.DayCellRect(cell) : layout.ZoomCellRect(cell);
}

// The nearest child in a direction, among those that share a row (left and
// right) or a column (up and down) with the start: -1 if there is none.
LONG NearestChild(const ShownCells& cells, const cal::Layout& layout, LONG start, long direction) {
    const cal::Rect from = ChildRect(cells, layout, start);
    LONG best = -1;
    long best_distance = LONG_MAX;
    long best_overlap = -1;
    for (LONG child = 1; child <= cells.ChildCount(); ++child) {
        if (child == start) continue;
        const cal::Rect to = ChildRect(cells, layout, child);
        long distance = -1;
        long overlap = 0;
        switch (direction) {
            case NAVDIR_LEFT:
            case NAVDIR_RIGHT:
                overlap = std::min(from.bottom, to.bottom) - std::max(from.top, to.top);
                distance = direction == NAVDIR_LEFT ? from.left - to.right : to.left - from.right;
                break;
            case NAVDIR_UP:
            case NAVDIR_DOWN:
                overlap = std::min(from.right, to.right) - std::max(from.left, to.left);
                distance = direction == NAVDIR_UP ? from.top - to.bottom : to.top - from.bottom;
                break;
            default:
                return -1;
        }
        if (overlap <= 0 || distance < 0) continue;
        if (distance < best_distance || (distance == best_distance && overlap > best_overlap)) {
            best = child;
            best_distance = distance;
            best_overlap = overlap;
        }
    }
    return best;
}

void SetEmpty(VARIANT* v) { v->vt = VT_EMPTY; }

void SetChild(VARIANT* v, LONG child) {
    v->vt = VT_I4;
    v->lVal = child;
}

// ---- The object ------------------------------------------------------------

enum class Part { Self, Title, Previous, Next, Cell };

std::atomic<long> g_live{0};

}  // namespace

class CalendarAccessible final : public IAccessible, public IOleWindow {
public:
    // With one reference for the caller; nullptr when oleacc cannot be had.
    static CalendarAccessible* Create(CalendarSource& source) {
        auto* object = new (std::nothrow) CalendarAccessible(source);
        if (object == nullptr) return nullptr;
        if (!object->api_.complete() || FAILED(object->api_.create_standard(
                                            source.Window(), OBJID_CLIENT, __uuidof(IAccessible),
                                            reinterpret_cast<void**>(&object->standard_)))) {
            object->standard_ = nullptr;
            object->Release();
            return nullptr;
        }
        return object;
    }

    LRESULT Lresult(WPARAM wp) {
        if (source_ == nullptr) return 0;
        // LresultFromObject marshals the object, which takes a COM apartment.
        // A thread without one gets a single-threaded apartment, whose calls
        // arrive through the window's own message loop; it keeps it.
        APTTYPE type{};
        APTTYPEQUALIFIER qualifier{};
        if (api_.get_apartment_type(&type, &qualifier) == CO_E_NOTINITIALIZED &&
            FAILED(api_.initialize(nullptr, COINIT_APARTMENTTHREADED))) {
            return 0;
        }
        const LRESULT result =
            api_.lresult_from_object(__uuidof(IAccessible), wp, static_cast<IAccessible*>(this));
        return result > 0 ? result : 0;
    }

    // The caller holds a reference, so the stubs' ones can go here.
    void Disconnect() {
        if (source_ == nullptr) return;
        source_ = nullptr;
        api_.disconnect(static_cast<IAccessible*>(this), 0);
        if (standard_ != nullptr) std::exchange(standard_, nullptr)->Release();
    }

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (out == nullptr) return E_POINTER;
        if (iid == __uuidof(IUnknown) || iid == __uuidof(IDispatch) ||
            iid == __uuidof(IAccessible)) {
            *out = static_cast<IAccessible*>(this);
        } else if (iid == __uuidof(IOleWindow)) {
            *out = static_cast<IOleWindow*>(this);
        } else {
            *out = nullptr;
            return E_NOINTERFACE;
        }
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override {
        return static_cast<ULONG>(InterlockedIncrement(&references_));
    }
    ULONG STDMETHODCALLTYPE Release() override {
        const LONG left = InterlockedDecrement(&references_);
        if (left == 0) delete this;
        return static_cast<ULONG>(left);
    }

    // IDispatch: clients of this object call it through its vtable.
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        if (count == nullptr) return E_POINTER;
        *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** info) override {
        if (info != nullptr) *info = nullptr;
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                                     UINT*) override {
        return E_NOTIMPL;
    }

    // IOleWindow: WindowFromAccessibleObject asks here.
    HRESULT STDMETHODCALLTYPE GetWindow(HWND* window) override {
        if (window == nullptr) return E_POINTER;
        *window = nullptr;
        if (source_ == nullptr) return RPC_E_DISCONNECTED;
        *window = source_->Window();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }

    // IAccessible
    HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override {
        if (parent == nullptr) return E_POINTER;
        *parent = nullptr;
        if (source_ == nullptr) return RPC_E_DISCONNECTED;
        return standard_->get_accParent(parent);
    }

    HRESULT STDMETHODCALLTYPE get_accChildCount(LONG* count) override {
        if (count == nullptr) return E_POINTER;
        *count = 0;
        if (source_ == nullptr) return RPC_E_DISCONNECTED;
        *count = ShownCells(source_->Model()).ChildCount();
        return S_OK;
    }

    // The children are simple elements: no object of their own.
    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** out) override {
        if (out == nullptr) return E_POINTER;
        *out = nullptr;
        if (source_ == nullptr) return RPC_E_DISCONNECTED;
        const std::optional<Part> part = Resolve(child);
        if (!part || *part == Part::Self) return E_INVALIDARG;
        return S_FALSE;
    }

    HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override {
        return Text(
            child, name,
            [this](Part part, int cell, const ShownCells& cells) {
                const Words& words = UserWords();
                const auto view = static_cast<std::size_t>(source_->Model().view());
                switch (part) {
                    case Part::Self:
                        return std::optional<std::wstring>();
                    case Part::Title:
                        return std::optional(source_->TitleText());
                    case Part::Previous:
                        return std::optional<std::wstring>(words.previous[view]);
                    case Part::Next:
                        return std::optional<std::wstring>(words.next[view]);
                    case Part::Cell:
                        break;
                }
                return std::optional(CellName(cells, cell));
            },
            &IAccessible::get_accName);
    }

    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) override {
        return Text(child, value, [this](Part part, int, const ShownCells&) {
            return part == Part::Self ? std::optional(LongDate(source_->Model().selected()))
                                      : std::optional(std::wstring());
        });
    }

    HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* description) override {
        return Text(
            child, description,
            [this](Part part, int cell, const ShownCells& cells) {
                if (part == Part::Self) return std::optional<std::wstring>();
                const Date today = source_->Today();
                if (part != Part::Cell || today < cells.First(cell) || cells.Last(cell) < today)
                    return std::optional(std::wstring());
                const Words& words = UserWords();
                return std::optional<std::wstring>(cells.month_view() ? words.today
                                                                      : words.includes_today);
            },
            &IAccessible::get_accDescription);
    }

    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override {
        if (role == nullptr) return E_POINTER;
        SetEmpty(role);
        if (source_ == nullptr) return RPC_E_DISCONNECTED;
        const std::optional<Part> part = Resolve(child);
        if (!part) return E_INVALIDARG;
        role->vt = VT_I4;
        role->lVal = *part == Part::Self   ? ROLE_SYSTEM_CLIENT
                     : *part == Part::Cell ? ROLE_SYSTEM_CELL
                                           : ROLE_SYSTEM_PUSHBUTTON;
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override {
        if (state == nullptr) return E_POINTER;
        SetEmpty(state);
        if (source_ == nullptr) return RPC_E_DISCONNECTED;
        const std::optional<Part> part = Resolve(child);
        if (!part) return E_INVALIDARG;
        if (*part == Part::Self) return standard_->get_accState(child, state);
        const HWND window = source_->Window();
        const cal::Calendar& model = source_->Model();
        LONG bits = 0;
        if (!IsWindowVisible(window)) bits |= STATE_SYSTEM_INVISIBLE;
        const bool enabled = IsWindowEnabled(window) != FALSE;
        switch (*part) {
            case Part::Title:
                if (!enabled || model.view() == View::AllYears) bits |= STATE_SYSTEM_UNAVAILABLE;
                break;
            case Part::Previous:
            case Part::Next:
                if (!enabled || !model.CanPage(*part == Part::Previous ? -1 : 1))
                    bits |= STATE_SYSTEM_UNAVAILABLE;
                break;
            default: {
                const ShownCells cells(model);
                bits |= enabled ? STATE_SYSTEM_FOCUSABLE | STATE_SYSTEM_SELECTABLE
                                : STATE_SYSTEM_UNAVAILABLE;
                if (cells.CellOf(child.lVal) == cells.FocusCell()) {
                    bits |= STATE_SYSTEM_SELECTED;
                    if (GetFocus() == window) bits |= STATE_SYSTEM_FOCUSED;
                }
                break;
            }
        }
        state->vt = VT_I4;
        state->lVal = bits;
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* help) override {
        return Text(child, help, NoTextButTheWindows, &IAccessible::get_accHelp);
    }

    HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT child, LONG* topic) override {
        if (file == nullptr || topic == nullptr) return E_POINTER;
        *file = nullptr;
        *topic = 0;
        if (source_ == nullptr) return RPC_E_DISCONNECTED;
        const std::optional<Part> part = Resolve(child);
        if (!part) return E_INVALIDARG;
        return S_FALSE;
    }

    HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* shortcut) override {
        return Text(child, shortcut, NoTextButTheWindows, &IAccessible::get_accKeyboardShortcut);
    }

    HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* focus) override {
        if (focus == nullptr) return E_POINTER;
        SetEmpty(focus);
        if (source_ == nullptr) return RPC_E_DISCONNECTED;
        if (GetFocus() != source_->Window()) return S_FALSE;
        const ShownCells cells(source_->Model());
        SetChild(focus, cells.ChildId(cells.FocusCell()));
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* selection) override {
        if (selection == nullptr) return E_POINTER;
        SetEmpty(selection);
        if (source_ == nullptr) return RPC_E_DISCONNECTED;
        const ShownCells cells(source_->Model());
        SetChild(selection, cells.ChildId(cells.FocusCell()));
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* action) override {
        return Text(
            child, action,
            [](Part part, int, const ShownCells& cells) {
                const Words& words = UserWords();
                switch (part) {
                    case Part::Self:
                        return std::optional<std::wstring>();
                    case Part::Title:
                        return std::optional<std::wstring>(words.zoom_out);
                    case Part::Previous:
                    case Part::Next:
                        return std::optional<std::wstring>(words.press);
                    case Part::Cell:
                        break;
                }
                return std::optional<std::wstring>(cells.month_view() ? words.select : words.open);
            },
            &IAccessible::get_accDefaultAction);
    }

    HRESULT STDMETHODCALLTYPE accSelect(long flags, VARIANT child) override {
        if (source_ == nullptr) return RPC_E_DISCONNECTED;
        const std::optional<Part> part = Resolve(child);
        if (!part) return E_INVALIDARG;
        if (*part == Part::Self) return standard_->accSelect(flags, child);
        if ((flags & ~(SELFLAG_TAKEFOCUS | SELFLAG_TAKESELECTION)) != 0) return E_INVALIDARG;
        if (*part != Part::Cell) return DISP_E_MEMBERNOTFOUND;
        const HWND window = source_->Window();
        if (!IsWindowEnabled(window)) return E_FAIL;
        const ShownCells cells(source_->Model());
        const int target = cells.CellOf(child.lVal);
        if ((flags & SELFLAG_TAKEFOCUS) != 0 && GetFocus() != window) SetFocus(window);
        if (source_ == nullptr) return RPC_E_DISCONNECTED;
        if (cells.month_view()) {
            source_->Select(cells.month().cells[static_cast<std::size_t>(target)].date);
            return S_OK;
        }
        // The zoomed views have no selection of their own: the highlighted
        // cell moves there as the arrow keys move it.
        const int steps = target - cells.FocusCell();
        for (int i = 0; i < std::abs(steps) && source_ != nullptr; ++i)
            source_->Press(steps < 0 ? cal::Key::Left : cal::Key::Right);
        return source_ != nullptr ? S_OK : RPC_E_DISCONNECTED;
    }

    HRESULT STDMETHODCALLTYPE accLocation(long* left, long* top, long* width, long* height,
                                          VARIANT child) override {
        if (left == nullptr || top == nullptr || width == nullptr || height == nullptr)
            return E_POINTER;
        *left = *top = *width = *height = 0;
        if (source_ == nullptr) return RPC_E_DISCONNECTED;
        const std::optional<Part> part = Resolve(child);
        if (!part) return E_INVALIDARG;
        if (*part == Part::Self) return standard_->accLocation(left, top, width, height, child);
        const cal::Rect r =
            ChildRect(ShownCells(source_->Model()), source_->CurrentLayout(), child.lVal);
        POINT origin{r.left, r.top};
        ClientToScreen(source_->Window(), &origin);
        *left = origin.x;
        *top = origin.y;
        *width = r.width();
        *height = r.height();
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE accNavigate(long direction, VARIANT start, VARIANT* end) override {
        if (end == nullptr) return E_POINTER;
        SetEmpty(end);
        if (source_ == nullptr) return RPC_E_DISCONNECTED;
        const std::optional<Part> part = Resolve(start);
        if (!part) return E_INVALIDARG;
        const ShownCells cells(source_->Model());
        const LONG count = cells.ChildCount();
        if (*part == Part::Self) {
            if (direction == NAVDIR_FIRSTCHILD || direction == NAVDIR_LASTCHILD) {
                SetChild(end, direction == NAVDIR_FIRSTCHILD ? 1 : count);
                return S_OK;
            }
            return standard_->accNavigate(direction, start, end);
        }
        LONG found = -1;
        switch (direction) {
            case NAVDIR_NEXT:
                found = start.lVal < count ? start.lVal + 1 : -1;
                break;
            case NAVDIR_PREVIOUS:
                found = start.lVal > 1 ? start.lVal - 1 : -1;
                break;
            case NAVDIR_LEFT:
            case NAVDIR_RIGHT:
            case NAVDIR_UP:
            case NAVDIR_DOWN:
                found = NearestChild(cells, source_->CurrentLayout(), start.lVal, direction);
                break;
            default:
                return E_INVALIDARG;  // a simple element has no children
        }
        if (found < 0) return S_FALSE;
        SetChild(end, found);
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE accHitTest(long x, long y, VARIANT* child) override {
        if (child == nullptr) return E_POINTER;
        SetEmpty(child);
        if (source_ == nullptr) return RPC_E_DISCONNECTED;
        const HWND window = source_->Window();
        POINT point{x, y};
        ScreenToClient(window, &point);
        RECT client{};
        GetClientRect(window, &client);
        if (!PtInRect(&client, point)) return S_FALSE;
        const ShownCells cells(source_->Model());
        const cal::Layout& layout = source_->CurrentLayout();
        SetChild(child, CHILDID_SELF);
        for (LONG id = 1; id <= cells.ChildCount(); ++id) {
            if (ChildRect(cells, layout, id).Contains(point.x, point.y)) {
                child->lVal = id;
                break;
            }
        }
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override {
        if (source_ == nullptr) return RPC_E_DISCONNECTED;
        const std::optional<Part> part = Resolve(child);
        if (!part) return E_INVALIDARG;
        if (*part == Part::Self) return standard_->accDoDefaultAction(child);
        if (!IsWindowEnabled(source_->Window())) return E_FAIL;
        switch (*part) {
            case Part::Title:
                source_->ZoomOut();
                break;
            case Part::Previous:
            case Part::Next:
                source_->Page(*part == Part::Previous ? -1 : 1);
                break;
            default: {
                // What a click on the cell does: the model's own rules.
                const cal::Rect r =
                    ChildRect(ShownCells(source_->Model()), source_->CurrentLayout(), child.lVal);
                source_->ClickAt(r.left + r.width() / 2, r.top + r.height() / 2);
                break;
            }
        }
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE put_accName(VARIANT, BSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_accValue(VARIANT, BSTR) override { return E_NOTIMPL; }

private:
    explicit CalendarAccessible(CalendarSource& source) : source_(&source) { ++g_live; }
    ~CalendarAccessible() {
        if (standard_ != nullptr) standard_->Release();
        --g_live;
    }
    CalendarAccessible(const CalendarAccessible&) = delete;
    CalendarAccessible& operator=(const CalendarAccessible&) = delete;

    // Which child an id names; nothing for a wrong type or an id not on show.
    std::optional<Part> Resolve(const VARIANT& child) const {
        if (child.vt != VT_I4) return std::nullopt;
        const LONG id = child.lVal;
        if (id == CHILDID_SELF) return Part::Self;
        if (id == kTitleId) return Part::Title;
        if (id == kPreviousId) return Part::Previous;
        if (id == kNextId) return Part::Next;
        if (id >= kFirstCellId && id <= ShownCells(source_->Model()).ChildCount())
            return Part::Cell;
        return std::nullopt;
    }

    std::wstring CellName(const ShownCells& cells, int cell) const {
        if (cells.month_view())
            return LongDate(cells.month().cells[static_cast<std::size_t>(cell)].date);
        const cal::ZoomCell& zoom = cells.zoom().cells[static_cast<std::size_t>(cell)];
        switch (cells.zoom().view) {
            case View::Year:
                return cal::FormatMonthTitle(kUserLocale, zoom.year, zoom.month).text;
            case View::Decade:
                return cal::YearText(zoom.year);
            default:
                // The years on show in the cell: "1753–1759" at the range's start.
                return cal::YearSpanText(static_cast<int>(zoom.first.year()),
                                         static_cast<int>(zoom.last.year()));
        }
    }

    // The children's help and shortcuts: none. The window's come from the
    // standard object.
    static std::optional<std::wstring> NoTextButTheWindows(Part part, int, const ShownCells&) {
        return part == Part::Self ? std::nullopt : std::optional(std::wstring());
    }

    // A text property: `text` gives it for a child (empty: S_FALSE and no
    // string), or nothing to ask the standard object, if any, for it.
    template <typename TextOf>
    HRESULT Text(const VARIANT& child, BSTR* out, TextOf text,
                 HRESULT (STDMETHODCALLTYPE IAccessible::*standard)(VARIANT, BSTR*) = nullptr) {
        if (out == nullptr) return E_POINTER;
        *out = nullptr;
        if (source_ == nullptr) return RPC_E_DISCONNECTED;
        const std::optional<Part> part = Resolve(child);
        if (!part) return E_INVALIDARG;
        const ShownCells cells(source_->Model());
        const int cell = *part == Part::Cell ? cells.CellOf(child.lVal) : -1;
        const std::optional<std::wstring> value = text(*part, cell, cells);
        if (!value) return standard != nullptr ? (standard_->*standard)(child, out) : S_FALSE;
        if (value->empty()) return S_FALSE;
        *out = api_.alloc_string(value->data(), static_cast<UINT>(value->size()));
        return *out != nullptr ? S_OK : E_OUTOFMEMORY;
    }

    OleApi api_;  // first in, last out: the standard object is its code
    LONG references_ = 1;
    CalendarSource* source_;
    IAccessible* standard_ = nullptr;
};

// ---- ShownCells ------------------------------------------------------------

ShownCells::ShownCells(const cal::Calendar& calendar)
    : month_view_(calendar.view() == View::Month) {
    if (month_view_) {
        month_ = calendar.Grid();
    } else {
        zoom_ = calendar.Zoom();
    }
    const int count = cells();
    while (first_shown_ < count && blank(first_shown_))
        ++first_shown_;
    while (first_shown_ + shown_ < count && !blank(first_shown_ + shown_))
        ++shown_;
    if (month_view_) {
        focus_cell_ = CellHolding(calendar.selected());
    } else {
        focus_cell_ = calendar.FocusCell();
    }
}

bool ShownCells::blank(int cell) const {
    if (cell < 0 || cell >= cells()) return true;
    const auto i = static_cast<std::size_t>(cell);
    return month_view_ ? month_.cells[i].blank : zoom_.cells[i].blank;
}

LONG ShownCells::ChildId(int cell) const {
    if (cell < first_shown_ || cell >= first_shown_ + shown_) return 0;
    return kFirstCellId + (cell - first_shown_);
}

int ShownCells::CellOf(LONG child) const {
    if (child < kFirstCellId || child >= kFirstCellId + shown_) return -1;
    return first_shown_ + static_cast<int>(child - kFirstCellId);
}

LONG ShownCells::ChildCount() const { return kFirstCellId - 1 + shown_; }

int ShownCells::CellHolding(Date day) const {
    for (int cell = first_shown_; cell < first_shown_ + shown_; ++cell) {
        if (First(cell) <= day && day <= Last(cell)) return cell;
    }
    return -1;
}

Date ShownCells::First(int cell) const {
    const auto i = static_cast<std::size_t>(std::clamp(cell, 0, cells() - 1));
    return month_view_ ? month_.cells[i].date : zoom_.cells[i].first;
}

Date ShownCells::Last(int cell) const {
    const auto i = static_cast<std::size_t>(std::clamp(cell, 0, cells() - 1));
    return month_view_ ? month_.cells[i].date : zoom_.cells[i].last;
}

long LiveAccessibleObjects() { return g_live.load(); }

// ---- AccessibleHolder ------------------------------------------------------

LRESULT AccessibleHolder::Answer(CalendarSource& source, WPARAM wp, LPARAM lp) {
    // The object id is a DWORD; 64-bit callers may or may not sign-extend it.
    if (static_cast<LONG>(static_cast<DWORD>(lp)) != OBJID_CLIENT) return 0;
    if (object_ == nullptr && !unavailable_) {
        object_ = CalendarAccessible::Create(source);
        unavailable_ = object_ == nullptr;
    }
    return object_ != nullptr ? object_->Lresult(wp) : 0;
}

void AccessibleHolder::Disconnect() {
    if (object_ == nullptr) return;
    CalendarAccessible* object = std::exchange(object_, nullptr);
    object->Disconnect();
    object->Release();
}

// ---- Events ----------------------------------------------------------------

Snapshot Snapshot::Of(const cal::Calendar& calendar, Date today) {
    return {calendar.selected(),  calendar.view(),      calendar.focus(),    calendar.range(),
            calendar.first_day(), calendar.CanPage(-1), calendar.CanPage(1), today};
}

void RaiseChanges(HWND window, const Snapshot& before, const cal::Calendar& now, Date today,
                  bool renamed) {
    const auto raise = [window](DWORD event, LONG child) {
        NotifyWinEvent(event, window, OBJID_CLIENT, child);
    };
    const View view = now.view();
    // The page on show: the month, or the zoomed view's highlighted period
    // reduced to its page.
    const auto page_of = [](View v, Date selected, cal::Month focus) {
        if (v == View::Month)
            return static_cast<int>(selected.year()) * 12 +
                   static_cast<int>(static_cast<unsigned>(selected.month()));
        const int year = static_cast<int>(focus.year());
        const int span = cal::YearsPerPage(v);
        return span == 0 ? year : year - year % span;
    };
    const bool new_page = before.view != view ||
                          page_of(before.view, before.selected, before.focus) !=
                              page_of(view, now.selected(), now.focus()) ||
                          before.range.first != now.range().first ||
                          before.range.last != now.range().last ||
                          before.first_day != now.first_day();
    if (new_page || renamed) {
        raise(EVENT_OBJECT_REORDER, CHILDID_SELF);
        raise(EVENT_OBJECT_NAMECHANGE, kTitleId);
        if (renamed || before.view != view) {
            raise(EVENT_OBJECT_NAMECHANGE, kPreviousId);
            raise(EVENT_OBJECT_NAMECHANGE, kNextId);
        }
    }
    if (before.can_previous != now.CanPage(-1)) raise(EVENT_OBJECT_STATECHANGE, kPreviousId);
    if (before.can_next != now.CanPage(1)) raise(EVENT_OBJECT_STATECHANGE, kNextId);

    const ShownCells cells(now);
    if (!new_page && before.today != today) {
        // The same page has the same ids: the old today's cell is still there.
        for (const Date day : {before.today, today}) {
            const LONG child = cells.ChildId(cells.CellHolding(day));
            if (child != 0) raise(EVENT_OBJECT_DESCRIPTIONCHANGE, child);
        }
    }
    const bool moved = new_page || before.selected != now.selected() ||
                       (view != View::Month && before.focus != now.focus());
    if (moved) {
        const LONG child = cells.ChildId(cells.FocusCell());
        if (child != 0) {
            raise(EVENT_OBJECT_SELECTION, child);
            if (GetFocus() == window) raise(EVENT_OBJECT_FOCUS, child);
        }
    }
    if (before.selected != now.selected()) raise(EVENT_OBJECT_VALUECHANGE, CHILDID_SELF);
}

void RaiseFocus(HWND window, const cal::Calendar& now) {
    const ShownCells cells(now);
    const LONG child = cells.ChildId(cells.FocusCell());
    if (child != 0) NotifyWinEvent(EVENT_OBJECT_FOCUS, window, OBJID_CLIENT, child);
}

}  // namespace tk::a11y
