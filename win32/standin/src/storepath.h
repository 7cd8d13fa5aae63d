#ifndef STANDIN_STOREPATH_H
#define STANDIN_STOREPATH_H

#include <string>

namespace standin {

// The registry file: $WIN32_STANDIN_REGISTRY when set and not empty, else
// $XDG_DATA_HOME/win32-standin/registry.reg, else
// $HOME/.local/share/win32-standin/registry.reg. Read on every call, so a
// process (or a test) can switch files by changing the variable.
std::string registryFilePath();

} // namespace standin

#endif
