#include "overlay/engine/pixels/worker_pool.h"

#include <algorithm>
#include <atomic>

namespace zt {

struct WorkerPool::Job {
  std::function<void(int)> work;
  int parts = 0;
  std::atomic<int> next{0};  // the next part to claim; parts and beyond: all claimed
  int finished = 0;          // guarded by the pool's mutex
};

WorkerPool::WorkerPool(int threads) {
  for (int i = 1; i < threads; ++i) m_workers.emplace_back([this] { WorkerLoop(); });
}

WorkerPool::~WorkerPool() {
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_closing = true;
  }
  m_wake.notify_all();
  for (std::thread& t : m_workers) t.join();
}

std::shared_ptr<WorkerPool::Job> WorkerPool::Queue(std::function<void(int)> work, int parts) {
  auto job = std::make_shared<Job>();
  job->work = std::move(work);
  job->parts = parts;
  if (!m_workers.empty()) {
    {
      std::lock_guard<std::mutex> lock(m_mutex);
      m_queue.push_back(job);
    }
    if (parts > 1)
      m_wake.notify_all();
    else
      m_wake.notify_one();
  }
  return job;
}

bool WorkerPool::RunOnePart(Job& job) {
  const int part = job.next.fetch_add(1);
  if (part >= job.parts) return false;
  job.work(part);
  std::lock_guard<std::mutex> lock(m_mutex);
  if (++job.finished == job.parts) m_finished.notify_all();
  return true;
}

void WorkerPool::Finish(Job& job) {
  while (RunOnePart(job)) {
  }
  std::unique_lock<std::mutex> lock(m_mutex);
  m_finished.wait(lock, [&] { return job.finished == job.parts; });
  // Claimed out, it has no use in the queue; a worker may have dropped it already.
  m_queue.erase(std::remove_if(m_queue.begin(), m_queue.end(),
                               [&](const std::shared_ptr<Job>& queued) { return queued.get() == &job; }),
                m_queue.end());
}

void WorkerPool::ForEach(int parts, const std::function<void(int)>& work) {
  if (parts <= 0) return;
  if (parts == 1 || m_workers.empty()) {
    for (int part = 0; part < parts; ++part) work(part);
    return;
  }
  // The job refers to work, which lives until Finish has seen every part return.
  const std::shared_ptr<Job> job = Queue([&work](int part) { work(part); }, parts);
  Finish(*job);
}

WorkerPool::Task WorkerPool::Start(std::function<void()> work) {
  return Task(this, Queue([w = std::move(work)](int) { w(); }, 1));
}

WorkerPool::Task& WorkerPool::Task::operator=(Task&& other) noexcept {
  if (this != &other) {
    Wait();
    m_pool = other.m_pool;
    m_job = std::move(other.m_job);
    other.m_pool = nullptr;
  }
  return *this;
}

void WorkerPool::Task::Wait() {
  if (!m_job) return;
  m_pool->Finish(*m_job);
  m_job.reset();
}

void WorkerPool::WorkerLoop() {
  std::unique_lock<std::mutex> lock(m_mutex);
  for (;;) {
    m_wake.wait(lock, [&] { return m_closing || !m_queue.empty(); });
    if (m_queue.empty()) return;  // closing, and nothing left
    const std::shared_ptr<Job> job = m_queue.front();
    if (job->next.load() >= job->parts) {
      m_queue.pop_front();  // every part is claimed; the claimants finish it
      continue;
    }
    lock.unlock();
    while (RunOnePart(*job)) {
    }
    lock.lock();
  }
}

namespace {

std::mutex g_engineMutex;
WorkerPool* g_engine = nullptr;  // never destroyed: idle workers end with the process

}  // namespace

int DefaultEngineThreads() {
  const unsigned n = std::thread::hardware_concurrency();
  return n == 0 ? 1 : static_cast<int>(std::min(n, 4u));
}

void SetEngineThreads(int threads) {
  threads = std::max(1, std::min(threads, 16));
  std::lock_guard<std::mutex> lock(g_engineMutex);
  if (g_engine && g_engine->Threads() == threads) return;
  delete g_engine;
  g_engine = new WorkerPool(threads);
}

WorkerPool& EngineWorkers() {
  std::lock_guard<std::mutex> lock(g_engineMutex);
  if (!g_engine) g_engine = new WorkerPool(DefaultEngineThreads());
  return *g_engine;
}

int EngineThreads() { return EngineWorkers().Threads(); }

}  // namespace zt
