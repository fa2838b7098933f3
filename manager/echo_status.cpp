#include "echo_status.h"

namespace halvex {

namespace {

const char* KnownText(int status) {
  switch (status) {
    case 0: return "Success";
    case -1: return "Bad IP format";
    case 11001: return "Buffer too small";
    case 11002: return "Dest net unreachable";
    case 11003: return "Dest host unreachable";
    case 11004: return "Dest prot unreachable";
    case 11005: return "Dest port unreachable";
    case 11006: return "No resources";
    case 11007: return "Bad option";
    case 11008: return "HW Error";
    case 11009: return "Packet too big";
    case 11010: return "Req timed out";
    case 11011: return "Bad req";
    case 11012: return "Bad route";
    case 11013: return "TTL expired transit";
    case 11014: return "TTL expired reassem";
    case 11015: return "Param problem";
    case 11016: return "Source quench";
    case 11017: return "Option too big";
    case 11018: return "Bad destination";
    case 11019: return "Addr deleted";
    case 11020: return "Spec MTU change";
    case 11021: return "MTU change";
    case 11022: return "Unload";
    case 11023: return "Addr added";
    case 11050: return "General failure";
    case 11255: return "Pending";
    case 3000: return "Ping timeout";
    default: return nullptr;
  }
}

}  // namespace

std::string statusText(int status) {
  const char* known = KnownText(status);
  std::string text = known ? known : "Unknown Err " + std::to_string(status);
  text.resize(24, ' ');
  return text;
}

}  // namespace halvex
