#pragma once
// The CDDB wizard: albums added from audio CDs, one after the other, with
// the online disc database's help. Each CD is read and looked up, then its
// album and its songs are checked before Finish saves them.

namespace qv::qvls {

// Runs the wizard on the calling thread; its response is left in the
// hand-over.
void CDDBWizard();

// Makes CDDBWizard startable by name.
void registerCddbWizard();

} // namespace qv::qvls
