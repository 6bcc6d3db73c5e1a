#include "gui/platform/x11/X11EditorWindow.h"

X11EditorWindow::X11EditorWindow(Client& c) : client(c) {}

X11EditorWindow::~X11EditorWindow()
{
    Close();
}

void* X11EditorWindow::Open(void* parent, int x, int y, int width, int height, int periodMs)
{
    Close(); // also a window the host destroyed from outside, which still holds its connection
    connection = std::make_unique<X11Connection>();
    window = std::make_unique<X11Window>(*connection, client);
    if (!connection->Ok() || !window->Create(reinterpret_cast<uintptr_t>(parent), x, y, width, height))
    {
        window.reset();
        connection.reset();
        return nullptr;
    }
    driver.Start(*this, connection->Fd(), periodMs);
    return NativeWindow();
}

void X11EditorWindow::Close()
{
    driver.Stop(); // our thread, if it drove the window, is gone before the window goes
    window.reset();
    connection.reset();
}

void* X11EditorWindow::NativeWindow() const
{
    return IsOpen() ? reinterpret_cast<void*>(static_cast<uintptr_t>(window->Id())) : nullptr;
}

int X11EditorWindow::EventFd() const
{
    return connection && IsOpen() ? connection->Fd() : -1;
}

bool X11EditorWindow::Present(const uint32_t* pixels, int stride, int width, int height, int x, int y, int w, int h)
{
    return IsOpen() && window->Present(pixels, stride, width, height, x, y, w, h);
}

void X11EditorWindow::Events()
{
    if (connection) connection->Dispatch();
}

void X11EditorWindow::Tick()
{
    if (IsOpen()) client.Tick();
}
