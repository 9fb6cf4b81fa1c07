// Worker threads made once for the engine's pixel steps. A step splits its work into parts that
// touch disjoint memory; the calling thread works on them too and gets control back only when
// every part has finished, so a handler that uses the pool still returns with nothing running.
#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace zt {

class WorkerPool {
 public:
  // threads counts the caller: 1 starts no thread and runs every part on the caller.
  explicit WorkerPool(int threads);
  ~WorkerPool();
  WorkerPool(const WorkerPool&) = delete;
  WorkerPool& operator=(const WorkerPool&) = delete;

  int Threads() const { return static_cast<int>(m_workers.size()) + 1; }

  // Calls work(part) once for every part in [0, parts), spread over the caller and the workers;
  // returns when all calls have returned. work must not throw.
  void ForEach(int parts, const std::function<void(int)>& work);

  struct Job;
  // Work started beside the caller. Wait() returns once it has run: on a worker, or on the
  // waiting thread when no worker was free to take it. The destructor waits too.
  class Task {
   public:
    Task() = default;
    Task(Task&&) noexcept = default;
    Task& operator=(Task&& other) noexcept;
    ~Task() { Wait(); }
    void Wait();

   private:
    friend class WorkerPool;
    Task(WorkerPool* pool, std::shared_ptr<Job> job) : m_pool(pool), m_job(std::move(job)) {}
    WorkerPool* m_pool = nullptr;
    std::shared_ptr<Job> m_job;
  };
  Task Start(std::function<void()> work);

  // Rows [0, rows) in bands of bandRows, spread as ForEach spreads parts: work(first, end) for
  // each band.
  void ForEachBand(int rows, int bandRows, const std::function<void(int first, int end)>& work) {
    ForEach((rows + bandRows - 1) / bandRows, [&](int band) {
      const int first = band * bandRows;
      work(first, rows - first < bandRows ? rows : first + bandRows);
    });
  }

 private:
  std::shared_ptr<Job> Queue(std::function<void(int)> work, int parts);
  bool RunOnePart(Job& job);
  void Finish(Job& job);
  void WorkerLoop();

  std::mutex m_mutex;
  std::condition_variable m_wake;      // a job was queued, or the pool is closing
  std::condition_variable m_finished;  // a job's last part has returned
  std::deque<std::shared_ptr<Job>> m_queue;
  bool m_closing = false;
  std::vector<std::thread> m_workers;
};

// The engine's pool. Its size is a setting of the engine (the bench compares 1 with more);
// change it only while no engine step runs.
void SetEngineThreads(int threads);
int EngineThreads();
WorkerPool& EngineWorkers();
// What the engine starts with: the processor's threads, at most four.
int DefaultEngineThreads();

}  // namespace zt
