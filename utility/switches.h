// Process-wide switches set by the command line and read by the actions.
#pragma once

namespace velkor {

// Silent mode (-s, -silent, -list_hot_simple): hides announcements,
// progress lines and completion lines, never errors, reports or lists.
bool SilentMode();
void SetSilentMode(bool on);

// Association details (-da): a second row per station in -ai.
bool AssociationDetails();
void SetAssociationDetails(bool on);

}  // namespace velkor
