// camview serve: the viewer's third face. The shell runs the session as in
// a window (the page, the controls, reconnection, recordings); this face
// hosts the controls for as long as the service runs, whoever watches, and
// serves over HTTP what they draw, the cameras' own pictures and report
// lines, and carries the browsers' operations to the controls as the
// window's mouse and commands. A platform supplies the container, painting
// and the mouse behind the calls at the end.
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "host/core/ViewerShell.h"
#include "host/core/serve/CameraService.h"
#include "host/core/serve/PictureJpeg.h"

class FrameRelay;

class ServeFace : public ViewerFace {
public:
    explicit ServeFace(const CamviewOptions& options);
    ~ServeFace() override;

    // Listens, shows the cameras until asked to stop (SIGTERM, Ctrl-C, the
    // console closed), and returns the exit status: 2 for options it cannot
    // serve with, 1 when the page could not be shown.
    int run();

    // What a window asks a person, no one is asked here: the credentials
    // given (or kept in the secret store) answer the cameras.
    std::string askAddress(const std::vector<std::string>&, const std::string&) override { return {}; }
    std::string askText(const std::string&, const std::string&) override { return {}; }
    AskPerson personAsker() override { return {}; }
    bool askingPerson() const override { return false; }
    ControlHost* embed(const PageLoad& page) final;
    void endPage() final;
    RECT workArea() const override { return RECT{}; }
    SIZE windowSizeFor(SIZE client) const override { return client; }
    void placeWindow(SIZE, const POINT*) override {}
    int barsHeight() const override { return 0; }
    void setTitle(const std::string&) override {}
    void setFullScreen(bool) override {}
    void pump(bool pageLoading) final;
    void viewChanged() override {}
    int cameraUnderPointer() const override { return m_target; }
    void keepLastPicture(std::size_t) override {}
    void forgetLastPicture(std::size_t) override {}

protected:
    // The platform's part.
    virtual ControlHost* embedPage(const PageLoad& page) = 0;
    virtual void releasePage() = 0;
    // Delivers what is due to the controls, waiting at most `ms` for it.
    virtual void pumpControls(std::uint64_t ms) = 0;
    // Paints the controls that changed into the grid's picture.
    virtual void paintControls() = 0;
    virtual bool cameraPainted(std::size_t camera) const = 0;
    // The grid's picture as last painted.
    virtual PixelRows pixels() const = 0;
    // The mouse at a point of the grid, as the window gives it.
    virtual void pointer(ServePointer kind, ServeButton button, POINT grid, int notches) = 0;
    // A cursor's picture as PNG with its hot spot; false when unknown.
    virtual bool cursorPicture(const std::string&, std::string&, int&, int&) { return false; }

    const CamviewOptions& m_options;

private:
    void apply(const ServeOperation& op);
    void publish();
    void describe();
    void followControls();

    std::unique_ptr<CameraService> m_service;
    ViewerShell* m_shell = nullptr;
    ControlHost* m_host = nullptr;
    int m_target = -1; // the camera an operation is for, while it is carried out
    std::vector<std::unique_ptr<FrameRelay>> m_relays;
    std::chrono::steady_clock::time_point m_nextDescription{};
};
