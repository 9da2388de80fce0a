#pragma once
// The patient the bridge tests start from, and one field of it changed.

#include <string>

#include "imaging/patient_record.h"

namespace veltrane::testing {

inline const imaging::PatientRecord kAnna{u"1042", u"Anna", u"Berg", u"19800102", u"F", u"Mrs"};

inline imaging::PatientRecord with(imaging::PatientRecord p, std::u16string imaging::PatientRecord::*field,
                                   std::u16string value) {
    p.*field = std::move(value);
    return p;
}

}  // namespace veltrane::testing
