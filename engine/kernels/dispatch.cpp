// The dispatch table: which level's kernels this process calls.
//
// Chosen once, at the first call of any engine function, and published
// through one atomic pointer; later calls load it and call through it, with
// no processor query and no lock. Nothing here relies on constructors
// having run or on relocated constant data: programs load recodo.exe as a
// library, and then its start-up code never runs.
#include <atomic>
#include <cstdlib>
#include <cstring>

#include "engine/kernels/dispatch.h"
#include "engine/kernels/levels.h"

namespace recodo::kernels {
namespace {

std::atomic<const Table*> active{nullptr};

struct Processor {
  bool ssse3 = false;
  bool avx2 = false;  // with BMI1, BMI2 and POPCNT, which every such processor has
  bool avx512 = false;  // F, BW and VL
  bool vbmi = false;
  bool vbmi2 = false;
};

Processor Probe() {
  Processor cpu;
#if RECODO_VECTOR_KERNELS
  // Also answers whether the system saves the wide registers.
  __builtin_cpu_init();
  cpu.ssse3 = __builtin_cpu_supports("ssse3");
  cpu.avx2 = __builtin_cpu_supports("avx2") && __builtin_cpu_supports("bmi") && __builtin_cpu_supports("bmi2") &&
             __builtin_cpu_supports("popcnt");
  cpu.avx512 = cpu.avx2 && __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw") &&
               __builtin_cpu_supports("avx512vl");
  cpu.vbmi = cpu.avx512 && __builtin_cpu_supports("avx512vbmi");
  cpu.vbmi2 = cpu.avx512 && __builtin_cpu_supports("avx512vbmi2");
#endif
  return cpu;
}

bool Runs(Level level, const Processor& cpu) {
  (void)cpu;
  switch (level) {
    case Level::Portable: return true;
#if RECODO_VECTOR_KERNELS
    case Level::Baseline: return true;  // SSE2 is part of x86-64
    case Level::Avx2: return cpu.avx2;
    case Level::Avx512: return cpu.avx512;
#endif
    default: return false;
  }
}

Table Build(Level level, const Processor& cpu) {
  Table table{};
  portable::Fill(table);
#if RECODO_VECTOR_KERNELS
  if (level >= Level::Baseline) baseline::Fill(table, cpu.ssse3);
  if (level >= Level::Avx2) avx2::Fill(table);
  if (level >= Level::Avx512) avx512::Fill(table, cpu.vbmi, cpu.vbmi2);
#else
  (void)level;
  (void)cpu;
#endif
  return table;
}

Level Pick(const Processor& cpu) {
  Level best = Level::Portable;
  for (int l = 0; l < kLevelCount; ++l)
    if (Runs(static_cast<Level>(l), cpu)) best = static_cast<Level>(l);
  return PickLevel(std::getenv("RECODO_KERNELS"), best);
}

// Zero-initialised storage: usable before any constructor runs.
Table chosen;
Table pinned[kLevelCount];
std::atomic<int> claimed{0};
std::atomic<int> current{0};

}  // namespace

// A switch rather than an array of names: no pointers in constant data.
const char* LevelName(Level level) {
  switch (level) {
    case Level::Portable: return "portable";
    case Level::Baseline: return "baseline";
    case Level::Avx2: return "avx2";
    case Level::Avx512: return "avx512";
  }
  return "?";
}

bool Runs(Level level) { return Runs(level, Probe()); }

// An unknown name, or a level above the best, changes nothing.
Level PickLevel(const char* setting, Level best) {
  if (setting == nullptr) return best;
  for (int l = 0; l <= static_cast<int>(best); ++l)
    if (std::strcmp(setting, LevelName(static_cast<Level>(l))) == 0) return static_cast<Level>(l);
  return best;
}

void Use(Level level) {
  claimed.store(1, std::memory_order_relaxed);
  Table& table = pinned[static_cast<int>(level)];
  table = Build(level, Probe());
  current.store(static_cast<int>(level), std::memory_order_relaxed);
  active.store(&table, std::memory_order_release);
}

Level Current() {
  Active();
  return static_cast<Level>(current.load(std::memory_order_relaxed));
}

namespace {

const Table& Choose() {
  int expected = 0;
  if (claimed.compare_exchange_strong(expected, 1, std::memory_order_acq_rel)) {
    const Processor cpu = Probe();
    const Level level = Pick(cpu);
    chosen = Build(level, cpu);
    current.store(static_cast<int>(level), std::memory_order_relaxed);
    active.store(&chosen, std::memory_order_release);
    return chosen;
  }
  // Another thread is choosing; it takes a moment, once per process.
  const Table* table;
  while ((table = active.load(std::memory_order_acquire)) == nullptr) {
  }
  return *table;
}

}  // namespace

const Table& Active() {
  const Table* table = active.load(std::memory_order_acquire);
  return table != nullptr ? *table : Choose();
}

}  // namespace recodo::kernels
