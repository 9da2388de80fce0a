#pragma once
// The twenty-five imaging systems the program knows, in catalogue order, each with the settings values that
// switch it on and that its bridge reads. The configuration pages and the bridges both take the value names
// from here, so a name is written down once.

#include <array>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace veltrane::imaging {

// Settings value names of one system; empty where the system has no such value.
struct SystemSettings {
    std::u16string_view enabled;  // "dexis_enabled"
    std::u16string_view program;  // the program location, "dexis_program"
    std::u16string_view images;   // the second location: images, exchange or config folder ("trophy_images")
    std::u16string_view option;   // a further value the bridge reads: "dicom_idpad", "dbswin_noid", ...
};

struct ImagingSystem {
    std::u16string_view shortName;    // key in the request file, the settings and the dispatcher
    std::u16string_view displayName;  // caption of its imaging button
    std::u16string_view prefix;       // settings prefix: "_enabled", "_program", ... follow it
    int scanPosition;                 // 1-based position in the order the selection scans
    SystemSettings settings;
};

inline constexpr std::array<ImagingSystem, 25> kCatalogue{{
    {u"dbswin",
     u"DBSWin / VistaSoft",
     u"dbswin",
     1,
     {u"dbswin_enabled", u"dbswin_program", u"dbswin_images", u"dbswin_noid"}},
    {u"dentaleye", u"DentalEye", u"dentaleye", 2, {u"dentaleye_enabled", u"dentaleye_program", {}, {}}},
    {u"dexis", u"Dexis", u"dexis", 3, {u"dexis_enabled", u"dexis_program", {}, {}}},
    {u"integrator", u"Dexis Integrator", u"integrator", 4, {u"integrator_enabled", u"integrator_program", {}, {}}},
    {u"dicom", u"Schick", u"dicom", 5, {u"dicom_enabled", u"dicom_program", {}, u"dicom_idpad"}},
    {u"digora", u"Digora", u"digora", 6, {u"digora_enabled", {}, {}, u"digora_nameformat"}},
    {u"easydent", u"EasyDent", u"easydent", 8, {u"easydent_enabled", u"easydent_program", {}, {}}},
    {u"idixel", u"iDixel", u"idixel", 9, {u"idixel_enabled", u"idixel_program", {}, {}}},
    {u"icatreg", u"iCat Registration", u"icat", 10, {u"icat_enabled", u"icat_program", u"icat_images", {}}},
    {u"icatview", u"iCatViewer", u"icatview", 11, {u"icatview_enabled", u"icatview_program", u"icatview_images", {}}},
    {u"trophy", u"Trophy", u"trophy", 12, {u"trophy_enabled", u"trophy_program", u"trophy_images", {}}},
    {u"mediadent",
     u"MediaDent",
     u"mediadent",
     14,
     {u"mediadent_enabled", u"mediadent_program", u"mediadent_images", {}}},
    {u"examinepro",
     u"Examine Pro",
     u"examinepro",
     15,
     {u"examinepro_enabled", u"examinepro_program", u"examinepro_images", {}}},
    {u"apexnrg", u"ApexNRG", u"apexnrg", 16, {u"apexnrg_enabled", {}, {}, {}}},
    {u"myray", u"myRay", u"myray", 17, {u"myray_enabled", u"myray_program", {}, {}}},
    {u"vixwin", u"VixWin", u"vixwin", 13, {u"vixwin_enabled", u"vixwin_program", u"vixwin_images", {}}},
    {u"sopro", u"SOPRO", u"sopro", 18, {u"sopro_enabled", u"sopro_program", {}, {}}},
    {u"romexis", u"Romexis", u"romexis", 19, {u"romexis_enabled", u"romexis_program", {}, {}}},
    {u"suni", u"Dr Suni", u"suni", 20, {u"suni_enabled", u"suni_program", {}, {}}},
    {u"scanora", u"Scanora", u"scanora", 7, {u"scanora_enabled", u"scanora_program", u"scanora_images", {}}},
    {u"sirona", u"Sidexis", u"sirona", 21, {u"sirona_enabled", u"sirona_program", u"sirona_images", {}}},
    {u"dtxstudio",
     u"DTX Studio",
     u"dtxstudio",
     22,
     {u"dtxstudio_enabled", u"dtxstudio_program", {}, u"dtxstudio_idpad"}},
    {u"acteon", u"Acteon", u"acteon", 23, {u"acteon_enabled", u"acteon_program", {}, {}}},
    {u"cliniview",
     u"Cliniview",
     u"cliniview",
     24,
     {u"cliniview_enabled", u"cliniview_program", u"cliniview_images", {}}},
    {u"ezdenti", u"EzDent-i", u"ezdenti", 25, {u"ezdenti_enabled", u"ezdenti_program", {}, {}}},
}};

// The catalogue entry of a short name, or nullptr.
const ImagingSystem* findSystem(std::u16string_view shortName);

// The settings names of a system; in a constant expression an unknown short name does not compile.
constexpr const SystemSettings& settingsOf(std::u16string_view shortName) {
    for (const auto& system : kCatalogue)
        if (system.shortName == shortName) return system.settings;
    throw std::logic_error("no imaging system of that short name");
}

// The values a system's bridge reads from the open key, in the order it reads them: program, second location,
// option.
std::vector<std::u16string> bridgeSettingNames(const SystemSettings& settings);

}  // namespace veltrane::imaging
