#include "app/thread_basic.h"

#include <chrono>
#include <system_error>
#include <thread>

namespace {

// The worker's event, seen from inside the worker thread (null on every other thread).
thread_local WorkerEvent* currentWorkerEvent = nullptr;

}  // namespace

uint32_t TickCount() {
  const auto now = std::chrono::steady_clock::now().time_since_epoch();
  return static_cast<uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
}

CThreadBasic::~CThreadBasic() {
  std::lock_guard<std::mutex> hold(taskLock);
  taskQueue.clear();
}

void CThreadBasic::StartWorker() {
  if (running.load() != 0) return;
  intervalMs = 16;
  loopMode = 1;
  startTick = TickCount();
  doneEvent = std::make_shared<WorkerEvent>();
  const uint32_t generation = ++generation_;
  running.store(1);
  try {
    std::thread(ThreadProcedure, this, doneEvent, generation).detach();
  } catch (const std::system_error&) {
    // As with a thread that could not be created: running stays 1, the queue is never served.
  }
}

void CThreadBasic::PostTask(int32_t code) {
  std::lock_guard<std::mutex> hold(taskLock);
  taskQueue.push_back(code);
}

void CThreadBasic::StopWorker() {
  if (running.load() == 0) return;
  std::shared_ptr<WorkerEvent> event = std::move(doneEvent);
  doneEvent.reset();
  running.store(0);
  if (!event) return;
  std::unique_lock<std::mutex> hold(event->lock);
  event->changed.notify_all();  // wakes a pause; notified under the lock so no wake is lost
  event->changed.wait_for(hold, std::chrono::milliseconds(1000), [&] { return event->done; });
}

bool CThreadBasic::TakeTask(int32_t* code) {
  std::lock_guard<std::mutex> hold(taskLock);
  if (taskQueue.empty()) return false;
  *code = taskQueue.front();
  taskQueue.pop_front();
  return true;
}

bool CThreadBasic::Pause(uint32_t ms) {
  WorkerEvent* event = currentWorkerEvent;
  if (!event) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
    return running.load() != 0;
  }
  std::unique_lock<std::mutex> hold(event->lock);
  return !event->changed.wait_for(hold, std::chrono::milliseconds(ms), [&] { return running.load() == 0; });
}

uint32_t CThreadBasic::ThreadProcedure(CThreadBasic* worker, std::shared_ptr<WorkerEvent> event, uint32_t generation) {
  currentWorkerEvent = event.get();
  if (worker->loopMode == 0) {
    worker->Run();
  } else {
    while (worker->running.load() != 0 && worker->generation_.load() == generation) {
      worker->Run();
      worker->Pause(worker->intervalMs);
    }
  }
  // The object may be gone once done is seen, so its fields are read before.
  const uint32_t status = worker->startTick;
  {
    std::lock_guard<std::mutex> hold(event->lock);
    event->done = true;
  }
  event->changed.notify_all();
  currentWorkerEvent = nullptr;
  return status;
}
