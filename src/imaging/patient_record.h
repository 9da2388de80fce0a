#pragma once

#include <string>

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

}  // namespace veltrane::imaging
