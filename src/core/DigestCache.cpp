#include "core/DigestCache.h"

#include <algorithm>
#include <cstring>
#include <exception>

#include "platform/CacheFolder.h"
#include "platform/FileSystem.h"
#include "platform/FileWrite.h"
#include "platform/PathSyntax.h"

namespace {

// The file: a header, the entries, and the SHA-1 of everything before it. Numbers are in the
// byte order of the machine that wrote it; the order mark tells another one to ignore it.
constexpr char Magic[8] = {'T', 'W', 'S', 'K', 'D', 'G', 'S', 'T'};
constexpr std::uint32_t FormatVersion = 1;
constexpr std::uint32_t OrderMark = 0x01020304;
// magic, version, order mark, entry size, scan number, entry count
constexpr std::size_t HeaderSize = 8 + 4 + 4 + 4 + 4 + 8;
// volume, index high, index low, size, modification time, change time, digest, last scan
constexpr std::size_t EntrySize = 8 * 6 + 20 + 4;
constexpr std::size_t TrailerSize = 20;
constexpr std::size_t LargestFile = HeaderSize + CacheEntriesMax * EntrySize + TrailerSize;

template <typename T>
void Put(std::string& out, const T& value) {
    out.append(reinterpret_cast<const char*>(&value), sizeof value);
}

// Reads fields one after the other; the caller has checked the length.
class TReader {
public:
    explicit TReader(std::string_view bytes) : FBytes(bytes) {}
    template <typename T>
    T Get() {
        T value;
        std::memcpy(&value, FBytes.data() + FAt, sizeof value);
        FAt += sizeof value;
        return value;
    }

private:
    std::string_view FBytes;
    std::size_t FAt = 0;
};

Platform::TSha1Digest Sha1Of(std::string_view bytes) {
    Platform::TSha1 sha;
    sha.Update(bytes.data(), bytes.size());
    return sha.Final();
}

}  // namespace

Text CacheFilePath() {
    const Text folder = Platform::CacheFolder();
    return folder.empty() ? Text()
                          : Platform::JoinPath(folder, u"sha1-cache.bin", Platform::NativeSyntax);
}

const TDigestCache::TEntry* TDigestCache::FindEntry(const Platform::TFileId& id) const {
    const std::uint32_t* at = FIndex.Find(
        Platform::TFileIdHash()(id), [&](std::uint32_t i) { return FEntries[i].Stamp.Id == id; });
    return at != nullptr && FEntries[*at].Seen != 0 ? &FEntries[*at] : nullptr;
}

const Platform::TSha1Digest* TDigestCache::Find(const Platform::TFileStamp& stamp) const {
    const TEntry* entry = FindEntry(stamp.Id);
    return entry != nullptr && entry->Stamp == stamp ? &entry->Digest : nullptr;
}

void TDigestCache::Keep(const Platform::TFileStamp& stamp) {
    if (const TEntry* entry = FindEntry(stamp.Id); entry != nullptr && entry->Stamp == stamp)
        const_cast<TEntry*>(entry)->Seen = FScan;
}

void TDigestCache::Add(const TEntry& entry) {
    const std::size_t hash = Platform::TFileIdHash()(entry.Stamp.Id);
    auto sameId = [&](std::uint32_t i) { return FEntries[i].Stamp.Id == entry.Stamp.Id; };
    if (const std::uint32_t* at = FIndex.Find(hash, sameId)) {
        if (FEntries[*at].Seen == 0 && entry.Seen != 0)
            ++FCount;
        else if (FEntries[*at].Seen != 0 && entry.Seen == 0)
            --FCount;
        FEntries[*at] = entry;
        return;
    }
    if (entry.Seen == 0)
        return;
    FIndex.Insert(hash, static_cast<std::uint32_t>(FEntries.size()), sameId);
    FEntries.push_back(entry);
    ++FCount;
}

void TDigestCache::Record(const Platform::TFileStamp& stamp, const Platform::TSha1Digest& digest,
                          std::int64_t readTime) {
    const std::int64_t trustedBefore = readTime - CacheTrustMargin;
    const bool settled = stamp.ModifiedTime < trustedBefore && stamp.ChangeTime < trustedBefore;
    // A file too fresh to trust also loses the entry it had: that one is stale.
    Add(TEntry{.Stamp = stamp, .Digest = digest, .Seen = settled ? FScan : 0});
}

void TDigestCache::Reset() {
    FEntries.clear();
    FIndex.Clear();
    FCount = 0;
    FScan = 1;
}

