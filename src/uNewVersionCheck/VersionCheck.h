#pragma once
// The start-up question to the vendor's site, and what it leaves for the new-version dialog.
#include <QString>

#include "uNewVersionCheck/HttpTransfer.h"

// True: closing the new-version dialog ends the program.
extern bool ForceUpdate;
// Set by Abort while a download runs; cleared when a download starts.
extern bool DownloadAborted;
// The dialog's text.
extern QString NewVersionMessage;

// Fetches the version document and then the change log and decides; true when the dialog
// is to be shown. Any failure gives false and shows nothing. Sets ForceUpdate and
// NewVersionMessage only when it gives true.
bool CheckForNewVersion(const THttpGetOptions& options = {});
