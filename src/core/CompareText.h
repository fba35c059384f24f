#pragma once
#include "platform/Text.h"

// Ordinal comparison that folds only the ASCII letters a to z onto A to Z; the first
// differing code unit decides, and a prefix comes before the longer text. < 0, 0 or > 0.
int CompareText(TextView a, TextView b);

// CompareText, ties broken by the exact code units: a total order.
bool CompareTextLess(TextView a, TextView b);
