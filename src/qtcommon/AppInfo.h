#pragma once
// The names the window and the update check show of the program.
#include <QString>

#include "TwinseekSite.h"
#include "TwinseekVersion.h"

// Names the per-user settings, starts the window title and captions the message boxes.
inline const QString ApplicationTitle = QStringLiteral("Twinseek");
inline const QString VersionText = QStringLiteral(TWINSEEK_VERSION);

// Host of the vendor's web site: the Help menu's pages and the About box.
inline const QString VendorHost = QStringLiteral(TWINSEEK_VENDOR_HOST);
