// The imaging settings pages: each page shows its stored values when it becomes visible and stores every change
// at once. All pages run through the same handlers, driven by kImagingPages.

#include "app/window/imaging_pages.h"
#include "app/tform1.h"
#include "base/error.h"
#include "base/text.h"
#include "imaging/catalogue.h"

namespace veltrane::app {

namespace {

constexpr int kRomexisPage = 16;
constexpr int kLastNameFormat = 2;
const std::u16string kNameFormatValue{imaging::settingsOf(u"digora").option};
const std::u16string kRomexisProgramValue{imaging::settingsOf(u"romexis").program};

struct EditLocation {
    const ImagingPageRow* page;
    const ImagingEditRow* edit;
};

EditLocation findEdit(std::u16string_view name) {
    for (const auto& page : kImagingPages)
        for (int e = 0; e < page.editCount; ++e)
            if (page.edits[static_cast<std::size_t>(e)].name == name)
                return {&page, &page.edits[static_cast<std::size_t>(e)]};
    return {nullptr, nullptr};
}

// The setting a check box stores its flag in.
std::u16string_view checkBoxValue(std::u16string_view box) {
    for (const auto& page : kImagingPages) {
        if (page.enabledBox == box) return page.enabledValue;
        if (!page.extraBox.empty() && page.extraBox == box) return page.extraValue;
    }
    return {};
}

[[noreturn]] void unknownControl(std::u16string_view name) {
    throw Error("The imaging pages have no control named " + utf16ToUtf8(name));
}

}  // namespace

TCheckBox& TForm1::imagingCheckBox(std::u16string_view name) {
    auto it = imagingCheckBoxes.find(name);
    if (it == imagingCheckBoxes.end()) unknownControl(name);
    return it->second;
}

TEdit& TForm1::imagingEdit(std::u16string_view name) {
    auto it = imagingEdits.find(name);
    if (it == imagingEdits.end()) unknownControl(name);
    return it->second;
}

void TForm1::imagingPageShow(int pageIndex) {
    const auto& page = kImagingPages.at(static_cast<std::size_t>(pageIndex));
    if (pageIndex == kRomexisPage) romexisPageShown_ = true;
    // The edits first (shown exactly as stored), then the "Enabled" box, then any further box.
    for (int e = 0; e < page.editCount; ++e) {
        const auto& edit = page.edits[static_cast<std::size_t>(e)];
        imagingEdit(edit.name).Text = readSetting(std::u16string(edit.value));
    }
    if (loadFlag(imagingCheckBox(page.enabledBox), std::u16string(page.enabledValue)))
        imagingCheckBoxClick(page.enabledBox);
    if (!page.extraBox.empty() && loadFlag(imagingCheckBox(page.extraBox), std::u16string(page.extraValue)))
        imagingCheckBoxClick(page.extraBox);
    if (page.nameFormat) {
        const int index = parseItemIndex(readSetting(kNameFormatValue), kLastNameFormat);
        if (index != RadioGroupDigoraNameFormat.ItemIndex) {
            RadioGroupDigoraNameFormat.ItemIndex = index;
            // Only a selected item counts as a click; clearing the selection stores nothing.
            if (index >= 0) RadioGroupDigoraNameFormatClick();
        }
    }
}

void TForm1::imagingCheckBoxClick(std::u16string_view box) {
    const std::u16string_view value = checkBoxValue(box);
    if (value.empty()) unknownControl(box);
    writeSetting(std::u16string(value), settings::boolToSetting(imagingCheckBox(box).Checked));
}

void TForm1::imagingEditExit(std::u16string_view name) {
    const auto [page, edit] = findEdit(name);
    if (!edit) unknownControl(name);
    const std::u16string stored = storedForm(imagingEdit(name).Text, edit->form);
    writeSetting(std::u16string(edit->value), stored);
    // The edit shows what is stored (a folder with its trailing delimiter), as the page shows it when next shown.
    imagingEdit(name).Text = stored;
}

void TForm1::imagingBrowseClick(std::u16string_view button) {
    for (const auto& page : kImagingPages) {
        for (int b = 0; b < page.browseCount; ++b) {
            const auto& browse = page.browses[static_cast<std::size_t>(b)];
            if (browse.name != button) continue;
            const auto chosen = platform_.dialogs.chooseFileOrFolder(browse.folderMode);
            if (!chosen) return;  // cancelled: nothing changes
            const auto& target = page.edits[static_cast<std::size_t>(browse.edit)];
            const std::u16string text = storedForm(*chosen, browse.folderMode ? StoreForm::Folder : StoreForm::AsTyped);
            imagingEdit(target.name).Text = text;
            writeSetting(std::u16string(target.value), text);
            return;
        }
    }
    unknownControl(button);
}

void TForm1::RadioGroupDigoraNameFormatClick() {
    writeSetting(kNameFormatValue, utf8ToUtf16(std::to_string(RadioGroupDigoraNameFormat.ItemIndex)));
}

void TForm1::PageControl2Exit() {
    // Before the Romexis page has been shown its edit is empty, and storing it would erase the stored program.
    if (!romexisPageShown_) return;
    writeSetting(kRomexisProgramValue, imagingEdit(u"Edit_romexis_program").Text);
}

bool TForm1::runImagingHandler(std::u16string_view handler) {
    auto strip = [&](std::u16string_view suffix, std::u16string_view& name) {
        if (handler.size() <= suffix.size() || handler.substr(handler.size() - suffix.size()) != suffix) return false;
        name = handler.substr(0, handler.size() - suffix.size());
        return true;
    };
    std::u16string_view name;
    if (strip(u"Show", name)) {
        const int page = imagingPageIndex(name);
        if (page < 0) return false;
        imagingPageShow(page);
        return true;
    }
    if (strip(u"Exit", name)) {
        if (!findEdit(name).edit) return false;
        imagingEditExit(name);
        return true;
    }
    if (strip(u"Click", name)) {
        if (!checkBoxValue(name).empty()) {
            imagingCheckBoxClick(name);
            return true;
        }
        for (const auto& page : kImagingPages)
            for (int b = 0; b < page.browseCount; ++b)
                if (page.browses[static_cast<std::size_t>(b)].name == name) {
                    imagingBrowseClick(name);
                    return true;
                }
    }
    return false;
}

}  // namespace veltrane::app
