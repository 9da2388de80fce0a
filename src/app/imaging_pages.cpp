#include "app/imaging_pages.h"

#include <cstdint>

#include "base/error.h"
#include "base/numbers.h"
#include "base/text.h"
#include "platform/paths.h"

namespace veltrane::app {

namespace {
constexpr auto F = StoreForm::Folder;
constexpr auto T = StoreForm::AsTyped;
constexpr bool kFolder = true;
constexpr bool kFile = false;
constexpr ImagingEditSpec kNoEdit{};
constexpr ImagingBrowseSpec kNoBrowse{};

// A page whose only edit is a program folder with its folder "Browse..." button.
constexpr ImagingPageSpec programFolderPage(std::u16string_view sheet, std::u16string_view caption,
                                            std::u16string_view box, std::u16string_view enabled,
                                            std::u16string_view edit, std::u16string_view value,
                                            std::u16string_view button) {
    return {sheet, caption, box, enabled, {{{edit, value, F}, kNoEdit}}, 1, {{{button, kFolder, 0}, kNoBrowse}},
            1,     {},      {},  false};
}

// A page with a program folder and an images folder, each with its folder "Browse..." button.
constexpr ImagingPageSpec twoFolderPage(std::u16string_view sheet, std::u16string_view caption, std::u16string_view box,
                                        std::u16string_view enabled, std::u16string_view programEdit,
                                        std::u16string_view programValue, std::u16string_view imagesEdit,
                                        std::u16string_view imagesValue, std::u16string_view programButton,
                                        std::u16string_view imagesButton) {
    return {sheet,
            caption,
            box,
            enabled,
            {{{programEdit, programValue, F}, {imagesEdit, imagesValue, F}}},
            2,
            {{{programButton, kFolder, 0}, {imagesButton, kFolder, 1}}},
            2,
            {},
            {},
            false};
}
}  // namespace

const std::array<ImagingPageSpec, kImagingPageCount> kImagingPages{{
    {u"TabSheet4",
     u"DBSWin / VistaSoft",
     u"CheckBox_dbswin_enabled",
     u"dbswin_enabled",
     {{{u"Edit_dbswin_program", u"dbswin_program", T}, {u"Edit_dbswin_images", u"dbswin_images", F}}},
     2,
     {{{u"Button1", kFile, 0}, {u"Button4", kFolder, 1}}},
     2,
     u"CheckBox_dbswin_noid",
     u"dbswin_noid",
     false},
    programFolderPage(u"TabSheet5", u"DentalEye", u"CheckBox_dentaleye_enabled", u"dentaleye_enabled",
                      u"Edit_dentaleye_program", u"dentaleye_program", u"Button5"),
    programFolderPage(u"TabSheet6", u"Dexis", u"CheckBox_dexis_enabled", u"dexis_enabled", u"Edit_dexis_program",
                      u"dexis_program", u"Button6"),
    programFolderPage(u"TabSheet7", u"Integrator", u"CheckBox_integrator_enabled", u"integrator_enabled",
                      u"Edit_integrator_program", u"integrator_program", u"Button7"),
    {u"TabSheet8",
     u"Schick",
     u"CheckBox_dicom_enabled",
     u"dicom_enabled",
     {{{u"Edit_dicom_program", u"dicom_program", F}, {u"Edit_dicom_pad", u"dicom_idpad", T}}},
     2,
     {{{u"Button8", kFolder, 0}, kNoBrowse}},
     1,
     {},
     {},
     false},
    {u"TabSheet9",
     u"Digora",
     u"CheckBox_digora_enabled",
     u"digora_enabled",
     {{kNoEdit, kNoEdit}},
     0,
     {{kNoBrowse, kNoBrowse}},
     0,
     {},
     {},
     true},
    programFolderPage(u"TabSheet10", u"EasyDent", u"CheckBox_easydent_enabled", u"easydent_enabled",
                      u"Edit_easydent_program", u"easydent_program", u"Button9"),
    programFolderPage(u"TabSheet11", u"iDixel", u"CheckBox_idixel_enabled", u"idixel_enabled", u"Edit_idixel_program",
                      u"idixel_program", u"Button10"),
    programFolderPage(u"TabSheet12", u"MyRay", u"CheckBox_myray_enabled", u"myray_enabled", u"Edit_myray_program",
                      u"myray_program", u"Button11"),
    twoFolderPage(u"TabSheet13", u"iCat Registration", u"CheckBox_icat_enabled", u"icat_enabled", u"Edit_icat_program",
                  u"icat_program", u"Edit_icat_images", u"icat_images", u"Button12", u"Button13"),
    twoFolderPage(u"TabSheet14", u"Trophy", u"CheckBox_trophy_enabled", u"trophy_enabled", u"Edit_trophy_program",
                  u"trophy_program", u"Edit_trophy_images", u"trophy_images", u"Button14", u"Button15"),
    twoFolderPage(u"TabSheet15", u"Vixwin", u"CheckBox_vixwin_enabled", u"vixwin_enabled", u"Edit_vixwin_program",
                  u"vixwin_program", u"Edit_vixwin_images", u"vixwin_images", u"Button16", u"Button17"),
    twoFolderPage(u"TabSheet16", u"Mediadent", u"CheckBox_mediadent_enabled", u"mediadent_enabled",
                  u"Edit_mediadent_program", u"mediadent_program", u"Edit_mediadent_images", u"mediadent_images",
                  u"Button18", u"Button19"),
    twoFolderPage(u"TabSheet17", u"Examine Pro", u"CheckBox_examinepro_enabled", u"examinepro_enabled",
                  u"Edit_examinepro_program", u"examinepro_program", u"Edit_examinepro_images", u"examinepro_images",
                  u"Button20", u"Button21"),
    {u"TabSheet18",
     u"ApexNRG",
     u"CheckBox_apexnrg_enabled",
     u"apexnrg_enabled",
     {{kNoEdit, kNoEdit}},
     0,
     {{kNoBrowse, kNoBrowse}},
     0,
     {},
     {},
     false},
    programFolderPage(u"TabSheet20", u"SOPRO", u"CheckBox_sopro_enabled", u"sopro_enabled", u"Edit_sopro_program",
                      u"sopro_program", u"Button22"),
    {u"TabSheet21",
     u"Romexis",
     u"CheckBox_romexis_enabled",
     u"romexis_enabled",
     {{{u"Edit_romexis_program", u"romexis_program", T}, kNoEdit}},
     1,
     {{{u"Button23", kFile, 0}, kNoBrowse}},
     1,
     {},
     {},
     false},
    programFolderPage(u"TabSheet22", u"Dr Suni", u"CheckBox_suni_enabled", u"suni_enabled", u"Edit_suni_program",
                      u"suni_program", u"Button24"),
    twoFolderPage(u"TabSheet23", u"Scanora", u"CheckBox_scanora_enabled", u"scanora_enabled", u"Edit_scanora_program",
                  u"scanora_program", u"Edit_scanora_config", u"scanora_images", u"Button25", u"Button26"),
    {u"TabSheet24",
     u"Sidexis",
     u"CheckBox_sirona_enabled",
     u"sirona_enabled",
     {{{u"Edit_sirona_program", u"sirona_program", T}, {u"Edit_sirona_config", u"sirona_images", T}}},
     2,
     {{{u"Button28", kFile, 0}, {u"Button27", kFolder, 1}}},
     2,
     {},
     {},
     false},
    {u"TabSheet25",
     u"DTX Studio",
     u"CheckBox_dtxstudio_enabled",
     u"dtxstudio_enabled",
     {{{u"Edit_dtxstudio_program", u"dtxstudio_program", F}, {u"Edit_dtxstudio_pad", u"dtxstudio_idpad", T}}},
     2,
     {{{u"Button29", kFolder, 0}, kNoBrowse}},
     1,
     {},
     {},
     false},
    {u"TabSheet26",
     u"Acteon",
     u"CheckBox_acteon_enabled",
     u"acteon_enabled",
     {{{u"Edit_acteon_program", u"acteon_program", T}, kNoEdit}},
     1,
     {{{u"Button30", kFile, 0}, kNoBrowse}},
     1,
     {},
     {},
     false},
    twoFolderPage(u"TabSheet27", u"Cliniview", u"CheckBox_cliniview_enabled", u"cliniview_enabled",
                  u"Edit_cliniview_program", u"cliniview_program", u"Edit_cliniview_config", u"cliniview_images",
                  u"Button31", u"Button32"),
    programFolderPage(u"TabSheet28", u"EzDent-i", u"CheckBox_ezdenti_enabled", u"ezdenti_enabled",
                      u"Edit_ezdenti_program", u"ezdenti_program", u"Button33"),
}};

int imagingPageIndex(std::u16string_view sheet) {
    for (int i = 0; i < kImagingPageCount; ++i)
        if (kImagingPages[static_cast<std::size_t>(i)].sheet == sheet) return i;
    return -1;
}

std::u16string storedForm(const std::u16string& text, StoreForm form) {
    if (form == StoreForm::AsTyped) return text;
    if (!text.empty() && text.back() == platform::kPathDelimiter) return text;
    return text + platform::kPathDelimiter;
}

int parseItemIndex(const std::u16string& text, int maxIndex) {
    const auto value = parseInteger(text);
    if (!value) throw Error(formatMessage(messages::kInvalidInteger, utf16ToUtf8(text)));
    if (*value < -1) return -1;
    if (*value > maxIndex) return maxIndex;
    return static_cast<int>(*value);
}

std::map<std::u16string, TCheckBox, std::less<>> makeImagingCheckBoxes() {
    std::map<std::u16string, TCheckBox, std::less<>> boxes;
    for (const auto& page : kImagingPages) {
        boxes.emplace(std::u16string(page.enabledBox), TCheckBox{});
        if (!page.extraBox.empty()) boxes.emplace(std::u16string(page.extraBox), TCheckBox{});
    }
    return boxes;
}

std::map<std::u16string, TEdit, std::less<>> makeImagingEdits() {
    std::map<std::u16string, TEdit, std::less<>> edits;
    for (const auto& page : kImagingPages)
        for (int e = 0; e < page.editCount; ++e)
            edits.emplace(std::u16string(page.edits[static_cast<std::size_t>(e)].name), TEdit{});
    return edits;
}

}  // namespace veltrane::app
