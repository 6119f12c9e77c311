// Round trips through the windowing core's message queue on the offscreen backend: a posted
// message taken and dispatched (goal: under 1 µs), a send on the same thread, and a send to a
// window of another thread.
#include <benchmark/benchmark.h>

#include <atomic>
#include <thread>

#include "platform/core/backend.h"
#include "platform/core/window_api.h"

namespace {

LRESULT CountingProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  static thread_local std::uint64_t sum = 0;
  if (msg == WM_APP) {
    sum += wParam;
    return static_cast<LRESULT>(sum);
  }
  return DefWindowProcW(hwnd, msg, wParam, lParam);
}

HWND CreateTarget() {
  static bool once = [] {
    platform::InstallBackend(platform::CreateOffscreenBackend());
    WNDCLASSW wc{};
    wc.lpfnWndProc = &CountingProc;
    wc.lpszClassName = L"BenchTarget";
    RegisterClassW(&wc);
    return true;
  }();
  (void)once;
  return CreateWindowExW(0, L"BenchTarget", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
}

void BM_PostGetDispatch(benchmark::State& state) {
  HWND hwnd = CreateTarget();
  MSG msg;
  WPARAM i = 0;
  for (auto _ : state) {
    PostMessageW(hwnd, WM_APP, ++i, 0);
    GetMessageW(&msg, nullptr, 0, 0);
    benchmark::DoNotOptimize(DispatchMessageW(&msg));
  }
  DestroyWindow(hwnd);
}
BENCHMARK(BM_PostGetDispatch);

void BM_SendSameThread(benchmark::State& state) {
  HWND hwnd = CreateTarget();
  WPARAM i = 0;
  for (auto _ : state) benchmark::DoNotOptimize(SendMessageW(hwnd, WM_APP, ++i, 0));
  DestroyWindow(hwnd);
}
BENCHMARK(BM_SendSameThread);

void BM_SendAcrossThreads(benchmark::State& state) {
  std::atomic<HWND> target{nullptr};
  std::atomic<bool> stop{false};
  std::thread receiver([&] {
    target = CreateTarget();
    MSG msg;
    while (!stop) {
      if (GetMessageW(&msg, nullptr, 0, 0) <= 0) break;
      DispatchMessageW(&msg);
    }
    DestroyWindow(target);
  });
  while (!target) std::this_thread::yield();
  WPARAM i = 0;
  for (auto _ : state) benchmark::DoNotOptimize(SendMessageW(target, WM_APP, ++i, 0));
  stop = true;
  PostMessageW(target, WM_NULL, 0, 0);
  receiver.join();
}
BENCHMARK(BM_SendAcrossThreads)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
