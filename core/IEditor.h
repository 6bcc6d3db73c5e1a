#pragma once
// The editor as the plug-in side sees it. The base owns at most one; the bindings reach it only through
// the base. Every use is skipped while no editor is attached.
#include <cstdint>

class IEditor
{
public:
    virtual ~IEditor() = default; // closes the window first if it is open

    virtual int32_t Width() const = 0;
    virtual int32_t Height() const = 0;
    virtual int32_t FrameRate() const = 0; // frames per second, always positive
    // False for an editor that draws but has no window layer on this platform yet: the bindings
    // then tell hosts there is no editor.
    virtual bool OpensWindows() const { return true; }

    // Host threads, plug-in lock held. Only stores: nothing is drawn before the next timer tick and
    // nothing is reported back to the plug-in or the host.
    virtual void SetParamFromPlugin(int32_t paramIndex, double value, bool normalized) = 0;
    virtual void PrepareBackBuffer() = 0;

    // UI thread.
    virtual void* OpenWindow(void* parentWindow) = 0; // null on failure
    virtual void CloseWindow() = 0;                   // also flushes a pending wheel-gesture end
    virtual bool ForwardHostWheel(float delta) = 0;
    virtual void StartDeferredEditEnd(int32_t ticks) = 0;
    virtual void CancelDeferredEditEnd() = 0;

    // The host's event loop, UI thread, while the window is open. A VST3 host's run loop watches
    // EventFd (none: -1) and calls HostEvents when it is readable, and HostTimer every
    // 1000 / FrameRate ms (truncated); a VST2 host calls HostIdle from effEditIdle. Editors whose
    // platform delivers events and timers itself ignore them.
    virtual int EventFd() const { return -1; }
    virtual void HostEvents() {}
    virtual void HostTimer() {}
    virtual void HostIdle() {}
};
