#include "switches.h"

namespace velkor {

namespace {
bool g_silent = false;
bool g_details = false;
}  // namespace

bool SilentMode() { return g_silent; }
void SetSilentMode(bool on) { g_silent = on; }
bool AssociationDetails() { return g_details; }
void SetAssociationDetails(bool on) { g_details = on; }

}  // namespace velkor
