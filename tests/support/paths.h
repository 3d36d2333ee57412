// Where the test build put the program; CMake passes it in as TIMBUS_EXE_PATH.
#pragma once

#include <string>

namespace driver {

// Wine sees the Linux file system as drive Z:.
inline std::wstring ProgramPath() {
    const std::string path = TIMBUS_EXE_PATH;
    std::wstring wide(path.begin(), path.end());
    if (!wide.empty() && wide.front() == L'/') wide = L"Z:" + wide;
    for (auto& c : wide) {
        if (c == L'/') c = L'\\';
    }
    return wide;
}

}  // namespace driver
