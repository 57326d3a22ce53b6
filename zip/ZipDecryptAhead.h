// Decryption on a helper thread, running ahead of the inflater: the helper decrypts a chunk
// in place piece by piece and publishes how far it got, and the reading thread inflates
// what is ready. Decryption is one serial chain of dependent steps per byte and takes about
// as long as inflate and CRC-32 together, so the two halves overlap almost completely.
// Only the buffer and the keys cross threads; events and files stay on the reading thread.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <thread>

#include "ZipCrypto.h"

class TZADecryptAhead {
public:
    TZADecryptAhead() = default;
    ~TZADecryptAhead();
    TZADecryptAhead(const TZADecryptAhead&) = delete;
    TZADecryptAhead& operator=(const TZADecryptAhead&) = delete;

    // Hands Data[0, Length) to the helper, which decrypts it in place starting from Keys.
    void Start(const zip::TZipKeys& Keys, uint8_t* Data, size_t Length);
    // Waits until at least Wanted bytes (at most the length given to Start) are decrypted;
    // returns how many are.
    size_t WaitFor(size_t Wanted);
    // Waits for the whole chunk and returns the keys that follow its last byte.
    zip::TZipKeys Finish();
    // Stops the helper at its next piece and waits for it; the chunk is then unusable.
    void Abandon();
    bool Running() const { return Active; }

    static constexpr size_t Piece = 8 * 1024;

private:
    // A condition that one side waits for: a short spin first (the other side usually
    // answers within microseconds), then a sleep, so that a waiting thread never holds a
    // core that the other one needs.
    class TSignal {
    public:
        template <class Ready> void Wait(Ready IsReady);
        void Notify();

    private:
        std::mutex Lock;
        std::condition_variable Condition;
        std::atomic<int> Sleepers{0};
    };

    void Run();

    std::thread Thread;
    TSignal JobPosted, Progress;
    std::atomic<uint64_t> Posted{0}; // number of the last job handed over
    std::atomic<bool> Quit{false};
    std::atomic<bool> Stop{false};
    std::atomic<size_t> Done{0}; // bytes of the current job decrypted
    std::atomic<bool> Finished{true};
    uint8_t* JobData = nullptr;
    size_t JobLength = 0;
    zip::TZipKeys JobKeys{""};
    bool Active = false; // a job was started and not yet finished (reading thread only)
};
