// The run cycle shared by every sink: starting, ending, stopping, pausing, chaining runs,
// errors on the worker and destruction, seen through a sink that only collects bytes.
#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <thread>

#include "ACS_Classes.h"
#include "FakeSource.h"

namespace {

using namespace std::chrono_literals;

// A file-style sink that appends every chunk to memory.
class CollectingSink : public TACSOutput {
  public:
    ~CollectingSink() override { shutdownWorker(); }

    std::vector<uint8_t> collected;
    std::atomic<int> prepares{0}, finishes{0}, steps{0};
    bool failPrepare = false;
    bool stopWhilePreparing = false;  // as another thread's Stop would come in Run
    bool failFinish = false;

  protected:
    void Prepare() override {
        initInput();
        ++prepares;
        if (stopWhilePreparing) Stop();
        if (failPrepare) throw EACSException("cannot open target");
    }
    bool ProcessChunk(bool abort) override {
        ++steps;
        if (!isRunning()) return true;
        reportProgress();
        if (abort) return false;
        uint8_t chunk[4096];
        const int n = Input()->ReadData(chunk, sizeof chunk);
        collected.insert(collected.end(), chunk, chunk + std::max(n, 0));
        return n > 0;
    }
    void Finish() override {
        ++finishes;
        Input()->Flush();
        if (failFinish) throw EACSException("cannot close target");
    }
};

std::vector<uint8_t> pattern(size_t size) {
    std::vector<uint8_t> bytes(size);
    for (size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<uint8_t>(i * 7 + i / 251);
    return bytes;
}

TEST(RoundingTest, HalvesGoToTheEvenNeighbour) {
    EXPECT_EQ(divideHalfEven(1, 2), 0);
    EXPECT_EQ(divideHalfEven(3, 2), 2);
    EXPECT_EQ(divideHalfEven(5, 2), 2);
    EXPECT_EQ(divideHalfEven(-1, 2), 0);
    EXPECT_EQ(divideHalfEven(-3, 2), -2);
    EXPECT_EQ(divideHalfEven(7, 3), 2);
    EXPECT_EQ(divideHalfEven(8, 3), 3);
    EXPECT_EQ(roundHalfEven(2.5), 2);
    EXPECT_EQ(roundHalfEven(-2.5), -2);
    EXPECT_EQ(roundHalfEven(0.502), 1);
}

TEST(ProgressTest, FollowsPositionOverSizeWithHalvesToEven) {
    CollectingSink sink;
    EXPECT_EQ(sink.Progress(), 0) << "no input";
    FakeSource source;
    sink.SetInput(&source);
    source.setSize(-1);
    EXPECT_EQ(sink.Progress(), -1);
    source.setSize(0);
    EXPECT_EQ(sink.Progress(), 0);
    source.setSize(200);
    source.setPosition(1);
    EXPECT_EQ(sink.Progress(), 0);  // 0.5 goes to 0
    source.setPosition(3);
    EXPECT_EQ(sink.Progress(), 2);  // 1.5 goes to 2
    source.setPosition(5);
    EXPECT_EQ(sink.Progress(), 2);  // 2.5 goes to 2
    source.setPosition(250);
    EXPECT_EQ(sink.Progress(), 100) << "a source that overruns its size still reads 100";
}

TEST(ProgressTest, StaysRightForSizesBeyondTwoGibibytes) {
    CollectingSink sink;
    FakeSource source;
    sink.SetInput(&source);
    source.setSize(int64_t{4} * 3600 * 176400);  // four hours of CD audio
    source.setPosition(int64_t{3} * 3600 * 176400);
    EXPECT_EQ(sink.Progress(), 75);
    source.setPosition(source.Size());
    EXPECT_EQ(sink.Progress(), 100);
}

TEST(DelayTest, ValuesAboveOneHundredAreIgnored) {
    CollectingSink sink;
    EXPECT_EQ(sink.Delay(), 0);
    sink.SetDelay(11);
    sink.SetDelay(101);
    EXPECT_EQ(sink.Delay(), 11);
    sink.SetDelay(-4);
    EXPECT_EQ(sink.Delay(), -4);
    sink.SetDelay(100);
    EXPECT_EQ(sink.Delay(), 100);
}

TEST(RunTest, DeliversEverythingAndReportsDoneOnce) {
    CollectingSink sink;
    FakeSource source(pattern(100000));
    sink.SetInput(&source);
    std::vector<int> progress;
    sink.OnProgress = [&](TACSOutput* sender) { progress.push_back(sender->Progress()); };
    DoneWaiter done(sink);
    sink.Run();
    ASSERT_TRUE(done.wait());
    EXPECT_FALSE(sink.Busy());
    EXPECT_EQ(sink.collected, pattern(100000));
    EXPECT_EQ(sink.finishes, 1);
    EXPECT_EQ(source.flushes, 1);
    EXPECT_TRUE(sink.lastError().empty());
    ASSERT_FALSE(progress.empty());
    EXPECT_TRUE(std::is_sorted(progress.begin(), progress.end()));
    EXPECT_EQ(progress.back(), 100);
    EXPECT_EQ(done.count(), 1);
}

TEST(RunTest, AnEmptySourceEndsAtTheFirstStep) {
    CollectingSink sink;
    FakeSource source;
    sink.SetInput(&source);
    DoneWaiter done(sink);
    sink.Run();
    ASSERT_TRUE(done.wait());
    EXPECT_EQ(sink.finishes, 1);
    EXPECT_TRUE(sink.collected.empty());
}

TEST(RunTest, RefusesToStartWithoutInputOrTwice) {
    CollectingSink sink;
    try {
        sink.Run();
        FAIL();
    } catch (const EACSException& error) {
        EXPECT_STREQ(error.what(), "Input is not assigned");
    }

    FakeSource source(pattern(10000));
    source.gate = true;
    sink.SetInput(&source);
    DoneWaiter done(sink);
    sink.Run();
    try {
        sink.Run();
        FAIL();
    } catch (const EACSException& error) {
        EXPECT_STREQ(error.what(), "Component is buisy");
    }
    FakeSource other;
    EXPECT_THROW(sink.SetInput(&other), EACSException);
    EXPECT_EQ(sink.Input(), &source);
    source.allowReads(1000);
    ASSERT_TRUE(done.wait());
    EXPECT_EQ(sink.collected, pattern(10000)) << "the refused starts left the run alone";
}

TEST(RunTest, StopEndsTheRunButStillFinishes) {
    CollectingSink sink;
    FakeSource source(pattern(1 << 20));
    source.gate = true;
    sink.SetInput(&source);
    DoneWaiter done(sink);
    sink.Run();
    source.allowReads(2);
    sink.Stop();
    source.allowReads(1000);
    ASSERT_TRUE(done.wait());
    EXPECT_EQ(sink.finishes, 1);
    EXPECT_LT(sink.collected.size(), size_t{1} << 20);
    EXPECT_FALSE(sink.Busy());
}

TEST(RunTest, StopWhileIdleDoesNotCutTheNextRun) {
    CollectingSink sink;
    FakeSource source(pattern(50000));
    sink.SetInput(&source);
    sink.Stop();
    DoneWaiter done(sink);
    sink.Run();
    ASSERT_TRUE(done.wait());
    EXPECT_EQ(sink.collected.size(), 50000u);
}

TEST(RunTest, AStopThatComesWhileTheRunStartsEndsIt) {
    CollectingSink sink;
    FakeSource source(pattern(1 << 20));
    source.gate = true;  // nothing is read unless allowed: only the stop can end the run
    sink.SetInput(&source);
    sink.stopWhilePreparing = true;
    DoneWaiter done(sink);
    sink.Run();
    const bool ended = done.wait();
    source.allowReads(1 << 12);  // a run the stop missed can still end
    ASSERT_TRUE(ended);
    EXPECT_TRUE(sink.collected.empty());
    EXPECT_EQ(sink.finishes, 1);
}

TEST(RunTest, ADoneHandlerCanChainTheNextRunWhenTheWorkerDoesNotSuspend) {
    std::mutex lock;
    std::condition_variable allDone;
    CollectingSink sink;
    sink.SetSuspendWhenIdle(false);
    FakeSource source(pattern(20000));
    sink.SetInput(&source);
    std::atomic<int> runs{0};
    sink.OnDone = [&](TACSOutput* sender) {
        if (++runs < 3) sender->Run();
        std::lock_guard guard(lock);
        allDone.notify_all();
    };
    sink.Run();
    std::unique_lock guard(lock);
    ASSERT_TRUE(allDone.wait_for(guard, 20s, [&] { return runs == 3; }));
    guard.unlock();
    EXPECT_EQ(sink.collected.size(), 60000u);
    EXPECT_EQ(sink.finishes, 3);
}

TEST(RunTest, AChainedRunWaitsForResumeWhenTheWorkerSuspendsWhenIdle) {
    std::mutex lock;
    std::condition_variable signal;
    CollectingSink sink;
    FakeSource source(pattern(20000));
    sink.SetInput(&source);
    std::atomic<int> runs{0};
    sink.OnDone = [&](TACSOutput* sender) {
        if (++runs == 1) sender->Run();
        std::lock_guard guard(lock);
        signal.notify_all();
    };
    sink.Run();
    std::unique_lock guard(lock);
    ASSERT_TRUE(signal.wait_for(guard, 20s, [&] { return runs == 1; }));
    guard.unlock();
    EXPECT_TRUE(sink.Busy()) << "the second run was started from the handler";
    EXPECT_EQ(sink.collected.size(), 20000u);
    while (!sink.workerSuspended())
        std::this_thread::yield();
    sink.Resume();
    guard.lock();
    ASSERT_TRUE(signal.wait_for(guard, 20s, [&] { return runs == 2; }));
    EXPECT_EQ(sink.collected.size(), 40000u);
}

// Tells when the thread that made it has ended.
struct ThreadEndSignal {
    std::promise<void>* ended;
    ~ThreadEndSignal() { ended->set_value(); }
};

TEST(RunTest, ASinkDestroyedByItsOwnDoneHandlerLeavesItsWorkerAlone) {
    // A window may drop a sink once its run is done, from the done report itself; the
    // worker must not touch the sink after that (the sanitizer builds see it if it does).
    for (const bool suspendWhenIdle : {true, false}) {
        SCOPED_TRACE(suspendWhenIdle);
        FakeSource source(pattern(20000));
        auto* sink = new CollectingSink;
        sink->SetSuspendWhenIdle(suspendWhenIdle);
        sink->SetInput(&source);
        std::promise<void> workerEnded;
        sink->OnDone = [&workerEnded](TACSOutput* sender) {
            thread_local ThreadEndSignal signal{&workerEnded};
            delete sender;
        };
        sink->Run();
        ASSERT_EQ(workerEnded.get_future().wait_for(20s), std::future_status::ready);
        EXPECT_FALSE(source.Busy());
        EXPECT_EQ(source.flushes, 1);
    }
}

TEST(RunTest, ARunStartedRightAfterTheLastOneEndedIsNotLost) {
    // Starting again from another thread the moment the done report arrives must not let
    // the worker fall asleep on the new run.
    CollectingSink sink;
    FakeSource source(pattern(1000));
    sink.SetInput(&source);
    for (int i = 0; i < 200; ++i) {
        DoneWaiter done(sink);
        sink.Run();
        ASSERT_TRUE(done.wait(1, 20)) << "run " << i << " never ended";
        while (sink.Busy())
            std::this_thread::yield();
    }
    EXPECT_EQ(sink.collected.size(), 200000u);
}

TEST(RunTest, TheIdleWorkerNeitherStepsNorReports) {
    CollectingSink sink;
    sink.SetSuspendWhenIdle(false);
    FakeSource source(pattern(5000));
    sink.SetInput(&source);
    int progressReports = 0;
    sink.OnProgress = [&](TACSOutput*) { ++progressReports; };
    DoneWaiter done(sink);
    sink.Run();
    ASSERT_TRUE(done.wait());
    const int steps = sink.steps;
    const int reports = progressReports;
    std::this_thread::sleep_for(50ms);
    EXPECT_EQ(sink.steps, steps);
    EXPECT_EQ(progressReports, reports);
    EXPECT_EQ(done.count(), 1);
}

TEST(PauseTest, HoldsTheWorkerUntilResumed) {
    CollectingSink sink;
    FakeSource source(pattern(200000));
    source.gate = true;
    sink.SetInput(&source);
    DoneWaiter done(sink);
    sink.Run();
    sink.Pause();
    source.allowReads(1000);
    std::this_thread::sleep_for(50ms);
    EXPECT_LE(source.reads, 1) << "at most the step under way when pausing completes";
    EXPECT_TRUE(sink.Busy());
    sink.Resume();
    ASSERT_TRUE(done.wait());
    EXPECT_EQ(sink.collected.size(), 200000u);
}

TEST(WorkerErrorTest, ASourceErrorEndsTheRunAndIsKept) {
    CollectingSink sink;
    FakeSource source(pattern(100000));
    source.failAfter = 8192;
    sink.SetInput(&source);
    DoneWaiter done(sink);
    sink.Run();
    ASSERT_TRUE(done.wait());
    EXPECT_FALSE(sink.Busy());
    EXPECT_EQ(sink.lastError(), "read failed");
    EXPECT_EQ(sink.finishes, 1);
    EXPECT_FALSE(source.Busy());

    source.failAfter = -1;
    sink.Run();
    ASSERT_TRUE(done.wait(2));
    EXPECT_TRUE(sink.lastError().empty()) << "a new run starts with no error";
}

TEST(WorkerErrorTest, AFinishErrorStillEndsTheRun) {
    CollectingSink sink;
    sink.failFinish = true;
    FakeSource source(pattern(1000));
    sink.SetInput(&source);
    DoneWaiter done(sink);
    sink.Run();
    ASSERT_TRUE(done.wait());
    EXPECT_FALSE(sink.Busy());
    EXPECT_EQ(sink.lastError(), "cannot close target");
}

TEST(WorkerErrorTest, AFailedPrepareLeavesTheSourceFree) {
    CollectingSink sink;
    sink.failPrepare = true;
    FakeSource source(pattern(1000));
    sink.SetInput(&source);
    EXPECT_THROW(sink.Run(), EACSException);
    EXPECT_FALSE(sink.Busy());
    EXPECT_FALSE(source.Busy());
    sink.failPrepare = false;
    DoneWaiter done(sink);
    sink.Run();
    ASSERT_TRUE(done.wait());
    EXPECT_EQ(sink.collected.size(), 1000u);
}

TEST(DestructionTest, AbandonsARunWithoutFinishingIt) {
    FakeSource source(pattern(1 << 20));
    std::atomic<int> doneReports{0};
    {
        CollectingSink sink;
        sink.SetDelay(50);  // the run takes far longer than the test
        sink.SetInput(&source);
        sink.OnDone = [&](TACSOutput*) { ++doneReports; };
        sink.Run();
        while (source.reads < 1)
            std::this_thread::yield();
    }
    EXPECT_EQ(doneReports, 0);
    EXPECT_EQ(source.flushes, 0) << "no Finish, which would have flushed the source";
    EXPECT_LT(source.reads, 10);
}

TEST(DestructionTest, IdleAndPausedSinksGoAwayAtOnce) {
    { CollectingSink neverRun; }
    FakeSource source(pattern(100000));
    CollectingSink sink;
    sink.SetInput(&source);
    sink.Pause();
    sink.Resume();
    sink.Pause();
    // Leaving the scope with the worker paused must not hang.
}

}  // namespace
