// The frame step and the frame-rate counter: the demo's animation clock.
#include "app/demo_app.h"
#include "app/timer.h"
#include "scenes/camera.h"

#include <cstdint>
#include <cstdio>

namespace {

// Kept in double precision: absolute seconds in a float lose the frame step after
// a day of uptime.
bool counting = false;
double lastCountTime = 0.0;
double rateStartTime = 0.0;
uint32_t rateFrameCount = 0;

} // namespace

HRESULT DemoApp::StepFrame() {
    const float e = static_cast<float>(AppTimer(TimerCommand::ElapsedTime));
    if (e != 0.0f) {
        if (camera) camera->Update(e);
        UpdateFrameRate();
    }
    return S_OK;
}

void AppFramework::UpdateFrameRate() {
    const double t = AppTimer(TimerCommand::AbsoluteTime);
    if (!counting) {
        // The first frame is measured from the timer's start, not the clock's origin.
        const double start = t - AppTimer(TimerCommand::AppTime);
        lastCountTime = rateStartTime = start;
        counting = true;
    }
    frameSeconds = static_cast<float>(t - lastCountTime);
    lastCountTime = t;
    const double t2 = AppTimer(TimerCommand::AbsoluteTime);
    ++rateFrameCount;
    if (t2 - rateStartTime > 1.0) {
        framesPerSecond = static_cast<float>(rateFrameCount / (t2 - rateStartTime));
        rateFrameCount = 0;
        rateStartTime = t2;
        // At most 11 characters and the zero, whatever the rate.
        snprintf(frameRateText, sizeof frameRateText, "FPS: %.02f",
                 static_cast<double>(framesPerSecond));
    }
}
