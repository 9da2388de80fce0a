#include "app/window/imaging_pages.h"

#include <cstdint>

#include "base/error.h"
#include "base/numbers.h"
#include "base/text.h"
#include "imaging/catalogue.h"
#include "platform/paths.h"

namespace veltrane::app {

namespace {
constexpr auto F = StoreForm::Folder;
constexpr auto T = StoreForm::AsTyped;
constexpr bool kFolder = true;
constexpr bool kFile = false;
constexpr std::u16string_view kProgramLocation = u"Program Location:";

constexpr const imaging::SystemSettings& of(std::u16string_view shortName) { return imaging::settingsOf(shortName); }

// The program location of a system: its edit, label and "Browse..." button in one row.
struct Row {
    ImagingEditRow edit;
    ImagingBrowseRow browse;  // no name: the row has no button
};

constexpr Row row(std::u16string_view edit, std::u16string_view value, StoreForm form, std::u16string_view label,
                  int labelTop, int editTop, std::u16string_view button, bool folder, int buttonTop) {
    return {{edit, value, form, label, labelTop, editTop, false}, {button, folder, 0, buttonTop}};
}

// The identifier pad-length edit (Schick, DTX Studio): no button.
constexpr Row padRow(std::u16string_view edit, std::u16string_view value) {
    return {{edit, value, T, u"ID Pad Length:", 56, 53, true}, {}};
}

constexpr ImagingPageRow page(std::u16string_view shortName, std::u16string_view sheet, std::u16string_view caption,
                               std::u16string_view box, std::initializer_list<Row> rows, ImagingNotes notes = {},
                               std::initializer_list<std::u16string_view> tabOrder = {}) {
    ImagingPageRow p{};
    p.shortName = shortName;
    p.sheet = sheet;
    p.caption = caption;
    p.enabledBox = box;
    p.enabledValue = of(shortName).enabled;
    for (const Row& r : rows) {
        p.edits[static_cast<std::size_t>(p.editCount)] = r.edit;
        if (!r.browse.name.empty()) {
            ImagingBrowseRow b = r.browse;
            b.edit = p.editCount;
            p.browses[static_cast<std::size_t>(p.browseCount++)] = b;
        }
        ++p.editCount;
    }
    p.notes = notes;
    std::size_t i = 0;
    for (auto name : tabOrder) p.tabOrder[i++] = name;
    return p;
}

// A page whose only edit is a program folder with its folder "Browse..." button.
constexpr ImagingPageRow programFolderPage(std::u16string_view shortName, std::u16string_view sheet,
                                            std::u16string_view caption, std::u16string_view box,
                                            std::u16string_view edit, std::u16string_view button, int labelTop,
                                            ImagingNotes notes = {}) {
    return page(
        shortName, sheet, caption, box,
        {row(edit, of(shortName).program, F, kProgramLocation, labelTop, labelTop - 5, button, kFolder, labelTop - 7)},
        notes);
}

// A page with a program folder and an images folder, each with its folder "Browse..." button; the second row
// is 27 pixels below the first.
constexpr ImagingPageRow twoFolderPage(std::u16string_view shortName, std::u16string_view sheet,
                                        std::u16string_view caption, std::u16string_view box,
                                        std::u16string_view programEdit, std::u16string_view imagesEdit,
                                        std::u16string_view programButton, std::u16string_view imagesButton,
                                        int labelTop, std::initializer_list<std::u16string_view> tabOrder = {}) {
    const auto& s = of(shortName);
    return page(
        shortName, sheet, caption, box,
        {row(programEdit, s.program, F, kProgramLocation, labelTop, labelTop - 5, programButton, kFolder, labelTop - 7),
         row(imagesEdit, s.images, F, u"Images Location:", labelTop + 27, labelTop + 24, imagesButton, kFolder,
             labelTop + 22)},
        {}, tabOrder);
}

constexpr ImagingPageRow boxOnlyPage(std::u16string_view shortName, std::u16string_view sheet,
                                      std::u16string_view caption, std::u16string_view box) {
    return page(shortName, sheet, caption, box, {});
}

}  // namespace

constexpr std::array<ImagingPageRow, kImagingPageCount> kImagingPages = [] {
    std::array<ImagingPageRow, kImagingPageCount> pages{{
        page(u"dbswin", u"TabSheet4", u"DBSWin / VistaSoft", u"CheckBox_dbswin_enabled",
             {row(u"Edit_dbswin_program", of(u"dbswin").program, T, kProgramLocation, 31, 26, u"Button1", kFile, 24),
              row(u"Edit_dbswin_images", of(u"dbswin").images, F, u"Patimport Location:", 58, 55, u"Button4", kFolder,
                  53)},
             {u"Memo4",
              11,
              112,
              57,
              {u"Program Location usually: C:\\Program Files (x86)\\Duerr\\DBSWIN\\bin\\",
               u"Config Location usually: C:\\ProgramData\\Duerr\\temp\\"}}),
        programFolderPage(u"dentaleye", u"TabSheet5", u"DentalEye", u"CheckBox_dentaleye_enabled",
                          u"Edit_dentaleye_program", u"Button5", 34),
        programFolderPage(u"dexis", u"TabSheet6", u"Dexis", u"CheckBox_dexis_enabled", u"Edit_dexis_program",
                          u"Button6", 33),
        programFolderPage(u"integrator", u"TabSheet7", u"Integrator", u"CheckBox_integrator_enabled",
                          u"Edit_integrator_program", u"Button7", 33),
        page(u"dicom", u"TabSheet8", u"Schick", u"CheckBox_dicom_enabled",
             {row(u"Edit_dicom_program", of(u"dicom").program, F, kProgramLocation, 31, 26, u"Button8", kFolder, 24),
              padRow(u"Edit_dicom_pad", of(u"dicom").option)}),
        boxOnlyPage(u"digora", u"TabSheet9", u"Digora", u"CheckBox_digora_enabled"),
        programFolderPage(u"easydent", u"TabSheet10", u"EasyDent", u"CheckBox_easydent_enabled",
                          u"Edit_easydent_program", u"Button9", 33),
        programFolderPage(u"idixel", u"TabSheet11", u"iDixel", u"CheckBox_idixel_enabled", u"Edit_idixel_program",
                          u"Button10", 33),
        programFolderPage(u"myray", u"TabSheet12", u"MyRay", u"CheckBox_myray_enabled", u"Edit_myray_program",
                          u"Button11", 33),
        twoFolderPage(u"icatreg", u"TabSheet13", u"iCat Registration", u"CheckBox_icat_enabled", u"Edit_icat_program",
                      u"Edit_icat_images", u"Button12", u"Button13", 34),
        twoFolderPage(u"trophy", u"TabSheet14", u"Trophy", u"CheckBox_trophy_enabled", u"Edit_trophy_program",
                      u"Edit_trophy_images", u"Button14", u"Button15", 34),
        twoFolderPage(
            u"vixwin", u"TabSheet15", u"Vixwin", u"CheckBox_vixwin_enabled", u"Edit_vixwin_program",
            u"Edit_vixwin_images", u"Button16", u"Button17", 34,
            {u"CheckBox_vixwin_enabled", u"Edit_vixwin_images", u"Edit_vixwin_program", u"Button16", u"Button17"}),
        twoFolderPage(u"mediadent", u"TabSheet16", u"Mediadent", u"CheckBox_mediadent_enabled",
                      u"Edit_mediadent_program", u"Edit_mediadent_images", u"Button18", u"Button19", 34,
                      {u"CheckBox_mediadent_enabled", u"Edit_mediadent_images", u"Edit_mediadent_program", u"Button18",
                       u"Button19"}),
        twoFolderPage(u"examinepro", u"TabSheet17", u"Examine Pro", u"CheckBox_examinepro_enabled",
                      u"Edit_examinepro_program", u"Edit_examinepro_images", u"Button20", u"Button21", 33,
                      {u"CheckBox_examinepro_enabled", u"Edit_examinepro_images", u"Edit_examinepro_program",
                       u"Button20", u"Button21"}),
        boxOnlyPage(u"apexnrg", u"TabSheet18", u"ApexNRG", u"CheckBox_apexnrg_enabled"),
        programFolderPage(u"sopro", u"TabSheet20", u"SOPRO", u"CheckBox_sopro_enabled", u"Edit_sopro_program",
                          u"Button22", 33),
        page(
            u"romexis", u"TabSheet21", u"Romexis", u"CheckBox_romexis_enabled",
            {row(u"Edit_romexis_program", of(u"romexis").program, T, u"Program Exe:", 33, 28, u"Button23", kFile, 26)}),
        page(u"suni", u"TabSheet22", u"Dr Suni", u"CheckBox_suni_enabled",
             {row(u"Edit_suni_program", of(u"suni").program, F, kProgramLocation, 33, 28, u"Button24", kFolder, 26)},
             {}, {u"Edit_suni_program", u"Button24", u"CheckBox_suni_enabled"}),
        page(u"scanora", u"TabSheet23", u"Scanora", u"CheckBox_scanora_enabled",
             {row(u"Edit_scanora_program", of(u"scanora").program, F, kProgramLocation, 33, 28, u"Button25", kFolder,
                  26),
              row(u"Edit_scanora_config", of(u"scanora").images, F, u"Config Location:", 60, 57, u"Button26", kFolder,
                  55)},
             {u"Memo2",
              3,
              95,
              57,
              {u"Program Location usually: C:\\Program Files\\SCANORA",
               u"Patimport Location usually: C:\\ProgramData\\SCANORA"}}),
        page(u"sirona", u"TabSheet24", u"Sidexis", u"CheckBox_sirona_enabled",
             {row(u"Edit_sirona_program", of(u"sirona").program, T, u"Program Executable:", 31, 26, u"Button28", kFile,
                  24),
              row(u"Edit_sirona_config", of(u"sirona").images, T, u"Config File:", 58, 55, u"Button27", kFolder, 53)},
             {u"Memo3",
              3,
              93,
              57,
              {u"Program Location usually: C:\\Sidexis\\sidexis.exe",
               u"Config Location usually: F:\\PDATA\\sidexis.sdx"}},
             {u"CheckBox_sirona_enabled", u"Edit_sirona_program", u"Button28", u"Edit_sirona_config", u"Button27"}),
        page(u"dtxstudio", u"TabSheet25", u"DTX Studio", u"CheckBox_dtxstudio_enabled",
             {row(u"Edit_dtxstudio_program", of(u"dtxstudio").program, F, kProgramLocation, 31, 26, u"Button29",
                  kFolder, 24),
              padRow(u"Edit_dtxstudio_pad", of(u"dtxstudio").option)},
             {u"Memo5",
              3,
              87,
              66,
              {u"Program Location usually: C:\\Program Files\\DTX Studio Clinic",
               u"ID Pad Length: Use to zero left pad the patient ID number"}},
             {u"CheckBox_dtxstudio_enabled", u"Edit_dtxstudio_program", u"Button29", u"Memo5", u"Edit_dtxstudio_pad"}),
        page(
            u"acteon", u"TabSheet26", u"Acteon", u"CheckBox_acteon_enabled",
            {row(u"Edit_acteon_program", of(u"acteon").program, T, kProgramLocation, 31, 26, u"Button30", kFile, 24)},
            {u"Memo6", 3, 55, 47, {u"Program Location usually: C:\\Program Files\\AISsoftware\\AISmain\\AIS_pms.exe"}}),
        page(u"cliniview", u"TabSheet27", u"Cliniview", u"CheckBox_cliniview_enabled",
             {row(u"Edit_cliniview_program", of(u"cliniview").program, F, kProgramLocation, 33, 30, u"Button31",
                  kFolder, 26),
              row(u"Edit_cliniview_config", of(u"cliniview").images, F, u"Config Location:", 60, 57, u"Button32",
                  kFolder, 57)},
             {u"Memo7",
              3,
              95,
              57,
              {u"Program Location usually: C:\\Program Files\\Cliniview",
               u"Patimport Location usually: C:\\ProgramData\\Cliniview"}},
             {u"CheckBox_cliniview_enabled", u"Button31", u"Edit_cliniview_program", u"Edit_cliniview_config",
              u"Button32"}),
        programFolderPage(
            u"ezdenti", u"TabSheet28", u"EzDent-i", u"CheckBox_ezdenti_enabled", u"Edit_ezdenti_program", u"Button33",
            33, {u"Memo8", 3, 57, 57, {u"Program Location usually: C:\\Program Files (x86)\\VATECH\\EzDent-i\\Bin"}}),
    }};
    // The departures of single pages from the grid.
    pages[0].extraBox = u"CheckBox_dbswin_noid";
    pages[0].extraValue = of(u"dbswin").option;
    pages[5].nameFormat = true;
    return pages;
}();

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
