// Which executable a process runs, as a drive path.
#pragma once

#include <string>

namespace tw::win {

// A process's executable: its module path, or its image path with the
// device turned into a drive. Empty when the process cannot be asked.
std::wstring ProcessExecutablePath(unsigned long processId);

// "\Device\HarddiskVolume2\x\y.exe" -> "C:\x\y.exe" by the drives' DOS device names.
std::wstring DevicePathToDrivePath(const std::wstring& devicePath);

}  // namespace tw::win
