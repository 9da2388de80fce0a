// One bridge run: the patient record from the request file, then the bridge of the chosen system.

#include "app/tform1.h"
#include "imaging/bridge_table.h"
#include "imaging/patient_record.h"

namespace veltrane::app {

void TForm1::loadImaging(const std::u16string& shortName, int index, int lastIndex) {
    writeLog(u"Start loading imaging " + shortName);

    // Read afresh for every run, so each run of an automatic load differs only in its own id override.
    auto& ini = platform_.ini;
    auto setting = [&](const std::u16string& key) { return ini.getString(iniFileName, u"settings", key, u""); };
    imaging::PatientRecord patient;
    patient.patientId = setting(u"patient_id");
    patient.forenames = setting(u"forenames");
    patient.surname = setting(u"surname");
    patient.dob = setting(u"dob");
    patient.gender = setting(u"gender");
    patient.title = setting(u"title");
    const std::u16string ownId = ini.getString(iniFileName, u"imaging", shortName, u"");
    if (!ownId.empty()) patient.patientId = ownId;

    Label4.Caption = shortName + u":" + patient.patientId;

    // Every row is tested, also after a match; an error ends the run here and the process keeps running.
    for (const imaging::BridgeDefinition* bridge : imaging::dispatchTable()) {
        if (bridge->shortName == shortName) runBridge(*bridge, patient);
    }

    if (index == lastIndex) resetProgram();
}

}  // namespace veltrane::app
