#include "ZipDecryptAhead.h"

#include <chrono>

namespace {

inline void Relax()
{
#if defined(__i386__) || defined(__x86_64__)
    __builtin_ia32_pause();
#else
    std::this_thread::yield();
#endif
}

// Longer than the helper takes for a piece, far shorter than a time slice.
constexpr std::chrono::microseconds SpinTime{200};

} // namespace

// The Sleepers count and the condition are both sequentially consistent, so either the
// notifier sees a sleeper or the sleeper sees the condition already true.
template <class Ready> void TZADecryptAhead::TSignal::Wait(Ready IsReady)
{
    const auto until = std::chrono::steady_clock::now() + SpinTime;
    for (int spins = 0;; ++spins) {
        if (IsReady())
            return;
        Relax();
        if ((spins & 63) == 63 && std::chrono::steady_clock::now() > until)
            break;
    }
    Sleepers.fetch_add(1);
    {
        std::unique_lock<std::mutex> guard(Lock);
        Condition.wait(guard, IsReady);
    }
    Sleepers.fetch_sub(1);
}

void TZADecryptAhead::TSignal::Notify()
{
    if (Sleepers.load() > 0) {
        std::lock_guard<std::mutex> guard(Lock);
        Condition.notify_all();
    }
}

TZADecryptAhead::~TZADecryptAhead()
{
    if (Active)
        Abandon();
    if (Thread.joinable()) {
        Quit.store(true);
        JobPosted.Notify();
        Thread.join();
    }
}

void TZADecryptAhead::Start(const zip::TZipKeys& Keys, uint8_t* Data, size_t Length)
{
    JobKeys = Keys;
    JobData = Data;
    JobLength = Length;
    Done.store(0);
    Finished.store(false);
    Stop.store(false);
    Active = true;
    if (!Thread.joinable())
        Thread = std::thread(&TZADecryptAhead::Run, this);
    Posted.fetch_add(1);
    JobPosted.Notify();
}

size_t TZADecryptAhead::WaitFor(size_t Wanted)
{
    if (Wanted > JobLength)
        Wanted = JobLength;
    Progress.Wait([&] { return Done.load() >= Wanted; });
    return Done.load();
}

zip::TZipKeys TZADecryptAhead::Finish()
{
    Progress.Wait([&] { return Finished.load(); });
    Active = false;
    return JobKeys;
}

void TZADecryptAhead::Abandon()
{
    Stop.store(true);
    Progress.Wait([&] { return Finished.load(); });
    Active = false;
}

void TZADecryptAhead::Run()
{
    uint64_t seen = 0;
    for (;;) {
        JobPosted.Wait([&] { return Quit.load() || Posted.load() != seen; });
        if (Quit.load())
            return;
        seen = Posted.load();
        zip::TZipKeys keys = JobKeys;
        size_t at = 0;
        while (at < JobLength && !Stop.load(std::memory_order_relaxed)) {
            const size_t n = JobLength - at < Piece ? JobLength - at : Piece;
            keys.Decrypt(JobData + at, n);
            at += n;
            Done.store(at);
            Progress.Notify();
        }
        JobKeys = keys;
        Finished.store(true);
        Progress.Notify();
    }
}
