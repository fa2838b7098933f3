#include "usage.h"

namespace velkor {

namespace {

// Printed with the program name in place of each %s.
const char kUsageFormat[] = R"USAGE(
%s : a configuration backup and restore utiltity v1.16
    usage: %s ip [password] [-p port] [options ...]

      where valid options are:

  options:
       GENERAL OPTIONS:
       -s or -silent         Silent operation - only show critical errors.
       -a or -apply          Apply changes after the specified action.
       -reboot               Reboot the server after the specified action.
       -p <port>             TCP port to connect too. Default to 856.

       CONFIGURATION ACTIONS:
       -d <ofile>            Download the server's configuration.
       -u <ifile>            Upload a saved configuration.

       SCRIPT ACTIONS:
            [<scr> can be: cbq, fw, nat, proxy, dhcpd, rad_users, or rad_nas]
       -dscr <scr> <ofile>   Download the specified script.
       -uscr <scr> <ifile>   Upload the specified script.

       WIRELESS INFORMATION: 
       -ci <dev>             Display card link information for selected device.
       -ai <dev> [index]     Display access point associations.

       WIRELESS OPTIONS: 
       -da                   Display more information about associations (-ai).

       THOUGHPUT TEST OPTIONS: 
       -rx                   Recieve throughput test
       -tx                   Transmit throughput test

       PPP USER OPTIONS:
       -dis_ppp "user"       Disconnect PPPoE / PPtP session by username
       -list_ppp             View list of logged in PPP users

       HOTSPOT USER OPTIONS:
       -dis_hot_user "user"  Disconnect hotspot based on username
       -dis_hot_ip "ip_addr" Disconnect hotspot based on IP address
       -list_hot             View list of logged in Hotspot users
       -list_hot_simple      View list of logged in Hotspot users in an easy to
                             parse format.

       HOTSPOT PAGE OPTIONS:
             [<page> can be: login, alogin, mlogin, logout, status,
                             noservice, or splash]
       -dpage <page> <ofile> Download hotspot page
       -upage <page> <ifile> Upload hotspot page

       REPORTING OPTIONS:
       -sysinfo              View system information
       -kernlog              View kernel log
       -support <ofile>      support file download

       FIRMWARE ACTIONS:
       -f <ifile>            Upload the specified firmware to the server.

  arguments:
       ip         Ip address or hostname of target server.
       password   The admin password as entered on the target server.
                  If not entered on the command-line, you will be prompted.

EXAMPLES:
  Backup a server's configuration:
    %s 192.168.1.1 BlueOx -d server.dat

  Restore the previously backed up configuration, and activate changes:
    %s 192.168.1.1 BlueOx -u server.dat -a

  Download a CBQ script:
    %s 192.168.1.1 BlueOx -dscr cbq cbq.txt

  Upload a changed CBQ script, and activate it:
    %s 192.168.1.1 BlueOx -uscr cbq cbq.txt -a

  Upload a new firmware to the server:
    %s 192.168.1.1 BlueOx -f kmos-1.1x.x-xxxx.bin
)USAGE";

}  // namespace

std::string UsageText(const std::string& program) {
  std::string text;
  // The raw string starts with a line end that is not part of the text.
  for (const char* p = kUsageFormat + 1; *p != '\0'; ++p) {
    if (p[0] == '%' && p[1] == 's') {
      text += program;
      ++p;
    } else {
      text += *p;
    }
  }
  return text;
}

}  // namespace velkor
