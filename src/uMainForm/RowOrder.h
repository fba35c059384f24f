#pragma once
// The order of rows sorted by a column: texts compared as people read them, so that
// "img2" comes before "img10" and "4.11 MB" before "12.00 MB".
#include "platform/Text.h"

// ASCII letters without case, runs of digits by their value, every other code unit by its
// value; ties by the exact code units. < 0, 0 or > 0.
int NaturalCompare(TextView a, TextView b);
