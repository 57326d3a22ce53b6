// Forward scan of the archive file for the "PK" signatures, in blocks.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

class TZAInput;

class TZASignatureScanner {
public:
    // Scans the bytes [From, Limit) of Input; a signature must lie wholly inside them.
    TZASignatureScanner(TZAInput& Input, uint64_t From, uint64_t Limit);

    // The next position at or after the last one + 1 where "PK" starts a four-byte value
    // inside the range; that value goes to Signature. False at the end.
    bool Next(uint64_t& Position, uint32_t& Signature);

    // Continues the scan at Position (not before the last position found + 1).
    void SkipTo(uint64_t Position);

private:
    bool Fill();

    TZAInput& Input;
    uint64_t Limit;
    uint64_t Cursor; // file position of the next byte to look at
    std::vector<uint8_t> Block;
    uint64_t BlockStart = 0; // file position of Block[0]
    size_t BlockLength = 0;
};
