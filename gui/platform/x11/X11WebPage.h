#pragma once
// Opens an address in the user's browser through xdg-open, started directly (no shell).
// False when xdg-open cannot be started or the address is unusable (empty, or starting with '-',
// which xdg-open would read as an option). Children that have exited are reaped on later calls.
bool OpenWebPageWithXdg(const char* address);
