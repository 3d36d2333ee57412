#include "about_window/about_window.h"

#include "assets/resource_ids.h"
#include "toolkit/form.h"

namespace about_window {
namespace {

using tk::ControlKind;
using tk::PictureKind;

// Places and sizes in twips (15 to a pixel at 96 DPI). Label2 and Label3
// reach two pixels past the client edge and are cut off there.
constexpr tk::ControlDescription kControls[] = {
    {.name = L"cmdOK",
     .kind = ControlKind::PushButton,
     .place = {4200, 120, 780, 345},
     .tab_index = 0,
     .text = L"OK",
     .is_default = true,
     .is_cancel = true},
    {.name = L"picIcon",
     .kind = ControlKind::PictureBox,
     .place = {120, 120, 555, 540},
     .tab_index = 1,
     .picture_kind = PictureKind::Icon,
     .picture_id = IDI_COMPUTER,
     .accessible_name = L"Компьютер: монитор и системный блок"},
    {.name = L"lblDescription",
     .kind = ControlKind::Label,
     .place = {120, 720, 4845, 210},
     .tab_index = 2,
     .text = L"Программа тимбус для просмотра дней недели.",
     .fore_colour = 0x00000000,
     .array_index = 0},
    {.name = L"lblVersion",
     .kind = ControlKind::Label,
     .place = {840, 480, 3885, 225},
     .tab_index = 3,
     .text = L"Тимбус V 1.3 Final"},
    {.name = L"Frame1",
     .kind = ControlKind::Frame,
     .place = {840, 120, 3255, 255},
     .tab_index = 4,
     .text = L"Vortimex - Программы для вас!"},
    {.name = L"Label1",
     .kind = ControlKind::Label,
     .place = {120, 1080, 4815, 255},
     .tab_index = 5,
     .text = L"Автор: Олег Николаевич Воронцов (Vortex)"},
    {.name = L"Label2",
     .kind = ControlKind::Label,
     .place = {120, 1440, 4935, 255},
     .tab_index = 6,
     .text = L"Сайт: http://www.vortimex.example/"},
    {.name = L"Label3",
     .kind = ControlKind::Label,
     .place = {120, 1800, 4935, 255},
     .tab_index = 7,
     .text = L"e-mail: timbus@vortimex.example"},
};

void OnClickOK(tk::Form& form) { form.Close(); }

constexpr tk::ClickHandler kClicks[] = {
    {L"cmdOK", OnClickOK},
};

tk::Form* g_about = nullptr;

void OnDestroyed() { g_about = nullptr; }

constexpr tk::FormDescription kAboutWindow{
    .name = L"About",
    .caption = L"О программе !",
    .client = {5970, 3135, 5025, 2355},
    .back_colour = tk::SystemColour(COLOR_BTNFACE),
    .icon_id = IDI_ABOUT,
    .controls = kControls,
    .clicks = kClicks,
    .on_destroyed = OnDestroyed,
};

}  // namespace

const tk::FormDescription& Description() { return kAboutWindow; }

tk::Form* Open(tk::App& app) {
    if (g_about != nullptr) {
        g_about->Activate();
        return g_about;
    }
    g_about = app.OpenForm(kAboutWindow);
    return g_about;
}

tk::Form* Instance() { return g_about; }

}  // namespace about_window
