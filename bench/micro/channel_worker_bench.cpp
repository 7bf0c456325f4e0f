// A channel worker's whole life, as each device-setting connection has
// one: started, stopped before its first sleep is over, and joined.
#include <Poco/ThreadPool.h>
#include <benchmark/benchmark.h>

#include "rs485/channel_worker.h"
#include "rs485/channel_worker_interface.h"

namespace tool::bench {
namespace {

// Does no work of its own, so that only the worker's thread is timed.
class IdleOwner : public ChannelWorkerInterface {
 public:
  int GetWaitInterval() override { return 100; }
};

void BM_ChannelWorkerLife(benchmark::State& state) {
  IdleOwner owner;
  // As a channel keeps its workers' threads.
  Poco::ThreadPool threads(1, 4, 60);
  for (auto _ : state) {
    ChannelWorker worker(&owner, threads);
    worker.Start();
    worker.Stop();
    worker.Join();
  }
}
BENCHMARK(BM_ChannelWorkerLife);

}  // namespace
}  // namespace tool::bench
