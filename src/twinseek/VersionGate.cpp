#include "twinseek/VersionGate.h"

// No update check yet: the gate lets the window start.
bool RunVersionGate() {
    return true;
}
