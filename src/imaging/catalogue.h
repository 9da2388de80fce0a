#pragma once
// The twenty-five imaging systems the program knows, in catalogue order.

#include <array>
#include <string_view>

namespace veltrane::imaging {

struct ImagingSystem {
    std::u16string_view shortName;    // key in the request file, the settings and the dispatcher
    std::u16string_view displayName;  // caption of its imaging button
    std::u16string_view prefix;       // settings prefix: "_enabled", "_program", ... follow it
    int scanPosition;                 // 1-based position in the order the selection scans
};

inline constexpr std::array<ImagingSystem, 25> kCatalogue{{
    {u"dbswin", u"DBSWin / VistaSoft", u"dbswin", 1},
    {u"dentaleye", u"DentalEye", u"dentaleye", 2},
    {u"dexis", u"Dexis", u"dexis", 3},
    {u"integrator", u"Dexis Integrator", u"integrator", 4},
    {u"dicom", u"Schick", u"dicom", 5},
    {u"digora", u"Digora", u"digora", 6},
    {u"easydent", u"EasyDent", u"easydent", 8},
    {u"idixel", u"iDixel", u"idixel", 9},
    {u"icatreg", u"iCat Registration", u"icat", 10},
    {u"icatview", u"iCatViewer", u"icatview", 11},
    {u"trophy", u"Trophy", u"trophy", 12},
    {u"mediadent", u"MediaDent", u"mediadent", 14},
    {u"examinepro", u"Examine Pro", u"examinepro", 15},
    {u"apexnrg", u"ApexNRG", u"apexnrg", 16},
    {u"myray", u"myRay", u"myray", 17},
    {u"vixwin", u"VixWin", u"vixwin", 13},
    {u"sopro", u"SOPRO", u"sopro", 18},
    {u"romexis", u"Romexis", u"romexis", 19},
    {u"suni", u"Dr Suni", u"suni", 20},
    {u"scanora", u"Scanora", u"scanora", 7},
    {u"sirona", u"Sidexis", u"sirona", 21},
    {u"dtxstudio", u"DTX Studio", u"dtxstudio", 22},
    {u"acteon", u"Acteon", u"acteon", 23},
    {u"cliniview", u"Cliniview", u"cliniview", 24},
    {u"ezdenti", u"EzDent-i", u"ezdenti", 25},
}};

// The catalogue entry of a short name, or nullptr.
const ImagingSystem* findSystem(std::u16string_view shortName);

}  // namespace veltrane::imaging
