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

// The longest answers taken: the version document is one short line, the change log a page.
constexpr qint64 VersionDocumentMaxBytes = 64 * 1024;
constexpr qint64 ChangeLogMaxBytes = 1024 * 1024;

struct TVersionCheckOptions {
    int ReadTimeoutMs = 10000;  // longest wait for the next bytes of either document
    int DeadlineMs = 15000;     // for the whole check: the program starts after it at the latest
};

// Fetches the version document and then the change log and decides; true when the dialog
// is to be shown. Any failure gives false and shows nothing: an answer longer than its cap
// and a check that has not ended by the deadline included. Sets ForceUpdate and
// NewVersionMessage only when it gives true.
bool CheckForNewVersion(const TVersionCheckOptions& options = {});
