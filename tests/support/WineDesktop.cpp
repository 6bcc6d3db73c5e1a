// Holds the Wine desktop of a test run open: wine_desktop <ready-file>. Wine ends the desktop (its
// explorer process) a moment after the last program using it exits; the next test program would then
// start a new one that inherits that test's output pipes, and CTest would wait for the desktop to end
// before it sees the test finish. Started with its streams on /dev/null, it makes the one desktop of
// the run, writes the ready file, and waits until the Wine server is stopped.
#include <windows.h>

#include <string>

int main(int argc, char** argv)
{
    if (argc != 2) return 2;
    if (!GetDesktopWindow()) return 1; // starts the desktop and waits for it
    std::string path = argv[1];        // a Unix path: rooted with backslashes it names the same file
    for (char& c : path)
        if (c == '/') c = '\\';
    HANDLE ready =
        CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (ready == INVALID_HANDLE_VALUE) return 1;
    CloseHandle(ready);
    for (;;)
        Sleep(INFINITE);
}