bool TDigestCache::Parse(std::string_view bytes) {
    Reset();
    if (bytes.size() < HeaderSize + TrailerSize || bytes.size() > LargestFile ||
        std::memcmp(bytes.data(), Magic, sizeof Magic) != 0)
        return false;
    TReader in(bytes.substr(sizeof Magic));
    const auto version = in.Get<std::uint32_t>();
    const auto order = in.Get<std::uint32_t>();
    const auto entrySize = in.Get<std::uint32_t>();
    const auto scan = in.Get<std::uint32_t>();
    const auto count = in.Get<std::uint64_t>();
    if (version != FormatVersion || order != OrderMark || entrySize != EntrySize ||
        count > CacheEntriesMax || bytes.size() != HeaderSize + count * EntrySize + TrailerSize ||
        scan == 0 || scan == UINT32_MAX)
        return false;  // at the end of the scan numbers the file starts again
    const std::string_view body = bytes.substr(0, bytes.size() - TrailerSize);
    const Platform::TSha1Digest sum = Sha1Of(body);
    if (std::memcmp(sum.data(), bytes.data() + body.size(), TrailerSize) != 0)
        return false;

    FEntries.reserve(count);
    FIndex.Reserve(count);
    TReader entries(body.substr(HeaderSize));
    for (std::uint64_t i = 0; i < count; ++i) {
        TEntry e;
        e.Stamp.Id.Volume = entries.Get<std::uint64_t>();
        e.Stamp.Id.IndexHigh = entries.Get<std::uint64_t>();
        e.Stamp.Id.IndexLow = entries.Get<std::uint64_t>();
        e.Stamp.Size = entries.Get<std::int64_t>();
        e.Stamp.ModifiedTime = entries.Get<std::int64_t>();
        e.Stamp.ChangeTime = entries.Get<std::int64_t>();
        e.Digest = entries.Get<Platform::TSha1Digest>();
        e.Seen = entries.Get<std::uint32_t>();
        // A scan number from the future would keep the entry for ever.
        if (e.Seen != 0 && e.Seen <= scan)
            Add(e);
    }
    FScan = scan + 1;
    return true;
}

std::string TDigestCache::Serialize(std::size_t limit) const {
    std::vector<std::uint32_t> kept;
    kept.reserve(FCount);
    for (std::uint32_t i = 0; i < FEntries.size(); ++i) {
        const std::uint32_t seen = FEntries[i].Seen;
        if (seen != 0 && FScan - seen < CacheScansKept)
            kept.push_back(i);
    }
    limit = std::min(limit, CacheEntriesMax);
    if (kept.size() > limit) {
        std::stable_sort(kept.begin(), kept.end(), [&](std::uint32_t a, std::uint32_t b) {
            return FEntries[a].Seen > FEntries[b].Seen;
        });
        kept.resize(limit);
    }
    std::string out;
    out.reserve(HeaderSize + kept.size() * EntrySize + TrailerSize);
    out.append(Magic, sizeof Magic);
    Put(out, FormatVersion);
    Put(out, OrderMark);
    Put(out, static_cast<std::uint32_t>(EntrySize));
    Put(out, FScan);
    Put(out, static_cast<std::uint64_t>(kept.size()));
    for (const std::uint32_t i : kept) {
        const TEntry& e = FEntries[i];
        Put(out, e.Stamp.Id.Volume);
        Put(out, e.Stamp.Id.IndexHigh);
        Put(out, e.Stamp.Id.IndexLow);
        Put(out, e.Stamp.Size);
        Put(out, e.Stamp.ModifiedTime);
        Put(out, e.Stamp.ChangeTime);
        Put(out, e.Digest);
        Put(out, e.Seen);
    }
    Put(out, Sha1Of(out));
    return out;
}

void TDigestCache::Load(const Text& path) {
    Reset();
    try {
        if (path.empty())
            return;
        // The size of the file opened, not of the path: another program may replace it.
        Platform::TFileReader file(path, Platform::TLinkRule::lrRefuse);
        const Platform::TFileStatus status = file.Status();
        if (!status.IsRegular || static_cast<std::uint64_t>(status.Size) > LargestFile)
            return;
        // One byte more than it holds: a file that grew meanwhile is no whole cache.
        std::string bytes(static_cast<std::size_t>(status.Size) + 1, '\0');
        std::size_t have = 0;
        while (have < bytes.size()) {
            const std::size_t n = file.Read(bytes.data() + have, bytes.size() - have);
            if (n == 0)
                break;
            have += n;
        }
        bytes.resize(have);
        Parse(bytes);
    } catch (const std::exception&) {
        Reset();  // unreadable: as good as none
    }
}

void TDigestCache::Save(const Text& path) const {
    Platform::MakeFolders(Platform::DirectoryOf(path, Platform::NativeSyntax));
    Platform::TFileStatus status;
    if (Platform::QueryFile(path, status) && !status.IsRegular)
        return;  // a link or a folder of someone else's making: left alone
    Platform::WriteWholeFile(path, Serialize());
}
