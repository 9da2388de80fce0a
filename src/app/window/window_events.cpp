#include "app/window/window_events.h"

#include <utility>

#include "app/window/imaging_pages.h"
#include "app/tform1.h"

namespace veltrane::app {

namespace {

using Handler = void (TForm1::*)();

// The handlers of the controls outside the imaging pages.
constexpr std::pair<std::u16string_view, Handler> kHandlers[] = {
    {u"ColorButton1Click", &TForm1::ColorButton1Click},
    {u"ColorButton2Click", &TForm1::ColorButton2Click},
    {u"CloseAnywayClick", &TForm1::CloseAnywayClick},
    {u"Button2Click", &TForm1::Button2Click},
    {u"Button3Click", &TForm1::Button3Click},
    {u"ComboBoxApptTypeChange", &TForm1::ComboBoxApptTypeChange},
    {u"ComboBoxReceiptTypeChange", &TForm1::ComboBoxReceiptTypeChange},
    {u"TabSheet2Show", &TForm1::TabSheet2Show},
    {u"CheckBoxLoggingClick", &TForm1::CheckBoxLoggingClick},
    {u"CheckBoxSSLClick", &TForm1::CheckBoxSSLClick},
    {u"TabSheet19Show", &TForm1::TabSheet19Show},
    {u"CheckBox_imaging_autoloadClick", &TForm1::CheckBox_imaging_autoloadClick},
    {u"RadioGroupDigoraNameFormatClick", &TForm1::RadioGroupDigoraNameFormatClick},
    {u"PageControl2Exit", &TForm1::PageControl2Exit},
    {u"WebBrowser1NavigateComplete2", &TForm1::WebBrowser1NavigateComplete2},
};

Handler fixedHandler(std::u16string_view name) {
    for (const auto& [handler, method] : kHandlers)
        if (handler == name) return method;
    return nullptr;
}

bool endsWith(std::u16string_view text, std::u16string_view suffix, std::u16string_view& stem) {
    if (text.size() <= suffix.size() || text.substr(text.size() - suffix.size()) != suffix) return false;
    stem = text.substr(0, text.size() - suffix.size());
    return true;
}

// The page show, box click, edit exit and "Browse..." click handlers of the imaging pages.
bool isImagingHandler(std::u16string_view handler) {
    std::u16string_view name;
    if (endsWith(handler, u"Show", name)) return imagingPageIndex(name) >= 0;
    const bool exit = endsWith(handler, u"Exit", name);
    if (!exit && !endsWith(handler, u"Click", name)) return false;
    for (const auto& page : kImagingPages) {
        if (exit) {
            for (int e = 0; e < page.editCount; ++e)
                if (page.edits[static_cast<std::size_t>(e)].name == name) return true;
            continue;
        }
        if (page.enabledBox == name || (!page.extraBox.empty() && page.extraBox == name)) return true;
        for (int b = 0; b < page.browseCount; ++b)
            if (page.browses[static_cast<std::size_t>(b)].name == name) return true;
    }
    return false;
}

}  // namespace

bool isWindowHandler(std::u16string_view handler) { return fixedHandler(handler) || isImagingHandler(handler); }

bool runWindowHandler(TForm1& form, std::u16string_view handler) {
    if (Handler method = fixedHandler(handler)) {
        (form.*method)();
        return true;
    }
    return isImagingHandler(handler) && form.runImagingHandler(handler);
}

TCheckBox* checkBoxModel(TForm1& form, std::u16string_view name) {
    if (name == u"CheckBoxLogging") return &form.CheckBoxLogging;
    if (name == u"CheckBoxSSL") return &form.CheckBoxSSL;
    if (name == u"CheckBox_imaging_autoload") return &form.CheckBox_imaging_autoload;
    auto it = form.imagingCheckBoxes.find(name);
    return it == form.imagingCheckBoxes.end() ? nullptr : &it->second;
}

TComboBox* comboBoxModel(TForm1& form, std::u16string_view name) {
    if (name == u"ComboBoxApptType") return &form.ComboBoxApptType;
    if (name == u"ComboBoxReceiptType") return &form.ComboBoxReceiptType;
    return nullptr;
}

}  // namespace veltrane::app
