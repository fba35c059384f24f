#pragma once
// Content digests kept between scans, so that a second scan of an unchanged tree reads no
// file it read before.
//
// One file per user (CacheFilePath) maps a file's identity to the stamp it had when it was
// read (size, modification and change time) and the SHA-1 digest of its whole content. An
// entry serves only a file whose identity and stamp are the same to the nanosecond. A file
// whose times lay within two seconds of the moment it was read is not kept: a write in the
// same tick of a coarse file-system clock would not have moved them.
//
// The file is written whole, once per hashing phase, into a new file beside it that then
// takes its place: a reader never sees half of one, and of two programs at once the last to
// finish wins. A file that is not a whole cache of this version and byte order (missing,
// truncated, junk, its check sum wrong) counts as empty and is replaced by the next write.
// It keeps the files met in the last CacheScansKept scans, at most CacheEntriesMax of them.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/FlatTable.h"
#include "platform/FileStamp.h"
#include "platform/Sha1.h"
#include "platform/Text.h"

// An entry not met in this many scans (the last one included) is dropped.
inline constexpr std::uint32_t CacheScansKept = 10;
// At most this many entries (72 bytes each in the file); beyond it the least recently met go.
inline constexpr std::size_t CacheEntriesMax = std::size_t{1} << 22;
// A digest is kept only for a file whose two times lie this long before its reading started.
inline constexpr std::int64_t CacheTrustMargin = 2'000'000'000;  // nanoseconds

// The cache file in the user's cache folder; empty when the system names no such folder.
Text CacheFilePath();

class TDigestCache {
public:
    // The digest kept for the file of this stamp, or nullptr. Safe from many threads at once
    // while nothing is recorded.
    const Platform::TSha1Digest* Find(const Platform::TFileStamp& stamp) const;
    // The entry of the stamp (Find found it) was met by this scan: it stays.
    void Keep(const Platform::TFileStamp& stamp);
    // The digest of a file read with this stamp, its reading begun at readTime (the
    // platform's file time). Replaces the entry of the same identity; not kept when the
    // file's times are too close to readTime.
    void Record(const Platform::TFileStamp& stamp, const Platform::TSha1Digest& digest,
                std::int64_t readTime);
    std::size_t Count() const { return FCount; }

    // The cache of the file's bytes; false, and empty, when they are not a whole cache.
    bool Parse(std::string_view bytes);
    // The bytes of the file that the next scan reads: the entries met in the last
    // CacheScansKept scans; of more than limit, the limit most recently met.
    std::string Serialize(std::size_t limit = CacheEntriesMax) const;

    // Reads the file at the path. Anything but a whole cache (no file, a folder, a link,
    // junk) gives an empty cache, without a word.
    void Load(const Text& path);
    // Writes the file, creating its folder; nothing is written where something else than
    // a plain file holds its name. Raises EPlatformError.
    void Save(const Text& path) const;

private:
    struct TEntry {
        Platform::TFileStamp Stamp;
        Platform::TSha1Digest Digest{};
        std::uint32_t Seen = 0;  // the number of the last scan that met it; 0: dropped
    };
    const TEntry* FindEntry(const Platform::TFileId& id) const;
    void Add(const TEntry& entry);
    void Reset();

    std::vector<TEntry> FEntries;
    TFlatTable<std::uint32_t> FIndex;  // identity to position in FEntries
    std::size_t FCount = 0;            // entries not dropped
    std::uint32_t FScan = 1;           // the number of this scan
};
