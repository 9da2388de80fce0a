#include "imaging/patient_record.h"

namespace veltrane::imaging {

PatientRecord readPatientRecord(platform::IniReader& ini, const std::u16string& iniFileName,
                                const std::u16string& shortName) {
    auto setting = [&](const std::u16string& key) { return ini.getString(iniFileName, u"settings", key, u""); };
    PatientRecord patient;
    patient.patientId = setting(u"patient_id");
    patient.forenames = setting(u"forenames");
    patient.surname = setting(u"surname");
    patient.dob = setting(u"dob");
    patient.gender = setting(u"gender");
    patient.title = setting(u"title");
    const std::u16string ownId = ini.getString(iniFileName, u"imaging", shortName, u"");
    if (!ownId.empty()) patient.patientId = ownId;
    return patient;
}

}  // namespace veltrane::imaging
