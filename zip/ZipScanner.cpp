#include "ZipScanner.h"

#include <cstring>

#include "ZipFormat.h"
#include "ZipInput.h"

TZASignatureScanner::TZASignatureScanner(TZAInput& Input, uint64_t From, uint64_t Limit)
    : Input(Input), Limit(Limit < Input.Size() ? Limit : Input.Size()), Cursor(From)
{
}

void TZASignatureScanner::SkipTo(uint64_t Position)
{
    if (Position > Cursor)
        Cursor = Position;
}

// Loads the block that starts at the cursor; it always holds the three bytes after its
// last candidate position, so a signature never straddles two blocks.
bool TZASignatureScanner::Fill()
{
    if (Cursor >= Limit || Limit - Cursor < 4)
        return false;
    size_t want = Input.ScanBlockSize();
    if (want < 4)
        want = 4;
    const uint64_t left = Limit - Cursor;
    if (left < want)
        want = static_cast<size_t>(left);
    Block.resize(want);
    if (!Input.Read(Cursor, Block.data(), want))
        return false;
    BlockStart = Cursor;
    BlockLength = want;
    return true;
}

bool TZASignatureScanner::Next(uint64_t& Position, uint32_t& Signature)
{
    for (;;) {
        if (Cursor < BlockStart || Cursor + 4 > BlockStart + BlockLength) {
            if (!Fill())
                return false;
        }
        const size_t from = static_cast<size_t>(Cursor - BlockStart);
        const size_t last = BlockLength - 4; // last index where four bytes still fit
        const uint8_t* base = Block.data();
        const void* hit = std::memchr(base + from, 'P', last - from + 1);
        if (!hit) {
            Cursor = BlockStart + last + 1;
            continue;
        }
        const size_t at = static_cast<size_t>(static_cast<const uint8_t*>(hit) - base);
        Cursor = BlockStart + at + 1;
        if (base[at + 1] == 'K') {
            Position = BlockStart + at;
            Signature = zip::Get32(base + at);
            return true;
        }
    }
}
