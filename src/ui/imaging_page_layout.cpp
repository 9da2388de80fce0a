#include "ui/imaging_page_layout.h"

namespace veltrane::ui {

namespace {

constexpr LocationRow program(int label, int edit, int button, std::u16string_view caption = u"Program Location:") {
    return {caption, label, edit, button};
}
constexpr LocationRow images(int label, int edit, int button) { return {u"Images Location:", label, edit, button}; }

const std::vector<ImagingPageLayout>& layouts() {
    static const std::vector<ImagingPageLayout> table = {
        // DBSWin / VistaSoft
        {{program(31, 26, 24), LocationRow{u"Patimport Location:", 58, 55, 53}},
         {u"Memo4",
          11,
          112,
          57,
          {u"Program Location usually: C:\\Program Files (x86)\\Duerr\\DBSWIN\\bin\\",
           u"Config Location usually: C:\\ProgramData\\Duerr\\temp\\"}},
         {}},
        {{program(34, 29, 27), {}}, {}, {}},                                         // DentalEye
        {{program(33, 28, 26), {}}, {}, {}},                                         // Dexis
        {{program(33, 28, 26), {}}, {}, {}},                                         // Integrator
        {{program(31, 26, 24), LocationRow{u"ID Pad Length:", 56, 53, 0}}, {}, {}},  // Schick
        {{LocationRow{}, LocationRow{}}, {}, {}},                                    // Digora
        {{program(33, 28, 26), {}}, {}, {}},                                         // EasyDent
        {{program(33, 28, 26), {}}, {}, {}},                                         // iDixel
        {{program(33, 28, 26), {}}, {}, {}},                                         // MyRay
        {{program(34, 29, 27), images(61, 58, 56)}, {}, {}},                         // iCat Registration
        {{program(34, 29, 27), images(61, 58, 56)}, {}, {}},                         // Trophy
        {{program(34, 29, 27), images(61, 58, 56)},
         {},
         {u"CheckBox_vixwin_enabled", u"Edit_vixwin_images", u"Edit_vixwin_program", u"Button16", u"Button17"}},
        {{program(34, 29, 27), images(61, 58, 56)},
         {},
         {u"CheckBox_mediadent_enabled", u"Edit_mediadent_images", u"Edit_mediadent_program", u"Button18",
          u"Button19"}},
        {{program(33, 28, 26), images(60, 57, 55)},
         {},
         {u"CheckBox_examinepro_enabled", u"Edit_examinepro_images", u"Edit_examinepro_program", u"Button20",
          u"Button21"}},
        {{LocationRow{}, LocationRow{}}, {}, {}},                                                        // ApexNRG
        {{program(33, 28, 26), {}}, {}, {}},                                                             // SOPRO
        {{program(33, 28, 26, u"Program Exe:"), {}}, {}, {}},                                            // Romexis
        {{program(33, 28, 26), {}}, {}, {u"Edit_suni_program", u"Button24", u"CheckBox_suni_enabled"}},  // Dr Suni
        {{program(33, 28, 26), LocationRow{u"Config Location:", 60, 57, 55}},                            // Scanora
         {u"Memo2",
          3,
          95,
          57,
          {u"Program Location usually: C:\\Program Files\\SCANORA",
           u"Patimport Location usually: C:\\ProgramData\\SCANORA"}},
         {}},
        {{program(31, 26, 24, u"Program Executable:"), LocationRow{u"Config File:", 58, 55, 53}},  // Sidexis
         {u"Memo3",
          3,
          93,
          57,
          {u"Program Location usually: C:\\Sidexis\\sidexis.exe", u"Config Location usually: F:\\PDATA\\sidexis.sdx"}},
         {u"CheckBox_sirona_enabled", u"Edit_sirona_program", u"Button28", u"Edit_sirona_config", u"Button27"}},
        {{program(31, 26, 24), LocationRow{u"ID Pad Length:", 56, 53, 0}},  // DTX Studio
         {u"Memo5",
          3,
          87,
          66,
          {u"Program Location usually: C:\\Program Files\\DTX Studio Clinic",
           u"ID Pad Length: Use to zero left pad the patient ID number"}},
         {u"CheckBox_dtxstudio_enabled", u"Edit_dtxstudio_program", u"Button29", u"Memo5", u"Edit_dtxstudio_pad"}},
        {{program(31, 26, 24), {}},  // Acteon
         {u"Memo6", 3, 55, 47, {u"Program Location usually: C:\\Program Files\\AISsoftware\\AISmain\\AIS_pms.exe", {}}},
         {}},
        {{program(33, 30, 26), LocationRow{u"Config Location:", 60, 57, 57}},  // Cliniview
         {u"Memo7",
          3,
          95,
          57,
          {u"Program Location usually: C:\\Program Files\\Cliniview",
           u"Patimport Location usually: C:\\ProgramData\\Cliniview"}},
         {u"CheckBox_cliniview_enabled", u"Button31", u"Edit_cliniview_program", u"Edit_cliniview_config",
          u"Button32"}},
        {{program(33, 28, 26), {}},  // EzDent-i
         {u"Memo8", 3, 57, 57, {u"Program Location usually: C:\\Program Files (x86)\\VATECH\\EzDent-i\\Bin", {}}},
         {}},
    };
    return table;
}

}  // namespace

const ImagingPageLayout& imagingPageLayout(int page) { return layouts().at(static_cast<std::size_t>(page)); }

}  // namespace veltrane::ui
