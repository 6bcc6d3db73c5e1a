#pragma once
// A plug-in module loaded as a host loads it: dlopen on Linux, LoadLibrary on Windows.
#include <string>

class SharedLibrary
{
public:
    explicit SharedLibrary(const char* path);
    ~SharedLibrary();
    SharedLibrary(const SharedLibrary&) = delete;
    SharedLibrary& operator=(const SharedLibrary&) = delete;

    // The loader's handle (what a Linux VST3 host passes to ModuleEntry); null when loading failed.
    void* Handle() const { return handle; }
    // An exported symbol, or null.
    void* Symbol(const char* name) const;
    template <typename Fn> Fn Function(const char* name) const { return reinterpret_cast<Fn>(Symbol(name)); }
    // Why the load failed, in the loader's words.
    const std::string& Error() const { return error; }

private:
    void* handle = nullptr;
    std::string error;
};
