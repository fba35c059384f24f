#pragma once
// The base of the engine's tests: a fixture tree, a recording host, the two result lists
// with the window's columns, an engine over them, and the stop token and scan state that a
// test hands to one phase on its own.
#include <gtest/gtest.h>

#include "core/ResultList.h"
#include "core/ResultRows.h"
#include "core/ScanEngine.h"
#include "core/ScanState.h"
#include "core/StopToken.h"
#include "support/TempTree.h"
#include "support/TestHost.h"

class TEngineTest : public ::testing::Test {
protected:
    TTempTree Tree;
    TTestHost Host;
    TMemoryResultList Files{ColumnCaptions(FileColumnCaptions)};
    TMemoryResultList Dirs{ColumnCaptions(DirColumnCaptions)};
    TScanEngine Engine{Host, Files, Dirs};
    TStopToken Stop;
    TScanState State;
    TCompareMode ListedMode = cmContent;
};
