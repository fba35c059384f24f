#pragma once
// Every English text the program passes to TranslateText, in one list, so that the shipped
// table can be checked against what the program really asks for.
#include <vector>

#include "platform/Text.h"

const std::vector<TextView>& TranslatableTexts();
