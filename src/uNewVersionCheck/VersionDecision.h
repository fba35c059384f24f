#pragma once
// What the version document and the change log mean for the running version: whether to
// show the new-version dialog, whether the update is demanded, and the dialog's text.
// No network and no toolkit here, so every rule is tested on plain bytes.
#include <string_view>
#include <vector>

#include "TwinseekVersion.h"
#include "platform/Text.h"

// The running version as the documents count versions: version x 10 (2.1 is 21).
static_assert(TwinseekVersionMinor < 10, "the version documents count one digit after the point");
constexpr int RunningVersionNumber = TwinseekVersionMajor * 10 + TwinseekVersionMinor;

struct TVersionDecision {
    bool ShowDialog = false;   // a newer version exists or the running one is below the minimum
    bool ForceUpdate = false;  // the running version is below the minimum
    Text NewVersionMessage;    // the announcement, a blank line, "What's new:" and the changes
};

// Decides from the two documents as fetched. Every problem (an empty version document, a
// first line without "/" or with a part that is not a decimal integer, a translation whose
// placeholders do not fit) gives the empty decision: no dialog.
TVersionDecision DecideNewVersion(std::string_view versionDocument, std::string_view changeLog,
                                  int runningVersion = RunningVersionNumber);
