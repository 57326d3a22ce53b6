#include "ZipInput.h"

#include <cstring>

bool TZAInput::Open(const std::string& Path, int Mode)
{
    Close();
    if (!File.Open(Path, Mode))
        return false;
    FileName = Path;
    return true;
}

void TZAInput::OpenMemory(const void* Data, size_t Size, const std::string& Name)
{
    Close();
    Memory.Open(Data, Size);
    FileName = Name;
}

void TZAInput::Close()
{
    File.Close();
    Memory.Close();
    WindowLength = 0;
    WindowStart = 0;
}

void TZAInput::SetReadLimit(size_t Limit)
{
    ReadLimit = Limit;
    WindowLength = 0;
}

void TZAInput::ReadDirect(uint64_t Offset, uint8_t* Data, size_t Length)
{
    while (Length > 0) {
        const size_t want = (ReadLimit && Length > ReadLimit) ? ReadLimit : Length;
        const int64_t got = Memory.IsOpen() ? Memory.ReadAt(Offset, Data, want) : File.ReadAt(Offset, Data, want);
        // The size was checked, so an early end means the file shrank under us.
        if (got <= 0)
            throw EZAReadError(FileName);
        Offset += static_cast<uint64_t>(got);
        Data += got;
        Length -= static_cast<size_t>(got);
    }
}

bool TZAInput::Read(uint64_t Offset, void* Data, size_t Length)
{
    if (!Contains(Offset, Length))
        return false;
    if (Length == 0)
        return true;
    uint8_t* out = static_cast<uint8_t*>(Data);
    const size_t windowSize = ScanBlockSize();
    // Memory needs no window in front of it.
    if (Length * 2 > windowSize || (Memory.IsOpen() && ReadLimit == 0)) {
        ReadDirect(Offset, out, Length);
        return true;
    }
    if (Offset < WindowStart || Offset + Length > WindowStart + WindowLength) {
        Window.resize(windowSize);
        const uint64_t left = Size() - Offset;
        WindowLength = left < windowSize ? static_cast<size_t>(left) : windowSize;
        WindowStart = Offset;
        try {
            ReadDirect(Offset, Window.data(), WindowLength);
        } catch (...) {
            WindowLength = 0;
            throw;
        }
    }
    std::memcpy(out, Window.data() + (Offset - WindowStart), Length);
    return true;
}
