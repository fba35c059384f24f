// The command line keeps digests in the user's cache folder unless told --no-cache.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "platform/ScopedEnv.h"
#include "support/Process.h"
#include "support/TempTree.h"

namespace {

class CliCache : public ::testing::Test {
protected:
    TTempTree Tree;  // first: the paths below are taken from it
    // Inherited by the programs run: the variable of this process is replaced, not added to.
    TScopedEnv Env;
#ifdef _WIN32
    std::string CacheRel = "home/Twinseek/sha1-cache.bin";
#else
    std::string CacheRel = "home/twinseek/sha1-cache.bin";
#endif

    CliCache() {
#ifdef _WIN32
        Env.Set("LOCALAPPDATA", Tree.Path("home"));
#else
        Env.Set("XDG_CACHE_HOME", Tree.Path("home"));
#endif
        Tree.File("t/a", "same bytes");
        Tree.File("t/b", "same bytes");
        Tree.File("t/c", "other byte");
    }

    TProcessResult Cli(std::vector<std::string> extra = {}) {
        std::vector<std::string> args = {"--lang", "en", "-q", "--min-size-mb", "0"};
        args.insert(args.end(), extra.begin(), extra.end());
        args.push_back(Tree.Path("t"));
        return RunProgram("twinseek-cli", args);
    }

    std::string Cache() {
        return ReadWholeFile(Tree.Path(CacheRel));
    }
};

TEST_F(CliCache, ByDefaultTheDigestsReadAreKept) {
    std::this_thread::sleep_for(std::chrono::milliseconds(2100));  // old enough to keep
    const TProcessResult first = Cli();
    ASSERT_EQ(first.Status, 0) << first.Err;
    // Header, the three files of one size (72 bytes each), check sum.
    EXPECT_EQ(Cache().size(), 32u + 3 * 72 + 20);
    EXPECT_EQ(Cache().substr(0, 8), "TWSKDGST");
    const TProcessResult second = Cli();
    EXPECT_EQ(second.Status, 0);
    EXPECT_EQ(second.Out, first.Out);
}

TEST_F(CliCache, NoCacheNeitherReadsNorWritesIt) {
    const TProcessResult fresh = Cli({"--no-cache"});
    EXPECT_EQ(fresh.Status, 0) << fresh.Err;
    EXPECT_FALSE(std::filesystem::exists(Tree.Path("home")));

    Tree.File(CacheRel, "junk where the cache goes");
    const TProcessResult kept = Cli({"--no-cache"});
    EXPECT_EQ(kept.Out, fresh.Out);
    EXPECT_EQ(Cache(), "junk where the cache goes");

    // Without it the junk is replaced, silently.
    const TProcessResult replaced = Cli();
    EXPECT_EQ(replaced.Status, 0);
    EXPECT_EQ(replaced.Err, "");
    EXPECT_EQ(replaced.Out, fresh.Out);
    EXPECT_EQ(Cache().substr(0, 8), "TWSKDGST");
}

}  // namespace
