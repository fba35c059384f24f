#pragma once
// The names the window shows of itself.
#include <QString>

#include "TwinseekVersion.h"

// Names the per-user settings, starts the window title and captions the message boxes.
inline const QString ApplicationTitle = QStringLiteral("Twinseek");
inline const QString VersionText = QStringLiteral(TWINSEEK_VERSION);

#ifndef TWINSEEK_VENDOR_HOST
#define TWINSEEK_VENDOR_HOST "www.twinseek.example"
#endif
// Host of the vendor's web site: the Help menu's pages and the About box.
inline const QString VendorHost = QStringLiteral(TWINSEEK_VENDOR_HOST);
