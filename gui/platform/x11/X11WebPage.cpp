#include "gui/platform/x11/X11WebPage.h"

#include <spawn.h>
#include <sys/wait.h>

#include <mutex>
#include <vector>

extern char** environ;

namespace
{
std::mutex lock;
std::vector<pid_t> children;

void ReapExited()
{
    for (size_t i = 0; i < children.size();)
        if (waitpid(children[i], nullptr, WNOHANG) != 0)
            children.erase(children.begin() + static_cast<long>(i));
        else
            ++i;
}
} // namespace

bool OpenWebPageWithXdg(const char* address)
{
    if (!address || !address[0] || address[0] == '-') return false;
    std::lock_guard<std::mutex> g(lock);
    ReapExited();

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    // The host's descriptors (audio devices, sockets) are not the browser's business.
    posix_spawn_file_actions_addclosefrom_np(&actions, 3);
    char program[] = "xdg-open";
    char* argv[] = {program, const_cast<char*>(address), nullptr};
    pid_t pid = 0;
    const int result = posix_spawnp(&pid, program, &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    if (result != 0) return false;
    children.push_back(pid);
    return true;
}
