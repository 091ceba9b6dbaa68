// The "Message" frame's loads, as a browser makes them: one background
// thread fetches the pages the controls send there, in turn, and a newer
// request replaces one still waiting (a frame sent elsewhere before it
// started loading). Each page's text is reported from that thread. Shut
// down, the loader still fetches what was asked (a request may be a
// command the camera must receive) but waits for that a bounded while,
// then lets it finish unreported: closing never hangs on a camera that
// does not answer.
#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <string>

class MessageFrameLoader {
public:
    // Fetches a page and answers the text the frame shows: the page's
    // text, or why it could not be fetched.
    using Load = std::function<std::string(const std::string& url)>;
    using Report = std::function<void(const std::string& text)>;

    MessageFrameLoader(Load load, Report report);
    ~MessageFrameLoader();
    MessageFrameLoader(const MessageFrameLoader&) = delete;
    MessageFrameLoader& operator=(const MessageFrameLoader&) = delete;

    // Loads `url` in the background (ignored after shutdown()).
    void navigate(const std::string& url);
    // No more requests; waits at most `wait` for the one under way and the
    // one waiting. Once it returns nothing is reported any more. Idempotent.
    void shutdown(std::chrono::milliseconds wait = kShutdownWait);

    static constexpr std::chrono::milliseconds kShutdownWait{3000};

private:
    struct Worker; // shared with the thread, which may outlive the loader
    std::shared_ptr<Worker> m_worker;
};
