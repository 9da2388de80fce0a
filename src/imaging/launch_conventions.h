#pragma once
// Conversions that several bridges share.

#include <string>
#include <string_view>

#include "imaging/patient_record.h"
#include "platform/launcher.h"

namespace veltrane::imaging {

struct BirthDateParts {
    std::u16string year;   // characters 1-4
    std::u16string month;  // characters 5-6
    std::u16string day;    // characters 7-8
};

// Cuts dob by position; a short dob gives shorter or empty pieces, never an error.
BirthDateParts splitBirthDate(std::u16string_view dob);

// The longest padded id: the platform's command-line limit.
inline constexpr long long kMaxPaddedIdLength = 32767;

// Puts zeros before id until it has length characters (UTF-16 units); never shortens; length <= 0 changes nothing.
// A length beyond kMaxPaddedIdLength throws "Out of system resources".
std::u16string padPatientId(std::u16string_view id, long long length);

// The pad length of a setting: empty means 0; anything but a whole number throws
// "'<text>' is not a valid integer value".
long long padLengthFromSetting(std::u16string_view text);

// A folder location followed directly by the program's file name (no delimiter added or removed).
std::u16string programInFolder(std::u16string_view folderLocation, std::u16string_view fileName);

// What every command-line bridge hands to the launcher: the "open" verb, no working folder, shown normally.
platform::LaunchRequest openRequest(std::u16string file, std::u16string parameters,
                                    int showCommand = platform::kShowNormal);

}  // namespace veltrane::imaging
