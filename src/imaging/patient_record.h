#pragma once

#include <string>

#include "platform/ini_reader.h"

namespace veltrane::imaging {

// The patient as the request file gives it, read afresh for every bridge run; no field is trimmed or tested.
struct PatientRecord {
    std::u16string patientId;
    std::u16string forenames;
    std::u16string surname;
    std::u16string dob;  // expected as yyyymmdd; bridges cut it by position
    std::u16string gender;
    std::u16string title;
};

// The patient of one run of the system shortName. Read afresh for every run, so each run of an automatic load
// differs only in its own id override: a value under [imaging] named after the system replaces the patient id.
PatientRecord readPatientRecord(platform::IniReader& ini, const std::u16string& iniFileName,
                                const std::u16string& shortName);

}  // namespace veltrane::imaging
