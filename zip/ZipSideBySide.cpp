// Several items read whole at once, their encrypted data decrypted side by side in lanes: each
// lane holds one item's data, the lanes are decrypted together up to the shortest one's end,
// and a lane whose item is all decrypted is inflated, checked and given the next item.
#include <algorithm>
#include <numeric>

#include "ZipCrypto.h"
#include "ZipDirectory.h"
#include "ZipEntryReader.h"
#include "ZipFormat.h"
#include "ZipInput.h"

namespace {

struct Lane {
    bool Busy = false;
    size_t Item = 0;
    std::vector<uint8_t> Data; // the item's data after its encryption header
    size_t Decrypted = 0;
    zip::TZipKeys Keys{""};
};

} // namespace

void TZAEntryReader::ReadSideBySide(TZAInput& Input, const std::vector<const TZADirItem*>& Items, uint64_t DataLimit,
                                    const std::string& Password, const std::vector<IZAOutput*>& Outputs,
                                    std::vector<TZAEntryResult>& Results)
{
    DropPrefetch();
    Results.assign(Items.size(), TZAEntryResult::Failed);
    // The longest first: the lanes then run out of work close together, not one long item alone.
    std::vector<size_t> order(Items.size());
    std::iota(order.begin(), order.end(), size_t{0});
    std::stable_sort(order.begin(), order.end(), [&Items](size_t A, size_t B) {
        return Items[A]->CompressedSize64 > Items[B]->CompressedSize64;
    });

    // Puts the item into the lane, its data read and its password checked; false when the item
    // is done with instead: read the ordinary way, or its result known from its header.
    auto take = [&](size_t Index, Lane& Into) {
        const TZADirItem& item = *Items[Index];
        const uint16_t method = item.Method();
        if (!item.Encrypted() || (method != zip::MethodStored && method != zip::MethodDeflated) ||
            item.CompressedSize64 > MaxChunk + zip::EncryptionHeaderSize) {
            std::string password = Password;
            Results[Index] = Read(Input, item, DataLimit, password, *Outputs[Index], TZAEntryEvents());
            return false;
        }
        TLocation at;
        uint8_t stored[zip::EncryptionHeaderSize];
        if (!Locate(Input, item, DataLimit, at) || at.Compressed < sizeof stored ||
            !Input.Read(at.DataAt, stored, sizeof stored))
            return false; // Failed, as Read finds it
        if (!PasswordFits(stored, Password, CheckByte(at.Local), Into.Keys)) {
            Results[Index] = TZAEntryResult::Skipped; // nobody is asked for another
            return false;
        }
        Into.Data.resize(static_cast<size_t>(at.Compressed - sizeof stored));
        if (!Input.Read(at.DataAt + sizeof stored, Into.Data.data(), Into.Data.size()))
            return false;
        Into.Item = Index;
        Into.Decrypted = 0;
        Into.Busy = true;
        return true;
    };

    std::vector<Lane> lanes(zip::TZipKeys::SideBySide);
    size_t next = 0;
    for (;;) {
        for (Lane& lane : lanes)
            while (!lane.Busy && next < order.size())
                take(order[next++], lane);
        zip::TZipKeys* keys[zip::TZipKeys::SideBySide];
        uint8_t* data[zip::TZipKeys::SideBySide];
        size_t busy = 0, step = 0;
        for (Lane& lane : lanes) {
            if (!lane.Busy)
                continue;
            const size_t left = lane.Data.size() - lane.Decrypted;
            step = busy == 0 ? left : std::min(step, left);
            keys[busy] = &lane.Keys;
            data[busy] = lane.Data.data() + lane.Decrypted;
            ++busy;
        }
        if (busy == 0)
            break;
        zip::TZipKeys::DecryptSideBySide(keys, data, step, busy);
        for (Lane& lane : lanes) {
            if (!lane.Busy)
                continue;
            lane.Decrypted += step;
            if (lane.Decrypted < lane.Data.size())
                continue;
            Results[lane.Item] = ConsumeWhole(*Items[lane.Item], lane.Data.data(), lane.Data.size(), *Outputs[lane.Item]);
            lane.Busy = false;
        }
    }
}
