#pragma once
// Locale services: lower-casing, collation, number format, UI language.
#include "platform/Text.h"

namespace Platform {

// Simple one-to-one lower-case mapping of one UTF-16 code unit.
char16_t LowerCaseChar(char16_t c);
// Lower-cases code unit by code unit; the length never changes.
Text LowerCase(TextView text);

// A case-insensitive collation of the user's locale, consistent within a run: < 0, 0, > 0.
int CompareTextIgnoreCase(TextView a, TextView b);

// Decimal separator of the user's locale settings.
char16_t DecimalSeparator();

// Primary language id (the low 8 bits of a Windows language identifier) of the session's
// user-interface language: 9 for English, 7 for German, 0 when unknown.
int SystemUILanguagePrimaryId();

}  // namespace Platform
