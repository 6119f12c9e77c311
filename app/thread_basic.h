// The worker: one thread that calls Run every intervalMs milliseconds, and a queue of task codes.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <list>
#include <memory>
#include <mutex>

// The worker's end signal and its wake-up. Owned jointly by the thread and the worker object, so
// that a StopWorker that gave up waiting leaves the thread a valid event to set when it ends.
struct WorkerEvent {
  std::mutex lock;
  std::condition_variable changed;  // signalled when the thread ends and when a stop is asked
  bool done = false;  // set by the thread as its very last action (manual reset, never reset)
};

class CThreadBasic {
 public:
  CThreadBasic() = default;
  virtual ~CThreadBasic();
  CThreadBasic(const CThreadBasic&) = delete;
  CThreadBasic& operator=(const CThreadBasic&) = delete;

  // Starts the thread unless it runs already: intervalMs 16, loop mode on.
  void StartWorker();
  // Appends a task code at the back of the queue; never blocks longer than the queue's lock.
  void PostTask(int32_t code);
  // Asks the thread to stop and waits for it for at most 1000 ms. A pause of the worker (the
  // loop's interval, the feed's second) ends at once; a running task is not interrupted.
  void StopWorker();
  // One step of the worker, on the worker thread.
  virtual void Run() = 0;

  std::shared_ptr<WorkerEvent> doneEvent;  // null when no worker was started or after StopWorker
  std::atomic<int32_t> running{0};         // 1 while the thread is to keep turning
  int32_t loopMode = 0;                    // 1: call Run until running is 0; 0: call Run once
  uint32_t intervalMs = 1;                 // pause after each Run
  uint32_t startTick = 0;                  // tick count when the worker started; its exit status
  std::list<int32_t> taskQueue;            // pending codes, oldest first; guarded by taskLock
  std::mutex taskLock;

 protected:
  // Removes the code at the front of the queue; false when the queue is empty.
  bool TakeTask(int32_t* code);
  // Sleeps `ms` milliseconds; on the worker thread the sleep ends early when StopWorker asks the
  // thread to stop. Returns whether the worker is still to keep running.
  bool Pause(uint32_t ms);

 private:
  static uint32_t ThreadProcedure(CThreadBasic* worker, std::shared_ptr<WorkerEvent> event, uint32_t generation);

  // Counts the starts, so that a thread that outlived a StopWorker which gave up waiting ends
  // instead of turning alongside the thread of a later StartWorker.
  std::atomic<uint32_t> generation_{0};
};

// Milliseconds of a monotonic clock, cut to 32 bits as the system tick count is.
uint32_t TickCount();
