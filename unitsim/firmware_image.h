// The firmware images the simulated unit installs.  An image may begin with
// a one-line header naming the firmware it carries:
//
//   bytes 0-6   "UNITFW " (the letters and one blank)
//   then        the version, 1 to 31 characters of A-Z a-z 0-9 . _ -
//   one blank
//   then        the build, 1 to 15 characters of the same set
//   optionally  one blank and the hardware the image is made for, 1 to 15
//               characters of the same set
//   then        LF; the whole line lies within the first 64 bytes
//
// for example "UNITFW 2.6.0 4802 ARX-200\n" followed by the image proper.
// After an applied upgrade with such an image the unit reports that
// version and build in its system report; an image without the header
// flashes just as well and the unit keeps the version it had.  A unit
// refuses an image made for other hardware (letter case aside); an image
// that names none fits every unit.  The image name on the operator's disk
// never reaches the unit, so the header is the only source.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace unitsim {

inline constexpr std::size_t kImageHeaderLimit = 64;

struct ImageVersion {
  std::string version;
  std::string build;
  std::string hardware;  // empty: the image names none
};

// True when the image may go onto a unit of that hardware.
bool FitsHardware(const ImageVersion& image, std::string_view hardware);

// Reads the header from the first bytes of an image (any number of them;
// only the first 64 are looked at).
std::optional<ImageVersion> ReadImageHeader(std::string_view start);

}  // namespace unitsim
