#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

#include "app/cooler_feed.h"
#include "app/thread_basic.h"

namespace {

using namespace std::chrono_literals;

// The feed with its task bodies and feed step recorded instead of carried out.
class RecordingFeed : public app::CoolerFeed {
 public:
  void RefreshDevices() override { Note(1); }
  void CheckSoftwareVersion(bool reportAlways) override { Note(reportAlways ? 3 : 5); }
  void CheckFirmwareVersion(bool reportAlways) override { Note(reportAlways ? 4 : 6); }
  void InstallSoftwareUpdate() override { Note(7); }
  void InstallFirmwareUpdate() override { Note(8); }

  std::vector<int> Done() {
    std::lock_guard<std::mutex> hold(lock_);
    return done_;
  }
  // Waits until `count` bodies ran (or 5 s passed).
  bool WaitFor(size_t count) {
    std::unique_lock<std::mutex> hold(lock_);
    return changed_.wait_for(hold, 5s, [&] { return done_.size() >= count; });
  }

 private:
  void Note(int code) {
    std::lock_guard<std::mutex> hold(lock_);
    done_.push_back(code);
    changed_.notify_all();
  }
  std::mutex lock_;
  std::condition_variable changed_;
  std::vector<int> done_;
};

TEST(Worker, RunTakesOneCodePerCallAndDropsCodesWithoutBody) {
  RecordingFeed feed;
  for (int code : {5, 1, 6, 2, 0, 9, -1, 3, 4, 7, 8, 1, 1}) feed.PostTask(code);
  int calls = 0;
  while (!feed.taskQueue.empty()) {
    feed.Run();
    ++calls;
  }
  EXPECT_EQ(calls, 13);
  EXPECT_EQ(feed.Done(), (std::vector<int>{5, 1, 6, 3, 4, 7, 8, 1, 1}));
}

TEST(Worker, EmptyQueueWithoutCoolerDoesNothing) {
  RecordingFeed feed;
  feed.devicePresent = false;
  const auto start = std::chrono::steady_clock::now();
  feed.Run();
  EXPECT_TRUE(feed.Done().empty());
  EXPECT_LT(std::chrono::steady_clock::now() - start, 500ms) << "no feed step (which sleeps a second)";
}

TEST(Worker, StartedWorkerCarriesOutCodesInOrderIncludingOnesQueuedLater) {
  RecordingFeed feed;
  feed.StartWorker();
  EXPECT_EQ(feed.intervalMs, 16u);
  EXPECT_EQ(feed.loopMode, 1);
  feed.PostTask(5);
  feed.PostTask(1);
  feed.PostTask(6);
  ASSERT_TRUE(feed.WaitFor(3));
  feed.PostTask(4);
  feed.PostTask(2);
  feed.PostTask(3);
  ASSERT_TRUE(feed.WaitFor(5));
  feed.StopWorker();
  EXPECT_EQ(feed.Done(), (std::vector<int>{5, 1, 6, 4, 3}));
  EXPECT_EQ(feed.running.load(), 0);
  EXPECT_EQ(feed.doneEvent, nullptr);
}

TEST(Worker, StartTwiceStartsOneThread) {
  RecordingFeed feed;
  feed.StartWorker();
  const auto first = feed.doneEvent;
  feed.StartWorker();
  EXPECT_EQ(feed.doneEvent, first);
  feed.StopWorker();
}

TEST(Worker, StopWithoutStartReturnsAtOnce) {
  RecordingFeed feed;
  const auto start = std::chrono::steady_clock::now();
  feed.StopWorker();
  EXPECT_LT(std::chrono::steady_clock::now() - start, 100ms);
  EXPECT_EQ(feed.running.load(), 0);
}

// A worker whose step blocks until released, to stop it in the middle of a task.
class BlockingWorker : public CThreadBasic {
 public:
  void Run() override {
    entered = true;
    while (!release) std::this_thread::sleep_for(1ms);
    ++runs;
  }
  std::atomic<bool> entered{false};
  std::atomic<bool> release{false};
  std::atomic<int> runs{0};
};

TEST(Worker, StopGivesUpAfterASecondAndTheThreadStillEndsSafely) {
  BlockingWorker worker;
  worker.StartWorker();
  while (!worker.entered) std::this_thread::sleep_for(1ms);
  std::weak_ptr<WorkerEvent> event = worker.doneEvent;
  const auto start = std::chrono::steady_clock::now();
  worker.StopWorker();
  const auto waited = std::chrono::steady_clock::now() - start;
  EXPECT_GE(waited, 900ms);
  EXPECT_LT(waited, 3s);
  EXPECT_EQ(worker.doneEvent, nullptr);
  // The thread still holds its event and sets it when the task returns.
  std::shared_ptr<WorkerEvent> held = event.lock();
  ASSERT_NE(held, nullptr);
  worker.release = true;
  std::unique_lock<std::mutex> hold(held->lock);
  EXPECT_TRUE(held->changed.wait_for(hold, 5s, [&] { return held->done; }));
  EXPECT_EQ(worker.runs.load(), 1) << "the loop saw running at 0 after the task";
}

TEST(Worker, ThreadThatOutlivedAStopEndsWhenTheWorkerIsStartedAgain) {
  BlockingWorker worker;
  worker.StartWorker();
  while (!worker.entered) std::this_thread::sleep_for(1ms);
  std::shared_ptr<WorkerEvent> first = worker.doneEvent;
  worker.StopWorker();  // gives up: the task still runs
  worker.StartWorker();
  ASSERT_NE(worker.doneEvent, first);
  worker.release = true;
  {
    std::unique_lock<std::mutex> hold(first->lock);
    EXPECT_TRUE(first->changed.wait_for(hold, 5s, [&] { return first->done; }))
        << "the first thread must end rather than turn alongside the second";
  }
  worker.StopWorker();
}

// The feed step's second of sleep ends as soon as the worker is asked to stop.
class SleepingFeed : public app::CoolerFeed {
 public:
  void RefreshDevices() override { devicePresent = true; }
};

TEST(Worker, StopDuringTheFeedSleepReturnsWhenTheThreadEnds) {
  SleepingFeed feed;
  feed.StartWorker();
  feed.PostTask(app::TASK_REFRESH_DEVICES);
  std::this_thread::sleep_for(300ms);  // well inside a feed step's pause
  std::shared_ptr<WorkerEvent> event = feed.doneEvent;
  const auto start = std::chrono::steady_clock::now();
  feed.StopWorker();
  EXPECT_LT(std::chrono::steady_clock::now() - start, 900ms);
  std::lock_guard<std::mutex> hold(event->lock);
  EXPECT_TRUE(event->done) << "StopWorker returned because the thread ended";
}

TEST(Worker, StoppedBeforeTheThreadRunsNeverCallsRun) {
  for (int i = 0; i < 20; ++i) {
    BlockingWorker worker;
    worker.release = true;
    worker.StartWorker();
    worker.StopWorker();
    // Run may have been called before the stop; it is never called after the thread saw it.
    const int runs = worker.runs.load();
    std::this_thread::sleep_for(20ms);
    EXPECT_EQ(worker.runs.load(), runs);
  }
}

}  // namespace
