#pragma once
// The drive calls of kernel32 that the CD detection makes.
#include <cstdint>
#include <optional>
#include <string>

namespace platform {

// GetDriveTypeA's answers.
enum DriveType : std::uint32_t {
  kDriveUnknown = 0,
  kDriveNoRootDir = 1,
  kDriveRemovable = 2,
  kDriveFixed = 3,
  kDriveRemote = 4,
  kDriveCdRom = 5,
  kDriveRamDisk = 6,
};

class DriveApi {
 public:
  virtual ~DriveApi() = default;
  // GetLogicalDriveStringsA: writes "C:\<NUL>D:\<NUL>...<NUL>" into buffer when it
  // fits and returns the count written without the final NUL; when it does not fit
  // returns the size needed (final NUL included) and writes nothing; 0 on failure.
  virtual std::uint32_t getLogicalDriveStrings(std::uint32_t bufferLength, char* buffer) = 0;
  // GetDriveTypeA of a root such as "D:\".
  virtual std::uint32_t getDriveType(const std::string& root) = 0;
  // GetVolumeInformationA: the volume label (text before the first NUL of the
  // name buffer), or nothing when the call fails (no disc in the drive).
  virtual std::optional<std::string> getVolumeLabel(const std::string& root) = 0;
};

}  // namespace platform
