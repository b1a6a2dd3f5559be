// A run allocates nothing: every buffer it needs is fixed or reserved once.

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>

#include "TestSupport.h"
#include "initial_data/TaskData.h"
#include "solvers/Report.h"
#include "solvers/RunOpt.h"

namespace {
std::atomic<bool> counting{false};
std::atomic<long> allocations{0};
}  // namespace

// The replacement pair counts allocations; both sides use malloc and free.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void* operator new(std::size_t size) {
  if (counting) ++allocations;
  if (void* p = std::malloc(size ? size : 1)) return p;
  throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }

class Allocation : public InTempDir {};

TEST_F(Allocation, ARunOfAnyTaskAllocatesNothing) {
  WriteFile("DataFile.dat", ReadFile(REACTOPT_TASKS_DIR "/DataFile.dat"));
  for (int code = 101; code <= 125; ++code) {
    if (!FindSolver(code)) continue;
    TaskCode = code;
    ReadTaskData();
    for (int j = 1; j <= SlotCount(code); ++j) TaskParams.Slot(j) = DefaultSlotValue(j);
    RunCurrentTask();  // the first run may size what it keeps
    allocations = 0;
    counting = true;
    RunCurrentTask();
    counting = false;
    EXPECT_EQ(allocations, 0) << "task " << code;
  }
}
