#pragma once
// The main form's path fields that the wizard shows and compares, derived from the start-up configuration.

#include "platform/SystemDef.h"

#include <string>

namespace qz {

struct TMainFormPaths {
    std::string CommonDataDir;     // the common application data folder, upper-cased
    bool ServerMode = false;
    std::string SystemRootKey;     // the prefix the destination grid shows as "~"
    std::string ServerHost;        // server mode: the server's host name, upper-cased
    std::string ServerDataPath;    // set on page 2
    std::string ExtractDir;        // set on page 1
    std::string ToolIniFileName;   // the tool settings file, upper-cased
};

// The fields as they are right after InitSystemPaths (call it first).
TMainFormPaths MainFormPathsOf(const TSystemDef& system, const TProgramValues& program);

}  // namespace qz
