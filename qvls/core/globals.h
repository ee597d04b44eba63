#pragma once
// The main module's globals that several windows share. One copy per
// process unless marked per thread; all threads read and write them without
// locks, since only one runs at a time. GLO:Request, GLO:Response,
// GLO:NavRequest and GLO:NavFocus live in the framework's hand-over, and
// SingleInstanceList is the framework's list windows' own.

#include <cstdint>
#include <string>
#include <vector>

#include "platform/framework/handover.h"
#include "platform/runtime/scheduler.h"

namespace qv::rt {
class Window;
}

namespace qv::qvls {

struct BuildStamp {
    int present = 1;
    int createdDate = 73176;
    int createdTime = 4748815;
    int changedDate = 73363;
    int changedTime = 8027213;
};

struct Globals {
    // The frame while it is open.
    int frameThread = 0; // GLO:FrameThread
    // Its tables are open and the settings loaded; the splash's follow-up
    // waits for this.
    bool frameReady = false;
    bool afterSplashWaits = false;
    rt::Window* frameWindow = nullptr; // GLO:FrameWindow
    // Control numbers of the Lists items, set with frameThread.
    int albumsItem = 0, songsItem = 0, bothItem = 0, labelsItem = 0, playListsItem = 0;

    std::string settingsFile; // GLO:SettingsFile
    std::string positionFile; // GLO:PositionFile
    std::string appLabel; // GLO:AppLabel
    BuildStamp buildStamp; // GLO:BuildStamp (stored by every window as it opens)
    std::string versionText; // GLO:VersionText

    std::string reportStyle; // ReportStyle: "Standard" or "Brief"
    std::string selectedOrAll; // SelectedOrAll
    std::string reportSelection; // ReportSelection
    int reportPreview = 0; // ReportPreview
    int reportCustomFont = 0; // ReportCustomFont
    std::string startingFileNumber; // StartingFileNumber
    std::string endingFileNumber; // EndingFileNumber
    std::string binderPageStyle; // BinderPageStyle

    std::string songTimeText; // GLO:SongTimeText
    std::string songTitleText; // GLO:SongTitleText
    std::string songFormResult; // GLO:SongFormResult: "", "OK" or "Cancel"
    int songFormFromWizard = 0; // GLO:SongFormFromWizard
    int side = 0; // GLO:Side
    int wizardFromCDPlayer = 0; // GLO:WizardFromCDPlayer: the CD player has just closed the drive for a wizard
    int threadInstance = 0; // ThreadInstance
    std::string addTypeAnswer; // what the add-type choice answered: "Compilation", "Single Artist", "Normal"

    // The command line's two switches.
    bool noMouse = false; // "/NOMOUSE"
    bool freeDb = false; // "/FREEDB"
};

Globals& glo();

// The globals with one copy per thread; the scheduler swaps them with the thread.
struct CDTrackEntry {
    std::int32_t trackPosition = 0; // CDDB:TRACKPOSITION
    std::int32_t trackLength = 0; // CDDB:TRACKLENGTH
};
struct TopWindowEntry {
    std::string line; // WQ_:LINE: the window's title
    std::uint32_t handle = 0; // WQ_:HANDLE
    std::string windowClass; // Q:WIN:CLASS
};
struct ThreadGlobals {
    std::vector<CDTrackEntry> cdTracks; // the CD reader's track queue
    std::vector<TopWindowEntry> windowList; // WindowList
    std::string approvalText; // the MP3 approval list's text of 512
    std::string csvField; // the comma-separated engine's field buffer of 4000
};
ThreadGlobals& threadGlo();
// Slot 0 serves code outside threads; each thread starts with empty values.
rt::PerThread<ThreadGlobals>& threadGlobals();

// Every window procedure stores these as it opens.
void storeWindowGlobals();

// The globals windows show, as use names ("GLO:VersionText",
// "GLO:BuildStamp.CreatedDate", ...). Safe to call again.
void registerGlobalUses();

} // namespace qv::qvls
