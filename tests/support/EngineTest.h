#pragma once
// The base of the engine's tests: a fixture tree, a recording host, the two result lists
// with the window's columns, and an engine over them.
#include <gtest/gtest.h>

#include "core/ResultList.h"
#include "core/ScanEngine.h"
#include "support/TempTree.h"
#include "support/TestHost.h"

class TEngineTest : public ::testing::Test {
protected:
    TTempTree Tree;
    TTestHost Host;
    TMemoryResultList Files{{u"Group", u"File name", u"Directory", u"File size (MB)"}};
    TMemoryResultList Dirs{{u"Group", u"Directory", u"Size"}};
    TScanEngine Engine{Host, Files, Dirs};
};
