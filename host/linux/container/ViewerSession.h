// One run of the viewer, shared by its two faces: it installs the input
// state and the password prompt the controls will consult, makes the
// report and the container, loads the page and embeds its controls; its
// destructor releases the controls and takes the prompt and the input
// state back, whatever way the run ended.
#pragma once

#include <cstdio>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "host/core/EventLog.h"
#include "host/core/ViewerAddress.h"
#include "host/linux/container/PageLoader.h"
#include "host/linux/container/ViewerContainer.h"
#include "platform/tap/ViewTuning.h"
#include "platform/window/linux/StandInWindow.h"
#include "platform/wininet/linux/StandInWinInet.h"

struct ViewerSessionSetup {
    std::string pageUrl;                                     // a viewer page to load
    std::vector<std::pair<std::string, std::string>> params; // or one control with these PARAMs
    std::string modulePath;                                  // the control module, registered when needed
    std::shared_ptr<InputStateSource> input;                 // the physical buttons the controls see
    standin::PasswordPrompt prompt;                                   // asked when a camera answers 401
    std::FILE* events = nullptr;                             // JSON lines here, or none
    DWORD pageTimeoutMs = 0;                                 // how long the page may take (0: unbounded here)
    std::vector<std::string> allowedClasses;                 // control classes allowed besides the image control
    unsigned threads = 1;                                    // UI threads for the controls (0: one per core)
    std::vector<PageSource> sources;                         // several addresses shown as one wall (else pageUrl)
    std::vector<GivenUser> given;                            // credentials given for the addresses' origins
    DWORD tuning = VIEW_TUNE_ALL;                            // what the controls are asked to do beyond their own
};

class ViewerSession {
public:
    ViewerSession(ViewerSessionSetup setup, ContainerListener chained);
    ~ViewerSession();
    ViewerSession(const ViewerSession&) = delete;
    ViewerSession& operator=(const ViewerSession&) = delete;

    // Fetches the page and embeds its controls. Returns 0 when at least
    // one control is embedded, else the viewer's exit status (1: the page
    // could not be fetched, 2: it holds no registered control), after
    // saying why on standard error.
    int open();
    // The same with the page already loaded (the window fetches it off its
    // own thread).
    int open(const PageLoad& page);
    // Why open() failed, in the words the viewer prints.
    const std::string& failure() const { return m_failure; }

    ViewerContainer& container() { return *m_container; }
    EventLog& log() { return m_log; }
    // Releases the controls now (their workers end); the destructor does it
    // otherwise. Idempotent.
    void close();

private:
    ViewerSessionSetup m_setup;
    std::string m_failure;
    EventLog m_log;
    std::unique_ptr<ViewerContainer> m_container;
};
