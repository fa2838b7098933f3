// What velkor says when a unit fails the way units fail in the field: an
// image made for other hardware, a flash that fails, an upload whose
// connection drops, a unit that says yes and keeps its old firmware, and a
// far unit behind a slow link; and what the unit runs afterwards.
#include <gtest/gtest.h>

#include "harness.h"

namespace e2e {
namespace {

class UnitFaults : public UnitsimTest<> {
 protected:
  TempDir dir;
};

TEST_F(UnitFaults, MessagesStatusAndTheFirmwareAfterwards) {
  struct Case {
    const char* keys;
    const char* image;  // the header line
    bool apply;
    const char* ending;
    int status;
    const char* firmware;
  };
  const Case cases[] = {
      {"", "UNITFW 2.7.0 5012 ARX-500", false, "\n\nServer reported an error: Action Failed\n", 1,
       "2.5.1"},
      {"", "UNITFW 2.7.0 5012 arx-200", true, "\n\nOperation has completed successfuly.\n", 0,
       "2.7.0"},
      {"flash_fails = true", "UNITFW 2.7.0 5012 ARX-200", true,
       "\n\nFlash write failed at block 37\n\nServer reported an error: Action Failed\n", 1, "2.5.1"},
      {"flash_fails = true", "UNITFW 2.7.0 5012 ARX-200", false,
       "\n\nServer reported an error: Action Failed\n", 1, "2.5.1"},
      {"upload_drop_after_bytes = 20000", "UNITFW 2.7.0 5012 ARX-200", true,
       "\n\nConnection with server was broken, file not uploaded.\n\n", 1, "2.5.1"},
      {"keeps_old_firmware = true", "UNITFW 2.7.0 5012 ARX-200", true,
       "\n\nOperation has completed successfuly.\n", 0, "2.5.1"},
      {"reply_delay_ms = 20\nlink_kbit = 20000", "UNITFW 2.7.0 5012 ARX-200", true,
       "\n\nOperation has completed successfuly.\n", 0, "2.7.0"},
  };
  for (const Case& c : cases) {
    Unitsim unit(std::string("[[unit]]\naddress = \"127.0.0.1\"\nname = \"cpe\"\n"
                             "hardware = \"ARX-200\"\nflash_steps = 2\nflash_step_ms = 0\n"
                             "install_uploads = true\n") +
                 c.keys + "\n");
    // Larger than the socket buffers hold, so that a dropped upload
    // breaks a send rather than only the reply.
    WriteFile(dir.File("image.pkg"), std::string(c.image) + "\n" + std::string(2000000, 'x'));
    std::vector<std::string> args{"-f", dir.File("image.pkg")};
    if (c.apply) args.push_back("-a");
    RunResult r = VelkorAgainst(unit, args);
    EXPECT_EQ(r.exitCode, c.status) << c.keys << " " << c.image;
    EXPECT_TRUE(r.out.ends_with(c.ending)) << c.keys << " " << c.image << ":\n" << r.out;
    RunResult report = VelkorAgainst(unit, {"-sysinfo"});
    EXPECT_NE(report.out.find("\nFirmware: " + std::string(c.firmware) + " build"), std::string::npos)
        << c.keys << " " << c.image << ":\n" << report.out;
  }
}

}  // namespace
}  // namespace e2e
