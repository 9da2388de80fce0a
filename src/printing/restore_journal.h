#pragma once
// What a print request must put back, recorded before it changes the workstation, so that a later start can put
// it back when the request's process died before DONE.

#include <string>

namespace veltrane::printing {

// Its own key beside the settings; an empty "owner" means nothing is pending (values are never deleted).
inline const std::u16string kRestoreJournalKeyPath = u"\\Software\\Veltrane\\PendingRestore";

}  // namespace veltrane::printing
